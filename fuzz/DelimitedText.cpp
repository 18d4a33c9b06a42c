// Tab-delimited and comma-separated text split into lines and fields.
//
// Input: the first byte chooses the user's list separator (any byte), the rest is the text.
//
// Oracles: lines are views into the text, in order, and what lies between them is exactly one
// line end of the form that splits (CR LF, CR or LF for CSV; the tab-delimited text's own mode),
// with the text outside quotes there; fields are views into their line; writing a line's field
// texts back with every field quoted and splitting that again gives the same texts; TAB counts
// match.
#include <algorithm>
#include <string>
#include <vector>

#include "exchange/TextSplitting.h"
#include "fuzz/support/FuzzSupport.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

bool Inside(std::string_view Part, std::string_view Whole) {
    return Part.empty() || (Part.data() >= Whole.data() &&
                            Part.data() + Part.size() <= Whole.data() + Whole.size());
}

std::size_t Quotes(std::string_view S) {
    return static_cast<std::size_t>(std::count(S.begin(), S.end(), '"'));
}

// Lines must tile the text: each gap is one accepted line end, reached outside quotes.
void CheckLines(std::string_view Text, const std::vector<std::string_view>& Lines,
                const std::vector<std::string_view>& Ends) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        const std::string_view line = Lines[i];
        FUZZ_CHECK(Inside(line, Text), "line outside the text");
        const std::size_t start = line.empty() && line.data() == nullptr
                                      ? pos
                                      : static_cast<std::size_t>(line.data() - Text.data());
        FUZZ_CHECK(start == pos, Escaped(std::string(Text)));
        pos = start + line.size();
        if (pos == Text.size()) {
            FUZZ_CHECK(i + 1 == Lines.size(), Escaped(std::string(Text)));
            return;
        }
        FUZZ_CHECK(Quotes(Text.substr(0, pos)) % 2 == 0, Escaped(std::string(Text)));
        bool matched = false;
        for (std::string_view end : Ends) {
            if (Text.substr(pos, end.size()) != end) continue;
            // A CR followed by LF is one CR LF, never a CR and an empty line.
            if (end == "\r" && Text.substr(pos, 2) == "\r\n") continue;
            pos += end.size();
            matched = true;
            break;
        }
        FUZZ_CHECK(matched, Escaped(std::string(Text)));
    }
    FUZZ_CHECK(pos == Text.size(), Escaped(std::string(Text)));
}

std::string QuotedAll(const std::vector<std::string>& Texts, char Separator) {
    std::string line;
    for (std::size_t i = 0; i < Texts.size(); ++i) {
        if (i > 0) line += Separator;
        line += '"';
        for (char c : Texts[i]) {
            line += c;
            if (c == '"') line += '"';
        }
        line += '"';
    }
    return line;
}

void CheckCSV(std::string_view Text, char ListSeparator) {
    const std::vector<std::string_view> lines = SplitCSVLines(Text);
    CheckLines(Text, lines, {"\r\n", "\r", "\n"});
    std::vector<TTextField> fields, again;
    for (std::string_view line : lines) {
        SplitCSVFields(line, ListSeparator, fields);
        std::vector<std::string> texts;
        for (const TTextField& f : fields) {
            FUZZ_CHECK(Inside(f.Text, line), Escaped(std::string(line)));
            texts.push_back(CSVFieldText(f));
        }
        const std::string written = QuotedAll(texts, ',');
        const std::vector<std::string_view> back = SplitCSVLines(written);
        FUZZ_CHECK(back.size() == (texts.empty() ? 0u : 1u), Escaped(written));
        if (back.empty()) continue;
        SplitCSVFields(back[0], ListSeparator, again);
        FUZZ_CHECK(again.size() == texts.size(), Escaped(written));
        for (std::size_t i = 0; i < texts.size(); ++i)
            FUZZ_CHECK(CSVFieldText(again[i]) == texts[i], Escaped(written));
    }
}

void CheckTabDelimited(std::string_view Text) {
    const std::vector<std::string_view> lines = SplitTabDelimitedLines(Text);
    const bool crlf = Text.find("\r\n") != std::string_view::npos;
    CheckLines(Text, lines, {crlf ? "\r\n" : "\n"});
    std::vector<TTextField> fields, again;
    for (std::string_view line : lines) {
        FUZZ_CHECK(
            CountTabs(line) == static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')),
            Escaped(std::string(line)));
        SplitTabDelimitedFields(line, fields);
        std::vector<std::string> texts;
        for (const TTextField& f : fields) {
            FUZZ_CHECK(Inside(f.Text, line), Escaped(std::string(line)));
            texts.push_back(TabDelimitedFieldText(f));
            const std::string& t = texts.back();
            for (std::size_t k = 0; k < t.size(); ++k)
                FUZZ_CHECK((t[k] != '\r' || (k + 1 < t.size() && t[k + 1] == '\n')) &&
                               (t[k] != '\n' || (k > 0 && t[k - 1] == '\r')),
                           Escaped(t));
        }
        const std::string written = QuotedAll(texts, '\t');
        SplitTabDelimitedFields(written, again);
        FUZZ_CHECK(again.size() == texts.size(), Escaped(written));
        for (std::size_t i = 0; i < texts.size(); ++i)
            FUZZ_CHECK(TabDelimitedFieldText(again[i]) == texts[i], Escaped(written));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0) return 0;
    const char listSeparator = static_cast<char>(Data[0]);
    const std::string text(reinterpret_cast<const char*>(Data) + 1, Size - 1);
    CheckCSV(text, listSeparator);
    CheckTabDelimited(text);
    return 0;
}
