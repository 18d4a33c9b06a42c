#include "platform/rtl/TempFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace carrelon {

namespace {

Cardinal CopyOut(const AnsiString& S, Cardinal BufferLength, char* Buffer) {
    if (Buffer == nullptr || S.size() + 1 > BufferLength)
        return static_cast<Cardinal>(S.size() + 1);
    std::memcpy(Buffer, S.c_str(), S.size() + 1);
    return static_cast<Cardinal>(S.size());
}

AnsiString FormName(const char* PathName, const char* Prefix, Cardinal Unique) {
    AnsiString path = PathName != nullptr ? PathName : "";
    if (!path.empty() && path.back() != '/') path += '/';
    AnsiString prefix = Prefix != nullptr ? AnsiString(Prefix).substr(0, 3) : AnsiString();
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", Unique & 0xFFFFu);
    return path + prefix + hex + ".tmp";
}

bool IsSeparator(char C) {
    return C == '/' || C == '\\';
}

}  // namespace

Cardinal GetTempPathA(Cardinal BufferLength, char* Buffer) {
    std::error_code ec;
    AnsiString path = std::filesystem::temp_directory_path(ec).string();
    if (ec || path.empty()) path = "/tmp";
    if (path.back() != '/') path += '/';
    return CopyOut(path, BufferLength, Buffer);
}

Cardinal GetTempFileNameA(const char* PathName, const char* PrefixString, Cardinal Unique,
                          char* TempFileName) {
    if (TempFileName == nullptr) return 0;
    if (Unique != 0) {
        const AnsiString name = FormName(PathName, PrefixString, Unique);
        if (name.size() + 1 > MAX_PATH) return 0;
        CopyOut(name, MAX_PATH, TempFileName);
        return Unique;
    }
    // Start from a varying number so concurrent programs rarely collide, then probe.
    Cardinal start = static_cast<Cardinal>(::getpid() ^ std::rand()) & 0xFFFFu;
    for (Cardinal k = 0; k < 0x10000u; ++k) {
        Cardinal u = (start + k) & 0xFFFFu;
        if (u == 0) continue;
        const AnsiString name = FormName(PathName, PrefixString, u);
        if (name.size() + 1 > MAX_PATH) return 0;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            CopyOut(name, MAX_PATH, TempFileName);
            return u;
        }
        if (errno != EEXIST) return 0;
    }
    return 0;
}

AnsiString CreateTempFileName(const AnsiString& Prefix) {
    char folder[MAX_PATH];
    char name[MAX_PATH];
    if (GetTempPathA(MAX_PATH, folder) == 0 || GetTempPathA(MAX_PATH, folder) >= MAX_PATH)
        return {};
    if (GetTempFileNameA(folder, Prefix.c_str(), 0, name) == 0) return {};
    return name;
}

AnsiString ExtractFilePath(const AnsiString& FileName) {
    for (std::size_t i = FileName.size(); i > 0; --i)
        if (IsSeparator(FileName[i - 1])) return FileName.substr(0, i);
    return {};
}

AnsiString ExtractFileName(const AnsiString& FileName) {
    return FileName.substr(ExtractFilePath(FileName).size());
}

AnsiString ExtractFileExt(const AnsiString& FileName) {
    const AnsiString name = ExtractFileName(FileName);
    const std::size_t p = name.rfind('.');
    return p == AnsiString::npos ? AnsiString() : name.substr(p);
}

AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension) {
    const AnsiString ext = ExtractFileExt(FileName);
    return FileName.substr(0, FileName.size() - ext.size()) + Extension;
}

bool FileExists(const AnsiString& FileName) {
    struct stat st {};
    return !FileName.empty() && ::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFile(const AnsiString& FileName) {
    return !FileName.empty() && ::unlink(FileName.c_str()) == 0;
}

}  // namespace carrelon
