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
#include <cstdio>
#include <cstring>
#include <string>

#include <windows.h>

namespace {

// Appends one argument so that the C runtime's command-line parser gives it
// back unchanged: bare when it has no blank or quote, else quoted, with the
// backslashes before a quote (or before the closing quote) doubled.
void append_argument(std::string &line, const char *arg) {
    line += ' ';
    if (*arg != '\0' && std::strpbrk(arg, " \t\n\v\"") == nullptr) {
        line += arg;
        return;
    }
    line += '"';
    for (const char *p = arg;; p++) {
        std::size_t backslashes = 0;
        while (*p == '\\') {
            backslashes++;
            p++;
        }
        if (*p == '\0') {
            line.append(backslashes * 2, '\\');
            break;
        }
        if (*p == '"')
            line.append(backslashes * 2 + 1, '\\');
        else
            line.append(backslashes, '\\');
        line += *p;
    }
    line += '"';
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fputs("usage: run-as PROGRAM WORD0 [ARG...]\n", stderr);
        return 127;
    }
    // The first word is taken up to the first blank, or between quotes,
    // with no escapes; a word holding a quote cannot be passed.
    if (std::strchr(argv[2], '"') != nullptr) {
        std::fputs("run-as: WORD0 must not hold a quote\n", stderr);
        return 127;
    }
    std::string line = std::strpbrk(argv[2], " \t") != nullptr || argv[2][0] == '\0'
                           ? std::string("\"") + argv[2] + "\""
                           : std::string(argv[2]);
    for (int i = 3; i < argc; i++)
        append_argument(line, argv[i]);

    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string program = argv[1];
    if (program[0] == '/')
        program.insert(0, "Z:");
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi)) {
        std::fprintf(stderr, "run-as: cannot start %s (error %lu)\n", argv[1],
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
