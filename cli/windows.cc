// SPDX-License-Identifier: MIT
// The system's edge on Windows: the program's entry, and what cli/platform.h
// and block/files.h ask of the system. The command line arrives in UTF-16
// and goes on as UTF-8, so that no word passes the ANSI code page, which
// would turn what it cannot hold into look-alikes ("a／b" into "a/b"); a
// path goes back to UTF-16 for the wide file calls; messages reach a console
// as characters and a file or pipe as UTF-8. Only the Windows build compiles
// it (in place of cli/posix.cc); elsewhere it is empty, for the tools that
// read every file of cli/.
#ifdef _WIN32
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <getopt.h>
#include <io.h>
#include <sys/stat.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "block/files.h"
#include "cli/platform.h"

namespace {

[[noreturn]] void out_of_memory() {
    std::fputs("malloc failed\n", stderr);
    std::exit(1);
}

// One word in UTF-8. A word that is no valid UTF-16 (a lone surrogate)
// clears valid and is converted with U+FFFD in place of the fault, to be
// shown in the message that refuses it.
char *utf8_word(const wchar_t *word, bool &valid) {
    DWORD flags = WC_ERR_INVALID_CHARS;
    int size = WideCharToMultiByte(CP_UTF8, flags, word, -1, nullptr, 0, nullptr, nullptr);
    if (size == 0) {
        valid = false;
        flags = 0;
        size = WideCharToMultiByte(CP_UTF8, flags, word, -1, nullptr, 0, nullptr, nullptr);
    }
    char *s = size > 0 ? static_cast<char *>(std::malloc(size)) : nullptr;
    if (s == nullptr ||
        WideCharToMultiByte(CP_UTF8, flags, word, -1, s, size, nullptr, nullptr) != size)
        out_of_memory();
    return s;
}

void write_console(HANDLE console, const wchar_t *text, int units) {
    DWORD written;
    while (units > 0 &&
           WriteConsoleW(console, text, static_cast<DWORD>(units), &written, nullptr) &&
           written > 0) {
        text += written;
        units -= static_cast<int>(written);
    }
}

// The words of mingw's parser, "unknown option -- %c" and "option requires
// an argument -- %c", after the first word as given; a character past ASCII
// is shown whole rather than by its first byte.
void print_parser_diagnostic(char *const argv[], const char *optstring) {
    if (optopt == 0) { // a long option, and there are none; the parser has passed it
        say("%s: unknown option -- %s\n", argv[0], argv[optind - 1] + 2);
        return;
    }
    const char *letter = optopt == ':' ? nullptr : std::strchr(optstring, optopt);
    if (letter != nullptr && letter[1] == ':') {
        say("%s: option requires an argument -- %c\n", argv[0], optopt);
        return;
    }
    // The first byte past ASCII in the word the parser is in is this one:
    // the letters before it in the word were options.
    const char *c = static_cast<unsigned char>(optopt) < 0x80 || argv[optind] == nullptr
                        ? nullptr
                        : std::strchr(argv[optind], optopt);
    if (c == nullptr) {
        say("%s: unknown option -- %c\n", argv[0], optopt);
        return;
    }
    int len = 1;
    while ((static_cast<unsigned char>(c[len]) & 0xC0) == 0x80)
        len++;
    say("%s: unknown option -- %.*s\n", argv[0], len, c);
}

const struct option kNoLongOptions[] = {{nullptr, 0, nullptr, 0}};

// Windows names files in UTF-16: the path, UTF-8 and at most kPathMax units
// long, goes to the wide calls.
bool widen(const char *path, wchar_t (&wide)[kPathMax + 1]) {
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide, kPathMax + 1) > 0)
        return true;
    errno = GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ENAMETOOLONG : EILSEQ;
    return false;
}

} // namespace

// Windows counts a path in UTF-16 code units; one takes at most three bytes
// of UTF-8, and a character outside the BMP takes two units and four bytes.
std::size_t text_units(const char *s) {
    std::size_t n = 0;
    for (; *s != '\0'; s++) {
        auto b = static_cast<unsigned char>(*s);
        n += (b & 0xC0) != 0x80; // not a continuation byte
        n += b >= 0xF0;          // a four-byte sequence: a surrogate pair
    }
    return n;
}

// mingw's parser is kept quiet (wmain), as it would name the program by the
// ANSI first word; its words are said here.
int next_option(int argc, char *argv[], const char *optstring) {
    int c = getopt_long(argc, argv, optstring, kNoLongOptions, nullptr);
    if (c == '?')
        print_parser_diagnostic(argv, optstring);
    return c;
}

void print_error(const char *fmt, va_list ap) {
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode;
    if (!GetConsoleMode(console, &mode)) {
        // Flushed at once, so that a perror report that follows, written
        // past the stdio buffer, comes after it.
        std::vfprintf(stderr, fmt, ap);
        std::fflush(stderr);
        return;
    }
    va_list again;
    va_copy(again, ap);
    int len = std::vsnprintf(nullptr, 0, fmt, ap);
    if (len <= 0) {
        va_end(again);
        return;
    }
    auto *text = static_cast<char *>(std::malloc(len + 1));
    auto *wide = static_cast<wchar_t *>(std::malloc((len + 1) * sizeof(wchar_t)));
    if (text == nullptr || wide == nullptr)
        out_of_memory();
    std::vsnprintf(text, len + 1, fmt, again);
    va_end(again);
    int units = MultiByteToWideChar(CP_UTF8, 0, text, len, wide, len + 1);
    // Each line as the C runtime ends it in text mode: CR LF.
    int start = 0;
    for (int i = 0; i < units; i++) {
        if (wide[i] == L'\n') {
            write_console(console, wide + start, i - start);
            write_console(console, L"\r\n", 2);
            start = i + 1;
        }
    }
    write_console(console, wide + start, units - start);
    std::free(wide);
    std::free(text);
}

// The status call is the 64-bit one, which does not fail on a file past
// 2 GiB in a 32-bit build.
int stat_path(const char *path) {
    wchar_t wide[kPathMax + 1];
    struct _stat64 st;
    return widen(path, wide) ? _wstat64(wide, &st) : -1;
}

// In binary mode: the C runtime's text mode would end a read at ^Z and put a
// CR before each LF written.
int open_path(const char *path, int flags) {
    wchar_t wide[kPathMax + 1];
    return widen(path, wide) ? _wopen(wide, flags | O_BINARY, 0666) : -1;
}

// No open waits for another process on Windows.
extern const int kNoWait = 0;

// The C runtime has the number ENODATA but no text for it.
extern const int kShortRead = EIO;

extern "C" int wmain(int argc, wchar_t *wargv[]) {
    // A drive without a medium gives the usual stat or open report instead
    // of a dialog that would hold up a script.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    auto **argv = static_cast<char **>(std::malloc((argc + 1) * sizeof(char *)));
    if (argv == nullptr)
        out_of_memory();
    bool valid = true;
    for (int i = 0; i < argc; i++)
        argv[i] = utf8_word(wargv[i], valid);
    argv[argc] = nullptr;
    opterr = 0; // next_option says the parser's words
    // Fixed byte for byte, as the messages of cli/main.cc are.
    if (!valid)
        refuse(argc, argv, "ERROR:invalid Unicode on the command line\n");
    return run(argc, argv);
}

#endif
