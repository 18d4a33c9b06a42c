// The delimited text the text benchmarks share: 1,000,000 lines of ten fields (about 90 MB),
// some fields quoted with separators, doubled quotes and line breaks inside; and the bare loop
// that only finds the field boundaries of such a text in one pass, which the splitters and the
// grid's loads are measured against.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace carrelon::bench {

constexpr int kLines = 1000000;

// A deterministic text of Lines lines of ten fields joined by Separator, each line ending in
// CR LF.
inline std::string MakeText(char Separator, int Lines = kLines) {
    static const char* const words[] = {"Widget A-7", "North-west",  "Gadget B", "South-East",
                                        "Totals",     "spare parts", "n/a",      "Q3 2024"};
    std::string text;
    text.reserve(std::size_t{92} * static_cast<std::size_t>(Lines));
    std::uint32_t seed = 17;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int line = 0; line < Lines; ++line) {
        for (int field = 0; field < 10; ++field) {
            if (field > 0) text += Separator;
            const std::uint32_t r = next();
            switch (field) {
                case 0:
                    text += std::to_string(line + 1);
                    break;
                case 3:  // now and then a quoted text holding what needs quoting
                    if (r % 16 == 0)
                        text += "\"says \"\"hi\"\", then\nmore\"";
                    else if (r % 8 == 1)
                        text += std::string("\"a") + Separator + "b\"";
                    else
                        text += words[r % 8];
                    break;
                case 5:
                case 6:
                    text += std::to_string(r % 1000000) + ".25";
                    break;
                default:
                    text += words[r % 8];
            }
        }
        text += "\r\n";
    }
    return text;
}

inline const std::string& CSVText() {
    static const std::string text = MakeText(',');
    return text;
}

inline const std::string& TabText() {
    static const std::string text = MakeText('\t');
    return text;
}

// The bare loop: one pass that only counts fields and lines, switching quoting at each quote.
template <char Separator>
std::size_t BareFieldBoundaries(const std::string& Text) {
    std::size_t fields = 0;
    bool quoted = false;
    for (const char c : Text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == Separator || c == '\n'))
            ++fields;
    }
    return fields;
}

inline void SetBytes(benchmark::State& State, const std::string& Text) {
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) *
                            static_cast<std::int64_t>(Text.size()));
    State.counters["MB"] = static_cast<double>(Text.size()) / 1e6;
}

}  // namespace carrelon::bench
