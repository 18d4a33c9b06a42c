#include "tests/support/OfficeTestSupport.h"

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace carrelon::test {

namespace {

std::string Quote(const std::string& S) {
    std::ostringstream q;
    q << '\'';
    for (char c : S) {
        if (c == '\'')
            q << "'\\''";
        else
            q << c;
    }
    q << '\'';
    return q.str();
}

int Run(const std::string& Command, std::string& Out) {
    Out.clear();
    FILE* p = popen(Command.c_str(), "r");
    if (p == nullptr) return -1;
    std::array<char, 4096> buf;
    size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        Out.append(buf.data(), n);
    const int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The system's interpreter, where the distribution's packages are installed.
std::string Python() {
    return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

}  // namespace

void TOleTestState::Begin() {
    ResetOleServers();
    ClearOleInjections();
    SetOleCallLog(nullptr);
    SetWordServerVersion("16.0");
    SetWorkbookReadLimits(TWorkbookReadLimits{});
    SetOfficeShowHook([this](const TOfficeShowRequest& R) {
        const std::string file =
            (Dir / ("shown" + std::to_string(Shown.size()) + R.Extension)).string();
        R.SaveTo(file);
        Shown.push_back(file);
    });
    std::random_device rd;
    Dir = std::filesystem::temp_directory_path() / ("carrelon-ole-" + std::to_string(rd()));
    std::filesystem::create_directories(Dir);
}

void TOleTestState::End() {
    SetOleCallLog(nullptr);
    ClearOleInjections();
    ResetOleServers();
    SetOfficeShowHook(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
}

int RunPython(const std::string& Script, const std::vector<std::string>& Args, std::string& Out,
              const std::vector<std::string>& Modules) {
    std::ostringstream imports;
    imports << "import sys";
    for (const auto& m : Modules)
        imports << ", " << m;
    std::ostringstream probe;
    probe << Python() << " -c " << Quote(imports.str()) << " 2>/dev/null";
    std::string ignored;
    if (Run(probe.str(), ignored) != 0) return -1;
    std::ostringstream cmd;
    cmd << Python() << " -c " << Quote(Script);
    for (const auto& a : Args)
        cmd << ' ' << Quote(a);
    cmd << " 2>&1";
    return Run(cmd.str(), Out);
}

bool HaveLibreOffice() {
    std::string out;
    return Run("command -v soffice >/dev/null 2>&1 && echo yes", out) == 0 &&
           out.find("yes") != std::string::npos;
}

std::string ConvertWithLibreOffice(const std::string& File, const std::string& Format,
                                   const std::string& OutDir, const std::string& InFilter) {
    if (!HaveLibreOffice()) return {};
    std::string out;
    std::ostringstream cmd;
    cmd << "timeout 120 soffice -env:UserInstallation=" << Quote("file://" + OutDir + "/lo-profile")
        << " --headless";
    if (!InFilter.empty()) cmd << " --infilter=" << Quote(InFilter);
    cmd << " --convert-to " << Quote(Format) << " --outdir " << Quote(OutDir) << ' ' << Quote(File)
        << " 2>&1";
    if (Run(cmd.str(), out) != 0) return {};
    std::filesystem::path p(File);
    const std::string ext = Format.substr(0, Format.find(':'));
    const std::filesystem::path result =
        std::filesystem::path(OutDir) / (p.stem().string() + "." + ext);
    return std::filesystem::exists(result) ? result.string() : std::string();
}

}  // namespace carrelon::test
