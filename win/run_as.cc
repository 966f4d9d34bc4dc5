// SPDX-License-Identifier: MIT
// run-as: runs a Windows program with a first command-line word of the
// caller's choosing, which is what the program sees as argv[0].
//
//   run-as PROGRAM WORD0 [ARG...]
//
// The program inherits the standard handles and the environment; run-as
// ends with the program's exit status, or 127 when it cannot be started.
// The end-to-end tests use it under Wine, where a program started from the
// Unix side always sees its full Windows path as its first word. PROGRAM may
// be an absolute Unix path: it is then taken on drive Z:, which Wine maps to
// the Unix root.
//
// The words go on in UTF-16 as they came (wmain, CreateProcessW): no ANSI
// code page on the way. A Unix command line cannot carry a lone surrogate,
// so with RUN_AS_UNESCAPE=1 in the environment each \uXXXX (four hex
// digits) in WORD0 and the arguments stands for that UTF-16 code unit.
//
// With RUN_AS_RAW_CONSOLE=1, the console of its standard error, if it has
// one, stops processing control characters before the program starts: a CR
// and an LF are then shown as characters of their own instead of moving the
// cursor, so that a line end written as LF alone looks unlike CR LF.
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include <windows.h>

namespace {

int hex_digit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

std::wstring unescape(const wchar_t *arg) {
    std::wstring s;
    for (const wchar_t *p = arg; *p != L'\0'; p++) {
        int unit = 0, i = 0;
        if (p[0] == L'\\' && p[1] == L'u')
            for (; i < 4 && hex_digit(p[2 + i]) >= 0; i++)
                unit = unit * 16 + hex_digit(p[2 + i]);
        if (i == 4) {
            s += static_cast<wchar_t>(unit);
            p += 5;
        } else {
            s += *p;
        }
    }
    return s;
}

// Appends one argument so that the C runtime's command-line parser gives it
// back unchanged: bare when it has no blank or quote, else quoted, with the
// backslashes before a quote (or before the closing quote) doubled.
void append_argument(std::wstring &line, const std::wstring &arg) {
    line += L' ';
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    for (const wchar_t *p = arg.c_str();; p++) {
        std::size_t backslashes = 0;
        while (*p == L'\\') {
            backslashes++;
            p++;
        }
        if (*p == L'\0') {
            line.append(backslashes * 2, L'\\');
            break;
        }
        if (*p == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        line += *p;
    }
    line += L'"';
}

} // namespace

extern "C" int wmain(int argc, wchar_t *argv[]) {
    if (argc < 3) {
        std::fputs("usage: run-as PROGRAM WORD0 [ARG...]\n", stderr);
        return 127;
    }
    const wchar_t *escapes = _wgetenv(L"RUN_AS_UNESCAPE");
    bool decode = escapes != nullptr && std::wcscmp(escapes, L"1") == 0;
    std::wstring word0 = decode ? unescape(argv[2]) : argv[2];
    // The first word is taken up to the first blank, or between quotes,
    // with no escapes; a word holding a quote cannot be passed.
    if (word0.find(L'"') != std::wstring::npos) {
        std::fputs("run-as: WORD0 must not hold a quote\n", stderr);
        return 127;
    }
    std::wstring line = word0.find_first_of(L" \t") != std::wstring::npos || word0.empty()
                            ? L"\"" + word0 + L"\""
                            : word0;
    for (int i = 3; i < argc; i++)
        append_argument(line, decode ? unescape(argv[i]) : std::wstring(argv[i]));

    const wchar_t *raw = _wgetenv(L"RUN_AS_RAW_CONSOLE");
    DWORD mode;
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    if (raw != nullptr && std::wcscmp(raw, L"1") == 0 && GetConsoleMode(console, &mode))
        SetConsoleMode(console, mode & ~static_cast<DWORD>(ENABLE_PROCESSED_OUTPUT));

    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring program = argv[1];
    if (program[0] == L'/')
        program.insert(0, L"Z:");
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi)) {
        std::fprintf(stderr, "run-as: cannot start %ls (error %lu)\n", argv[1],
                     static_cast<unsigned long>(GetLastError()));
        return 127;
    }
    DWORD status = 127;
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &status);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(status);
}
