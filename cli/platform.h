// SPDX-License-Identifier: MIT
// Where the front end (cli/main.cc) meets the system's edge: what the edge
// supplies, which is the C library's on POSIX systems (cli/posix.cc) and the
// Windows build's own elsewhere (cli/windows.cc), and the two ways in that
// the front end gives an edge with an entry of its own.
#ifndef QUORBIN_CLI_PLATFORM_H
#define QUORBIN_CLI_PLATFORM_H

#include <cstdarg>
#include <cstddef>

// The longest path the tool takes, as text_units counts it: 259, the
// Windows limit less the terminator, on every system.
constexpr std::size_t kPathMax = 259;

// The length of a text as the system counts it against its path limit.
std::size_t text_units(const char *s);

// The next option letter of the command line, as getopt_long returns it
// with no long options; a word it rejects has had the parser's diagnostic
// on stderr when it returns '?'.
int next_option(int argc, char *argv[], const char *optstring);

// Prints a message on stderr.
void print_error(const char *fmt, va_list ap) __attribute__((format(printf, 1, 0)));

// The same, with the arguments given.
inline void say(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
inline void say(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    print_error(fmt, ap);
    va_end(ap);
}

// The run of the tool on the words of the command line, in UTF-8; returns
// the exit status. main calls it with the words the C library hands over.
int run(int argc, char *argv[]);

// Refuses a command line that the edge cannot hand on to run: the program
// name (from argv, as run takes it), message and the usage text; status 1.
[[noreturn]] void refuse(int argc, char *argv[], const char *message);

#endif
