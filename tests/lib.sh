# SPDX-License-Identifier: MIT
# What every check script shares; each sources it, by its path from the
# script's folder:
#
#   source "$(dirname "$0")/../tests/lib.sh"
#
# and is then in the tree's root ($root), with a scratch folder ($tmp,
# removed at exit) and these helpers:
#   fail, note                 a failure named after the script; a progress line
#   need TOOL:PACKAGE...       each tool on PATH, or a failure naming its package
#   copy_tree DEST             the tree as a release tarball holds it
#   version, year              project(VERSION), the year of LICENSE
#   no_warnings LOG NAME       no compiler or linker warning in a log
#   preset_tree PRESET         configure and build a preset's tree, once a run
#   hosts [SYSTEM], host ROW   the rows of dist/hosts; one row's fields
#   need_host, need_runner     what builds a row, what runs its program here
#   host_tree ROW              configure and build a host's tree, once a run
#   pack TREE                  its package and checksum, made once a run
#   package_files TREE         the files its package must hold, from the build
#   same_files LISTED TREE     a package holds those files and no others
#   elf_check, pe_check        what a program is and needs
#   smoke PROGRAM [RUNNER...]  one patch of a new file, checked byte for byte
#   patched SRC DEST OFF BYTES what the tool must leave of SRC
#
# A run of tests/run-all shares one state folder ($QUORBIN_CHECK_RUN) among
# its stages, so that a tree configured and built by one stage is reused by
# the next; a script run alone has a state of its own.
set -euo pipefail
shopt -s inherit_errexit

me=${me:-$(realpath --relative-to="$(dirname "${BASH_SOURCE[0]}")/.." "$0")}
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
tmp=$(mktemp -d)
at_exit_commands=()
at_exit() { at_exit_commands+=("$*"); }
run_at_exit() {
    local c
    for c in "${at_exit_commands[@]}"; do eval "$c" || true; done
    [[ -n ${KEEP:-} ]] || rm -rf "$tmp"
}
trap run_at_exit EXIT

if [[ -z ${QUORBIN_CHECK_RUN:-} ]]; then
    export QUORBIN_CHECK_RUN=$tmp/run
    mkdir -p "$QUORBIN_CHECK_RUN"
fi
# Every tree of a run is built at the time of the last commit, so that the
# packages of two builds can be compared byte for byte (dist/repro-check).
if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
    export SOURCE_DATE_EPOCH
fi

fail() {
    echo "$me: $*" >&2
    exit 1
}

note() {
    echo "-- $*"
}

need() {
    local pair tool package
    for pair in "$@"; do
        tool=${pair%%:*} package=${pair#*:}
        command -v "$tool" >/dev/null ||
            fail "$tool is missing: install the Debian package $package (see .ci/packages)"
    done
}

copy_tree() {
    mkdir -p "$1"
    tar -C "$root" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$1" -xf -
}

version() {
    sed -n 's/^project(quorbin VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}

year() {
    sed -n 's/^Copyright (c) \([0-9][-0-9, ]*[0-9]\) .*/\1/p' "$root/LICENSE"
}

# Any warning of the compiler, its LTO stages or the linker (each begins
# its line with where or who it comes from); those of dpkg's and
# debhelper's own tools are not the build's.
no_warnings() {
    local found
    found=$(grep -E '^[^ ]*: warning: ' "$1" | grep -Ev '^(dpkg|dh)[-_a-z]*: ' || true)
    [[ -z $found ]] || fail "the $2 build warns:"$'\n'"$found"
}

# Runs "$@" with its output in LOG; on failure shows the end of the log.
logged() { # LOG COMMAND...
    local log=$1
    shift
    "$@" >>"$log" 2>&1 || {
        tail -n 60 "$log" >&2
        fail "failed: $* (log: $log)"
    }
}

# Configures and builds tree DIR of source folder $src (default $root) with
# the configure arguments given, unless this run has built it already; the
# build must print no warning. Counted in $QUORBIN_CHECK_RUN/trees.
build_tree() { # DIR CMAKE-ARGS...
    local dir=$1 src=${src:-$root}
    shift
    local mark=$QUORBIN_CHECK_RUN/built/${src//\//_}/$dir
    [[ -e $mark ]] && return
    local log=$src/$dir/check.log start=$SECONDS
    mkdir -p "$src/$dir"
    : >"$log"
    logged "$log" cmake -S "$src" -B "$src/$dir" "$@"
    logged "$log" cmake --build "$src/$dir" -j2
    no_warnings "$log" "$dir"
    mkdir -p "$(dirname "$mark")"
    touch "$mark"
    count_tree "$src/$dir"
    note "$dir: configured and built ($((SECONDS - start)) s)"
}

# Counts a tree this run configured (tests/run-all says how many).
count_tree() { # DIR
    echo "$1" >>"$QUORBIN_CHECK_RUN/trees"
}

preset_tree() { # PRESET
    local dir
    dir=$(sed -n "/\"name\": \"$1\"/,/binaryDir/s|.*\"binaryDir\": \"\${sourceDir}/\([^\"]*\)\".*|\1|p" \
        "$root/CMakePresets.json" | head -n1)
    [[ -n $dir ]] || fail "CMakePresets.json has no configure preset $1"
    build_tree "$dir" --preset "$1"
}

# The rows of dist/hosts (of one system: linux or windows), by name.
hosts() { # [SYSTEM]
    awk -v want="${1:-}" '!/^#/ && NF && (want == "" || $1 ~ "^" want "-") { print $1 }' \
        "$root/dist/hosts"
}

# Sets row, toolchain, debian, libc, runs, machine and package to the
# fields of one row.
host() { # ROW
    local line
    line=$(awk -v row="$1" '$1 == row' "$root/dist/hosts")
    [[ -n $line ]] || fail "dist/hosts has no row $1"
    read -r row debian toolchain libc runs machine package <<<"$line"
}

# The prefix of a row's cross tools (x86_64-w64-mingw32), from its
# toolchain file.
triplet() { # TOOLCHAIN
    sed -n 's/^set(CROSS_TRIPLET \(.*\))$/\1/p' "$root/cmake/$1.cmake"
}

# Each tool on PATH, or a failure naming the row and the package that
# .ci/packages lists for the tool on the row's lines.
need_row_tools() { # ROW TOOL...
    local row=$1 tool kind package
    shift
    for tool in "$@"; do
        command -v "$tool" >/dev/null && continue
        case $tool in
        *-g++) kind='g\+\+-' ;;
        qemu-*-static) kind='qemu-user-static' ;;
        qemu-*) kind='qemu-user ' ;;
        *) kind=$tool ;;
        esac
        package=$(grep -E "^$kind.*#.*(^| )$row( |\$)" "$root/.ci/packages" | awk '{print $1}' | sed -n 1p || true)
        [[ -n $package ]] || fail "host $row: $tool is missing, and .ci/packages lists no package for it on a line naming $row"
        fail "host $row: $tool is missing: install $package (.ci/packages lists it for $row)"
    done
}

