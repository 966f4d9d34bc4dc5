// SPDX-License-Identifier: MIT
// quorbin: sets one 32-bit value in the BI block of a bi2.bin file.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <getopt.h>
#include <unistd.h>

#include "block/block.h"
#include "cli/args.h"
#include "cli/platform.h"

namespace {

// A path or drive text holds at most kPathMax units, as the system counts
// them (text_units); its field has room for them in UTF-8, which takes at
// most four bytes for any unit a system counts (a byte, a UTF-16 unit, a
// character), and for the terminator.
constexpr std::size_t kTextSize = kPathMax * 4 + 1;
constexpr char kDriveFile[] = ":/bi2.bin";

// Set once from argv[0]; every message of the tool's own names it.
const char *progname = "quorbin";

// Started with no words at all (which Linux turns into one empty word), the
// tool keeps its own name.
void name_program(int argc, char *argv[]) {
    if (argc > 0 && argv[0] != nullptr && argv[0][0] != '\0')
        progname = program_name(argv[0]);
}

// The usage text is fixed, byte for byte, as it stands: scripts compare it
// whole. That it lists no -d and that its synopsis has no -v is part of it.
void usage() {
    say("\n"
        "Usage:  %s {-d driveletter | -o outfile} [-h] offset data\n"
        "\n"
        "    -o        Specifies output file (defaults to <driveletter>:/bi2.bin)\n"
        "    -h        Prints this message and exit\n"
        "    -v        Turns on verbose mode\n"
        "    offset    Location where to modify\n"
        "    data      Data to set to the location\n"
        "\n"
        "  Either -d or -o should always be specified.\n"
        "  If both are specified, -d is ignored\n"
        "\n",
        progname);
}

// Prints a command-line error and the usage text, and ends the run. Every
// failure ends the process where it is found: nothing is held that exit
// does not release, so there is nothing to unwind.
[[noreturn]] void usage_error(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void usage_error(const char *fmt, ...) {
    va_list ap;
    say("%s: ", progname);
    va_start(ap, fmt);
    print_error(fmt, ap);
    va_end(ap);
    usage();
    std::exit(1);
}

// Copies an option argument into a text field, refusing what does not fit:
// more units than the limit, or more bytes than the field holds.
void set_text(char *field, const char *arg, int opt) {
    if (text_units(arg) > kPathMax || std::strlen(arg) >= kTextSize)
        usage_error("ERROR:-%c argument is longer than 259 characters\n", opt);
    std::memcpy(field, arg, std::strlen(arg) + 1);
}

// With POSIXLY_CORRECT set, the options end at the first operand: glibc's
// and mingw-w64's parsers read the variable themselves, musl's does not, and
// each of them stops so for a '+' ahead of the options.
constexpr char kOptions[] = "vd:ho:";
constexpr char kOptionsInOrder[] = "+vd:ho:";

} // namespace

// Every message below, like the usage text, is fixed byte for byte: its
// words, its "ERROR:" or "WARNING:" tag, its blanks and its newlines.
// Scripts compare the tool's stderr with them; a message reworded, however
// much better it reads, breaks them.
int run(int argc, char *argv[]) {
    // Both empty; only what a text holds is ever read.
    char drive[kTextSize], path[kTextSize];
    drive[0] = path[0] = '\0';
    bool verbose = false, drive_given = false, output_given = false;
    int c;

    name_program(argc, argv);
    const char *options = std::getenv("POSIXLY_CORRECT") != nullptr ? kOptionsInOrder : kOptions;
    while ((c = next_option(argc, argv, options)) != -1) {
        switch (c) {
        case 'd':
            set_text(drive, optarg, c);
            drive_given = true;
            break;
        case 'h':
            usage();
            return 0;
        case 'o':
            set_text(path, optarg, c);
            output_given = true;
            break;
        case 'v':
            verbose = true;
            break;
        default:
            usage_error("ERROR:-%c No such option\n", c);
        }
    }
    argc -= optind;
    argv += optind;

    if (argc != 2)
        usage_error("You need to specify offset and data\n");
    std::uint32_t offset = read_number(argv[0]);
    std::uint32_t value = read_number(argv[1]);
    if (offset >= kBlockSize)
        usage_error(
            "Specified offset %d(0x%04x) is out of range. Need to be less than %d(0x%04x)\n",
            static_cast<int>(static_cast<std::int32_t>(offset)), offset,
            static_cast<int>(kBlockSize), kBlockSize);

    if (verbose)
        say("Zolvane Quorbin. Version %s, Copyright (C) " QUORBIN_COPYRIGHT_YEAR
            " the Zolvane Quorbin authors.\n"
            "Built : %s %s\n",
            QUORBIN_VERSION, QUORBIN_BUILD_DATE, QUORBIN_BUILD_TIME);

    if (output_given && drive_given) {
        say("%s: WARNING:-d and -o are specified at the same time. Ignore -d\n", progname);
    } else if (drive_given) {
        if (text_units(drive) + std::strlen(kDriveFile) > kPathMax ||
            std::strlen(drive) + sizeof kDriveFile > kTextSize)
            usage_error("ERROR:-d argument makes the path longer than 259 characters\n");
        std::strcat(std::strcpy(path, drive), kDriveFile);
    } else if (!output_given) {
        usage_error("ERROR:You need to specify -d option when you don't use -o option\n");
    }

    update(path, offset, value);

    if (verbose)
        say("\nDone\n");
    return 0;
}

void refuse(int argc, char *argv[], const char *message) {
    name_program(argc, argv);
    usage_error("%s", message);
}

int main(int argc, char *argv[]) {
    return run(argc, argv);
}
