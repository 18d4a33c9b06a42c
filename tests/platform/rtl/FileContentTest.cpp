#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileContent.h"
#include "tests/support/TempFolder.h"

using namespace carrelon;

TEST(FileContent, ReadsEveryByteAsItIs) {
    TTempFolder dir;
    const std::string bytes("a\0b\r\n\xFF\xFE\xC3\r", 9);
    WriteBytes(dir.File("f"), bytes);
    EXPECT_EQ(ReadFileContent(dir.File("f"), 100), bytes);
    WriteBytes(dir.File("empty"), "");
    EXPECT_EQ(ReadFileContent(dir.File("empty"), 0), "");
    // Exactly at the cap is still allowed.
    EXPECT_EQ(ReadFileContent(dir.File("f"), 9), bytes);
}

TEST(FileContent, RefusesMissingOversizedAndNonRegularFiles) {
    TTempFolder dir;
    WriteBytes(dir.File("big"), std::string(1000, 'x'));
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    ::mkdir(dir.File("sub").c_str(), 0700);
    struct Case {
        const char* Name;
        Int64 Cap;
    };
    for (const Case& c :
         {Case{"missing", 10}, Case{"big", 999}, Case{"pipe", 10}, Case{"sub", 10}}) {
        try {
            ReadFileContent(dir.File(c.Name), c.Cap);
            ADD_FAILURE() << c.Name << " was read";
        } catch (const EFOpenError& e) {
            EXPECT_NE(e.Message.find(dir.File(c.Name)), std::string::npos) << e.Message;
        }
    }
}

TEST(FileContent, ReplacesContentKeepingPermissionsAndLinks) {
    TTempFolder dir;
    const std::string target = dir.File("data.ini");
    ReplaceFileContent(target, "first");
    EXPECT_EQ(ReadBytes(target), "first");

    ::chmod(target.c_str(), 0640);
    ReplaceFileContent(target, std::string(100000, 'z'));
    EXPECT_EQ(ReadBytes(target), std::string(100000, 'z'));
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Through a symbolic link: the link stays, its target gets the bytes.
    ASSERT_EQ(::symlink(target.c_str(), dir.File("link").c_str()), 0);
    ReplaceFileContent(dir.File("link"), "via link");
    EXPECT_EQ(ReadBytes(target), "via link");
    struct stat lst {};
    ::lstat(dir.File("link").c_str(), &lst);
    EXPECT_TRUE(S_ISLNK(lst.st_mode));
    EXPECT_EQ(dir.EntryCount(), 2u);  // no temporary left
}

TEST(FileContent, FailedReplacementKeepsTheOldFileAndLeavesNoTemporary) {
    TTempFolder dir;
    const std::string target = dir.File("keep.ini");
    WriteBytes(target, "old content\r\n");

    // Writing fails part-way: the file-size limit stops the temporary after 4 bytes.
    {
        struct sigaction ignore {
        }, old{};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &old);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        EXPECT_THROW(ReplaceFileContent(target, "new and much longer content"), EWriteError);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::sigaction(SIGXFSZ, &old, nullptr);
    }
    EXPECT_EQ(ReadBytes(target), "old content\r\n");
    EXPECT_EQ(dir.EntryCount(), 1u);

    // The target is a folder, or its folder does not exist.
    ::mkdir(dir.File("folder").c_str(), 0700);
    EXPECT_THROW(ReplaceFileContent(dir.File("folder"), "x"), EFCreateError);
    EXPECT_THROW(ReplaceFileContent(dir.File("no/such/file"), "x"), EFCreateError);
    EXPECT_THROW(ReplaceFileContent("", "x"), EFCreateError);
    EXPECT_EQ(dir.EntryCount(), 2u);

    // A folder that refuses new files (not for a user who may write anywhere).
    if (::geteuid() != 0) {
        ::chmod(dir.Path.c_str(), 0500);
        EXPECT_THROW(ReplaceFileContent(target, "x"), EFCreateError);
        ::chmod(dir.Path.c_str(), 0700);
        EXPECT_EQ(ReadBytes(target), "old content\r\n");
    }
}
