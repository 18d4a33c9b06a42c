// Scopes for tests of file operations that must fail also when the tests run as the superuser:
// a file-size limit that stops a write part-way, and permission bits made binding for the
// calling thread by dropping the capabilities that let the superuser pass them.
#pragma once

#include <linux/capability.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// While alive, a write that would make any file larger than Bytes fails (EFBIG) instead of
// raising SIGXFSZ. Nothing should write files of its own meanwhile, test output included.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &FOldAction);
        ::getrlimit(RLIMIT_FSIZE, &FSaved);
        rlimit small = FSaved;
        small.rlim_cur = Bytes;
        FActive = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &FSaved);
        ::sigaction(SIGXFSZ, &FOldAction, nullptr);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

    bool Active() const { return FActive; }

private:
    struct sigaction FOldAction {};
    rlimit FSaved{};
    bool FActive = false;
};

// While alive, permission bits bind the calling thread as they bind any user: the capabilities
// that override them for reading, searching and writing are dropped from the thread's effective
// set, and raised again at the end (they stay in its permitted set).
class TPermissionsBind {
public:
    TPermissionsBind() {
        FHeader.version = _LINUX_CAPABILITY_VERSION_3;
        FHeader.pid = 0;
        if (::syscall(SYS_capget, &FHeader, FSaved) != 0) return;
        __user_cap_data_struct lowered[2] = {FSaved[0], FSaved[1]};
        lowered[0].effective &= ~(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH));
        FActive = ::syscall(SYS_capset, &FHeader, lowered) == 0;
    }
    ~TPermissionsBind() {
        if (FActive) ::syscall(SYS_capset, &FHeader, FSaved);
    }
    TPermissionsBind(const TPermissionsBind&) = delete;
    TPermissionsBind& operator=(const TPermissionsBind&) = delete;

    // False when the capabilities could not be dropped: permissions may not bind then.
    bool Active() const { return FActive; }

private:
    __user_cap_header_struct FHeader{};
    __user_cap_data_struct FSaved[2]{};
    bool FActive = false;
};
