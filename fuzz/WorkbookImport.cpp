// A workbook file imported into a grid.
//
// Input: a mode byte, then the file. Mode bit 0 set: the rest is the file's bytes as they are
// (the archive itself is fuzzed). Clear: the rest is the workbook's parts, each starting with a
// line "@@<part name>", packed by this target into a stored archive with correct checksums, so
// that mutations reach the XML instead of dying on a checksum. Bits 1-2 choose the sheet: the
// active one, number 1, number 2, or the one named "Sheet2".
//
// Oracles: the workbook reader accepts the bytes or raises an error with its reason; an import that
// raises or returns False leaves the grid exactly as it was (its saved text, the lock); one that
// returns True leaves a sound model within the cell budget, and importing the same file again gives
// the same grid. No message box is shown.
#include <unistd.h>

#include <array>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/support/FuzzSupport.h"
#include "platform/automation/ExcelModel.h"
#include "platform/automation/OfficeServers.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Lists.h"
#include "tests/support/CarrelonTestAccess.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

// Slots an imported sheet may take: enough for every feature, small enough to stay fast.
constexpr long long kCellBudget = 20000;

struct TFixture {
    TForm* Form = nullptr;
    TCarrelon* Grid = nullptr;
    std::string Baseline;  // the INI text every input starts from
    std::string Path;      // where the input is written for the import
    bool MessageShown = false;
};

std::string Saved(TCarrelon* Grid) {
    TStringList list;
    Grid->SaveToIniStrings(&list);
    return list.GetText();
}

void Restore(TCarrelon* Grid, const std::string& Text) {
    TStringList list;
    list.SetText(Text);
    FUZZ_CHECK(Grid->LoadFromIniStrings(&list), "the baseline did not load");
}

// Made once and kept to the end of the process, as the application outlives every input.
TFixture& Fixture() {
    static TFixture* f = [] {
        fuzz::StartOffscreenApplication();
        TWorkbookReadLimits limits;
        limits.MaxFileBytes = 1 << 20;
        limits.MaxPartBytes = 4 << 20;
        limits.MaxTotalBytes = 8 << 20;
        limits.MaxCells = 50000;
        limits.MaxSheets = 16;
        limits.MaxSharedStrings = 50000;
        limits.MaxStyles = 5000;
        SetWorkbookReadLimits(limits);
        auto* fx = new TFixture;
        SetMessageDlgHandler([fx](const AnsiString&, TMsgDlgType, TMsgDlgButtons) {
            fx->MessageShown = true;
            return mrOk;
        });
        fx->Form = new TForm(nullptr);
        fx->Form->SetBounds(0, 0, 400, 300);
        fx->Grid = new TCarrelon(fx->Form);
        fx->Grid->SetParent(fx->Form);
        fx->Grid->SetBounds(0, 0, 380, 280);
        fx->Grid->SetCellBudget(kCellBudget);
        fx->Grid->SetColCount(4);
        fx->Grid->GetCells(1, 1)->SetText("kept\r\ntext");
        fx->Grid->GetCells(2, 2)->SetValue(Variant(2.5));
        fx->Grid->MergeRect({1, 3, 2, 4}, true, "", "");
        fx->Baseline = Saved(fx->Grid);
        fx->Path = "/tmp/carrelon-fuzz-workbook-" + std::to_string(getpid()) + ".xlsx";
        return fx;
    }();
    return *f;
}

