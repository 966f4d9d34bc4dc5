// SPDX-License-Identifier: MIT
// End-to-end: the built program, its messages, its exit status and the file.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "model.h"
#include "run.h"

namespace {

using Args = std::vector<std::string>;

const std::string kNoOperands = "quorbin: You need to specify offset and data\n";
const std::string kNoTarget =
    "quorbin: ERROR:You need to specify -d option when you don't use -o option\n";
const std::string kBoth = "quorbin: WARNING:-d and -o are specified at the same time. Ignore -d\n";
const std::string kBadOption = "quorbin: ERROR:-? No such option\n";

// The option parser's own diagnostics are the C library's words: glibc's or
// musl's on Linux, mingw-w64's in the Windows build. All start with the
// first word as given.
std::string invalid_option(char c, const std::string &argv0 = "quorbin") {
    if (windows_build())
        return argv0 + ": unknown option -- " + c + "\n";
    if (musl_build())
        return argv0 + ": unrecognized option: " + c + "\n";
    return argv0 + ": invalid option -- '" + c + "'\n";
}

// A long option, of which the tool has none: glibc quotes it with its
// dashes, mingw-w64's and musl's parsers name it without them.
std::string unknown_long_option(const std::string &name) {
    if (windows_build())
        return "quorbin: unknown option -- " + name + "\n";
    if (musl_build())
        return "quorbin: unrecognized option: " + name + "\n";
    return "quorbin: unrecognized option '--" + name + "'\n";
}

std::string missing_argument(char c) {
    if (windows_build())
        return std::string("quorbin: option requires an argument -- ") + c + "\n";
    if (musl_build())
        return std::string("quorbin: option requires an argument: ") + c + "\n";
    return std::string("quorbin: option requires an argument -- '") + c + "'\n";
}

std::string out_of_range(const std::string &shown) {
    return "quorbin: Specified offset " + shown +
           " is out of range. Need to be less than 8192(0x2000)\n";
}

using model::new_file;
using model::patched_file;

std::string describe(const Args &args) {
    std::string s;
    for (const auto &a : args)
        s += (s.empty() ? "" : " ") + a;
    return s;
}

// Command lines that fail or print help: the exact stderr and status, no
// stdout, and no file left anywhere in the folder.
TEST(Cli, RefusedCommandLines) {
    const std::string long260(260, 'x');
    struct Case {
        Args args;
        int status;
        std::string err;
        std::vector<std::string> env = {};
    } cases[] = {
        {{"-h"}, 0, usage()},
        {{"-vh"}, 0, usage()},
        {{"-h", "-x"}, 0, usage()},
        {{"-d", "E", "-h", "0", "0"}, 0, usage()},
        {{"-x", "-h"}, 1, invalid_option('x') + kBadOption + usage()},
        {{"-?"}, 1, invalid_option('?') + kBadOption + usage()},
        {{"-o", "f", "--foo", "0", "0"}, 1, unknown_long_option("foo") + kBadOption + usage()},
        {{"-o", "f", "0", "0", "-d"}, 1, missing_argument('d') + kBadOption + usage()},
        {{"-o"}, 1, missing_argument('o') + kBadOption + usage()},
        {{}, 1, kNoOperands + usage()},
        {{"-o", "f", "0"}, 1, kNoOperands + usage()},
        {{"-o", "f", "0", "0", "0"}, 1, kNoOperands + usage()},
        {{"-o", "f", "--", "-1", "5", "6"}, 1, kNoOperands + usage()},
        {{"0x10", "5", "-o", "f"}, 1, kNoOperands + usage(), {"POSIXLY_CORRECT=1"}},
        {{"-o", "f", "-1", "5"}, 1, invalid_option('1') + kBadOption + usage()},
        {{"-o", "f", "--", "-1", "5"}, 1, out_of_range("-1(0xffffffff)") + usage()},
        {{"-o", "f", "0x2000", "0"}, 1, out_of_range("8192(0x2000)") + usage()},
        {{"-o", "f", "8192", "0"}, 1, out_of_range("8192(0x2000)") + usage()},
        {{"-o", "f", "020001", "0"}, 1, out_of_range("8193(0x2001)") + usage()},
        {{"-o", "f", "0x7fffffff", "0"}, 1, out_of_range("2147483647(0x7fffffff)") + usage()},
        {{"-o", "f", "0x80000000", "0"}, 1, out_of_range("-2147483648(0x80000000)") + usage()},
        {{"-o", "f", "0x100000000", "0"}, 1, out_of_range("-1(0xffffffff)") + usage()},
        {{"-v", "0", "0"}, 1, kTitle + kNoTarget + usage()},
        {{"-v", "0x3000", "0"}, 1, out_of_range("12288(0x3000)") + usage()},
        {{"-o", long260, "0", "0"},
         1,
         "quorbin: ERROR:-o argument is longer than 259 characters\n" + usage()},
        {{"-d" + long260, "-o", "f", "0", "0"},
         1,
         "quorbin: ERROR:-d argument is longer than 259 characters\n" + usage()},
        {{"-d", std::string(251, 'x'), "0", "0"},
         1,
         "quorbin: ERROR:-d argument makes the path longer than 259 characters\n" + usage()},
        {{"-v", "-d", std::string(251, 'x'), "0", "0"},
         1,
         kTitle + "quorbin: ERROR:-d argument makes the path longer than 259 characters\n" +
             usage()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(describe(c.args));
        ScratchDir dir;
        ASSERT_EQ(mkdir((dir / (std::string(251, 'x') + ":")).c_str(), 0777), 0);
        Result r = run(dir.path(), c.args, c.env);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(without_build_time(r.err), c.err);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(exists(dir / "f"));
        EXPECT_FALSE(exists(dir / (std::string(251, 'x') + ":/bi2.bin")));
    }
}

TEST(Cli, NamesItselfByTheLastPartOfItsFirstWord) {
    struct Case {
        std::string argv0, name;
    } cases[] = {
        {"./tools/patch", "patch"},
        {"/usr/bin/quorbin", "quorbin"},
        {"C:\\tools\\patch.exe", "C:\\tools\\patch.exe"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.argv0);
        ScratchDir dir;
        Result r = run(dir.path(), {"0"}, {}, c.argv0);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.name + ": You need to specify offset and data\n" + usage(c.name));
        // The option parser's own words use the first word as given.
        r = run(dir.path(), {"-y"}, {}, c.argv0);
        EXPECT_EQ(r.err, invalid_option('y', c.argv0) + c.name + ": ERROR:-? No such option\n" +
                             usage(c.name));
        // The first word and nothing else.
        r = run(dir.path(), {}, {}, c.argv0);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.name + ": You need to specify offset and data\n" + usage(c.name));
        EXPECT_EQ(r.out, "");
    }
}

