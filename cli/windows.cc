// SPDX-License-Identifier: MIT
// The Windows edge of the front end. The command line arrives in UTF-16 and
// goes on as UTF-8, so that no word passes the ANSI code page, which would
// turn what it cannot hold into look-alikes ("a／b" into "a/b"); messages
// reach a console as characters and a file or pipe as UTF-8. Only the
// Windows build compiles it; elsewhere it is empty, for the tools that read
// every file of cli/.
#ifdef _WIN32
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <getopt.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

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

} // namespace

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
    return run(argc, argv, valid);
}

#endif
