// SPDX-License-Identifier: MIT
// Test-only fault injection, loaded into the tool with LD_PRELOAD. Never
// linked into quorbin nor installed.
//
// It stands in front of the C library's stat, open, lseek, read, write,
// close and fcntl, under each name a build may call them by (the 64-bit
// file-offset names, the checked read of _FORTIFY_SOURCE), and makes chosen
// calls on one file misbehave. The file is the one named by QFAULT_PATH,
// exactly as the tool passes it; its calls are those on that path and on the
// descriptors open() returned for it (and their copies made with fcntl
// F_DUPFD; fcntl counts only those copies).
//
// QFAULT lists the faults, separated by commas, each CALL:N:ACTION or
// CALL:N-M:ACTION: calls N to M (counted from 1, per kind of call, on that
// file only) do ACTION instead of their work. ACTION is one of
//   an errno name (EIO, EACCES, ...) or number: return -1 with that errno
//       (close closes the descriptor first, as Linux does on a failed close);
//   short:     read/write move only half of the bytes asked for (at least 1);
//   zero:      read/write return 0: end of file, or no progress;
//   elsewhere: lseek goes to the start of the file and returns 0.
// The last three are not errors; they leave errno holding EDOM, a value no
// call of the tool can give, so that a report that relies on errno shows it.
//
// With QFAULT_REPORT naming a file, the items that never fired are listed
// there when the process exits, and so is each of the descriptors 0, 1 and 2
// that the file was sought, read or written on.
//
// A malformed QFAULT ends the process with status 99 and a message.

// The library defines read and open itself: the C library's checked inline
// forms of them, which a builder's _FORTIFY_SOURCE would bring in, must not
// be declared here.
#undef _FORTIFY_SOURCE

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

enum Call { kStat, kOpen, kLseek, kRead, kWrite, kClose, kFcntl, kCalls };
constexpr const char *kCallNames[kCalls] = {"stat",  "open",  "lseek", "read",
                                            "write", "close", "fcntl"};

constexpr int kShort = -1;
constexpr int kZero = -2;
constexpr int kElsewhere = -3;
constexpr int kStaleErrno = EDOM;

struct Fault {
    Call call;
    unsigned first, last;
    int action; // an errno value, or kShort, kZero, kElsewhere
    unsigned fired;
    char text[128];
};

constexpr int kMaxFaults = 16;
Fault faults[kMaxFaults];
int fault_count = 0;
const char *target = nullptr;
unsigned calls[kCalls];

// Standard descriptors (0, 1, 2) that a seek, read or write on the target
// went through: a report or a verbose line meant for stderr would land in
// the file there.
bool on_standard_fd[3];

// Descriptors open on the target; the tool has at most one, a few is plenty.
constexpr int kMaxFds = 8;
int target_fds[kMaxFds];
int target_fd_count = 0;

struct Errno {
    const char *name;
    int value;
};
constexpr Errno kErrnos[] = {
    {"EACCES", EACCES}, {"EAGAIN", EAGAIN}, {"EBADF", EBADF},         {"EDQUOT", EDQUOT},
    {"EFBIG", EFBIG},   {"EINTR", EINTR},   {"EINVAL", EINVAL},       {"EIO", EIO},
    {"ELOOP", ELOOP},   {"EMFILE", EMFILE}, {"ENOENT", ENOENT},       {"ENOMEM", ENOMEM},
    {"ENOSPC", ENOSPC}, {"EPERM", EPERM},   {"EOVERFLOW", EOVERFLOW}, {"EROFS", EROFS},
};

[[noreturn]] void bad_item(const char *item) {
    std::fprintf(stderr, "fault_inject: bad QFAULT item \"%s\"\n", item);
    std::_Exit(99);
}

int parse_action(const char *text, Call call, const char *item) {
    if (std::strcmp(text, "short") == 0 && (call == kRead || call == kWrite))
        return kShort;
    if (std::strcmp(text, "zero") == 0 && (call == kRead || call == kWrite))
        return kZero;
    if (std::strcmp(text, "elsewhere") == 0 && call == kLseek)
        return kElsewhere;
    for (const auto &e : kErrnos)
        if (std::strcmp(text, e.name) == 0)
            return e.value;
    char *end;
    long n = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || n <= 0 || n > 4095)
        bad_item(item);
    return static_cast<int>(n);
}

