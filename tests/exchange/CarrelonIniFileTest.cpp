#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "exchange/CarrelonIniFile.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"
#include "tests/support/TempFolder.h"

using namespace carrelon;

namespace {

std::vector<std::string> Items(const TStrings& Strings) {
    std::vector<std::string> items;
    for (int i = 0; i < Strings.GetCount(); ++i)
        items.push_back(Strings.Get(i));
    return items;
}

void Parse(TCarrelonIniFile& Ini, const std::vector<std::string>& Lines) {
    TStringList list;
    for (const std::string& line : Lines)
        list.Add(line);
    Ini.SetStrings(list);
}

std::vector<std::string> SectionNames(const TCarrelonIniFile& Ini) {
    std::vector<std::string> names;
    for (int i = 0; i < Ini.GetSectionCount(); ++i)
        names.push_back(Ini.GetSection(i).GetName());
    return names;
}

std::vector<std::string> Lines(const TCarrelonIniSection& Section) {
    std::vector<std::string> lines;
    for (int i = 0; i < Section.GetCount(); ++i)
        lines.emplace_back(Section.GetLine(i));
    return lines;
}

}  // namespace

TEST(TCarrelonIniFile, ParsesSectionsDropsCommentsAndKeepsDuplicates) {
    TCarrelonIniFile ini("");
    Parse(ini, {"x=1", "[A]", "a=1", "; note", "", "[A]", "b=2", " [not a head]", " ;not a comment",
                "[ spaced name ]", "k=v", "[]", "no equals sign", "[head only]"});
    EXPECT_EQ(SectionNames(ini),
              (std::vector<std::string>{"A", "A", " spaced name ", "", "head only"}));
    EXPECT_EQ(Lines(ini.GetSection(0)), std::vector<std::string>{"a=1"});
    EXPECT_EQ(Lines(ini.GetSection(1)),
              (std::vector<std::string>{"b=2", " [not a head]", " ;not a comment"}));
    // Only the first section of a name is searched.
    EXPECT_EQ(ini.ReadString("A", "a", "-"), "1");
    EXPECT_EQ(ini.ReadString("a", "b", "-"), "-");
    EXPECT_EQ(ini.ReadString(" spaced name ", "k", "-"), "v");
    EXPECT_EQ(ini.ReadString("spaced name", "k", "-"), "-");
    EXPECT_TRUE(ini.SectionExists(""));
    EXPECT_FALSE(ini.SectionExists("head only"));
    EXPECT_FALSE(ini.SectionExists("missing"));

    // The text is appended after what the list held.
    TStringList out;
    out.Add("kept");
    ini.GetStrings(out);
    EXPECT_EQ(Items(out),
              (std::vector<std::string>{"kept", "[A]", "a=1", "", "[A]", "b=2", " [not a head]",
                                        " ;not a comment", "", "[ spaced name ]", "k=v", "", "[]",
                                        "no equals sign", "", "[head only]", ""}));
    EXPECT_THROW(ini.GetSection(5), EListError);
}

TEST(TCarrelonIniFile, WritesReplaceByNameAndNamesAreExact) {
    TCarrelonIniFile ini("");
    ini.WriteString("S", "Key", "one");
    ini.WriteString("s", "KEY", "two");
    ini.WriteString("S", "other", "");
    EXPECT_EQ(Lines(ini.GetSection(0)), (std::vector<std::string>{"KEY=two", "other="}));
    EXPECT_EQ(ini.GetSectionCount(), 1);

    TCarrelonIniSection& s = ini.ProvideSection("S");
    ini.AppendLine(s, {"12", " ", "7", "=", "joined"});
    EXPECT_EQ(s.GetLine(2), "12 7=joined");
    EXPECT_TRUE(ini.ValueExists("S", "key"));
    EXPECT_TRUE(ini.ValueExists("S", "12 7"));
    EXPECT_FALSE(ini.ValueExists("S", ""));
    ini.AppendLine(s, "no name");
    EXPECT_TRUE(ini.ValueExists("S", ""));

    // "Key " with its blank is another name than Key.
    TCarrelonIniSection& t = ini.AddSection("T");
    ini.AppendLine(t, "Key = v");
    EXPECT_FALSE(ini.ValueExists("T", "Key"));
    EXPECT_EQ(ini.ReadString("T", "Key", "-"), "-");
    EXPECT_TRUE(ini.ValueExists("T", "key "));
    EXPECT_EQ(ini.ReadString("T", "Key ", "-"), " v");

    // Names beyond ASCII compare without case too.
    ini.WriteString("\xC3\x89t\xC3\xA9", "\xC3\xA9l\xC3\xA8ve", "1");
    EXPECT_EQ(ini.ReadString("\xC3\xA9T\xC3\x89", "\xC3\x89L\xC3\x88VE", "-"), "1");

    TStringList names;
    names.Add("stale");
    ini.ReadSection("S", names);
    EXPECT_EQ(Items(names), (std::vector<std::string>{"KEY", "other", "12 7", ""}));
    ini.ReadSectionValues("S", names);
    EXPECT_EQ(Items(names),
              (std::vector<std::string>{"KEY=two", "other=", "12 7=joined", "no name"}));
    ini.ReadSection("missing", names);
    EXPECT_EQ(names.GetCount(), 0);
}

