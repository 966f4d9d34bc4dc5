// SPDX-License-Identifier: MIT
// What the front end needs of the system beyond the C library: the entry
// with the command line as UTF-8 words, the length the path limit counts,
// the option parser's diagnostics and how text reaches stderr. Windows has
// its own in cli/windows.cc; elsewhere it is the C library's.
#ifndef QUORBIN_CLI_PLATFORM_H
#define QUORBIN_CLI_PLATFORM_H

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

// The run of the tool (cli/main.cc) on the words of the command line in
// UTF-8. valid is false when a word was no valid text: it can be shown
// (with U+FFFD in place of what was wrong) but not used.
int run(int argc, char *argv[], bool valid);

// Prints a message of the tool's own on stderr (cli/main.cc), by way of
// print_error.
void say(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

#ifdef _WIN32

// Windows counts a path in UTF-16 code units; one takes at most three bytes
// of UTF-8, and a character outside the BMP takes two units and four bytes.
constexpr std::size_t kBytesPerUnit = 3;

inline std::size_t text_units(const char *s) {
    std::size_t n = 0;
    for (; *s != '\0'; s++) {
        auto b = static_cast<unsigned char>(*s);
        n += (b & 0xC0) != 0x80; // not a continuation byte
        n += b >= 0xF0;          // a four-byte sequence: a surrogate pair
    }
    return n;
}

// mingw's option parser would name the program by the ANSI first word, so
// it is kept quiet and print_parser_diagnostic says what it would have said.
constexpr bool kParserPrints = false;
void print_parser_diagnostic(char *const argv[], const char *optstring);

// Console: the characters; file or pipe: UTF-8, each newline as CR LF.
void print_error(const char *fmt, va_list ap);

#else

// Paths are bytes, and so is the limit.
constexpr std::size_t kBytesPerUnit = 1;

inline std::size_t text_units(const char *s) {
    return std::strlen(s);
}

constexpr bool kParserPrints = true;
inline void print_parser_diagnostic(char *const /*argv*/[], const char * /*optstring*/) {}

inline void print_error(const char *fmt, va_list ap) {
    std::vfprintf(stderr, fmt, ap);
}

#endif

#endif
