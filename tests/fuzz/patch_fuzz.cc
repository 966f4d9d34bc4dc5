// SPDX-License-Identifier: MIT
// patch() against a model: any offset below 0x2000, any value, any image.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "block/layout.h"
#include "model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 6)
        return 0;
    // Bytes 0-1: the offset (13 bits); 2-5: the value; the rest, repeated,
    // is what the image held before (zeros when there is no rest).
    const std::uint32_t offset = (data[0] | data[1] << 8) & 0x1FFFu;
    std::uint32_t value = 0;
    for (int i = 2; i < 6; i++)
        value = value << 8 | data[i];
    const std::uint8_t *fill = data + 6;
    const std::size_t fill_size = size - 6;

    // The image on the heap, exactly 8192 bytes: AddressSanitizer traps a
    // write past either end of it.
    auto *image = static_cast<std::uint8_t *>(std::malloc(0x2000));
    if (image == nullptr)
        return 0;
    std::uint8_t want[0x2000];
    for (std::size_t i = 0; i < 0x2000; i++)
        image[i] = fill_size ? fill[i % fill_size] : 0;

    std::memcpy(want, image, sizeof want);
    model::patch_block(want, offset, value);

    patch(image, offset, value);
    if (std::memcmp(image, want, sizeof want) != 0) {
        std::size_t i = 0;
        while (image[i] == want[i])
            i++;
        std::fprintf(stderr, "patch(0x%04x, 0x%08x): byte 0x%04zx is 0x%02x, model says 0x%02x\n",
                     offset, value, i, image[i], want[i]);
        std::abort();
    }
    std::free(image);
    return 0;
}
