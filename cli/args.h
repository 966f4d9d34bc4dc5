// SPDX-License-Identifier: MIT
// Reading the words of the command line.
#ifndef QUORBIN_CLI_ARGS_H
#define QUORBIN_CLI_ARGS_H

#include <cstdint>

// The part of argv[0] after its last '/', or all of it when it has none.
const char *program_name(const char *argv0);

// Reads a number the way strtoul does with base 0 (blanks, one sign, 0x for
// hex, 0 for octal, stops at the first non-digit, no digits gives 0), but to
// 32 bits: the magnitude saturates at 0xFFFFFFFF before a minus negates it
// modulo 2^32.
std::uint32_t read_number(const char *s);

#endif