TEST(TCarrelonIniFile, LookupFindsTheFirstLineOfANameWhateverTheOrderOfIndexing) {
    TCarrelonIniFile ini("");
    TCarrelonIniSection& s = ini.AddSection("S");
    ini.AppendLine(s, "a=first");
    EXPECT_EQ(s.IndexOfName("A"), 0);  // builds the index
    ini.AppendLine(s, "A=second");
    for (int i = 0; i < 5000; ++i)
        ini.AppendLine(s, {std::to_string(i), "=", std::to_string(i * 2)});
    ini.AppendLine(s, "4999=again");
    EXPECT_EQ(ini.ReadString("S", "a", "-"), "first");
    EXPECT_EQ(ini.ReadInteger("S", "4999", -1), 9998);
    EXPECT_EQ(s.IndexOfName("2500"), 2502);
    EXPECT_EQ(s.IndexOfName("5000"), -1);
    ini.WriteInteger("S", "2500", 7);
    EXPECT_EQ(s.GetLine(2502), "2500=7");
    EXPECT_EQ(s.GetCount(), 5003);
}

TEST(TCarrelonIniFile, TypedReadsAndWrites) {
    TLocaleScope locale(true);
    TCarrelonIniFile ini("");
    struct IntCase {
        const char* Text;
        int Expected;
    };
    for (const IntCase& c :
         {IntCase{"0x1F", 31}, IntCase{"0X1f", 31}, IntCase{"$1F", 31}, IntCase{"12abc", -1},
          IntCase{"", -1}, IntCase{"-5", -5}, IntCase{"0x", -1}, IntCase{"99999999999", -1},
          IntCase{"007", 7}, IntCase{"-2147483643", -2147483643}}) {
        ini.WriteString("T", "v", c.Text);
        EXPECT_EQ(ini.ReadInteger("T", "v", -1), c.Expected) << c.Text;
    }
    EXPECT_EQ(ini.ReadInteger("T", "missing", 42), 42);
    EXPECT_EQ(ini.ReadInteger("missing", "v", 42), 42);

    struct BoolCase {
        const char* Text;
        bool Default;
        bool Expected;
    };
    for (const BoolCase& c :
         {BoolCase{"2", false, true}, BoolCase{"0", true, false}, BoolCase{"yes", true, true},
          BoolCase{"yes", false, false}, BoolCase{"-1", false, true}}) {
        ini.WriteString("T", "b", c.Text);
        EXPECT_EQ(ini.ReadBool("T", "b", c.Default), c.Expected) << c.Text;
    }
    ini.WriteBool("T", "b", true);
    EXPECT_EQ(ini.ReadString("T", "b", ""), "1");
    ini.WriteBool("T", "b", false);
    EXPECT_EQ(ini.ReadString("T", "b", ""), "0");
    ini.WriteInteger("T", "i", -2147483643);
    EXPECT_EQ(ini.ReadString("T", "i", ""), "-2147483643");

    ini.WriteFloat("T", "f", 1.5);
    EXPECT_EQ(ini.ReadString("T", "f", ""), "1.5");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("T", "f", 0), 1.5);
    ini.WriteString("T", "f", "1e400");  // beyond a double
    EXPECT_EQ(ini.ReadFloat("T", "f", -1), -1);
    ini.WriteString("T", "f", "");
    EXPECT_EQ(ini.ReadFloat("T", "f", -1), -1);
    // The user's decimal separator, both ways: a text in another locale's form is malformed.
    DecimalSeparator = ',';
    ini.WriteFloat("T", "f", 1.5);
    EXPECT_EQ(ini.ReadString("T", "f", ""), "1,5");
    ini.WriteString("T", "f", "1.5");
    EXPECT_EQ(ini.ReadFloat("T", "f", -1), -1);
}

