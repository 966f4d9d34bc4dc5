// SPDX-License-Identifier: MIT
// End-to-end: names past ASCII. The file named is the file patched, and a
// look-alike ASCII file beside it is left alone; words that only look like
// options or digits are neither; the limits count what the system counts.
// On Linux names are bytes and the limits count bytes; the Windows build
// takes its words in UTF-16 and counts UTF-16 units, a character outside
// the BMP as two. win/check runs the table under Wine in code page 1252
// and in 932, whose ANSI forms would map ¥ to a backslash.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model.h"
#include "run.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

std::string refusal(const std::string &message, const std::string &name = "quorbin") {
    return name + ": " + message + "\n" + usage(name);
}

// The option parser's words for a letter outside the option string. glibc
// and musl show the first byte of the character, mingw's words (said by the
// tool) the whole character.
std::string unknown_option(const std::string &c, const std::string &argv0 = "quorbin") {
    if (windows_build())
        return argv0 + ": unknown option -- " + c + "\n";
    if (musl_build())
        return argv0 + ": unrecognized option: " + c[0] + "\n";
    return argv0 + ": invalid option -- '" + c[0] + "'\n";
}

std::string repeat(const std::string &s, int n) {
    std::string r;
    while (n-- > 0)
        r += s;
    return r;
}

