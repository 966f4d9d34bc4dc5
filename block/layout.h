// SPDX-License-Identifier: MIT
// Where the BI block lies in the file and what goes into it.
#ifndef QUORBIN_BLOCK_LAYOUT_H
#define QUORBIN_BLOCK_LAYOUT_H

#include <cstdint>

#include "block/block.h"

// First byte of the block in the file; the block ends at 0xFFFF.
constexpr std::uint32_t kBlockOffset = 0xE000;

// The last four bytes of every block the tool writes.
constexpr std::uint32_t kSignatureOffset = kBlockSize - 4;
constexpr std::uint8_t kSignature[4] = {0xC3, 0xF8, 0x1A, 0x8E};

// Stores value big-endian at offset of the kBlockSize-byte image, dropping
// any byte past the end, then stamps the signature over the last four bytes.
void patch(std::uint8_t *image, std::uint32_t offset, std::uint32_t value);

#endif
