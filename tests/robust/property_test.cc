// SPDX-License-Identifier: MIT
// Random files, offsets and values against a model of what a run must leave:
// the file as it was, but for the value bytes that lie before the signature
// and the signature itself; a short file refused at the read and left as it
// was; a missing file made 64 KiB. Most runs call the update in-process, a
// smaller share goes through the built program.
//
// The seed is printed with every failure; QUORBIN_SEED=N repeats a run.
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "block/block.h"
#include "model.h"
#include "run.h"

namespace {

constexpr std::size_t kFileMin = 0x10000;
constexpr std::size_t kFileMax = 0x20000;

std::uint64_t seed() {
    static const std::uint64_t s = [] {
        const char *env = std::getenv("QUORBIN_SEED");
        return env ? std::strtoull(env, nullptr, 0) : std::random_device{}();
    }();
    return s;
}

// splitmix64: quick enough to fill 10,000 files of up to 128 KiB.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t operator()() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

  private:
    std::uint64_t state_;
};

// Reads the whole file into s in one call, or leaves s empty.
void slurp(const std::string &path, std::string &s) {
    s.clear();
    int fd = open(path.c_str(), O_RDONLY);
    struct stat st;
    if (fd >= 0 && fstat(fd, &st) == 0) {
        s.resize(static_cast<std::size_t>(st.st_size));
        ssize_t n = pread(fd, s.data(), s.size(), 0);
        s.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
    }
    if (fd >= 0)
        close(fd);
}

// Writes s as the whole file, or fails the test.
void spit(const std::string &path, const std::string &s) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) {
        ADD_FAILURE() << "cannot create " << path;
        return;
    }
    EXPECT_EQ(write(fd, s.data(), s.size()), static_cast<ssize_t>(s.size()));
    close(fd);
}

enum class Kind { kMissing, kShort, kWhole };

struct Trial {
    Kind kind;
    std::string before; // empty for a missing file
    std::uint32_t offset, value;

    std::string describe() const {
        std::ostringstream s;
        s << "seed " << seed() << ", file of " << before.size() << " bytes"
          << (kind == Kind::kMissing ? " (missing)" : "") << std::hex << ", offset 0x" << offset
          << ", value 0x" << value;
        return s.str();
    }
};

// Draws a trial into t. The buffers are reused from one trial to the next:
// the heap stays small, and so the forks stay cheap, under AddressSanitizer
// too, whose quarantine would otherwise hold on to every freed file image.
void random_trial(Rng &rng, Trial &t) {
    unsigned pick = rng() % 100;
    std::size_t size = 0;
    // One run in ten on a missing file, one in eight on a short one (each
    // costs a fork, as the update ends the process), the rest on files that
    // hold the block.
    if (pick < 10) {
        t.kind = Kind::kMissing;
    } else if (pick < 22) {
        t.kind = Kind::kShort;
        // Every length below 64 KiB, with the edges, where a fault would
        // hide, drawn more often: nothing, and a few bytes short of a block.
        unsigned edge = rng() % 4;
        size = edge == 0 ? rng() % 4 : edge == 1 ? kFileMin - 1 - rng() % 8 : rng() % kFileMin;
    } else {
        t.kind = Kind::kWhole;
        size = pick < 35 ? kFileMin : kFileMin + rng() % (kFileMax - kFileMin + 1);
    }
    t.before.resize(size);
    for (std::size_t i = 0; i < size; i += 8) {
        std::uint64_t bits = rng();
        for (std::size_t j = i; j < i + 8 && j < size; j++, bits >>= 8)
            t.before[j] = static_cast<char>(bits);
    }
    // A quarter of the offsets at the end of the block, where the value
    // meets the signature and the block's end.
    t.offset = rng() % 4 == 0 ? 0x1FF0 + rng() % 16 : rng() % 0x2000;
    t.value = static_cast<std::uint32_t>(rng());
}

