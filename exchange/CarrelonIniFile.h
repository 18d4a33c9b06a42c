// The package's own INI store: named sections, each an ordered list of raw "name=value" lines,
// parsed from a file or a string list and written back as text. Section and line names compare
// case-insensitively. Both are indexed, so look-ups cost the same however many sections and
// lines there are, and the text of a large store is kept in a few big blocks, not line by line.
#pragma once

#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "exchange/FoldedNameIndex.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TStrings;

// One section: its name as read or given (not trimmed) and its lines in the order they were
// added. Lines are views into text the store owns; they stay valid until the store is cleared,
// loaded again or destroyed. Lines are added through the store (AppendLine, WriteString).
class TCarrelonIniSection {
public:
    const AnsiString& GetName() const { return FName; }
    int GetCount() const { return static_cast<int>(FLines.size()); }
    std::string_view GetLine(int Index) const;
    // The text before the first "=": "" for a line without one.
    std::string_view GetLineName(int Index) const;
    // The first line whose name is Name (case-insensitive); -1 when there is none. A line
    // without "=" has no name to find.
    int IndexOfName(std::string_view Name) const;

private:
    friend class TCarrelonIniFile;
    explicit TCarrelonIniSection(AnsiString Name) : FName(std::move(Name)) {}
    std::string_view NameAt(int Index) const;
    void Add(std::string_view Line);

    AnsiString FName;
    std::vector<std::string_view> FLines;
    // Built on the first look-up by name, then kept up to date.
    mutable TFoldedNameIndex FNames;
    mutable bool FNamesBuilt = false;
};

// How a store starts: reading its file, or empty whatever the file holds (for a store that is
// only going to be written).
enum TIniFileStart { ifsLoadFile, ifsEmpty };

class TCarrelonIniFile : public TObject {
public:
    // Files larger than this are refused before they are read, so that a stray or hostile file
    // cannot exhaust memory; it leaves room for grids of several million formatted cells.
    static constexpr Int64 DefaultMaxFileSize = Int64{512} << 20;

    // Keeps FileName and, with ifsLoadFile, loads it (LoadValues). MaxFileSize caps what
    // LoadValues reads.
    explicit TCarrelonIniFile(const AnsiString& FileName, TIniFileStart Start = ifsLoadFile,
                              Int64 MaxFileSize = DefaultMaxFileSize);
    ~TCarrelonIniFile() override;
    AnsiString ClassName() const override { return "TCarrelonIniFile"; }

    const AnsiString& GetFileName() const { return FFileName; }

    // Drops every section and line.
    void Clear();
    // A new empty section, even when one of that name exists (in sorted mode it goes after
    // those of equal name, so look-ups keep finding the older one).
    TCarrelonIniSection& AddSection(const AnsiString& Name);
    // The first section of that name in list order, or nil.
    TCarrelonIniSection* FindSection(std::string_view Name) const;
    // The first section of that name, created when there is none.
    TCarrelonIniSection& ProvideSection(const AnsiString& Name);
    // Appends a line to a section as it stands, without looking for a line of the same name.
    // With several parts, the line is their concatenation, built in place.
    void AppendLine(TCarrelonIniSection& Section, std::string_view Line);
    void AppendLine(TCarrelonIniSection& Section, std::initializer_list<std::string_view> Parts);

    // The sections in list order (creation order, or alphabetical in sorted mode).
    int GetSectionCount() const { return static_cast<int>(FList.size()); }
    TCarrelonIniSection& GetSection(int Index) const;

    // Reads the file when a name is set and a regular file of that name exists, else empties
    // the store. A file above the size cap raises EFOpenError and leaves the store as it was;
    // other file errors propagate the same way. A leading UTF-8 byte-order mark is skipped.
    void LoadValues();
    // Parses lines into the store, dropping what it held. Lines before the first section head,
    // empty lines and lines beginning with ";" are left out; a line "[name]" opens a section.
    void SetStrings(const TStrings& Strings);
    // The same for a whole text, split into lines at CR LF, LF or a lone CR.
    void SetText(AnsiString Text);
    // Appends the store's text to Strings, which is not cleared: per section its head, its
    // lines and an empty line. When adding fails part-way, the lines added are taken out again
    // (Strings must keep lines where they are added, as an unsorted list does).
    void GetStrings(TStrings& Strings) const;
    // The same text in one buffer, every line ended by CR LF.
    AnsiString GetText() const;
    // Replaces the file's content with GetText(): written beside it and renamed over it, so a
    // failure raises and keeps the old file as it was.
    void UpdateFile() const;

    void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
    void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
    void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
    // FloatToStr: up to 15 significant digits, the user's decimal separator.
    void WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value);

    AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                          const AnsiString& Default) const;
    // Decimal, or hexadecimal after "0x", "0X" or "$"; Default when missing or malformed.
    int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) const;
    bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const;
    // With the user's decimal separator; Default when missing, malformed or beyond a double.
    double ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) const;

    // Strings gets the names (text before "=") of the section's lines, in order.
    void ReadSection(const AnsiString& Section, TStrings& Strings) const;
    // Strings gets the section's lines as they stand.
    void ReadSectionValues(const AnsiString& Section, TStrings& Strings) const;
    bool ValueExists(const AnsiString& Section, const AnsiString& Ident) const;
    // False also for a section without lines.
    bool SectionExists(const AnsiString& Section) const;

    // Sorted mode keeps the sections in case-insensitive alphabetical order of their names;
    // switching it on sorts once, stably, so sections of equal name keep their order. The lines
    // inside a section never move.
    bool GetSorted() const { return FSorted; }
    void SetSorted(bool Value);

private:
    TCarrelonIniSection& NewSection(AnsiString Name, bool KeepOrder);
    std::string_view SectionNameAt(int Index) const;
    std::string_view Keep(std::string_view Line);
    char* Reserve(std::size_t Size);
    void ParseLine(std::string_view Line, TCarrelonIniSection*& Current, bool CopyLine);
    void SortSections();

    AnsiString FFileName;
    Int64 FMaxFileSize;
    // Every section in creation order (owning), and the same sections in list order.
    std::vector<std::unique_ptr<TCarrelonIniSection>> FSections;
    std::vector<TCarrelonIniSection*> FList;
    TFoldedNameIndex FSectionNames;  // over FSections: the first created of a name
    bool FSorted = false;
    // Line storage: a parsed text kept whole, plus blocks for lines added one by one.
    AnsiString FText;
    std::vector<std::unique_ptr<char[]>> FBlocks;
    char* FBlockFree = nullptr;
    std::size_t FBlockRoom = 0;
    std::size_t FBlockSize = 0;
};

// Position-read numbers of the INI text ("3 12=value", "-2147483643 2"): an optional "-" and
// at least one decimal digit within the range of int. ReadPositionNumber needs Separator right
// after the digits and moves Rest past it; ReadLastPositionNumber needs the digits to fill
// Rest. Both leave Rest and Value alone and answer False when the text is not so.
bool ReadPositionNumber(std::string_view& Rest, char Separator, int& Value);
bool ReadLastPositionNumber(std::string_view Rest, int& Value);

}  // namespace carrelon
