// SPDX-License-Identifier: MIT
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

// The program under test is the one built beside the tests, or the one the
// environment variable QUORBIN names. QUORBIN_RUNNER, when set, holds the
// blank-separated words of a command that starts it, given the program and
// the first word for it ahead of the arguments:
//     RUNNER... PROGRAM ARGV0 ARG...
// The Windows build runs so under Wine: QUORBIN=.../quorbin.exe and
// QUORBIN_RUNNER="/usr/bin/wine .../run-as.exe" (see win/check).

// True when the program under test is a Windows executable (its name ends in
// .exe): it runs under Wine, the console turns each newline it prints into
// CR LF, and a drive letter names a drive rather than a folder.
bool windows_build();

// True when the program under test is built against musl: its option parser
// and its texts for the system's errors have words of their own. Whoever
// runs the tests against another program than the one built beside them
// says which C library it has in the environment variable QUORBIN_LIBC:
// glibc (the default) or musl. A Windows build has mingw-w64's.
bool musl_build();

// The path of the program under test.
std::string program_under_test();

// Runs the program with argv[0] set to argv0 and the given arguments, in cwd.
// POSIXLY_CORRECT is removed from the environment; env adds NAME=VALUE words.
// For a Windows build, each CR LF in what it printed is turned back into LF.
Result run(const std::string &cwd, const std::vector<std::string> &args,
           const std::vector<std::string> &env = {}, const std::string &argv0 = "quorbin");

// One start of a program, for the run below.
struct Start {
    std::vector<std::string> argv;     // every word, argv[0] first; may be empty
    std::vector<std::string> env = {}; // NAME=VALUE words added
    std::vector<int> closed = {};      // of descriptors 0, 1 and 2, those it starts without
    long max_files = 0;                // when above 0, its limit on open descriptors
    std::string exec = {};             // a program to start directly; default: the one under test
    long max_file_size = 0;            // when above 0, its limit on the size of a file it writes
};

// Runs a start as the run above does (a closed stdout or stderr captures
// nothing; no descriptor above 2 is open). Without exec, the program under
// test is started, through the runner when there is one; an empty argv needs
// no runner. Every run has a time limit of 20 s: a program still running then
// is killed with its process group and the run throws, which fails the test
// that made it.
Result run(const std::string &cwd, const Start &start);

// True when QUORBIN_RUNNER names a command that starts the program.
bool has_runner();

// Under Wine, makes drive letter X: of the Wine prefix ($WINEPREFIX) lead to
// a folder, as a symbolic link in the prefix's dosdevices folder, for as long
// as the object lives; elsewhere it does nothing. Wine-run tests share the
// prefix and so must run one at a time.
class DriveMap {
  public:
    DriveMap(char letter, const std::string &folder);
    ~DriveMap();
    DriveMap(const DriveMap &) = delete;
    DriveMap &operator=(const DriveMap &) = delete;

  private:
    std::string link_;
};

// size bytes of a fixed pseudo-random pattern, so that a byte the tool
// should have kept but did not shows.
std::string pattern(std::size_t size);

// The usage text, with name for the program.
std::string usage(const std::string &name = "quorbin");

// The title and build lines of -v, with DATE TIME where the build's date and
// time stand; the version is the build's project(VERSION).
extern const std::string kTitle;

// err with the build line's date and time, once their form is checked,
// replaced by DATE TIME, so that the rest compares byte for byte.
std::string without_build_time(std::string err);

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);
bool exists(const std::string &path);

#endif
