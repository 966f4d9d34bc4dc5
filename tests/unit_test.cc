// SPDX-License-Identifier: MIT
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "block/layout.h"
#include "cli/args.h"
#include "model.h"

namespace {

TEST(ReadNumber, FollowsStrtoulBaseZeroTo32Bits) {
    struct Case {
        const char *text;
        std::uint32_t want;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"0x24", 0x24},
        {"0X1fFf", 0x1FFF},
        {"0xABCDEF01", 0xABCDEF01},
        {"017", 15},
        {"08", 0}, // octal stops at the 8
        {"0x", 0}, // no hex digit: the 0 alone is read
        {"0xg1", 0},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"+", 0},
        {" \t\n\v\f\r7", 7}, // leading blanks of every kind
        {"- 7", 0},          // no blank between sign and digits
        {"+-7", 0},          // one sign only
        {"--7", 0},
        {"+0x10", 0x10},
        {"-1", 0xFFFFFFFF},
        {"-2", 0xFFFFFFFE},
        {"-0x1", 0xFFFFFFFF},
        {"4294967295", 0xFFFFFFFF},
        {"4294967296", 0xFFFFFFFF}, // the magnitude saturates...
        {"0x100000000", 0xFFFFFFFF},
        {"0x123456789", 0xFFFFFFFF},
        {"99999999999999999999999999", 0xFFFFFFFF},
        {"18446744073709551616", 0xFFFFFFFF}, // 2^64: must not wrap to 0
        {"0x10000000000000000", 0xFFFFFFFF},
        {"0x10000000000000001", 0xFFFFFFFF},
        {"-18446744073709551616", 1},
        {"-4294967296", 1}, // ...before the minus negates it
        {"-4294967295", 1},
        {"-99999999999999999999999999", 1},
        {"-2147483648", 0x80000000},
        {"00000000000000000000000000012", 10},
        {"1 2", 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(read_number(c.text), c.want) << '"' << c.text << '"';
}

TEST(ProgramName, IsTheTextAfterTheLastSlash) {
    struct Case {
        const char *argv0;
        const char *want;
    } cases[] = {
        {"quorbin", "quorbin"},
        {"./quorbin", "quorbin"},
        {"/usr/local/bin/quorbin", "quorbin"},
        {"./tools/patch", "patch"},
        {"C:\\tools\\patch.exe", "C:\\tools\\patch.exe"}, // a backslash is no separator
        {"dir/", ""},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(program_name(c.argv0), c.want) << c.argv0;
}

TEST(Patch, PutsTheValueBigEndianThenTheSignature) {
    struct Case {
        std::uint32_t offset;
        std::uint32_t value;
    } cases[] = {
        {0x0000, 0x12345678}, {0x0010, 0x12345678}, {0x0101, 0xA1B2C3D4}, {0x0123, 0x0A0D1A00},
        {0x1FF8, 0xDEADBEEF}, {0x1FF9, 0xDEADBEEF}, {0x1FFA, 0xDEADBEEF}, {0x1FFB, 0xDEADBEEF},
        {0x1FFC, 0xDEADBEEF}, {0x1FFD, 0xDEADBEEF}, {0x1FFE, 0xDEADBEEF}, {0x1FFF, 0xDEADBEEF},
        {0x0000, 0x00000000}, {0x0004, 0xFFFFFFFF},
    };
    // One zero image and one full of a pattern, so that a stray write shows.
    std::vector<std::uint8_t> zero(kBlockSize, 0), filled(kBlockSize);
    for (std::size_t i = 0; i < filled.size(); i++)
        filled[i] = static_cast<std::uint8_t>(i * 7 + 3);

    for (const auto &c : cases) {
        for (const auto *before : {&zero, &filled}) {
            // Guard bytes on both sides catch a write outside the image.
            std::vector<std::uint8_t> buf(kBlockSize + 8, 0x55);
            std::copy(before->begin(), before->end(), buf.begin() + 4);
            patch(buf.data() + 4, c.offset, c.value);

            std::vector<std::uint8_t> got(buf.begin() + 4, buf.end() - 4);
            std::vector<std::uint8_t> want = *before;
            model::patch_block(want.data(), c.offset, c.value);
            EXPECT_EQ(got, want) << std::hex << "offset 0x" << c.offset;
            for (int i = 0; i < 4; i++) {
                EXPECT_EQ(buf[i], 0x55) << std::hex << "offset 0x" << c.offset;
                EXPECT_EQ(buf[buf.size() - 1 - i], 0x55) << std::hex << "offset 0x" << c.offset;
            }
        }
    }
}

TEST(Patch, IgnoresTheValueOverTheSignatureAndKeepsIt) {
    std::vector<std::uint8_t> image(kBlockSize, 0);
    patch(image.data(), 0x10, 1);
    auto once = image;
    patch(image.data(), 0x1FFC, 0x11223344);
    EXPECT_EQ(image, once);
}

} // namespace
