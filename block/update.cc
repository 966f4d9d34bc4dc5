// SPDX-License-Identifier: MIT
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include "block/files.h"
#include "block/layout.h"

namespace {

// Reports the failed call the way perror does and ends the run. There is
// nothing to unwind: the open file and the image go with the process.
[[noreturn]] void fail(const char *call) {
    std::perror(call);
    std::exit(1);
}

// A call can fail without setting errno (a short file, a full disk, a seek
// that lands elsewhere); say something true rather than "Success".
[[noreturn]] void fail(const char *call, int err) {
    errno = err;
    fail(call);
}

int xopen(const char *path, int flags) {
    int fd;
    do
        fd = open_path(path, flags);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        fail("open");
#ifdef F_DUPFD
    // Started with stderr closed, the file would take its place and a report
    // would be written into it; keep the file above the standard descriptors.
    if (fd <= STDERR_FILENO) {
        // With no descriptor above 2 allowed, F_DUPFD says EINVAL: for the
        // open, that is too many open files. A file just created is left
        // behind empty, as after a failed write.
        int moved = fcntl(fd, F_DUPFD, STDERR_FILENO + 1);
        int err = errno == EINVAL ? EMFILE : errno;
        close(fd);
        if (moved < 0)
            fail("open", err);
        fd = moved;
    }
#endif
    return fd;
}

void xseek(int fd) {
    off_t pos = lseek(fd, kBlockOffset, SEEK_SET);
    if (pos < 0)
        fail("lseek");
    if (pos != kBlockOffset)
        fail("lseek", ESPIPE);
}

void xread(int fd, std::uint8_t *buf) {
    std::uint32_t done = 0;
    while (done < kBlockSize) {
        ssize_t n = read(fd, buf + done, kBlockSize - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail("read");
        if (n == 0)
            fail("read", kShortRead);
        done += static_cast<std::uint32_t>(n);
    }
}

void xwrite(int fd, const std::uint8_t *buf) {
#ifdef SIGXFSZ
    // A write past the file-size limit would end the run by this signal,
    // silently; ignored, the write fails with EFBIG and is reported.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::uint32_t done = 0;
    while (done < kBlockSize) {
        ssize_t n = write(fd, buf + done, kBlockSize - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail("write");
        if (n == 0)
            fail("write", ENOSPC);
        done += static_cast<std::uint32_t>(n);
    }
}

void xclose(int fd) {
    if (close(fd) < 0)
        fail("close");
}

} // namespace

void update(const char *path, std::uint32_t offset, std::uint32_t value) {
    std::uint8_t image[kBlockSize] = {};

    if (stat_path(path) == 0) {
        // An open for reading must not wait for another process: a FIFO
        // opens at once and fails at the seek.
        int fd = xopen(path, O_RDONLY | kNoWait);
        xseek(fd);
        xread(fd, image);
        xclose(fd);
    } else if (errno != ENOENT) {
        fail("stat");
    }

    patch(image, offset, value);

    int fd = xopen(path, O_WRONLY | O_CREAT);
    xseek(fd);
    xwrite(fd, image);
    xclose(fd);
}