void parse_item(char *item) {
    char copy[128];
    std::snprintf(copy, sizeof copy, "%s", item);
    if (fault_count == kMaxFaults)
        bad_item(copy);
    char *save = nullptr;
    char *name = strtok_r(item, ":", &save);
    char *range = strtok_r(nullptr, ":", &save);
    char *action = strtok_r(nullptr, "", &save);
    if (name == nullptr || range == nullptr || action == nullptr)
        bad_item(copy);
    Fault f{};
    int c = 0;
    while (c < kCalls && std::strcmp(name, kCallNames[c]) != 0)
        c++;
    if (c == kCalls)
        bad_item(copy);
    f.call = static_cast<Call>(c);
    char *end;
    f.first = static_cast<unsigned>(std::strtoul(range, &end, 10));
    f.last = f.first;
    if (*end == '-')
        f.last = static_cast<unsigned>(std::strtoul(end + 1, &end, 10));
    if (*end != '\0' || f.first == 0 || f.last < f.first)
        bad_item(copy);
    f.action = parse_action(action, f.call, copy);
    std::snprintf(f.text, sizeof f.text, "%s", copy);
    faults[fault_count++] = f;
}

__attribute__((constructor)) void setup() {
    target = std::getenv("QFAULT_PATH");
    const char *plan = std::getenv("QFAULT");
    if (plan == nullptr)
        return;
    static char buf[1024];
    std::snprintf(buf, sizeof buf, "%s", plan);
    char *save = nullptr;
    for (char *item = strtok_r(buf, ",", &save); item != nullptr;
         item = strtok_r(nullptr, ",", &save))
        parse_item(item);
}

// With QFAULT_REPORT naming a file, writes there the items that never
// fired, one a line, so that a test can tell a fault that took no effect
// from one the tool came through.
__attribute__((destructor)) void report() {
    const char *path = std::getenv("QFAULT_REPORT");
    if (path == nullptr)
        return;
    std::FILE *f = std::fopen(path, "w");
    if (f == nullptr)
        return;
    for (int i = 0; i < fault_count; i++)
        if (faults[i].fired == 0)
            std::fprintf(f, "%s never fired\n", faults[i].text);
    for (int fd = 0; fd <= 2; fd++)
        if (on_standard_fd[fd])
            std::fprintf(f, "the file was used on descriptor %d\n", fd);
    std::fclose(f);
}

template <typename F> F next(const char *name) {
    void *sym = dlsym(RTLD_NEXT, name);
    if (sym == nullptr) {
        std::fprintf(stderr, "fault_inject: no next %s\n", name);
        std::abort();
    }
    return reinterpret_cast<F>(sym);
}

bool is_target_path(const char *path) {
    return target != nullptr && path != nullptr && std::strcmp(path, target) == 0;
}

int fd_index(int fd) {
    for (int i = 0; i < target_fd_count; i++)
        if (target_fds[i] == fd)
            return i;
    return -1;
}

bool is_target_fd(int fd) {
    return fd_index(fd) >= 0;
}

void forget_fd(int fd) {
    int i = fd_index(fd);
    if (i >= 0)
        target_fds[i] = target_fds[--target_fd_count];
}

void note_fd(int fd) {
    if (fd >= 0 && fd <= 2)
        on_standard_fd[fd] = true;
}

// Counts a call on the target and returns its action, or 0 for none.
int action_for(Call call) {
    unsigned n = ++calls[call];
    for (int i = 0; i < fault_count; i++)
        if (faults[i].call == call && faults[i].first <= n && n <= faults[i].last) {
            faults[i].fired++;
            return faults[i].action;
        }
    return 0;
}

int fail(int err) {
    errno = err;
    return -1;
}

// The errno a stat of path is to fail with, or 0 to let it through.
int stat_fault(const char *path) {
    if (!is_target_path(path))
        return 0;
    int a = action_for(kStat);
    return a > 0 ? a : 0;
}

int do_open(const char *name, const char *path, int flags, mode_t mode) {
    using Open = int (*)(const char *, int, ...);
    static Open real_open = next<Open>("open");
    static Open real_open64 = next<Open>("open64");
    bool hit = is_target_path(path);
    if (hit) {
        int a = action_for(kOpen);
        if (a > 0)
            return fail(a);
    }
    int fd = (std::strcmp(name, "open") == 0 ? real_open : real_open64)(path, flags, mode);
    if (hit && fd >= 0 && target_fd_count < kMaxFds)
        target_fds[target_fd_count++] = fd;
    return fd;
}

template <typename Off> Off do_lseek(Off (*real)(int, Off, int), int fd, Off offset, int whence) {
    if (is_target_fd(fd)) {
        note_fd(fd);
        int a = action_for(kLseek);
        if (a > 0)
            return fail(a);
        if (a == kElsewhere) {
            Off got = real(fd, 0, SEEK_SET);
            errno = kStaleErrno;
            return got;
        }
    }
    return real(fd, offset, whence);
}

