// SPDX-License-Identifier: MIT
#include "block/layout.h"

void patch(std::uint8_t *image, std::uint32_t offset, std::uint32_t value) {
    // Written as offset < kBlockSize - i so that no offset can wrap around.
    for (std::uint32_t i = 0; i < 4 && offset < kBlockSize - i; i++)
        image[offset + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    for (std::uint32_t i = 0; i < 4; i++)
        image[kSignatureOffset + i] = kSignature[i];
}
