#include "exchange/CarrelonIniFile.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileContent.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/TempFiles.h"
#include "platform/rtl/TextScan.h"

namespace carrelon {

namespace {

// Lines added one by one are packed into blocks that start small and double up to the largest
// size; a line longer than a quarter of that gets a block of its own.
constexpr std::size_t kFirstBlockSize = std::size_t{4} << 10;
constexpr std::size_t kLargestBlockSize = std::size_t{256} << 10;

[[noreturn]] void IndexError(int Index) {
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

// Keeps a string list in one update for the length of a scope.
class TUpdateScope {
public:
    explicit TUpdateScope(TStrings& Strings) : FStrings(Strings) { FStrings.BeginUpdate(); }
    ~TUpdateScope() { FStrings.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TStrings& FStrings;
};

std::string_view NameOfLine(std::string_view Line) {
    const std::size_t p = Line.find('=');
    return p == std::string_view::npos ? std::string_view() : Line.substr(0, p);
}

bool HasName(std::string_view Line) {
    return Line.find('=') != std::string_view::npos;
}

// An optional "-" and decimal digits from the start of S, within int; the number of bytes read,
// 0 when there is no such number.
std::size_t ScanPositionNumber(std::string_view S, int& Value) {
    std::size_t i = 0;
    const bool negative = !S.empty() && S[0] == '-';
    if (negative) ++i;
    const std::size_t first = i;
    Int64 v = 0;
    for (; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i) {
        v = v * 10 + (S[i] - '0');
        if (v > Int64{INT_MAX} + 1) return 0;
    }
    if (i == first) return 0;
    if (negative) v = -v;
    if (v > INT_MAX) return 0;
    Value = static_cast<int>(v);
    return i;
}

// The rank of an ASCII character in the runtime's case-insensitive order: other characters by
// their code, then digits, then letters without case; -1 beyond ASCII.
int AsciiCollationRank(char C) {
    const auto u = static_cast<unsigned char>(C);
    if (u >= 0x80) return -1;
    if (u >= '0' && u <= '9') return 0x80 + (u - '0');
    if (u >= 'a' && u <= 'z') return 0x90 + (u - 'a');
    if (u >= 'A' && u <= 'Z') return 0x90 + (u - 'A');
    return u;
}

}  // namespace

// ---- TCarrelonIniSection ----

std::string_view TCarrelonIniSection::GetLine(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
    return FLines[static_cast<std::size_t>(Index)];
}

std::string_view TCarrelonIniSection::GetLineName(int Index) const {
    return NameOfLine(GetLine(Index));
}

int TCarrelonIniSection::IndexOfName(std::string_view Name) const {
    const auto nameOf = [this](int I) { return NameAt(I); };
    if (!FNamesBuilt) {
        FNames.Clear();
        for (std::size_t i = 0; i < FLines.size(); ++i)
            if (HasName(FLines[i])) FNames.Add(static_cast<int>(i), nameOf);
        FNamesBuilt = true;
    }
    return FNames.Find(Name, nameOf);
}

std::string_view TCarrelonIniSection::NameAt(int Index) const {
    return NameOfLine(FLines[static_cast<std::size_t>(Index)]);
}

void TCarrelonIniSection::Add(std::string_view Line) {
    FLines.push_back(Line);
    if (FNamesBuilt && HasName(Line)) {
        try {
            FNames.Add(GetCount() - 1, [this](int I) { return NameAt(I); });
        } catch (...) {
            FLines.pop_back();
            throw;
        }
    }
}

// ---- TCarrelonIniFile ----

TCarrelonIniFile::TCarrelonIniFile(const AnsiString& FileName, TIniFileStart Start,
                                   Int64 MaxFileSize)
    : FFileName(FileName), FMaxFileSize(MaxFileSize) {
    if (Start == ifsLoadFile) LoadValues();
}

TCarrelonIniFile::~TCarrelonIniFile() = default;

void TCarrelonIniFile::Clear() {
    FList.clear();
    FSections.clear();
    FSectionNames.Clear();
    AnsiString().swap(FText);
    FBlocks.clear();
    FBlockFree = nullptr;
    FBlockRoom = 0;
    FBlockSize = 0;
}

TCarrelonIniSection& TCarrelonIniFile::NewSection(AnsiString Name, bool KeepOrder) {
    std::unique_ptr<TCarrelonIniSection> owned(new TCarrelonIniSection(std::move(Name)));
    TCarrelonIniSection* const section = owned.get();
    FSections.push_back(std::move(owned));
    // Each later step undoes the earlier ones when it fails, so a failed add changes nothing.
    try {
        if (FSorted && !KeepOrder) {
            const auto at =
                std::upper_bound(FList.begin(), FList.end(), section,
                                 [](const TCarrelonIniSection* A, const TCarrelonIniSection* B) {
                                     return AnsiCompareText(A->FName, B->FName) < 0;
                                 });
            FList.insert(at, section);
        } else {
            FList.push_back(section);
        }
    } catch (...) {
        FSections.pop_back();
        throw;
    }
    try {
        FSectionNames.Add(static_cast<int>(FSections.size() - 1),
                          [this](int I) { return SectionNameAt(I); });
    } catch (...) {
        FList.erase(std::find(FList.begin(), FList.end(), section));
        FSections.pop_back();
        throw;
    }
    return *section;
}

std::string_view TCarrelonIniFile::SectionNameAt(int Index) const {
    return FSections[static_cast<std::size_t>(Index)]->FName;
}

TCarrelonIniSection& TCarrelonIniFile::AddSection(const AnsiString& Name) {
    return NewSection(Name, false);
}

TCarrelonIniSection* TCarrelonIniFile::FindSection(std::string_view Name) const {
    const int i = FSectionNames.Find(Name, [this](int I) { return SectionNameAt(I); });
    return i < 0 ? nullptr : FSections[static_cast<std::size_t>(i)].get();
}

TCarrelonIniSection& TCarrelonIniFile::ProvideSection(const AnsiString& Name) {
    TCarrelonIniSection* section = FindSection(Name);
    return section != nullptr ? *section : AddSection(Name);
}

TCarrelonIniSection& TCarrelonIniFile::GetSection(int Index) const {
    if (Index < 0 || Index >= GetSectionCount()) IndexError(Index);
    return *FList[static_cast<std::size_t>(Index)];
}

char* TCarrelonIniFile::Reserve(std::size_t Size) {
    if (Size > kLargestBlockSize / 4) {
        // A long line gets a block of its own and leaves the current block's room for others.
        FBlocks.push_back(std::make_unique_for_overwrite<char[]>(Size));
        return FBlocks.back().get();
    }
    if (Size > FBlockRoom) {
        FBlockSize = std::max(
            Size, FBlockSize == 0 ? kFirstBlockSize : std::min(FBlockSize * 2, kLargestBlockSize));
        FBlocks.push_back(std::make_unique_for_overwrite<char[]>(FBlockSize));
        FBlockFree = FBlocks.back().get();
        FBlockRoom = FBlockSize;
    }
    char* p = FBlockFree;
    FBlockFree += Size;
    FBlockRoom -= Size;
    return p;
}

std::string_view TCarrelonIniFile::Keep(std::string_view Line) {
    if (Line.empty()) return {};
    char* p = Reserve(Line.size());
    std::memcpy(p, Line.data(), Line.size());
    return {p, Line.size()};
}

void TCarrelonIniFile::AppendLine(TCarrelonIniSection& Section, std::string_view Line) {
    Section.Add(Keep(Line));
}

void TCarrelonIniFile::AppendLine(TCarrelonIniSection& Section,
                                  std::initializer_list<std::string_view> Parts) {
    std::size_t size = 0;
    for (std::string_view part : Parts)
        size += part.size();
    if (size == 0) {
        Section.Add({});
        return;
    }
    char* const line = Reserve(size);
    char* p = line;
    for (std::string_view part : Parts) {
        if (part.empty()) continue;
        std::memcpy(p, part.data(), part.size());
        p += part.size();
    }
    Section.Add({line, size});
}

void TCarrelonIniFile::ParseLine(std::string_view Line, TCarrelonIniSection*& Current,
                                 bool CopyLine) {
    if (Line.empty() || Line[0] == ';') return;
    if (Line.size() >= 2 && Line.front() == '[' && Line.back() == ']') {
        Current = &NewSection(AnsiString(Line.substr(1, Line.size() - 2)), true);
        return;
    }
    if (Current != nullptr) Current->Add(CopyLine ? Keep(Line) : Line);
}

void TCarrelonIniFile::SortSections() {
    // Names in ASCII compare through keys made once, whose byte order is the runtime's
    // case-insensitive order; other names take the runtime's comparison itself.
    struct TEntry {
        TCarrelonIniSection* Section;
        std::string Key;
        bool Ascii;
    };
    std::vector<TEntry> entries;
    entries.reserve(FList.size());
    for (TCarrelonIniSection* section : FList) {
        TEntry e{section, std::string(section->FName.size(), '\0'), true};
        for (std::size_t i = 0; i < section->FName.size() && e.Ascii; ++i) {
            const int r = AsciiCollationRank(section->FName[i]);
            if (r < 0) e.Ascii = false;
            e.Key[i] = static_cast<char>(r);
        }
        entries.push_back(std::move(e));
    }
    std::stable_sort(entries.begin(), entries.end(), [](const TEntry& A, const TEntry& B) {
        if (A.Ascii && B.Ascii) return A.Key < B.Key;
        return AnsiCompareText(A.Section->FName, B.Section->FName) < 0;
    });
    for (std::size_t i = 0; i < entries.size(); ++i)
        FList[i] = entries[i].Section;
}

void TCarrelonIniFile::LoadValues() {
    if (FFileName.empty() || !FileExists(FFileName)) {
        Clear();
        return;
    }
    // Read before clearing: a refused or unreadable file leaves the store as it was.
    AnsiString text = ReadFileContent(FFileName, FMaxFileSize);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    SetText(std::move(text));
}

void TCarrelonIniFile::SetStrings(const TStrings& Strings) {
    Clear();
    try {
        TCarrelonIniSection* current = nullptr;
        const int count = Strings.GetCount();
        for (int i = 0; i < count; ++i)
            ParseLine(Strings.Get(i), current, true);
        if (FSorted) SortSections();
    } catch (...) {
        Clear();
        throw;
    }
}

void TCarrelonIniFile::SetText(AnsiString Text) {
    Clear();
    FText = std::move(Text);
    try {
        TCarrelonIniSection* current = nullptr;
        ForEachLine(FText, [&](std::string_view Line) { ParseLine(Line, current, false); });
        if (FSorted) SortSections();
    } catch (...) {
        Clear();
        throw;
    }
}

void TCarrelonIniFile::GetStrings(TStrings& Strings) const {
    TUpdateScope update(Strings);
    const int before = Strings.GetCount();
    try {
        for (const TCarrelonIniSection* section : FList) {
            Strings.Add("[" + section->FName + "]");
            for (std::string_view line : section->FLines)
                Strings.Add(AnsiString(line));
            Strings.Add(AnsiString());
        }
    } catch (...) {
        // The list gets the whole text or nothing of it.
        while (Strings.GetCount() > before)
            Strings.Delete(Strings.GetCount() - 1);
        throw;
    }
}

AnsiString TCarrelonIniFile::GetText() const {
    std::size_t size = 0;
    for (const TCarrelonIniSection* section : FList) {
        size += section->FName.size() + 6;  // "[", "]", CR LF, and the empty line's CR LF
        for (std::string_view line : section->FLines)
            size += line.size() + 2;
    }
    AnsiString text;
    text.reserve(size);
    for (const TCarrelonIniSection* section : FList) {
        text += '[';
        text += section->FName;
        text += "]\r\n";
        for (std::string_view line : section->FLines) {
            text += line;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

void TCarrelonIniFile::UpdateFile() const {
    ReplaceFileContent(FFileName, GetText());
}

void TCarrelonIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident,
                                   const AnsiString& Value) {
    TCarrelonIniSection& section = ProvideSection(Section);
    const int i = section.IndexOfName(Ident);
    if (i < 0) {
        AppendLine(section, {Ident, "=", Value});
        return;
    }
    // Same name, same place in the index: only the line's text changes.
    const std::size_t size = Ident.size() + 1 + Value.size();
    char* p = Reserve(size);
    std::memcpy(p, Ident.data(), Ident.size());
    p[Ident.size()] = '=';
    if (!Value.empty()) std::memcpy(p + Ident.size() + 1, Value.data(), Value.size());
    section.FLines[static_cast<std::size_t>(i)] = {p, size};
}

void TCarrelonIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

void TCarrelonIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

void TCarrelonIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident,
                                  double Value) {
    WriteString(Section, Ident, FloatToStr(Value));
}

AnsiString TCarrelonIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                        const AnsiString& Default) const {
    const TCarrelonIniSection* section = FindSection(Section);
    if (section == nullptr) return Default;
    const int i = section->IndexOfName(Ident);
    if (i < 0) return Default;
    // A matching name has Ident's length: case mapping keeps byte lengths.
    return AnsiString(section->FLines[static_cast<std::size_t>(i)].substr(Ident.size() + 1));
}

int TCarrelonIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident,
                                  int Default) const {
    AnsiString s = ReadString(Section, Ident, AnsiString());
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.replace(0, 2, 1, '$');
    return StrToIntDef(s, Default);
}

bool TCarrelonIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident,
                                bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

double TCarrelonIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident,
                                   double Default) const {
    const AnsiString s = ReadString(Section, Ident, AnsiString());
    double value = 0;
    if (s.empty() || !TryStrToFloat(s, value)) return Default;
    return value;
}

void TCarrelonIniFile::ReadSection(const AnsiString& Section, TStrings& Strings) const {
    TUpdateScope update(Strings);
    Strings.Clear();
    if (const TCarrelonIniSection* section = FindSection(Section))
        for (std::string_view line : section->FLines)
            Strings.Add(AnsiString(NameOfLine(line)));
}

void TCarrelonIniFile::ReadSectionValues(const AnsiString& Section, TStrings& Strings) const {
    TUpdateScope update(Strings);
    Strings.Clear();
    if (const TCarrelonIniSection* section = FindSection(Section))
        for (std::string_view line : section->FLines)
            Strings.Add(AnsiString(line));
}

bool TCarrelonIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) const {
    const TCarrelonIniSection* section = FindSection(Section);
    if (section == nullptr) return false;
    if (!Ident.empty()) return section->IndexOfName(Ident) >= 0;
    // The empty name belongs to lines that begin with "=" and to lines without one.
    return std::any_of(section->FLines.begin(), section->FLines.end(),
                       [](std::string_view Line) { return NameOfLine(Line).empty(); });
}

bool TCarrelonIniFile::SectionExists(const AnsiString& Section) const {
    const TCarrelonIniSection* section = FindSection(Section);
    return section != nullptr && section->GetCount() > 0;
}

void TCarrelonIniFile::SetSorted(bool Value) {
    if (Value && !FSorted) SortSections();
    FSorted = Value;
}

// ---- Position-read numbers ----

bool ReadPositionNumber(std::string_view& Rest, char Separator, int& Value) {
    int v = 0;
    const std::size_t n = ScanPositionNumber(Rest, v);
    if (n == 0 || n >= Rest.size() || Rest[n] != Separator) return false;
    Value = v;
    Rest.remove_prefix(n + 1);
    return true;
}

bool ReadLastPositionNumber(std::string_view Rest, int& Value) {
    int v = 0;
    const std::size_t n = ScanPositionNumber(Rest, v);
    if (n == 0 || n != Rest.size()) return false;
    Value = v;
    return true;
}

}  // namespace carrelon