// real is the call that does the work: the C library's function, or a
// lambda that adds the checked variant's extra argument.
template <typename Real, typename Buf>
ssize_t do_transfer(Call call, Real real, int fd, Buf buf, size_t count) {
    if (is_target_fd(fd)) {
        note_fd(fd);
        int a = action_for(call);
        if (a > 0)
            return fail(a);
        if (a == kZero) {
            errno = kStaleErrno;
            return 0;
        }
        if (a == kShort) {
            ssize_t got = real(fd, buf, count > 1 ? count / 2 : count);
            if (got >= 0)
                errno = kStaleErrno;
            return got;
        }
    }
    return real(fd, buf, count);
}

int do_fcntl(int (*real)(int, int, ...), int fd, int cmd, long arg) {
    bool copy = (cmd == F_DUPFD || cmd == F_DUPFD_CLOEXEC) && is_target_fd(fd);
    if (copy) {
        int a = action_for(kFcntl);
        if (a > 0)
            return fail(a);
    }
    int r = real(fd, cmd, arg);
    if (copy && r >= 0 && target_fd_count < kMaxFds)
        target_fds[target_fd_count++] = r;
    return r;
}

} // namespace

extern "C" {

// glibc 2.33 and later export stat itself; older ones, and programs built
// against them, go through __xstat. The 64 names are the same calls on
// x86_64 and what -D_FILE_OFFSET_BITS=64 builds use.
int stat(const char *path, struct stat *buf) {
    static auto real = next<int (*)(const char *, struct stat *)>("stat");
    int err = stat_fault(path);
    return err ? fail(err) : real(path, buf);
}

int stat64(const char *path, struct stat64 *buf) {
    static auto real = next<int (*)(const char *, struct stat64 *)>("stat64");
    int err = stat_fault(path);
    return err ? fail(err) : real(path, buf);
}

int __xstat(int ver, const char *path, struct stat *buf) {
    static auto real = next<int (*)(int, const char *, struct stat *)>("__xstat");
    int err = stat_fault(path);
    return err ? fail(err) : real(ver, path, buf);
}

int __xstat64(int ver, const char *path, struct stat64 *buf) {
    static auto real = next<int (*)(int, const char *, struct stat64 *)>("__xstat64");
    int err = stat_fault(path);
    return err ? fail(err) : real(ver, path, buf);
}

// The mode argument is there only with O_CREAT or O_TMPFILE.
int open(const char *path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(ap, int)) : 0;
    va_end(ap);
    return do_open("open", path, flags, mode);
}

int open64(const char *path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(ap, int)) : 0;
    va_end(ap);
    return do_open("open64", path, flags, mode);
}

off_t lseek(int fd, off_t offset, int whence) {
    static auto real = next<off_t (*)(int, off_t, int)>("lseek");
    return do_lseek(real, fd, offset, whence);
}

off64_t lseek64(int fd, off64_t offset, int whence) {
    static auto real = next<off64_t (*)(int, off64_t, int)>("lseek64");
    return do_lseek(real, fd, offset, whence);
}

ssize_t read(int fd, void *buf, size_t count) {
    static auto real = next<ssize_t (*)(int, void *, size_t)>("read");
    return do_transfer(kRead, real, fd, buf, count);
}

// With _FORTIFY_SOURCE, a read into a buffer of known size calls the checked
// variant, which takes that size as well (objdump -T on such a build names
// it); it is the same read of the file.
ssize_t __read_chk(int fd, void *buf, size_t count, size_t buflen) {
    static auto real = next<ssize_t (*)(int, void *, size_t, size_t)>("__read_chk");
    return do_transfer(
        kRead, [buflen](int f, void *b, size_t n) { return real(f, b, n, buflen); }, fd, buf,
        count);
}

ssize_t write(int fd, const void *buf, size_t count) {
    static auto real = next<ssize_t (*)(int, const void *, size_t)>("write");
    return do_transfer(kWrite, real, fd, buf, count);
}

// A copy of a target descriptor made with F_DUPFD is the target too (the
// tool moves the file off the standard descriptors when it finds them
// closed); making the copy can be made to fail. Other commands pass through.
// fcntl64 is what -D_FILE_OFFSET_BITS=64 builds call.
int fcntl(int fd, int cmd, ...) {
    static auto real = next<int (*)(int, int, ...)>("fcntl");
    va_list ap;
    va_start(ap, cmd);
    long arg = va_arg(ap, long);
    va_end(ap);
    return do_fcntl(real, fd, cmd, arg);
}

int fcntl64(int fd, int cmd, ...) {
    static auto real = next<int (*)(int, int, ...)>("fcntl64");
    va_list ap;
    va_start(ap, cmd);
    long arg = va_arg(ap, long);
    va_end(ap);
    return do_fcntl(real, fd, cmd, arg);
}

int close(int fd) {
    static auto real = next<int (*)(int)>("close");
    if (!is_target_fd(fd))
        return real(fd);
    forget_fd(fd);
    int a = action_for(kClose);
    int r = real(fd);
    return a > 0 ? fail(a) : r;
}

} // extern "C"
