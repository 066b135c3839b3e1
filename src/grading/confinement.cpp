#include "confinement.h"

#include "systemerror.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zef {

namespace {

// Rights added by later ABI versions than the system's header may know.
constexpr std::uint64_t kAccessRefer = 1ULL << 13;    // ABI 2
constexpr std::uint64_t kAccessTruncate = 1ULL << 14; // ABI 3
constexpr std::uint64_t kAccessIoctlDev = 1ULL << 15; // ABI 5

// Every file-system right the kernel's ABI knows: a right left unhandled would stay
// allowed everywhere.
std::uint64_t fileRightsOf(int abi) {
    std::uint64_t rights = (1ULL << 13) - 1; // ABI 1: execute .. make symbolic link
    if (abi >= 2) rights |= kAccessRefer;
    if (abi >= 3) rights |= kAccessTruncate;
    if (abi >= 5) rights |= kAccessIoctlDev;
    return rights;
}

// Adds one "beneath this folder" rule; the folder is opened by path only, not read.
bool allowBeneath(int ruleset, const char* path, std::uint64_t rights, int& error) {
    landlock_path_beneath_attr rule{};
    rule.allowed_access = rights;
    const int fd = ::open(path, O_PATH | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    rule.parent_fd = fd;
    const bool ok = ::syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) == 0;
    if (!ok) error = errno;
    ::close(fd);
    return ok;
}

} // namespace

int landlockAbi() {
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    return abi > 0 ? static_cast<int>(abi) : 0;
}

std::string confineTo(const std::string& folder) {
    const int abi = landlockAbi();
    if (abi == 0) return "le noyau n'offre pas Landlock";
    landlock_ruleset_attr attr{};
    attr.handled_access_fs = fileRightsOf(abi);
    const long ruleset = ::syscall(SYS_landlock_create_ruleset, &attr, sizeof attr, 0);
    if (ruleset < 0) return frenchReason(errno);
    const int fd = static_cast<int>(ruleset);
    int error = 0;
    // Rights on a regular file are only those that apply to files; the folder gets all.
    const std::uint64_t procRights = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
    bool ok = allowBeneath(fd, folder.c_str(), attr.handled_access_fs, error);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers read this process's own /proc entries at exit. Only their builds allow
    // it: /proc/self/environ and cmdline would show a program what it was started with.
    if (ok) {
        int ignored = 0;
        allowBeneath(fd, "/proc/self", procRights, ignored);
    }
#else
    (void)procRights;
#endif
    // Without "no new privileges" an unprivileged process may not restrict itself; it also
    // means a program started later cannot gain rights through a set-user-id file.
    if (ok && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        error = errno;
        ok = false;
    }
    if (ok && ::syscall(SYS_landlock_restrict_self, fd, 0) != 0) {
        error = errno;
        ok = false;
    }
    ::close(fd);
    return ok ? std::string() : frenchReason(error);
}

std::string limitResources(unsigned long long maxFileBytes) {
    // A bound is only ever lowered: raising one above what the process was given fails.
    auto lower = [](int resource, rlim_t value) {
        rlimit current{};
        if (::getrlimit(resource, &current) != 0) return false;
        const rlim_t bound = current.rlim_max == RLIM_INFINITY ? value : std::min(value, current.rlim_max);
        const rlimit wanted{bound, bound};
        return ::setrlimit(resource, &wanted) == 0;
    };
    if (!lower(RLIMIT_CORE, 0) || !lower(RLIMIT_NOFILE, 64) || !lower(RLIMIT_FSIZE, maxFileBytes))
        return frenchReason(errno);
    // A write past the size bound then fails (EFBIG) rather than killing the run.
    std::signal(SIGXFSZ, SIG_IGN);
    return {};
}

} // namespace zef
