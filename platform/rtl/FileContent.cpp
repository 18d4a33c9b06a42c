#include "platform/rtl/FileContent.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TempFiles.h"

namespace carrelon {

namespace {

AnsiString Quoted(const AnsiString& FileName) {
    return "\"" + FileName + "\"";
}

[[noreturn]] void OpenError(const AnsiString& FileName, const AnsiString& Reason) {
    throw EFOpenError("Cannot open file " + Quoted(FileName) + ". " + Reason);
}

[[noreturn]] void TooLarge(const AnsiString& FileName, Int64 MaxSize) {
    OpenError(FileName, "The file is larger than " + std::to_string(MaxSize) + " bytes");
}

// Closes a descriptor on every way out of a scope.
class TDescriptor {
public:
    explicit TDescriptor(int Fd) : FFd(Fd) {}
    ~TDescriptor() {
        if (FFd >= 0) ::close(FFd);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return FFd; }
    // Closes now and reports the close's own error (0 when none).
    int Close() {
        const int r = FFd >= 0 ? ::close(FFd) : 0;
        FFd = -1;
        return r == 0 ? 0 : errno;
    }

private:
    int FFd;
};

// The file that a replacement really writes: a symbolic link is followed so the link stays.
AnsiString ResolvedTarget(const AnsiString& FileName) {
    struct stat st {};
    if (::lstat(FileName.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return FileName;
    char* real = ::realpath(FileName.c_str(), nullptr);
    if (real == nullptr) return FileName;
    AnsiString r = real;
    std::free(real);
    return r;
}

// Creates a new file beside Target with a name nobody holds; its descriptor, or -1 with errno.
int CreateSibling(const AnsiString& Target, AnsiString& Name) {
    static std::atomic<unsigned> counter{0};
    const AnsiString folder = ExtractFilePath(Target);
    const AnsiString base = ExtractFileName(Target);
    const auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long long tag =
            (seed ^ (static_cast<unsigned long long>(::getpid()) << 20)) + counter++ * 7919ULL;
        Name =
            folder + "." + base.substr(0, 200) + "." + std::to_string(tag % 1000000007ULL) + ".tmp";
        const int fd = ::open(Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

AnsiString ReadFileContent(const AnsiString& FileName, Int64 MaxSize) {
    // Non-blocking, so that a named pipe is refused instead of waiting for a writer.
    TDescriptor fd(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) OpenError(FileName, std::strerror(errno));
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) OpenError(FileName, std::strerror(errno));
    if (!S_ISREG(st.st_mode)) OpenError(FileName, "Not a regular file");
    if (st.st_size > MaxSize) TooLarge(FileName, MaxSize);

    AnsiString data;
    try {
        // One byte more than the size seen, so that growth shows without a second buffer.
        data.resize(static_cast<std::size_t>(st.st_size) + 1);
        std::size_t done = 0;
        for (;;) {
            if (done == data.size()) {
                if (static_cast<Int64>(done) > MaxSize) TooLarge(FileName, MaxSize);
                data.resize(
                    std::min<std::size_t>(data.size() * 2, static_cast<std::size_t>(MaxSize) + 1));
            }
            const ssize_t n = ::read(fd.Get(), data.data() + done, data.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw EReadError("Cannot read file " + Quoted(FileName) + ". " +
                                 std::strerror(errno));
            }
            if (n == 0) break;
            done += static_cast<std::size_t>(n);
        }
        if (static_cast<Int64>(done) > MaxSize) TooLarge(FileName, MaxSize);
        data.resize(done);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(SOutOfMemory);
    } catch (const std::length_error&) {
        throw EOutOfMemory(SOutOfMemory);
    }
    return data;
}

void ReplaceFileContent(const AnsiString& FileName, std::string_view Data) {
    const AnsiString target = ResolvedTarget(FileName);
    const auto createError = [&](int Error) {
        return EFCreateError("Cannot create file " + Quoted(FileName) + ". " +
                             std::strerror(Error));
    };
    if (target.empty()) throw createError(ENOENT);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode)) throw createError(EISDIR);

    AnsiString temp;
    TDescriptor fd(CreateSibling(target, temp));
    if (fd.Get() < 0) throw createError(errno);
    // From here every failure removes the new file before it raises.
    const auto fail = [&](auto Error) {
        fd.Close();
        ::unlink(temp.c_str());
        throw Error;
    };
    if (existed) {
        ::fchmod(fd.Get(), old.st_mode & 07777);
        // Keeping the owner works only with the right to change it; otherwise the caller owns
        // the new file, as it would own any file it creates.
        if (::fchown(fd.Get(), old.st_uid, old.st_gid) != 0) errno = 0;
    }
    std::size_t done = 0;
    while (done < Data.size()) {
        const std::size_t chunk = std::min<std::size_t>(Data.size() - done, std::size_t{1} << 30);
        const ssize_t n = ::write(fd.Get(), Data.data() + done, chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            fail(
                EWriteError("Cannot write file " + Quoted(FileName) + ". " + std::strerror(error)));
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.Get()) != 0)
        fail(EWriteError("Cannot write file " + Quoted(FileName) + ". " + std::strerror(errno)));
    if (const int error = fd.Close(); error != 0)
        fail(EWriteError("Cannot write file " + Quoted(FileName) + ". " + std::strerror(error)));
    if (::rename(temp.c_str(), target.c_str()) != 0) fail(createError(errno));
    // Make the rename itself durable; a folder that cannot be flushed changes nothing.
    const AnsiString folder = ExtractFilePath(target);
    TDescriptor dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC));
    if (dir.Get() >= 0) ::fsync(dir.Get());
}

}  // namespace carrelon
