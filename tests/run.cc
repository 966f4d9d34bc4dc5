#include "run.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <fcntl.h>
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

Result run(const std::string &cwd, const std::vector<std::string> &args,
           const std::vector<std::string> &env, const std::string &argv0) {
    const char *program = std::getenv("QUORBIN");
    if (program == nullptr)
        program = QUORBIN_PATH;

    std::vector<std::string> envs;
    for (char **e = environ; *e != nullptr; e++)
        if (std::strncmp(*e, "POSIXLY_CORRECT=", 16) != 0)
            envs.emplace_back(*e);
    envs.insert(envs.end(), env.begin(), env.end());

    std::vector<char *> argp{const_cast<char *>(argv0.c_str())};
    for (const auto &a : args)
        argp.push_back(const_cast<char *>(a.c_str()));
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
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(cwd.c_str()) < 0)
            _exit(127);
        execve(program, argp.data(), envp.data());
        _exit(127);
    }
    int status;
    if (waitpid(pid, &status, 0) != pid)
        throw std::runtime_error("waitpid failed");
    return Result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out_path),
                  read_file(err_path)};
}
