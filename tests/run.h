// Runs the quorbin executable in a scratch folder and captures what it did.
#ifndef QUORBIN_TESTS_RUN_H
#define QUORBIN_TESTS_RUN_H

#include <string>
#include <vector>

struct Result {
    int status; // exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// A temporary folder, removed with everything in it when it goes.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;
    const std::string &path() const {
        return path_;
    }
    std::string operator/(const std::string &name) const {
        return path_ + "/" + name;
    }

  private:
    std::string path_;
};

// Runs the program with argv[0] set to argv0 and the given arguments, in cwd.
// POSIXLY_CORRECT is removed from the environment; env adds NAME=VALUE words.
Result run(const std::string &cwd, const std::vector<std::string> &args,
           const std::vector<std::string> &env = {}, const std::string &argv0 = "quorbin");

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);
bool exists(const std::string &path);

#endif