TEST(TCarrelonIniFile, SortedModeOrdersSectionsStablyAndNeverMovesLines) {
    TCarrelonIniFile ini("");
    ini.SetSorted(true);
    for (const char* name :
         {"beta", "Alpha", "gamma", "Cell.Font.Style", "Cell.GraphicLayout", "PrintFooter.Lines",
          "PrintFooter", "Col.FixedRowsWordWrap", "Col.Font.Charset"})
        ini.WriteString(name, "z", "1");
    EXPECT_EQ(SectionNames(ini),
              (std::vector<std::string>{"Alpha", "beta", "Cell.Font.Style", "Cell.GraphicLayout",
                                        "Col.FixedRowsWordWrap", "Col.Font.Charset", "gamma",
                                        "PrintFooter", "PrintFooter.Lines"}));

    // Parsed unsorted, then sorted once: sections of one name keep their order, and the first
    // stays the one that is found; a new one goes after them.
    TCarrelonIniFile dup("");
    dup.SetSorted(true);
    Parse(dup, {"[b]", "z=3", "x=1", "[A]", "a=1", "[B]", "y=2"});
    dup.AddSection("B");
    dup.WriteString("a", "n", "new");
    EXPECT_EQ(SectionNames(dup), (std::vector<std::string>{"A", "b", "B", "B"}));
    EXPECT_EQ(Lines(dup.GetSection(1)), (std::vector<std::string>{"z=3", "x=1"}));
    EXPECT_EQ(Lines(dup.GetSection(0)), (std::vector<std::string>{"a=1", "n=new"}));
    EXPECT_EQ(dup.ReadString("B", "y", "-"), "-");
    EXPECT_EQ(dup.ReadString("B", "x", "-"), "1");

    // Off again: new sections go to the end, the order reached stays.
    dup.SetSorted(false);
    dup.AddSection("0");
    EXPECT_EQ(SectionNames(dup), (std::vector<std::string>{"A", "b", "B", "B", "0"}));
}

TEST(TCarrelonIniFile, SortedOrderIsTheRuntimesCaseInsensitiveOrder) {
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {"a",        "B",        "b", "Z",   "0", "9",
                                             ".",        " ",        "_", "-",   "~", "[",
                                             "\xC3\xA9", "\xC3\x89", "e", "\xFF"};
    std::vector<std::string> created;
    TCarrelonIniFile ini("");
    for (int i = 0; i < 400; ++i) {
        std::string name;
        for (int k = static_cast<int>(random() % 5); k >= 0; --k)
            name += pieces[random() % pieces.size()];
        created.push_back(name);
        ini.AddSection(name);
    }
    std::vector<std::string> expected = created;
    std::stable_sort(
        expected.begin(), expected.end(),
        [](const std::string& A, const std::string& B) { return AnsiCompareText(A, B) < 0; });
    ini.SetSorted(true);
    EXPECT_EQ(SectionNames(ini), expected);
}

TEST(TCarrelonIniFile, TextRoundTripsThroughFilesInEveryLineEndForm) {
    TTempFolder dir;
    const std::string name = dir.File("grid.ini");
    const std::string bodies[] = {
        "\xEF\xBB\xBF[Grid]\r\nRowCount=3\r\n\r\n[Value]\r\n0 1=100abc\r\n\r\n",
        "[Grid]\nRowCount=3\n[Value]\n0 1=100abc\n",
        "[Grid]\rRowCount=3\r\r[Value]\r0 1=100abc",
    };
    for (const std::string& body : bodies) {
        WriteBytes(name, body);
        TCarrelonIniFile ini(name);
        EXPECT_EQ(ini.GetText(), "[Grid]\r\nRowCount=3\r\n\r\n[Value]\r\n0 1=100abc\r\n\r\n")
            << testing::PrintToString(body);
        EXPECT_EQ(ini.ReadInteger("Grid", "RowCount", 0), 3);
    }

    // Written text parses back to the same store; the list and the buffer agree.
    TCarrelonIniFile ini(name);
    ini.WriteString("Grid", "Hint", "h\xC3\xA9");
    ini.AddSection("No lines");
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(name), ini.GetText());
    TCarrelonIniFile back(name);
    EXPECT_EQ(back.GetText(), ini.GetText());
    TStringList list;
    ini.GetStrings(list);
    EXPECT_EQ(list.GetText(), ini.GetText());
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(TCarrelonIniFile, AListGetsTheWholeTextOrNothing) {
    // A list that runs out of room after a few lines.
    class TSmallList : public TStringList {
    public:
        int Add(const AnsiString& S) override {
            if (GetCount() >= 4) throw EOutOfMemory(SOutOfMemory);
            return TStringList::Add(S);
        }
    };
    TCarrelonIniFile ini("");
    Parse(ini, {"[A]", "a=1", "[B]", "b=2"});
    TSmallList list;
    list.Add("kept");
    EXPECT_THROW(ini.GetStrings(list), EOutOfMemory);
    EXPECT_EQ(Items(list), std::vector<std::string>{"kept"});
    EXPECT_EQ(list.GetUpdateCount(), 0);
}

