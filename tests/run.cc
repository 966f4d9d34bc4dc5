// SPDX-License-Identifier: MIT
#include "run.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    std::string tmpl = (fs::temp_directory_path() / "quorbin-test-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string usage(const std::string &name) {
    return "\n"
           "Usage:  " +
           name +
           " {-d driveletter | -o outfile} [-h] offset data\n"
           "\n"
           "    -o        Specifies output file (defaults to <driveletter>:/bi2.bin)\n"
           "    -h        Prints this message and exit\n"
           "    -v        Turns on verbose mode\n"
           "    offset    Location where to modify\n"
           "    data      Data to set to the location\n"
           "\n"
           "  Either -d or -o should always be specified.\n"
           "  If both are specified, -d is ignored\n"
           "\n";
}

const std::string kTitle =
    "Zolvane Quorbin. Version " QUORBIN_VERSION ", Copyright (C) " QUORBIN_COPYRIGHT_YEAR
    " the Zolvane Quorbin authors.\n"
    "Built : DATE TIME\n";

std::string without_build_time(std::string err) {
    static const std::regex line(
        R"(Built : [A-Z][a-z][a-z] [ 0-3][0-9] [0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-6][0-9]\n)");
    return std::regex_replace(err, line, "Built : DATE TIME\n");
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool exists(const std::string &path) {
    return fs::exists(fs::symlink_status(path));
}

std::string pattern(std::size_t size) {
    std::string s(size, '\0');
    std::uint32_t x = 12345;
    for (auto &c : s) {
        x = x * 1103515245 + 12345;
        c = static_cast<char>(x >> 16);
    }
    return s;
}

std::string program_under_test() {
    const char *program = std::getenv("QUORBIN");
    return program != nullptr ? program : QUORBIN_PATH;
}

namespace {

// Longer than any run takes, even under an emulator or Wine.
constexpr std::chrono::seconds kTimeLimit(20);

std::vector<std::string> runner_words() {
    std::vector<std::string> words;
    const char *runner = std::getenv("QUORBIN_RUNNER");
    std::string word;
    for (const char *p = runner != nullptr ? runner : "";; p++) {
        if (*p != '\0' && *p != ' ' && *p != '\t') {
            word += *p;
            continue;
        }
        if (!word.empty())
            words.push_back(word);
        word.clear();
        if (*p == '\0')
            return words;
    }
}

std::string without_cr_before_lf(const std::string &s) {
    std::string t;
    for (std::size_t i = 0; i < s.size(); i++)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n'))
            t += s[i];
    return t;
}

// Sets the soft limit of a resource; the hard limit stays.
bool lower_limit(int resource, long value) {
    struct rlimit limit;
    if (getrlimit(resource, &limit) < 0)
        return false;
    limit.rlim_cur = static_cast<rlim_t>(value);
    return setrlimit(resource, &limit) == 0;
}

} // namespace

bool windows_build() {
    std::string program = program_under_test();
    return program.size() >= 4 && (program.compare(program.size() - 4, 4, ".exe") == 0 ||
                                   program.compare(program.size() - 4, 4, ".EXE") == 0);
}

bool musl_build() {
    const char *libc = std::getenv("QUORBIN_LIBC");
    std::string name = libc != nullptr ? libc : "";
    if (!name.empty() && name != "glibc" && name != "musl")
        throw std::runtime_error("QUORBIN_LIBC is " + name + ": glibc or musl");
    return name == "musl";
}

DriveMap::DriveMap(char letter, const std::string &folder) {
    if (!windows_build())
        return;
    const char *prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr)
        throw std::runtime_error("WINEPREFIX is not set");
    link_ = std::string(prefix) + "/dosdevices/" +
            static_cast<char>(std::tolower(static_cast<unsigned char>(letter))) + ":";
    fs::remove(link_);
    fs::create_directory_symlink(folder, link_);
}

DriveMap::~DriveMap() {
    std::error_code ec;
    if (!link_.empty())
        fs::remove(link_, ec);
}

Result run(const std::string &cwd, const std::vector<std::string> &args,
           const std::vector<std::string> &env, const std::string &argv0) {
    Start start{{argv0}, env};
    start.argv.insert(start.argv.end(), args.begin(), args.end());
    return run(cwd, start);
}

bool has_runner() {
    return !runner_words().empty();
}

Result run(const std::string &cwd, const Start &start) {
    const std::string program = start.exec.empty() ? program_under_test() : start.exec;

    std::vector<std::string> envs;
    for (char **e = environ; *e != nullptr; e++)
        if (std::strncmp(*e, "POSIXLY_CORRECT=", 16) != 0)
            envs.emplace_back(*e);
    envs.insert(envs.end(), start.env.begin(), start.env.end());

    // Without a runner the program is started directly with argv as it is;
    // a runner gets the program and argv (argv0 first) after its own words.
    std::vector<std::string> words;
    if (start.exec.empty())
        words = runner_words();
    if (!words.empty() && start.argv.empty())
        throw std::runtime_error("a runner cannot start a program with no words at all");
    const std::string exec_path = words.empty() ? program : words[0];
    if (!words.empty())
        words.push_back(program);
    words.insert(words.end(), start.argv.begin(), start.argv.end());
    std::vector<char *> argp;
    for (auto &w : words)
        argp.push_back(w.data());
    argp.push_back(nullptr);
    std::vector<char *> envp;
    for (auto &e : envs)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    ScratchDir capture;
    std::string out_path = capture / "stdout", err_path = capture / "stderr";
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        // A process group of its own, so that a run past its time is killed
        // with everything it started.
        setpgid(0, 0);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(cwd.c_str()) < 0)
            _exit(127);
        close(out);
        close(err);
        // The program gets only the standard descriptors: others left open
        // by whatever runs the tests (ctest keeps its log on 3) would take
        // places that a limit on open descriptors counts, and could be
        // written by a run that went astray.
        if (close_range(3, ~0U, 0) < 0)
            for (long fd = 3, n = sysconf(_SC_OPEN_MAX); fd < n; fd++)
                close(static_cast<int>(fd));
        for (int fd : start.closed)
            close(fd);
        if ((start.max_files > 0 && !lower_limit(RLIMIT_NOFILE, start.max_files)) ||
            (start.max_file_size > 0 && !lower_limit(RLIMIT_FSIZE, start.max_file_size)))
            _exit(127);
        execve(exec_path.c_str(), argp.data(), envp.data());
        _exit(127);
    }
    setpgid(pid, pid);

    // Waits in short naps that grow to 10 ms: a run of the tool takes about
    // a millisecond, one under an emulator some tens.
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    auto nap = std::chrono::microseconds(50);
    int status;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR)
            throw std::runtime_error("waitpid failed");
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(-pid, SIGKILL);
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            std::string line;
            for (const auto &w : words)
                line += " " + w;
            throw std::runtime_error("still running after " + std::to_string(kTimeLimit.count()) +
                                     " s, killed with its process group:" + line);
        }
        std::this_thread::sleep_for(nap);
        nap = std::min(nap * 2, std::chrono::microseconds(10000));
    }
    Result r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out_path),
             read_file(err_path)};
    if (start.exec.empty() && windows_build()) {
        r.out = without_cr_before_lf(r.out);
        r.err = without_cr_before_lf(r.err);
    }
    return r;
}