// Puts in f what the file must hold after a successful run, by the model
// of the block (tests/model.h), in place: f keeps its buffer from one trial
// to the next.
void after_success(const Trial &t, std::string &f) {
    if (t.kind == Kind::kMissing)
        f.assign(model::kNewFileLen, '\0');
    else
        f.assign(t.before);
    model::patch_block(&f[model::kBlockAt], t.offset, t.value);
}

// Compares a file with what it must hold and says where it first differs.
::testing::AssertionResult holds(const std::string &got, const std::string &want) {
    if (got == want)
        return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i])
        i++;
    return ::testing::AssertionFailure()
           << "file of " << got.size() << " bytes, want " << want.size()
           << "; first difference at byte 0x" << std::hex << i;
}

// Calls update() in a child, for runs that must fail: it ends the process.
// Like every run under test, the child has 20 s; then its alarm ends it and
// the test fails.
Result update_in_child(const std::string &path, std::uint32_t offset, std::uint32_t value,
                       const std::string &err_path) {
    constexpr unsigned kTimeLimitSeconds = 20;
    pid_t pid = fork();
    if (pid == 0) {
        alarm(kTimeLimitSeconds);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err < 0 || dup2(err, 2) < 0)
            _exit(127);
        update(path.c_str(), offset, value);
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return Result{-2, "", "fork or wait failed"};
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
        throw std::runtime_error("update() still running after " +
                                 std::to_string(kTimeLimitSeconds) + " s, its process killed");
    return Result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, "", read_file(err_path)};
}

TEST(Property, UpdateChangesOnlyTheValueAndTheSignature) {
    // 10,000 by default; the sanitizer build sets fewer (CMakePresets.json).
    constexpr int kRuns = QUORBIN_PROPERTY_RUNS;
    Rng rng(seed());
    ScratchDir dir;
    const std::string path = dir / "bi2.bin";
    const std::string err_path = dir / "stderr";
    int kinds[3] = {};
    Trial t;
    std::string got, want;
    for (int n = 0; n < kRuns && !HasFailure(); n++) {
        random_trial(rng, t);
        SCOPED_TRACE(t.describe());
        kinds[static_cast<int>(t.kind)]++;
        if (t.kind == Kind::kMissing)
            unlink(path.c_str());
        else
            spit(path, t.before);

        if (t.kind == Kind::kShort) {
            Result r = update_in_child(path, t.offset, t.value, err_path);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, "read: No data available\n");
            want.assign(t.before);
        } else {
            update(path.c_str(), t.offset, t.value);
            after_success(t, want);
        }
        slurp(path, got);
        EXPECT_TRUE(holds(got, want));
    }
    // The draw must have covered every kind of file.
    for (int k : kinds)
        EXPECT_GT(k, kRuns / 20);
}

// Numbers written each way the command line takes them.
std::string spell(std::uint32_t n, Rng &rng) {
    std::ostringstream s;
    switch (rng() % 3) {
    case 0:
        s << n;
        break;
    case 1:
        s << (rng() % 2 ? "0x" : "0X") << std::hex << n;
        break;
    default:
        s << "0" << std::oct << n;
        break;
    }
    return s.str();
}

TEST(Property, TheProgramChangesOnlyTheValueAndTheSignature) {
    constexpr int kRuns = 300;
    Rng rng(seed() + 1);
    ScratchDir dir;
    const std::string path = dir / "bi2.bin";
    Trial t;
    std::string got, want;
    for (int n = 0; n < kRuns && !HasFailure(); n++) {
        random_trial(rng, t);
        SCOPED_TRACE(t.describe());
        if (t.kind == Kind::kMissing)
            unlink(path.c_str());
        else
            spit(path, t.before);

        Result r = run(dir.path(), {"-o", "bi2.bin", spell(t.offset, rng), spell(t.value, rng)});
        EXPECT_EQ(r.out, "");
        if (t.kind == Kind::kShort) {
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, "read: No data available\n");
            want.assign(t.before);
        } else {
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.err, "");
            after_success(t, want);
        }
        slurp(path, got);
        EXPECT_TRUE(holds(got, want));
    }
}

} // namespace
