#include "exchange/TextSplitting.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Strings.h"
#include "platform/rtl/TextScan.h"

namespace carrelon {

namespace {

constexpr char kQuote = '"';

bool HasLineBreak(std::string_view S) {
    return !S.empty() && (std::memchr(S.data(), '\r', S.size()) != nullptr ||
                          std::memchr(S.data(), '\n', S.size()) != nullptr);
}

// The separator that ListSeparator adds to ",": only an ASCII character can separate, so that
// multi-byte characters stay whole.
char OtherCSVSeparator(char ListSeparator) {
    return static_cast<unsigned char>(ListSeparator) < 0x80 ? ListSeparator : ',';
}

// Fields of a line without quotes: one more than its separators, but for one at its end.
std::size_t UnquotedFieldCount(std::string_view Line, char Separator, char Other) {
    if (Line.empty()) return 0;
    std::size_t n = static_cast<std::size_t>(std::count(Line.begin(), Line.end(), Separator)) + 1;
    if (Other != Separator)
        n += static_cast<std::size_t>(std::count(Line.begin(), Line.end(), Other));
    if (Line.back() == Separator || Line.back() == Other) --n;
    return n;
}

bool HasQuote(std::string_view S) {
    return !S.empty() && std::memchr(S.data(), kQuote, S.size()) != nullptr;
}

AnsiString Unquoted(const TTextField& Field) {
    if (!Field.DoubledQuotes) return AnsiString(Field.Text);
    AnsiString s;
    s.reserve(Field.Text.size());
    AppendUndoubled(s, Field.Text, kQuote);
    return s;
}

}  // namespace

std::size_t CountTabs(std::string_view S) {
    return static_cast<std::size_t>(std::count(S.begin(), S.end(), '\t'));
}

std::vector<std::string_view> SplitTabDelimitedLines(std::string_view Text) {
    const bool crlf = Text.find("\r\n") != std::string_view::npos;
    std::vector<std::string_view> lines;
    TByteFinder<2> finder(Text, {kQuote, crlf ? '\r' : '\n'});
    bool inQuotes = false;
    std::size_t start = 0;
    for (std::size_t pos = finder.Next(0); pos < Text.size(); pos = finder.Next(pos)) {
        if (Text[pos] == kQuote) {
            inQuotes = !inQuotes;
            ++pos;
        } else if (inQuotes) {
            ++pos;
        } else if (!crlf) {
            lines.push_back(Text.substr(start, pos - start));
            start = ++pos;
        } else if (pos + 1 < Text.size() && Text[pos + 1] == '\n') {
            lines.push_back(Text.substr(start, pos - start));
            start = pos += 2;
        } else {
            ++pos;  // a lone CR stays in the line
        }
    }
    if (start < Text.size()) lines.push_back(Text.substr(start));
    return lines;
}

void SplitTabDelimitedFields(std::string_view Line, std::vector<TTextField>& Fields) {
    Fields.clear();
    const bool breaks = HasLineBreak(Line);
    std::size_t pos = 0;
    while (pos < Line.size()) {
        TTextField field;
        field.MayHoldBreaks = breaks;
        std::size_t tab = 0;
        if (Line[pos] == kQuote) {
            // What follows the closing quote up to the TAB belongs to no field.
            const TQuotedExtent q = ScanQuotedStr(Line, pos, kQuote);
            field.Text = q.Body;
            field.DoubledQuotes = q.DoubledQuotes;
            tab = Line.find('\t', q.End);
        } else {
            tab = Line.find('\t', pos);
            field.Text = Line.substr(pos, std::min(tab, Line.size()) - pos);
        }
        Fields.push_back(field);
        pos = tab == std::string_view::npos ? Line.size() : tab + 1;
    }
}

std::size_t CountTabDelimitedFields(std::string_view Line) {
    if (!HasQuote(Line)) return UnquotedFieldCount(Line, '\t', '\t');
    std::vector<TTextField> fields;
    SplitTabDelimitedFields(Line, fields);
    return fields.size();
}

AnsiString TabDelimitedFieldText(const TTextField& Field) {
    AnsiString s = Unquoted(Field);
    return Field.MayHoldBreaks && HasLineBreak(s) ? AdjustLineBreaks(s) : s;
}

std::vector<std::string_view> SplitCSVLines(std::string_view Text) {
    std::vector<std::string_view> lines;
    TByteFinder<3> finder(Text, {kQuote, '\r', '\n'});
    bool inQuotes = false;
    std::size_t start = 0;
    for (std::size_t pos = finder.Next(0); pos < Text.size(); pos = finder.Next(pos)) {
        const char c = Text[pos++];
        if (c == kQuote) {
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            lines.push_back(Text.substr(start, pos - 1 - start));
            if (c == '\r' && pos < Text.size() && Text[pos] == '\n') ++pos;
            start = pos;
        }
    }
    if (start < Text.size()) lines.push_back(Text.substr(start));
    return lines;
}

void SplitCSVFields(std::string_view Line, char ListSeparator, std::vector<TTextField>& Fields) {
    Fields.clear();
    const char other = OtherCSVSeparator(ListSeparator);
    const auto isSeparator = [other](char C) { return C == ',' || C == other; };
    std::size_t pos = 0;
    while (pos < Line.size()) {
        if (Line[pos] == kQuote) {
            const TQuotedExtent q = ScanQuotedStr(Line, pos, kQuote);
            Fields.push_back({q.Body, q.DoubledQuotes});
            pos = q.End;
        } else {
            std::size_t end = pos;
            if (other == ',') {
                const void* hit = std::memchr(Line.data() + pos, ',', Line.size() - pos);
                end = hit != nullptr
                          ? static_cast<std::size_t>(static_cast<const char*>(hit) - Line.data())
                          : Line.size();
            } else {
                while (end < Line.size() && !isSeparator(Line[end]))
                    ++end;
            }
            Fields.push_back({Line.substr(pos, end - pos), false});
            pos = end;
        }
        if (pos < Line.size() && isSeparator(Line[pos])) ++pos;
    }
}

std::size_t CountCSVFields(std::string_view Line, char ListSeparator) {
    if (!HasQuote(Line)) return UnquotedFieldCount(Line, ',', OtherCSVSeparator(ListSeparator));
    std::vector<TTextField> fields;
    SplitCSVFields(Line, ListSeparator, fields);
    return fields.size();
}

AnsiString CSVFieldText(const TTextField& Field) {
    return Unquoted(Field);
}

}  // namespace carrelon
