// SPDX-License-Identifier: MIT
// What a patched BI block holds, for every test that checks one: written
// out here from the block's description, apart from the tool's own code
// (block/patch.cc), so that a fault there cannot slip into the expectation.
// Header-only, so that the fuzz targets (a project of their own) take it too.
#ifndef QUORBIN_TESTS_MODEL_H
#define QUORBIN_TESTS_MODEL_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace model {

constexpr std::size_t kBlockAt = 0xE000;  // the block's first byte in the file
constexpr std::size_t kBlockLen = 0x2000; // it ends with the file's byte 0xFFFF
constexpr std::size_t kNewFileLen = kBlockAt + kBlockLen;
constexpr std::uint32_t kSignatureAt = 0x1FFC; // in the block
constexpr std::uint8_t kSignature[4] = {0xC3, 0xF8, 0x1A, 0x8E};

// Patches the kBlockLen bytes at block (char or byte) for an offset below
// kBlockLen: the value's bytes, most significant first, as far as they lie
// before the signature, then the signature; every other byte stays.
template <typename Byte> void patch_block(Byte *block, std::uint32_t offset, std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
        static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    for (std::uint32_t i = 0; i < 4; i++)
        if (offset + i < kSignatureAt)
            block[offset + i] = static_cast<Byte>(bytes[i]);
    for (std::uint32_t i = 0; i < 4; i++)
        block[kSignatureAt + i] = static_cast<Byte>(kSignature[i]);
}

// A file that holds the whole block, as a successful run leaves it.
inline std::string patched_file(std::string file, std::uint32_t offset, std::uint32_t value) {
    patch_block(&file[kBlockAt], offset, value);
    return file;
}

// A file that was not there before the run: zeros up to the block's end.
inline std::string new_file(std::uint32_t offset, std::uint32_t value) {
    return patched_file(std::string(kNewFileLen, '\0'), offset, value);
}

} // namespace model

#endif