// With an empty first word, or none at all (which Linux turns into one empty
// word), the tool goes by its own name.
TEST(Cli, NamesItselfQuorbinForAnEmptyFirstWord) {
    ScratchDir dir;
    Result r = run(dir.path(), {}, {}, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, kNoOperands + usage());
    EXPECT_EQ(r.out, "");
}

TEST(Cli, NamesItselfQuorbinWithNoWordsAtAll) {
    if (has_runner())
        GTEST_SKIP() << "a runner cannot start the program with no words at all";
    ScratchDir dir;
    Result r = run(dir.path(), Start{{}});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, kNoOperands + usage());
    EXPECT_EQ(r.out, "");
}

// Successful runs on a new file: where the value goes, which file is the
// target, and what is printed.
TEST(Cli, WritesTheValueIntoANewFile) {
    const std::string dir259 = std::string(200, 'p');
    const std::string file259 = dir259 + "/" + std::string(58, 'q');
    const std::string drive250(250, 'x');
    struct Case {
        Args args;
        std::string target; // the file that must appear, and no other
        std::uint32_t offset, value;
        std::string err;
        std::vector<std::string> env = {};
    } cases[] = {
        {{"-o", "f", "0x10", "5"}, "f", 0x10, 5, ""},
        {{"0x10", "5", "-o", "f"}, "f", 0x10, 5, ""},
        {{"0x10", "-o", "f", "5"}, "f", 0x10, 5, ""},
        {{"-o", "f", "0x10", "5"}, "f", 0x10, 5, "", {"POSIXLY_CORRECT=1"}},
        {{"-of", "--", "0x10", "5"}, "f", 0x10, 5, ""},
        {{"-o", "f", "0x1fff", "7"}, "f", 0x1FFF, 7, ""},
        {{"-o", "f", "017", "1"}, "f", 15, 1, ""},
        {{"-o", "f", "12abc", "1"}, "f", 12, 1, ""},
        {{"-o", "f", "abc", "0x01020304"}, "f", 0, 0x01020304, ""},
        {{"-o", "f", "0x", "1"}, "f", 0, 1, ""},
        {{"-o", "f", "--", "-", "1"}, "f", 0, 1, ""},
        {{"-o", "f", "--", "-4294967296", "1"}, "f", 1, 1, ""},
        {{"-o", "f", "0x101", "0xA1B2C3D4"}, "f", 0x101, 0xA1B2C3D4, ""},
        {{"-o", "f", "0x1FFA", "0xDEADBEEF"}, "f", 0x1FFA, 0xDEADBEEF, ""},
        {{"-o", "f", "0x20", "0x123456789"}, "f", 0x20, 0xFFFFFFFF, ""},
        {{"-o", "f", "--", "0x20", "-2"}, "f", 0x20, 0xFFFFFFFE, ""},
        {{"-o", "f", "0x20", " +0x0a0d1a"}, "f", 0x20, 0x000A0D1A, ""},
        {{"-v", "-d", "E", "0x24", "0x12345678"},
         "E:/bi2.bin",
         0x24,
         0x12345678,
         kTitle + "\nDone\n"},
        {{"-dE", "0", "1"}, "E:/bi2.bin", 0, 1, ""},
        {{"-d", "EF", "-d", "F", "0", "1"}, "F:/bi2.bin", 0, 1, ""},
        {{"-d", "abc", "0", "1"}, "abc:/bi2.bin", 0, 1, ""},
        {{"-o", "abc", "-o", "b", "0", "1"}, "b", 0, 1, ""},
        {{"-d", "E", "-o", "out.bin", "0", "1"}, "out.bin", 0, 1, kBoth},
        {{"-v", "-o", "out.bin", "-d", "E", "0", "1"},
         "out.bin",
         0,
         1,
         kTitle + kBoth + "\nDone\n"},
        {{"-d", std::string(255, 'x'), "-o", "f", "0", "1"}, "f", 0, 1, kBoth},
        {{"-o", file259, "0", "1"}, file259, 0, 1, ""},
        {{"-d", drive250, "0", "1"}, drive250 + ":/bi2.bin", 0, 1, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(describe(c.args));
        ScratchDir dir;
        for (const std::string &sub : Args{"E:", "F:", "abc:", dir259, drive250 + ":"})
            ASSERT_EQ(mkdir((dir / sub).c_str(), 0777), 0);
        // Under Wine the drives E: and F: are these folders.
        DriveMap e('E', dir / "E:"), f('F', dir / "F:");
        Result r = run(dir.path(), c.args, c.env);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(without_build_time(r.err), c.err);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(read_file(dir / c.target) == new_file(c.offset, c.value));
        for (const std::string &other :
             Args{"f", "abc", "b", "out.bin", "E:/bi2.bin", "F:/bi2.bin"}) {
            if (other != c.target) {
                EXPECT_FALSE(exists(dir / other)) << other;
            }
        }
    }
}

// Runs on files that already exist: only the value and the signature change.
TEST(Cli, RewritesTheBlockOfAnExistingFileInPlace) {
    struct Case {
        std::string name;
        std::string before;
        std::uint32_t offset, value;
    } cases[] = {
        {"exactly 64 KiB", pattern(0x10000), 0x24, 0x12345678},
        {"128 KiB keeps its tail", pattern(0x20000), 0x1FF8, 0xCAFEF00D},
        {"1 MiB", pattern(0x100000), 0x1FFB, 0xCAFEF00D},
        {"offset over the signature", pattern(0x10000), 0x1FFD, 0xCAFEF00D},
        {"line ends and ^Z", std::string(0x18000, '\x1A').replace(0xE000, 3, "\r\n\x1A"), 0x3,
         0x0A0D1A0A},
        {"all zero, signed", new_file(0x40, 1), 0x44, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        write_file(dir / "bi2.bin", c.before);
        Result r =
            run(dir.path(), {"-o", "bi2.bin", std::to_string(c.offset), std::to_string(c.value)});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, "");
        std::string after = read_file(dir / "bi2.bin");
        ASSERT_EQ(after.size(), c.before.size());
        EXPECT_TRUE(after == patched_file(c.before, c.offset, c.value));
    }
}

// The file named by a drive letter, when it exists: on Linux E:/bi2.bin lies
// in a folder named E:, under Wine on drive E:. The whole file is line ends
// and ^Z bytes, and so is the value: a file opened in text mode would end a
// read at the first ^Z and put a CR before each LF written.
TEST(Cli, RewritesBi2BinOnTheNamedDrive) {
    ScratchDir dir;
    ASSERT_EQ(mkdir((dir / "E:").c_str(), 0777), 0);
    DriveMap e('E', dir / "E:");
    std::string before;
    while (before.size() < 0x10000)
        before += "\n\r\x1A\r\n\n\x1A";
    before.resize(0x10000);
    write_file(dir / "E:/bi2.bin", before);
    Result r = run(dir.path(), {"-d", "E", "0x1001", "0x0A0D1A0A"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(read_file(dir / "E:/bi2.bin") == patched_file(before, 0x1001, 0x0A0D1A0A));
}

// A file of 5 GiB, sparse: a build with 32-bit file sizes fails its stat,
// one with 32-bit offsets could not reach past 4 GiB. The block is
// rewritten in place and the size and the last bytes stay as they were.
TEST(Cli, RewritesTheBlockOfA5GiBFile) {
    constexpr std::uint64_t kSize = 5ULL << 30;
    ScratchDir dir;
    const std::string head = pattern(0x10000), tail = pattern(0x100).substr(0x80);
    write_file(dir / "big.bin", head);
    {
        std::fstream f(dir / "big.bin", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(kSize - tail.size()));
        f.write(tail.data(), static_cast<std::streamsize>(tail.size()));
        ASSERT_TRUE(f.good());
    }
    Result r = run(dir.path(), {"-o", "big.bin", "0x24", "0x12345678"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::filesystem::file_size(dir / "big.bin"), kSize);
    std::ifstream f(dir / "big.bin", std::ios::binary);
    std::string got_head(head.size(), '\0'), got_tail(tail.size(), '\0');
    f.read(got_head.data(), static_cast<std::streamsize>(got_head.size()));
    f.seekg(static_cast<std::streamoff>(kSize - tail.size()));
    f.read(got_tail.data(), static_cast<std::streamsize>(got_tail.size()));
    ASSERT_TRUE(f.good());
    EXPECT_TRUE(got_head == patched_file(head, 0x24, 0x12345678));
    EXPECT_TRUE(got_tail == tail);
}

TEST(Cli, RunsAccumulateAndRepeatingOneChangesNothing) {
    ScratchDir dir;
    ASSERT_EQ(run(dir.path(), {"-o", "f", "0x10", "0x11111111"}).status, 0);
    ASSERT_EQ(run(dir.path(), {"-o", "f", "0x14", "0x22222222"}).status, 0);
    std::string twice = patched_file(new_file(0x10, 0x11111111), 0x14, 0x22222222);
    EXPECT_TRUE(read_file(dir / "f") == twice);
    ASSERT_EQ(run(dir.path(), {"-o", "f", "0x14", "0x22222222"}).status, 0);
    EXPECT_TRUE(read_file(dir / "f") == twice);
}

TEST(Cli, NewFileGetsTheUsualPermissions) {
    if (windows_build())
        GTEST_SKIP() << "no file-creation mask on Windows";
    ScratchDir dir;
    // 0666 as reduced by the creation mask.
    for (mode_t mask : {0, 022, 077}) {
        SCOPED_TRACE(mask);
        std::string name = "f" + std::to_string(mask);
        mode_t old = umask(mask);
        Result r = run(dir.path(), {"-o", name, "0", "0"});
        umask(old);
        ASSERT_EQ(r.status, 0);
        struct stat st;
        ASSERT_EQ(stat((dir / name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);
    }
}

// Failures a real file system gives: the report of the failed call, status 1,
// and the file as it was. The reasons are the system's own words, as glibc,
// musl and Windows each put them; Windows' C library has no text for a short
// read, and for a name too long or a file used as a folder stat reports the
// path missing, so it is open that fails.
TEST(Cli, ReportsFailedFileCalls) {
    const std::string no_file = "open: No such file or directory\n";
    struct Case {
        std::string name;
        std::string target;
        std::string err, musl_err, windows_err;
    } cases[] = {
        {"short file", "short", "read: No data available\n", "read: No data available\n",
         "read: Input/output error\n"},
        {"empty file", "empty", "read: No data available\n", "read: No data available\n",
         "read: Input/output error\n"},
        {"missing folder", "nodir/f", no_file, no_file, no_file},
        {"empty path", "", no_file, no_file, no_file},
        {"file used as a folder", "short/f", "stat: Not a directory\n", "stat: Not a directory\n",
         no_file},
        {"name too long", std::string(256, 'n'), "stat: File name too long\n",
         "stat: Filename too long\n", no_file},
        // Opened for reading, a FIFO would wait for a writer that never
        // comes; it is refused at once, where it cannot seek (musl and
        // Wine's C runtime say so in words of their own).
        {"FIFO without a writer", "fifo", "lseek: Illegal seek\n", "lseek: Invalid seek\n",
         "lseek: Invalid argument\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const std::string short_file = pattern(0xF000);
        write_file(dir / "short", short_file);
        write_file(dir / "empty", "");
        ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0666), 0);
        Result r = run(dir.path(), {"-v", "-o", c.target, "0x10", "1"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(without_build_time(r.err), kTitle + (windows_build() ? c.windows_err
                                                       : musl_build()  ? c.musl_err
                                                                       : c.err));
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(read_file(dir / "short") == short_file);
        EXPECT_EQ(read_file(dir / "empty"), "");
        EXPECT_FALSE(exists(dir / "nodir"));
        struct stat st;
        ASSERT_EQ(stat((dir / "fifo").c_str(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode));
    }
}

// A limit on the size of the files it writes (ulimit -f), met by the write:
// the limit's signal would end the run without a word. The failed write is
// reported like any other, and what it wrote before the limit stays: the
// first 4 KiB of the block (with the value, not the signature) under a limit
// of 60 KiB, nothing under one below the block, on a file created empty. A
// limit the block's end reaches exactly lets the run succeed, in a file
// larger than the limit too.
TEST(Cli, ReportsAFileSizeLimitAsAFailedWrite) {
    if (windows_build())
        GTEST_SKIP() << "no limit on the size of files on Windows";
    constexpr std::uint32_t kOffset = 0x10, kValue = 0xA1B2C3D4;
    const std::string kTooLarge = "write: File too large\n";
    struct Case {
        std::string name;
        bool existing; // a file of 68 KiB, else none
        long limit;
        std::string err;     // empty: the run succeeds
        std::size_t written; // leading bytes of the block that the run leaves new
    } cases[] = {
        {"new file, limit 60 KiB", false, 0xF000, kTooLarge, 0x1000},
        {"existing file, limit 60 KiB", true, 0xF000, kTooLarge, 0x1000},
        {"new file, limit 32 KiB", false, 0x8000, kTooLarge, 0},
        {"existing file, limit 32 KiB", true, 0x8000, kTooLarge, 0},
        {"new file, limit 64 KiB", false, 0x10000, "", 0x2000},
        {"existing file, limit 64 KiB", true, 0x10000, "", 0x2000},
    };
    const std::string before = pattern(0x11000);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        if (c.existing)
            write_file(dir / "f", before);
        Start start{{"quorbin", "-o", "f", std::to_string(kOffset), std::to_string(kValue)}};
        start.max_file_size = c.limit;
        Result r = run(dir.path(), start);
        EXPECT_EQ(r.status, c.err.empty() ? 0 : 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
        const std::string done =
            c.existing ? patched_file(before, kOffset, kValue) : new_file(kOffset, kValue);
        std::string want = c.existing ? before : std::string(c.written > 0 ? 0xE000 : 0, '\0');
        if (c.written > 0)
            want.replace(0xE000, c.written, done, 0xE000, c.written);
        EXPECT_TRUE(read_file(dir / "f") == want);
        EXPECT_EQ(read_file(dir / "f").size(), want.size());
    }
}

} // namespace
