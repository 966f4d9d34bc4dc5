// SPDX-License-Identifier: MIT
// The static musl program's start-up. musl's start files relocate the
// program and leave what the linker marked read-only after relocation
// (PT_GNU_RELRO: the GOT, the pointer tables) writable, where the system's
// loader or glibc's static start-up would protect it; this protects it
// before main. Only the musl build compiles it (cmake/musl.cmake).
#include <cstddef>
#include <cstdint>

#include <elf.h>
#include <link.h>
#include <sys/auxv.h>
#include <sys/mman.h>

// The program's ELF header, where the linker put it: the first byte of the
// first segment.
extern "C" const ElfW(Ehdr) __ehdr_start;

namespace {

[[gnu::constructor]] void protect_relro() {
    const auto *ehdr = &__ehdr_start;
    const auto *phdr =
        reinterpret_cast<const ElfW(Phdr) *>(reinterpret_cast<const char *>(ehdr) + ehdr->e_phoff);
    // The header lies at the address of the segment that starts the file; a
    // position-independent program's first segment is at 0.
    auto base = reinterpret_cast<std::uintptr_t>(ehdr);
    for (int i = 0; i < ehdr->e_phnum; i++)
        if (phdr[i].p_type == PT_LOAD && phdr[i].p_offset == 0) {
            base -= phdr[i].p_vaddr;
            break;
        }
    const std::uintptr_t page = getauxval(AT_PAGESZ);
    for (int i = 0; i < ehdr->e_phnum; i++) {
        if (phdr[i].p_type != PT_GNU_RELRO)
            continue;
        // The whole pages of the part, as a loader protects them.
        std::uintptr_t from = (base + phdr[i].p_vaddr) & ~(page - 1);
        std::uintptr_t to = (base + phdr[i].p_vaddr + phdr[i].p_memsz) & ~(page - 1);
        // Like a loader, on a failure it leaves the pages as they are: the
        // run itself does not depend on them. The program headers give
        // addresses as numbers.
        if (to > from)
            mprotect(reinterpret_cast<void *>(from), to - from, // NOLINT(performance-no-int-to-ptr)
                     PROT_READ);
    }
}

} // namespace
