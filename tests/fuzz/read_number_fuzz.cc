// SPDX-License-Identifier: MIT
// read_number against strtoull: any text, the same number.
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/args.h"

namespace {

// The operand rules by another road. The blanks and the one sign are taken
// off here, since strtoull would also take blanks or a second sign after the
// first; the digits are left to strtoull with base 0 (0x, 0, decimal; stops
// at the first non-digit), whose 64-bit result is then held to 32 bits before
// the minus negates it modulo 2^32.
std::uint32_t model(const char *s) {
    while (std::isspace(static_cast<unsigned char>(*s)))
        s++;
    bool negative = false;
    if (*s == '+' || *s == '-') {
        negative = *s == '-';
        s++;
    }
    if (!std::isdigit(static_cast<unsigned char>(*s)))
        return 0; // a number starts with a digit, "0x" with its 0
    errno = 0;
    unsigned long long magnitude = std::strtoull(s, nullptr, 0); // ULLONG_MAX on ERANGE
    std::uint64_t m = magnitude > 0xFFFFFFFFull ? 0xFFFFFFFFull : magnitude;
    return static_cast<std::uint32_t>(negative ? (0x100000000ull - m) % 0x100000000ull : m);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // A buffer of just the text and its terminator, so that reading past it
    // is caught; a zero byte in the input ends the text early, as in argv.
    char *text = static_cast<char *>(std::malloc(size + 1));
    if (text == nullptr)
        return 0;
    std::memcpy(text, data, size);
    text[size] = '\0';
    std::uint32_t got = read_number(text);
    std::uint32_t want = model(text);
    if (got != want) {
        std::fprintf(stderr, "read_number(\"%s\") = 0x%08x, model says 0x%08x\n", text, got, want);
        std::abort();
    }
    std::free(text);
    return 0;
}
