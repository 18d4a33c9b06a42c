#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"

using namespace carrelon;

TEST(TList, IndexErrorsAndSort) {
    TList l;
    int a = 3, b = 1, c = 2;
    l.Add(&a);
    l.Add(&b);
    l.Insert(0, &c);
    EXPECT_EQ(l.GetCount(), 3);
    EXPECT_EQ(l.IndexOf(&b), 2);
    l.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
    EXPECT_EQ(l.GetItems(0), &b);
    EXPECT_EQ(l.Last(), &a);
    EXPECT_EQ(l.Remove(&c), 1);
    EXPECT_EQ(l.Remove(&c), -1);
    try {
        l.GetItems(5);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message, "List index out of bounds (5)");
    }
    EXPECT_THROW(l.Delete(-1), EListError);
    EXPECT_THROW(l.Insert(3, nullptr), EListError);
    l.Add(nullptr);
    l.Pack();
    EXPECT_EQ(l.GetCount(), 2);
}

TEST(TStringList, TextRoundTripsAndSplitsEveryBreakKind) {
    TStringList l;
    l.SetText("one\r\ntwo\nthree\rfour\r\n\r\nsix");
    ASSERT_EQ(l.GetCount(), 6);
    EXPECT_EQ(l.GetStrings(2), "three");
    EXPECT_EQ(l.GetStrings(4), "");
    EXPECT_EQ(l.GetText(), "one\r\ntwo\r\nthree\r\nfour\r\n\r\nsix\r\n");
    TStringList m;
    m.SetText(l.GetText());
    EXPECT_TRUE(m.Equals(l));
    m.SetText("");
    EXPECT_EQ(m.GetCount(), 0);
    m.SetText("\r\n");
    EXPECT_EQ(m.GetCount(), 1);
}

TEST(TStringList, SearchIsCaseInsensitiveUnlessAsked) {
    TStringList l;
    l.Add("Alpha");
    l.Add("beta");
    l.Add("Name=Value");
    EXPECT_EQ(l.IndexOf("ALPHA"), 0);
    EXPECT_EQ(l.IndexOf("gamma"), -1);
    EXPECT_EQ(l.IndexOfName("name"), 2);
    EXPECT_EQ(l.GetValues("NAME"), "Value");
    EXPECT_EQ(l.GetNames(2), "Name");
    EXPECT_EQ(l.GetNames(0), "");
    l.SetValues("Other", "x=y");
    EXPECT_EQ(l.GetValueFromIndex(3), "x=y");
    l.SetValues("other", "");
    EXPECT_EQ(l.GetCount(), 3);
    l.SetCaseSensitive(true);
    EXPECT_EQ(l.IndexOf("ALPHA"), -1);
}

TEST(TStringList, SortedListsFindAndHandleDuplicates) {
    TStringList l;
    l.SetSorted(true);
    for (const char* s : {"pear", "Apple", "fig", "apple"})
        l.Add(s);
    EXPECT_EQ(l.GetCount(), 3);  // "apple" ignored as a duplicate of "Apple"
    EXPECT_EQ(l.GetStrings(0), "Apple");
    EXPECT_EQ(l.GetStrings(2), "pear");
    int i = -1;
    EXPECT_TRUE(l.Find("FIG", i));
    EXPECT_EQ(i, 1);
    EXPECT_FALSE(l.Find("grape", i));
    EXPECT_EQ(i, 2);
    EXPECT_THROW(l.Insert(0, "x"), EStringListError);
    l.SetDuplicates(dupError);
    EXPECT_THROW(l.Add("PEAR"), EStringListError);
    l.SetDuplicates(dupAccept);
    l.Add("PEAR");
    EXPECT_EQ(l.GetCount(), 4);
}

TEST(TStringList, ChangeEventsAreBatchedByUpdates) {
    TStringList l;
    int changes = 0, changing = 0;
    l.OnChange = [&](TObject*) { ++changes; };
    l.OnChanging = [&](TObject*) { ++changing; };
    l.Add("a");
    EXPECT_EQ(changes, 1);
    l.BeginUpdate();
    l.Add("b");
    l.Add("c");
    l.Delete(0);
    EXPECT_EQ(changes, 1);
    l.EndUpdate();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(changing, 2);
    l.SetText("x\ny");
    EXPECT_EQ(changes, 3);
}

TEST(TStringList, AssignCopiesStringsAndObjects) {
    TStringList a, b;
    TObject o;
    a.AddObject("x", &o);
    a.Add("y");
    b.Add("old");
    b.Assign(&a);
    EXPECT_EQ(b.GetCount(), 2);
    EXPECT_EQ(b.GetObjects(0), &o);
    EXPECT_EQ(b.IndexOfObject(&o), 0);
    b.Move(0, 1);
    EXPECT_EQ(b.GetStrings(1), "x");
    EXPECT_EQ(b.GetObjects(1), &o);
    b.Exchange(0, 1);
    EXPECT_EQ(b.GetStrings(0), "x");
    EXPECT_THROW(b.GetStrings(2), EListError);
}

TEST(TStringList, StreamsSkipAByteOrderMark) {
    TStringStream in("\xEF\xBB\xBFline 1\r\nline 2");
    TStringList l;
    l.LoadFromStream(in);
    ASSERT_EQ(l.GetCount(), 2);
    EXPECT_EQ(l.GetStrings(0), "line 1");
    TStringStream out;
    l.SaveToStream(out);
    EXPECT_EQ(out.GetDataString(), "line 1\r\nline 2\r\n");
    EXPECT_THROW(l.LoadFromFile("/nonexistent/dir/file.txt"), EFOpenError);
}