// Every regular file under root, by its path relative to root.
std::map<std::string, std::string> files_under(const std::string &root) {
    std::map<std::string, std::string> files;
    for (const auto &e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files[fs::relative(e.path(), root).string()] = read_file(e.path().string());
    return files;
}

TEST(Unicode, TheFileNamedIsTheFilePatched) {
    // The runs start in in/here, so that ../../ leads to the scratch folder.
    // E: and Q: are drives under Wine (folders elsewhere).
    const Args folders = {"a", "dir", "dir日本", "E:/Jürgen", "E:/Jurgen", "Q:"};
    // The ASCII files a best-fitting code page makes of the names below,
    // there before each run and never to be touched.
    const Args look_alikes = {"a/b.bin",   "Lódz.bin", "Lodz.bin",         "X.bin",
                              "ete.bin",   "x.bin",    "../../x.bin",      "Q:/x.bin",
                              "dir/b.bin", "f",        "E:/Jurgen/bi2.bin"};
    const std::string before = pattern(0x10000);

    // Paths at the limits, in folders of at most 255 bytes (the Unix limit
    // under Wine too).
    const std::string cjk80 = repeat("日", 80), emoji60 = repeat("😀", 60), e100 = repeat("é", 100);
    const std::string cjk259 = cjk80 + "/" + cjk80 + "/" + cjk80 + "/" + repeat("本", 16);
    const std::string emoji259 = emoji60 + "/" + emoji60 + "/" + std::string(17, 'x');
    const std::string ascii257 = std::string(200, 'p') + "/" + std::string(56, 'q');
    const std::string bytes259 = e100 + "/" + repeat("é", 29);
    const std::string drive250 = "😀😀" + std::string(246, 'x'); // 250 units, 254 bytes
    const std::string longer = "ERROR:-o argument is longer than 259 characters";
    const std::string no_operands = "You need to specify offset and data";
    const std::string bad_option = "ERROR:-? No such option";
    const std::string invalid = "ERROR:invalid Unicode on the command line";
    const std::string replaced = "\xEF\xBF\xBD"; // U+FFFD

    enum Outcome { kDone, kDoneOnWindows, kRefused };
    struct Case {
        std::string name;
        Args args;
        std::string target; // the file made or patched (its folder is made first)
        Outcome outcome;
        std::string err; // where the run fails; a run that succeeds prints nothing
        bool existing = false;
        std::uint32_t offset = 0x24, value = 0x12345678;
        std::string argv0 = "quorbin";
        bool windows_only = false; // a lone surrogate, which a Unix word cannot hold
    } cases[] = {
        // Names that a best fit would turn into other names.
        {"fullwidth solidus", {"-o", "a／b.bin", "0x24", "0x12345678"}, "a／b.bin", kDone, ""},
        {"fullwidth reverse solidus",
         {"-o", "a＼b.bin", "0x24", "0x12345678"},
         "a＼b.bin",
         kDone,
         ""},
        {"division slash", {"-o", "a∕b.bin", "0x24", "0x12345678"}, "a∕b.bin", kDone, ""},
        {"two folders up",
         {"-o", "..／..／x.bin", "0x24", "0x12345678"},
         "..／..／x.bin",
         kDone,
         ""},
        // Q: stands for C:, which Wine keeps for itself.
        {"fullwidth colon", {"-o", "Q：x.bin", "0x24", "0x12345678"}, "Q：x.bin", kDone, ""},
        {"yen sign", {"-o", "a¥b.bin", "0x24", "0x12345678"}, "a¥b.bin", kDone, ""},
        {"Latin Extended", {"-o", "Łódź.bin", "0x24", "0x12345678"}, "Łódź.bin", kDone, "", true},
        {"accented", {"-o", "été.bin", "0x24", "0x12345678"}, "été.bin", kDone, ""},
        {"fullwidth letter", {"-o", "Ｘ.bin", "0x24", "0x12345678"}, "Ｘ.bin", kDone, "", true},
        {"CJK folder", {"-o", "dir日本/b.bin", "0x24", "0x12345678"}, "dir日本/b.bin", kDone, ""},
        {"emoji", {"-o", "😀.bin", "0x24", "0x12345678"}, "😀.bin", kDone, ""},
        {"drive path",
         {"-o", "E:/Jürgen/bi2.bin", "0x24", "0x12345678"},
         "E:/Jürgen/bi2.bin",
         kDone,
         "",
         true},
        // Words that only look like options or digits.
        {"fullwidth hyphen and h",
         {"-o", "f", "0x30", "－ｈ", "7"},
         "",
         kRefused,
         refusal(no_operands)},
        {"fullwidth hyphen and o",
         {"0x24", "1", "－ｏ", "x.bin"},
         "",
         kRefused,
         refusal(no_operands)},
        {"soft hyphen and h", {"-o", "f", "\u00ADh", "0", "1"}, "", kRefused, refusal(no_operands)},
        {"fullwidth h",
         {"-ｈ", "-o", "f", "0", "1"},
         "",
         kRefused,
         unknown_option("ｈ") + refusal(bad_option)},
        {"fullwidth digits", {"-o", "g", "０x２４", "1"}, "g", kDone, "", false, 0, 1},
        {"fullwidth hyphen before a digit",
         {"-o", "g", "--", "0x10", "－1"},
         "g",
         kDone,
         "",
         false,
         0x10,
         0},
        {"soft hyphen before a digit",
         {"-o", "g", "0x10", "\u00AD5"},
         "g",
         kDone,
         "",
         false,
         0x10,
         0},
        // The limits: 259 UTF-16 units on Windows, 259 bytes on Linux.
        {"259 units of CJK",
         {"-o", cjk259, "0", "1"},
         cjk259,
         kDoneOnWindows,
         refusal(longer),
         false,
         0,
         1},
        {"260 units of CJK", {"-o", cjk259 + "x", "0", "1"}, "", kRefused, refusal(longer)},
        {"259 units, emoji",
         {"-o", emoji259, "0", "1"},
         emoji259,
         kDoneOnWindows,
         refusal(longer),
         false,
         0,
         1},
        {"260 units, emoji", {"-o", emoji259 + "x", "0", "1"}, "", kRefused, refusal(longer)},
        {"257 units and an emoji",
         {"-o", ascii257 + "😀", "0", "1"},
         ascii257 + "😀",
         kDoneOnWindows,
         refusal(longer),
         false,
         0,
         1},
        {"258 units and an emoji (259 characters)",
         {"-o", ascii257 + "q😀", "0", "1"},
         "",
         kRefused,
         refusal(longer)},
        {"259 bytes", {"-o", bytes259, "0", "1"}, bytes259, kDone, "", false, 0, 1},
        {"260 bytes, 131 units",
         {"-o", bytes259 + "x", "0", "1"},
         bytes259 + "x",
         kDoneOnWindows,
         refusal(longer),
         false,
         0,
         1},
        {"-d of 255 units, then another",
         {"-d", repeat("日", 255), "-d", "E", "0", "1"},
         "E:/bi2.bin",
         kDoneOnWindows,
         refusal("ERROR:-d argument is longer than 259 characters"),
         false,
         0,
         1},
        {"-d of 250 units",
         {"-d", drive250, "0", "1"},
         drive250 + ":/bi2.bin",
         kDoneOnWindows,
         refusal("ERROR:-d argument makes the path longer than 259 characters"),
         false,
         0,
         1},
        {"-d of 251 units",
         {"-d", drive250 + "x", "0", "1"},
         "",
         kRefused,
         refusal("ERROR:-d argument makes the path longer than 259 characters")},
        // The program name.
        {"accented name",
         {"0"},
         "",
         kRefused,
         refusal(no_operands, "C:\\tools\\Łódź.exe"),
         false,
         0,
         0,
         "C:\\tools\\Łódź.exe"},
        {"name past the BMP",
         {"-y"},
         "",
         kRefused,
         unknown_option("y", "./outils/pätch😀") + refusal(bad_option, "pätch😀"),
         false,
         0,
         0,
         "./outils/pätch😀"},
        // A word that is no valid UTF-16 (run-as decodes \uXXXX).
        {"lone high surrogate",
         {"-o", "a\\uD800b.bin", "0", "1"},
         "",
         kRefused,
         refusal(invalid),
         false,
         0,
         0,
         "quorbin",
         true},
        {"lone low surrogate before -h",
         {"-h", "\\uDC00"},
         "",
         kRefused,
         refusal(invalid),
         false,
         0,
         0,
         "quorbin",
         true},
        {"lone surrogate in the name",
         {"-v", "-o", "g", "0", "1"},
         "",
         kRefused,
         refusal(invalid, "qu" + replaced + "rbin"),
         false,
         0,
         0,
         "qu\\uDBFFrbin",
         true},
        {"a pair is no fault",
         {"-o", "\\uD83D\\uDE00.bin", "0", "1"},
         "😀.bin",
         kDone,
         "",
         false,
         0,
         1,
         "quorbin",
         true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.windows_only && !windows_build())
            continue;
        ScratchDir dir;
        const std::string cwd = dir / "in/here";
        fs::create_directories(cwd);
        for (const auto &f : folders)
            fs::create_directories(cwd + "/" + f);
        std::map<std::string, std::string> expected;
        for (const auto &f : look_alikes) {
            write_file(cwd + "/" + f, before);
            expected[fs::relative(cwd + "/" + f, dir.path()).lexically_normal().string()] = before;
        }
        bool done = c.outcome == kDone || (c.outcome == kDoneOnWindows && windows_build());
        if (!c.target.empty()) {
            fs::create_directories(fs::path(cwd + "/" + c.target).parent_path());
            if (c.existing)
                write_file(cwd + "/" + c.target, before);
            if (done)
                expected["in/here/" + c.target] =
                    c.existing ? model::patched_file(before, c.offset, c.value)
                               : model::new_file(c.offset, c.value);
            else if (c.existing)
                expected["in/here/" + c.target] = before;
        }
        DriveMap e('E', cwd + "/E:"), q('Q', cwd + "/Q:");
        Result r = run(cwd, c.args, {"RUN_AS_UNESCAPE=1"}, c.argv0);
        EXPECT_EQ(r.status, done ? 0 : 1);
        EXPECT_EQ(r.err, done ? "" : c.err);
        EXPECT_EQ(r.out, "");
        auto files = files_under(dir.path());
        for (const auto &[path, bytes] : expected)
            EXPECT_TRUE(files.count(path) && files[path] == bytes)
                << path << " is not as it should";
        for (const auto &[path, bytes] : files)
            EXPECT_TRUE(expected.count(path)) << path << " should not be there";
    }
}

} // namespace