# What builds a row: its cross compiler.
need_host() { # ROW
    host "$1"
    [[ $toolchain == - ]] || need_row_tools "$row" "$(triplet "$toolchain")-g++"
}

# What runs a row's program here: its emulator (and the static one, for an
# empty root) or Wine.
need_runner() { # ROW
    host "$1"
    case $runs in
    qemu-*) need_row_tools "$row" "$runs" "$runs-static" ;;
    wine) need_row_tools "$row" wine ;;
    esac
}

# The configure arguments of a row's tree, build-ROW: its toolchain, linked
# statically (Linux), its C library, and the build folders kept out of it.
# A musl row's musl is fetched first, where it is not there yet.
host_args() { # ROW
    host "$1"
    local args=(-DQUORBIN_MAP_BUILD_PATHS=ON -DBUILD_TESTING=OFF)
    [[ $toolchain == - ]] || args+=("-DCMAKE_TOOLCHAIN_FILE=${src:-$root}/cmake/$toolchain.cmake")
    if [[ $row == linux-* ]]; then
        args+=(-DQUORBIN_STATIC=ON "-DQUORBIN_HOST=$row")
        if [[ $libc == musl ]]; then
            bash "$root/dist/fetch-musl" "$debian" >&2
            args+=("-DQUORBIN_MUSL=${QUORBIN_MUSL_DIR:-$root/build-musl}/$debian")
        fi
    fi
    printf '%s\n' "${args[@]}"
}

host_tree() { # ROW
    need_host "$1"
    local out args
    out=$(host_args "$1")
    mapfile -t args <<<"$out"
    build_tree "build-$1" "${args[@]}"
}

# A package's files as LISTED (one a line, directories ending in /, under
# a top folder when TOP is given) are exactly those of the tree's list.
same_files() { # LISTED TREE NAME [TOP]
    local listed=$1 tree=$2 name=$3 top=${4:-}
    diff <(grep -v '/$' "$listed" | sed "s|^$top||" | sort) <(package_files "$tree") >&2 ||
        fail "$name does not hold exactly the files of its list (< holds, > should)"
}

