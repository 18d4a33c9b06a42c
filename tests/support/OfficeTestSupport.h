// Shared helpers for the automation tests: a clean automation state per test, temporary folders,
// and the outside readers (Python's openpyxl and python-docx, LibreOffice) that check the files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/automation/OfficeServers.h"
#include "platform/automation/Ole.h"

namespace carrelon::test {

// The workbook reader's limits for the scope; as they were when it ends.
class TWorkbookReadLimitsScope {
public:
    explicit TWorkbookReadLimitsScope(const TWorkbookReadLimits& Limits)
        : FSaved(GetWorkbookReadLimits()) {
        SetWorkbookReadLimits(Limits);
    }
    ~TWorkbookReadLimitsScope() { SetWorkbookReadLimits(FSaved); }
    void Set(const TWorkbookReadLimits& Limits) { SetWorkbookReadLimits(Limits); }
    TWorkbookReadLimitsScope(const TWorkbookReadLimitsScope&) = delete;
    TWorkbookReadLimitsScope& operator=(const TWorkbookReadLimitsScope&) = delete;

private:
    TWorkbookReadLimits FSaved;
};

// The automation state of one test: the platform's servers, no running instance, no injection,
// no log and a show hook that saves what it is shown into a fresh folder.
struct TOleTestState {
    void Begin();
    void End();

    std::filesystem::path Dir;      // a fresh folder removed afterwards
    std::vector<AnsiString> Shown;  // files the show hook saved
    std::vector<AnsiString> Log;
};

class OleTest : public ::testing::Test, protected TOleTestState {
protected:
    void SetUp() override { Begin(); }
    void TearDown() override { End(); }
};

// Runs python3 with Script (program text) and Args; the output goes to Out. Returns the exit
// code, or -1 when python3 or one of the Modules is missing (the caller skips then).
int RunPython(const std::string& Script, const std::vector<std::string>& Args, std::string& Out,
              const std::vector<std::string>& Modules);

// Converts File with LibreOffice headless into Format ("pdf", "xlsx", "csv") in OutDir; the
// converted file's path, or "" when LibreOffice is missing or failed.
// InFilter, when given, names the import filter with its options (text files).
std::string ConvertWithLibreOffice(const std::string& File, const std::string& Format,
                                   const std::string& OutDir, const std::string& InFilter = {});
bool HaveLibreOffice();

#define CARRELON_PYTHON_OR_SKIP(rc) \
    if ((rc) == -1) GTEST_SKIP() << "python3 with the needed module is not installed"

}  // namespace carrelon::test