TEST(TCarrelonIniFile, MissingFilesGiveAnEmptyStoreAndBadFilesChangeNothing) {
    TTempFolder dir;
    ::mkdir(dir.File("folder").c_str(), 0700);
    ::mkfifo(dir.File("pipe").c_str(), 0600);
    for (const std::string& name :
         {std::string(), dir.File("missing"), dir.File("folder"), dir.File("pipe")}) {
        TCarrelonIniFile ini(name);
        EXPECT_EQ(ini.GetSectionCount(), 0) << name;
    }

    // Above the cap the file is refused and what the store held stays.
    const std::string big = dir.File("big.ini");
    WriteBytes(big, "[S]\r\n" + std::string(200, 'x') + "\r\n");
    EXPECT_THROW(TCarrelonIniFile(big, ifsLoadFile, 100), EFOpenError);
    TCarrelonIniFile ini(big, ifsEmpty, 100);
    ini.WriteString("Kept", "k", "1");
    EXPECT_THROW(ini.LoadValues(), EFOpenError);
    EXPECT_EQ(ini.ReadString("Kept", "k", ""), "1");
    TCarrelonIniFile roomy(big, ifsLoadFile, 300);
    EXPECT_EQ(roomy.GetSection(0).GetCount(), 1);
}

TEST(TCarrelonIniFile, SavingNeverReadsTheOldFileAndAFailedSaveKeepsIt) {
    TTempFolder dir;
    const std::string name = dir.File("grid.ini");
    // An old file too large to load is still replaced by a store that starts empty.
    WriteBytes(name, "[Foreign]\r\n" + std::string(500, 'x') + "\r\n");
    TCarrelonIniFile ini(name, ifsEmpty, 100);
    EXPECT_EQ(ini.GetSectionCount(), 0);
    ini.WriteString("Grid", "RowCount", "5");
    ini.UpdateFile();
    EXPECT_EQ(ReadBytes(name), "[Grid]\r\nRowCount=5\r\n\r\n");

    // A save that cannot be put in place raises and leaves the old file byte for byte.
    ::mkdir(dir.File("taken").c_str(), 0700);
    TCarrelonIniFile onFolder(dir.File("taken"), ifsEmpty);
    onFolder.WriteString("Grid", "RowCount", "6");
    EXPECT_THROW(onFolder.UpdateFile(), EFCreateError);
    TCarrelonIniFile noName("", ifsEmpty);
    EXPECT_THROW(noName.UpdateFile(), EFCreateError);
    EXPECT_EQ(ReadBytes(name), "[Grid]\r\nRowCount=5\r\n\r\n");
    EXPECT_EQ(dir.EntryCount(), 2u);
}

TEST(TCarrelonIniFile, PositionReadNumbersAreStrict) {
    struct Case {
        std::string_view Text;
        bool Ok;
        int First;
        int Second;
        std::string_view Value;
    };
    const Case cases[] = {
        {"3 12=100abc", true, 3, 12, "100abc"},
        {"0 0=", true, 0, 0, ""},
        {"-2147483643 -2147483648=x", true, -2147483643, -2147483647 - 1, "x"},
        {"1 2==", true, 1, 2, "="},
        {"x=1 1", false, 0, 0, ""},
        {"1x2=3", false, 0, 0, ""},
        {"1 2 =3", false, 0, 0, ""},
        {"1  2=3", false, 0, 0, ""},
        {"- 1 2=3", false, 0, 0, ""},
        {"+1 2=3", false, 0, 0, ""},
        {"2147483648 1=3", false, 0, 0, ""},
        {"1 99999999999999999999=3", false, 0, 0, ""},
        {"1 2", false, 0, 0, ""},
        {"", false, 0, 0, ""},
    };
    for (const Case& c : cases) {
        std::string_view rest = c.Text;
        int col = 0, row = 0;
        const bool ok = ReadPositionNumber(rest, ' ', col) && ReadPositionNumber(rest, '=', row);
        EXPECT_EQ(ok, c.Ok) << c.Text;
        if (!ok || !c.Ok) continue;
        EXPECT_EQ(col, c.First) << c.Text;
        EXPECT_EQ(row, c.Second) << c.Text;
        EXPECT_EQ(rest, c.Value) << c.Text;
    }
    int v = 5;
    EXPECT_TRUE(ReadLastPositionNumber("-0", v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(ReadLastPositionNumber("2147483647", v));
    EXPECT_EQ(v, 2147483647);
    for (std::string_view bad : {"", "-", "2 ", " 2", "2x", "2147483648"})
        EXPECT_FALSE(ReadLastPositionNumber(bad, v)) << bad;
    EXPECT_EQ(v, 2147483647);
}
