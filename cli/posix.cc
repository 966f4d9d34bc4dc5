// SPDX-License-Identifier: MIT
// The system's edge on POSIX systems: the C library's calls, with the words
// of the command line and the paths as the bytes they are. The Windows build
// has cli/windows.cc in its place.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <getopt.h>
#include <sys/stat.h>

#include "block/files.h"
#include "cli/platform.h"

namespace {

// The options take no long forms. getopt_long is used for its GNU argument
// permutation, which every C library we build with gives it (not all give
// it to plain getopt).
const struct option kNoLongOptions[] = {{nullptr, 0, nullptr, 0}};

} // namespace

// Paths are bytes, and so is the limit.
std::size_t text_units(const char *s) {
    return std::strlen(s);
}

// The parser prints its own diagnostics.
int next_option(int argc, char *argv[], const char *optstring) {
    return getopt_long(argc, argv, optstring, kNoLongOptions, nullptr);
}

void print_error(const char *fmt, va_list ap) {
    std::vfprintf(stderr, fmt, ap);
}

int stat_path(const char *path) {
    struct stat st;
    return stat(path, &st);
}

int open_path(const char *path, int flags) {
    return open(path, flags, 0666);
}

extern const int kNoWait = O_NONBLOCK;

// A system without ENODATA (some BSDs) says EIO.
#ifdef ENODATA
extern const int kShortRead = ENODATA;
#else
extern const int kShortRead = EIO;
#endif
