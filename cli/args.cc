// SPDX-License-Identifier: MIT
#include "cli/args.h"

#include <cstring>

namespace {

constexpr std::uint64_t kMax = 0xFFFFFFFF;

bool is_blank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

} // namespace

const char *program_name(const char *argv0) {
    const char *slash = std::strrchr(argv0, '/');
    return slash ? slash + 1 : argv0;
}

std::uint32_t read_number(const char *s) {
    while (is_blank(*s))
        s++;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+')
        s++;

    int base = 10;
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && digit(s[2]) < 16) {
        base = 16;
        s += 2;
    } else if (s[0] == '0') {
        base = 8;
    }

    std::uint64_t n = 0;
    for (int d; (d = digit(*s)) < base; s++)
        n = n > kMax ? n : n * base + d;
    if (n > kMax)
        n = kMax;
    auto result = static_cast<std::uint32_t>(n);
    return negative ? 0u - result : result;
}
