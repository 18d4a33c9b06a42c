// INI text read into the INI store.
//
// Input: the bytes of an INI text, as a file would hold them.
//
// Oracles: parsing never raises; the store's text is a fixed point (written and read again it is
// the same text, through a buffer and through a string list alike); sorting puts the sections in
// the runtime's case-insensitive order and keeps sections of one name in their order; a section
// or line found by name is the first of that name; typed reads never raise; a position-read
// number reads back to the digits it came from.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "exchange/CarrelonIniFile.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Strings.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

bool HasName(std::string_view Line) {
    return Line.find('=') != std::string_view::npos;
}

void CheckLookups(const TCarrelonIniFile& Ini) {
    // The first sections and lines are enough to catch a wrong index; all of them would make
    // large inputs slow.
    for (int s = 0; s < Ini.GetSectionCount() && s < 64; ++s) {
        const TCarrelonIniSection& section = Ini.GetSection(s);
        // The first section of this name in list order.
        const TCarrelonIniSection* first = nullptr;
        for (int k = 0; k <= s && first == nullptr; ++k)
            if (AnsiSameText(Ini.GetSection(k).GetName(), section.GetName()))
                first = &Ini.GetSection(k);
        FUZZ_CHECK(Ini.FindSection(section.GetName()) == first, Escaped(section.GetName()));
        if (first != &section) continue;
        for (int i = 0; i < section.GetCount() && i < 64; ++i) {
            if (!HasName(section.GetLine(i))) continue;
            const std::string name(section.GetLineName(i));
            int expected = -1;
            for (int k = 0; k <= i && expected < 0; ++k)
                if (HasName(section.GetLine(k)) &&
                    AnsiSameText(std::string(section.GetLineName(k)), name))
                    expected = k;
            FUZZ_CHECK(section.IndexOfName(name) == expected, Escaped(name));
            const std::string line(section.GetLine(expected));
            FUZZ_CHECK(
                Ini.ReadString(section.GetName(), name, "\x01") == line.substr(name.size() + 1),
                Escaped(line));
            FUZZ_CHECK(Ini.ValueExists(section.GetName(), name), Escaped(name));
            Ini.ReadInteger(section.GetName(), name, 0);
            Ini.ReadBool(section.GetName(), name, false);
            Ini.ReadFloat(section.GetName(), name, 0);

            std::string_view rest = section.GetLine(i);
            const std::string_view whole = rest;
            int a = 0, b = 0;
            if (ReadPositionNumber(rest, ' ', a)) {
                const std::string digits(whole.substr(0, whole.size() - rest.size() - 1));
                FUZZ_CHECK(std::strtoll(digits.c_str(), nullptr, 10) == a, Escaped(digits));
                if (ReadLastPositionNumber(rest, b))
                    FUZZ_CHECK(std::strtoll(std::string(rest).c_str(), nullptr, 10) == b,
                               Escaped(std::string(rest)));
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string input(reinterpret_cast<const char*>(Data), Size);

    TCarrelonIniFile ini("", ifsEmpty);
    ini.SetText(input);
    const AnsiString text = ini.GetText();

    TCarrelonIniFile again("", ifsEmpty);
    again.SetText(text);
    FUZZ_CHECK(again.GetText() == text, Escaped(text));

    TStringList list;
    ini.GetStrings(list);
    TCarrelonIniFile fromList("", ifsEmpty);
    fromList.SetStrings(list);
    FUZZ_CHECK(fromList.GetText() == text, Escaped(text));

    CheckLookups(ini);

    // One stable sort by the runtime's comparison; the lines go with their sections.
    std::vector<int> order(static_cast<std::size_t>(ini.GetSectionCount()));
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int A, int B) {
        return AnsiCompareText(ini.GetSection(A).GetName(), ini.GetSection(B).GetName()) < 0;
    });
    TCarrelonIniFile sorted("", ifsEmpty);
    sorted.SetText(input);
    sorted.SetSorted(true);
    FUZZ_CHECK(sorted.GetSectionCount() == ini.GetSectionCount(), Escaped(input));
    for (std::size_t i = 0; i < order.size(); ++i) {
        const TCarrelonIniSection& want = ini.GetSection(order[i]);
        const TCarrelonIniSection& got = sorted.GetSection(static_cast<int>(i));
        FUZZ_CHECK(got.GetName() == want.GetName() && got.GetCount() == want.GetCount() &&
                       (got.GetCount() == 0 || got.GetLine(0) == want.GetLine(0)),
                   Escaped(got.GetName()));
    }
    CheckLookups(sorted);
    return 0;
}