std::uint32_t Crc32(std::string_view Bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : Bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void Put16(std::string& Out, std::uint32_t V) {
    Out += static_cast<char>(V & 0xFF);
    Out += static_cast<char>((V >> 8) & 0xFF);
}
void Put32(std::string& Out, std::uint32_t V) {
    Put16(Out, V & 0xFFFF);
    Put16(Out, V >> 16);
}

// The parts of "@@name\n" blocks packed into a stored (uncompressed) archive.
std::string PackParts(std::string_view Text) {
    struct TPart {
        std::string_view Name, Data;
    };
    std::vector<TPart> parts;
    std::size_t at = Text.find("@@");
    while (at != std::string_view::npos && parts.size() < 64) {
        const std::size_t nameEnd = Text.find('\n', at);
        if (nameEnd == std::string_view::npos) break;
        std::size_t next = Text.find("\n@@", nameEnd);
        const std::size_t dataEnd = next == std::string_view::npos ? Text.size() : next;
        parts.push_back({Text.substr(at + 2, nameEnd - at - 2),
                         Text.substr(nameEnd + 1, dataEnd > nameEnd ? dataEnd - nameEnd - 1 : 0)});
        at = next == std::string_view::npos ? next : next + 1;
    }
    std::string out, directory;
    for (const TPart& p : parts) {
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = Crc32(p.Data);
        const auto size = static_cast<std::uint32_t>(p.Data.size());
        const auto nameSize = static_cast<std::uint32_t>(p.Name.size());
        Put32(out, 0x04034b50);
        Put16(out, 20);  // version needed
        Put16(out, 0);   // flags
        Put16(out, 0);   // stored
        Put32(out, 0);   // time and date
        Put32(out, crc);
        Put32(out, size);
        Put32(out, size);
        Put16(out, nameSize);
        Put16(out, 0);
        out += p.Name;
        out += p.Data;
        Put32(directory, 0x02014b50);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, crc);
        Put32(directory, size);
        Put32(directory, size);
        Put16(directory, nameSize);
        Put16(directory, 0);  // extra
        Put16(directory, 0);  // comment
        Put16(directory, 0);  // disk
        Put16(directory, 0);  // internal attributes
        Put32(directory, 0);  // external attributes
        Put32(directory, offset);
        directory += p.Name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(parts.size()));
    Put16(out, static_cast<std::uint32_t>(parts.size()));
    Put32(out, static_cast<std::uint32_t>(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, 0);
    return out;
}

Variant SheetChoice(std::uint8_t Mode) {
    switch ((Mode >> 1) & 3) {
        case 1:
            return Variant(1);
        case 2:
            return Variant(2);
        case 3:
            return Variant("Sheet2");
        default:
            return Null;
    }
}

void CheckSound(TCarrelon* Grid, const std::string& Input) {
    std::string why;
    FUZZ_CHECK(TCarrelonTestAccess::CheckModelInvariants(Grid, &why), why + "\n" + Escaped(Input));
    FUZZ_CHECK(TCarrelonTestAccess::Internals(Grid).FUpdateCount == 0, Escaped(Input));
    FUZZ_CHECK(static_cast<long long>(Grid->GetColCount()) * Grid->GetRowCount() <= kCellBudget,
               Escaped(Input));
}

// Imports the file; true when the import returned True, false when it returned False or raised
// (the grid being then checked unchanged).
bool Import(TFixture& F, const Variant& Sheet, const std::string& Input) {
    const std::string before = Saved(F.Grid);
    bool imported = false;
    try {
        imported = F.Grid->ImportFromExcelFile(F.Path, Sheet);
    } catch (const Exception&) {
        imported = false;
    }
    if (!imported) {
        FUZZ_CHECK(Saved(F.Grid) == before, "a failed import changed the grid\n" + Escaped(Input));
        CheckSound(F.Grid, Input);
    }
    return imported;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0) return 0;
    TFixture& f = Fixture();
    const std::uint8_t mode = Data[0];
    const std::string_view rest(reinterpret_cast<const char*>(Data) + 1, Size - 1);
    const std::string file = (mode & 1) ? std::string(rest) : PackParts(rest);
    const std::string input(reinterpret_cast<const char*>(Data), Size);

    // The reader alone: a workbook or an error with its reason (any other throw is a finding).
    try {
        (void)xl::ReadXlsxBytes(std::vector<char>(file.begin(), file.end()));
    } catch (const std::exception& E) {
        FUZZ_CHECK(*E.what() != '\0', "an error without a reason\n" + Escaped(input));
    }

    {
        std::ofstream out(f.Path, std::ios::binary | std::ios::trunc);
        out.write(file.data(), static_cast<std::streamsize>(file.size()));
        FUZZ_CHECK(out.good(), "the input could not be written to " + f.Path);
    }
    Restore(f.Grid, f.Baseline);
    f.MessageShown = false;
    const Variant sheet = SheetChoice(mode);
    if (Import(f, sheet, input)) {
        CheckSound(f.Grid, input);
        const std::string first = Saved(f.Grid);
        FUZZ_CHECK(Import(f, sheet, input), "a second import failed\n" + Escaped(input));
        FUZZ_CHECK(Saved(f.Grid) == first, "a second import differs\n" + Escaped(input));
    }
    FUZZ_CHECK(!f.MessageShown, "a message box was shown\n" + Escaped(input));
    std::remove(f.Path.c_str());
    return 0;
}
