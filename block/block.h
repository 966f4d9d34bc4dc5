// SPDX-License-Identifier: MIT
// The BI block of a bi2.bin file, as the front end sees it.
#ifndef QUORBIN_BLOCK_BLOCK_H
#define QUORBIN_BLOCK_BLOCK_H

#include <cstdint>

// Size of the BI block in bytes; a value may go at any offset below it.
constexpr std::uint32_t kBlockSize = 0x2000;

// Reads the block of the file at path (or starts from zeros when the file
// does not exist), puts value big-endian at offset and the signature at the
// end of the block, and writes the block back in place. offset must be below
// kBlockSize. Returns only on success; on failure it reports the failed call
// on stderr and exits with status 1.
void update(const char *path, std::uint32_t offset, std::uint32_t value);

#endif