# The package of a built tree, made by cpack in the tree the first time a
# run asks for it, with its .sha256 beside it, which must check; prints its
# path.
pack() { # TREE
    local tree=$1 src=${src:-$root}
    local mark=$QUORBIN_CHECK_RUN/packed/${src//\//_}/$tree
    if [[ ! -e $mark ]]; then
        rm -rf "$src/$tree/package"
        logged "$src/$tree/check.log" cpack --config "$src/$tree/CPackConfig.cmake" -B "$src/$tree/package"
        mkdir -p "$(dirname "$mark")"
        touch "$mark"
    fi
    local files=("$src/$tree/package"/quorbin[-_]*.{deb,zip,tar.gz})
    local f found=()
    for f in "${files[@]}"; do [[ ! -f $f ]] || found+=("$f"); done
    ((${#found[@]} == 1)) || fail "$tree: cpack made ${#found[@]} packages, not one"
    [[ -f ${found[0]}.sha256 ]] || fail "$tree: $(basename "${found[0]}") has no .sha256 beside it"
    (cd "$(dirname "${found[0]}")" && sha256sum --quiet -c "$(basename "${found[0]}").sha256") >&2 ||
        fail "$tree: sha256sum -c fails for $(basename "${found[0]}")"
    echo "${found[0]}"
}

# The files a tree's package holds by its build's own list (CPackConfig.cmake
# of the tree, from dist/CMakeLists.txt), one a line, sorted.
package_files() { # TREE
    local config=${src:-$root}/$1/CPackConfig.cmake generator
    generator=$(sed -n 's/^set(CPACK_GENERATOR "\(.*\)")$/\1/p' "$config")
    sed -n "s/^set(CPACK_QUORBIN_FILES_$generator \"\\(.*\\)\")\$/\\1/p" "$config" | tr ';' '\n' | sort
}

# An ELF program of the row's machine (readelf -h shows each comma-separated
# word of its machine field), statically linked and still hardened:
# position independent where static-pie (Type DYN), relocations read-only
# and bound at start-up.
elf_check() { # PROGRAM ROW
    local program=$1 headers word
    host "$2"
    headers=$(readelf -hld "$program")
    for word in ${machine//,/ }; do
        grep -Eq "^ *(Class|Data|Machine|Flags):.*$word" <<<"$headers" ||
            fail "$program: readelf -h does not say $word: $(grep -E 'Class|Data|Machine|Flags' <<<"$headers" | tr -s ' ')"
    done
    if grep -q 'INTERP' <<<"$headers"; then fail "$program has a program interpreter"; fi
    if grep '(NEEDED)' <<<"$headers" >&2; then fail "$program needs shared libraries"; fi
    grep -q 'GNU_RELRO' <<<"$headers" || fail "$program has no read-only relocations (relro)"
    # A plain static program has no dynamic section, and so nothing to bind.
    if grep -q 'Type: *DYN' <<<"$headers"; then
        grep -q 'Flags: NOW' <<<"$headers" || fail "$program does not bind at start-up (now)"
        echo static-pie
    else
        echo static
    fi
}

# A Windows program of the row's machine (objdump -f), needing no DLL
# beyond the system's; it takes its words and names its files in UTF-16,
# asks for file status with a 64-bit size (the 32-bit ones fail past 2 GiB),
# and a drive without a medium gives no dialog.
pe_check() { # PROGRAM ROW
    local program=$1 objdump
    host "$2"
    objdump=$(triplet "$toolchain")-objdump
    need "$objdump:binutils-mingw-w64"
    "$objdump" -f "$program" | grep -q "file format $machine\$" ||
        fail "$program is not a $machine program: $("$objdump" -f "$program" | grep format)"
    local imports dlls
    imports=$("$objdump" -p "$program" |
        awk '/^[[:space:]]*DLL Name:/ { dll = $3; print "DLL " dll; next }
             dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }')
    dlls=$(sed -n 's/^DLL //p' <<<"$imports" | tr '\n' ' ')
    note "$(basename "$program") ($row) imports from: $dlls"
    if grep -viqx -e 'DLL KERNEL32.dll' -e 'DLL msvcrt.dll' < <(grep '^DLL ' <<<"$imports"); then
        fail "$program needs a DLL that Windows does not have by itself"
    fi
    local f
    for f in __wgetmainargs _wopen _wstat64 SetErrorMode; do
        grep -qx "$f" <<<"$imports" || fail "$program does not call $f"
    done
    if grep -qx -e __getmainargs -e _open -e open -e stat -e _stat64 -e _stat32 <<<"$imports"; then
        fail "$program calls a file or command-line function of the ANSI code page"
    fi
    if grep -Eqx '_w?f?stat(32|64i32)?' <<<"$imports"; then
        fail "$program calls a status function with a 32-bit file size"
    fi
}

# A copy of SRC in DEST with value bytes BYTES (printf %b) at offset OFF of
# the block and the signature in its last four bytes: what the tool must
# leave of SRC.
patched() { # SRC DEST OFF BYTES
    cp "$1" "$2"
    printf '%b' "$4" | dd of="$2" bs=1 seek=$((0xE000 + $3)) conv=notrunc status=none
    printf '\xc3\xf8\x1a\x8e' | dd of="$2" bs=1 seek=$((0xFFFC)) conv=notrunc status=none
}

# One patch of a new file by PROGRAM (started through RUNNER... when
# given), in a folder of its own: status 0, nothing printed, the file byte
# for byte.
smoke() { # PROGRAM [RUNNER...]
    local program=$1 dir
    shift
    dir=$(mktemp -d "$tmp/smoke.XXXX")
    head -c 65536 /dev/zero >"$dir/zero"
    patched "$dir/zero" "$dir/want" 0x24 '\x12\x34\x56\x78'
    local out
    out=$(cd "$dir" && "$@" "$program" -o f 0x24 0x12345678 2>&1) ||
        fail "$program does not run: $out"
    [[ -z $out ]] || fail "$program printed: $out"
    cmp -s "$dir/f" "$dir/want" || fail "$program did not leave the patched file it should"
}
