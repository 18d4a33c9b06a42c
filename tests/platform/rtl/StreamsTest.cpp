#include <gtest/gtest.h>

#include <cstring>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TempFiles.h"

using namespace carrelon;

namespace {

// A new temporary file name, removed at the end of the test.
struct TTempFile {
    TTempFile() : Name(CreateTempFileName("crl")) {}
    ~TTempFile() { DeleteFile(Name); }
    AnsiString Name;
};

}  // namespace

TEST(TMemoryStream, ReadWriteSeekAndShortReads) {
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    EXPECT_EQ(m.GetSize(), 6);
    EXPECT_EQ(m.GetPosition(), 6);
    m.SetPosition(2);
    char buf[8] = {};
    EXPECT_EQ(m.Read(buf, 10), 4);
    EXPECT_STREQ(buf, "cdef");
    m.Seek(-1, soEnd);
    EXPECT_THROW(m.ReadBuffer(buf, 2), EReadError);
    m.Seek(10, soBeginning);  // writing past the end fills with zeros
    m.WriteBuffer("z", 1);
    EXPECT_EQ(m.GetSize(), 11);
    EXPECT_EQ(static_cast<const char*>(m.Memory())[7], '\0');
    m.SetSize(3);
    EXPECT_EQ(m.GetPosition(), 3);
    EXPECT_THROW(m.SetSize(Int64{1} << 62), EOutOfMemory);
    EXPECT_EQ(m.GetSize(), 3);
}

TEST(TFileStream, ErrorsNameTheFile) {
    try {
        TFileStream f("/nonexistent/x.txt", fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message.rfind("Cannot open file \"/nonexistent/x.txt\". ", 0), 0u) << e.Message;
    }
    EXPECT_THROW(TFileStream("/nonexistent/x.txt", fmCreate), EFCreateError);
    char dir[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, dir), 0u);
    EXPECT_THROW(TFileStream(dir, fmOpenRead), EFOpenError);  // a folder is not a file
}

TEST(TFileStream, WritesAndReadsBack) {
    TTempFile tmp;
    ASSERT_FALSE(tmp.Name.empty());
    {
        TFileStream f(tmp.Name, fmCreate);
        f.WriteBuffer("hello world", 11);
    }
    TFileStream f(tmp.Name, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(f.GetSize(), 11);
    f.Seek(6, soBeginning);
    char buf[6] = {};
    f.ReadBuffer(buf, 5);
    EXPECT_STREQ(buf, "world");
    EXPECT_THROW(f.ReadBuffer(buf, 1), EReadError);
    EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);  // opened for reading only
    TMemoryStream m;
    m.LoadFromFile(tmp.Name);
    EXPECT_EQ(m.GetSize(), 11);
}

TEST(TStringStream, ReadStringAndCopyFrom) {
    TStringStream s("abc");
    s.Seek(0, soEnd);
    s.WriteString("def");
    EXPECT_EQ(s.GetDataString(), "abcdef");
    s.SetPosition(1);
    EXPECT_EQ(s.ReadString(2), "bc");
    TMemoryStream m;
    EXPECT_EQ(m.CopyFrom(s, 0), 6);
    EXPECT_EQ(std::memcmp(m.Memory(), "abcdef", 6), 0);
    s.SetPosition(5);
    EXPECT_THROW(m.CopyFrom(s, 3), EReadError);
}

TEST(TempFiles, CreatesDistinctFilesInTheTempFolder) {
    char folder[MAX_PATH], a[MAX_PATH], b[MAX_PATH];
    const Cardinal n = GetTempPathA(MAX_PATH, folder);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(folder[n - 1], '/');
    EXPECT_GT(GetTempPathA(1, folder), 1u);  // too small: the size needed
    ASSERT_NE(GetTempFileNameA(folder, "", 0, a), 0u);
    ASSERT_NE(GetTempFileNameA(folder, "", 0, b), 0u);
    EXPECT_STRNE(a, b);
    EXPECT_TRUE(FileExists(a));
    EXPECT_EQ(ExtractFileExt(a), ".tmp");
    EXPECT_TRUE(DeleteFile(a));
    EXPECT_TRUE(DeleteFile(b));
    EXPECT_FALSE(FileExists(a));
    EXPECT_EQ(GetTempFileNameA("/nonexistent/dir", "x", 0, a), 0u);
    EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(ExtractFilePath("c.txt"), "");
    EXPECT_EQ(ChangeFileExt("/a.b/c", ".ini"), "/a.b/c.ini");
}
