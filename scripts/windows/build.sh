#!/usr/bin/env bash
# Builds LoteOtimizador as a native 64-bit Windows program on Debian, with the
# MinGW-w64 cross compilers, and packs it with everything it needs at run time
# into dist/loteotimizador-windows-x64.zip.
#
# Installs whatever is missing first (Debian packages), then builds GLPK for
# Windows from Debian's source package and takes SCIP's DLLs from the
# pyscipopt wheel for Windows (PyPI). Both are kept in build-windows/deps/, so
# a second run only rebuilds the program and the zip. Needs no input.
#
# Under Wine (package wine64) the program runs on this machine too:
#   WINEDEBUG=-all /usr/lib/wine/wine64 build-windows/loteotimizador.exe
set -euo pipefail
exec </dev/null

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$ROOT/build-windows"
DEPS="$BUILD/deps"
DIST="$ROOT/dist"
ZIP="$DIST/loteotimizador-windows-x64.zip"
TARGET=x86_64-w64-mingw32
# The same compiler as cmake/mingw-w64.cmake, so that GLPK and the program
# share one thread model and run-time.
TARGET_CC="$TARGET-gcc-posix"

# GLPK: Debian's source package (the upstream tarball inside it), built into
# a prefix of its own.
GLPK_DOWNLOADS="$DEPS/glpk-source"
GLPK_PREFIX="$DEPS/glpk"
# SCIP: the DLLs of the pyscipopt wheel for Windows, the same SCIP release as
# the Linux build's (scripts/setup.sh).
SCIP_WHEEL="pyscipopt==6.3.0"
SCIP_DIR="$DEPS/pyscipopt"
# A second SCIP (9.2), for the tests that run a batch under another SCIP
# DLL (--scip); not packaged.
SCIP9_WHEEL="pyscipopt==5.7.1"
SCIP9_DIR="$DEPS/pyscipopt-9"

say() { echo "[windows] $*" >&2; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Debian packages: the cross compilers, Wine to run the result, CMake and
# make, unzip and zip for the wheel and the package. GLPK's tarball carries
# its generated configure script, so no autotools are needed.
install_packages() {
    local wanted=(mingw-w64 wine64 cmake make zip unzip)
    # pip fetches the wheel; a python with pip outside Debian's packages
    # (pyenv, for instance) serves too.
    if ! python3 -m pip --version >/dev/null 2>&1; then
        wanted+=(python3 python3-pip)
    fi
    local missing=() p
    for p in "${wanted[@]}"; do
        installed "$p" || missing+=("$p")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        say "installing ${missing[*]}"
        as_root apt-get update -qq
        DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

glpk_source_known() {
    apt-cache showsrc glpk 2>/dev/null | grep -q '^Package: glpk$'
}

# Makes Debian's source packages reachable (a deb-src entry) when they are not
# yet: the same mirror, suite and components as the machine's own deb entry
# for this release, in a file of our own.
add_source_entry() {
    local codename
    codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
    local deb822=/etc/apt/sources.list.d/loteotimizador-src.sources
    local oneline=/etc/apt/sources.list.d/loteotimizador-src.list
    # deb822 files (*.sources), Debian's default since bookworm: the first
    # stanza of type deb whose suites name this release.
    local entry="" f
    for f in /etc/apt/sources.list.d/*.sources; do
        if [ ! -f "$f" ] || [ "$f" = "$deb822" ]; then continue; fi
        entry="$(awk -v want="$codename" '
            function flush() {
                if (!done && types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " want " ")) {
                    print "Types: deb-src"
                    print "URIs: " uris
                    print "Suites: " want
                    print "Components: " comps
                    if (signed != "") print "Signed-By: " signed
                    done = 1
                }
                types = suites = uris = comps = signed = ""
            }
            /^[ \t]*$/ { flush(); next }
            /^[ \t]*#/ { next }
            {
                key = tolower($1); sub(/^[^:]*:[ \t]*/, "")
                if (key == "types:") types = $0
                else if (key == "uris:") uris = $0
                else if (key == "suites:") suites = $0
                else if (key == "components:") comps = $0
                else if (key == "signed-by:") signed = $0
            }
            END { flush() }' "$f")"
        [ -z "$entry" ] || break
    done
    if [ -n "$entry" ]; then
        say "adding Debian's source packages ($deb822)"
        printf '%s\n' "$entry" | as_root tee "$deb822" >/dev/null
    else
        # One-line entries (sources.list): the deb line of this release,
        # as a deb-src line.
        local line
        line="$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            awk -v want="$codename" '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i == want) { print; exit } }')"
        if [ -z "$line" ]; then
            say "no Debian mirror for $codename found in /etc/apt: cannot fetch GLPK's sources"
            exit 1
        fi
        say "adding Debian's source packages ($oneline)"
        printf 'deb-src%s\n' "${line#deb}" | as_root tee "$oneline" >/dev/null
    fi
    as_root apt-get update -qq
}

# GLPK's sources, as Debian ships them (the download is checked against
# Debian's signed index). Kept in the build tree.
fetch_glpk_source() {
    if compgen -G "$GLPK_DOWNLOADS/glpk_*.orig.tar.gz" >/dev/null; then
        return
    fi
    glpk_source_known || add_source_entry
    say "fetching GLPK's sources (Debian source package glpk)"
    rm -rf "$GLPK_DOWNLOADS.part"
    mkdir -p "$GLPK_DOWNLOADS.part"
    # apt warns that, as root, it cannot drop its rights for a folder of
    # root's; the download is still checked.
    (
        cd "$GLPK_DOWNLOADS.part"
        apt-get source -qq --download-only glpk 2>&1 | { grep -v 'unsandboxed as root' || true; } >&2
    )
    if ! compgen -G "$GLPK_DOWNLOADS.part/glpk_*.orig.tar.gz" >/dev/null; then
        say "apt-get source --download-only glpk gave no glpk_*.orig.tar.gz"
        exit 1
    fi
    rm -rf "$GLPK_DOWNLOADS"
    mv "$GLPK_DOWNLOADS.part" "$GLPK_DOWNLOADS"
}

# GLPK as a static library for Windows, into GLPK_PREFIX; only the library
# and its header (not glpsol). Skipped when already built.
#  - Upstream's sources without Debian's patches: those make GLPK use the
#    system's zlib and SuiteSparse instead of the copies it carries, and
#    MinGW has neither.
#  - __WOE__ is GLPK's own switch for Windows (its MSVC build files set it):
#    it uses gmtime_s, strerror_s and strtok_s where the default code wants
#    gmtime_r and strerror_r, which MinGW's C library lacks.
#  - No GMP, shared-library loading, ODBC or MySQL, as in GLPK's defaults:
#    the program only translates MathProg models, from files.
build_glpk() {
    if [ -f "$GLPK_PREFIX/lib/libglpk.a" ] && [ -f "$GLPK_PREFIX/include/glpk.h" ]; then
        return
    fi
    local tarball work
    tarball="$(compgen -G "$GLPK_DOWNLOADS/glpk_*.orig.tar.gz" | head -n 1)"
    work="$DEPS/glpk-build"
    say "building GLPK for Windows (under a minute)"
    rm -rf "$work" "$GLPK_PREFIX"
    mkdir -p "$work"
    tar -xzf "$tarball" -C "$work" --strip-components=1
    (
        cd "$work"
        ./configure --host="$TARGET" CC="$TARGET_CC" CPPFLAGS=-D__WOE__ CFLAGS=-O2 \
            --prefix="$GLPK_PREFIX" --disable-shared --enable-static \
            --with-gmp=no --disable-dl --disable-odbc --disable-mysql >"$DEPS/glpk-configure.log" 2>&1 ||
            { say "GLPK's configure failed: see $DEPS/glpk-configure.log"; exit 1; }
        { make -j2 -C src && make -C src install; } >"$DEPS/glpk-make.log" 2>&1 ||
            { say "GLPK's build failed: see $DEPS/glpk-make.log"; exit 1; }
        # Its licence and authors, for the package.
        mkdir -p "$GLPK_PREFIX/share/doc/glpk"
        cp COPYING AUTHORS "$GLPK_PREFIX/share/doc/glpk/"
    )
    basename "$tarball" >"$GLPK_PREFIX/share/doc/glpk/tarball"
    compgen -G "$GLPK_DOWNLOADS/glpk_*.dsc" | head -n 1 | xargs -r basename >"$GLPK_PREFIX/share/doc/glpk/dsc"
    rm -rf "$work"
}

# A pyscipopt wheel for 64-bit Windows (kept in the build tree), and from it
# SCIP's DLL, the DLLs it needs and the wheel's metadata and licence, into
# the folder $2.
fetch_scip() {
    local requirement="$1" dir="$2" version wheel
    version="${requirement#*==}"
    wheel="$(compgen -G "$DEPS/pyscipopt-$version-*-win_amd64.whl" | head -n 1 || true)"
    if [ -z "$wheel" ]; then
        say "fetching SCIP for Windows ($requirement)"
        rm -rf "$DEPS/wheel.part"
        python3 -m pip download -q --disable-pip-version-check --no-deps --only-binary=:all: \
            --platform win_amd64 --python-version 3.11 -d "$DEPS/wheel.part" "$requirement" >&2
        wheel="$(compgen -G "$DEPS/wheel.part/pyscipopt-*-win_amd64.whl" | head -n 1)"
        mv "$wheel" "$DEPS/"
        rm -rf "$DEPS/wheel.part"
        wheel="$DEPS/$(basename "$wheel")"
    fi
    if ! compgen -G "$dir/pyscipopt.libs/libscip*.dll" >/dev/null; then
        rm -rf "$dir"
        unzip -q "$wheel" 'pyscipopt.libs/*' '*.dist-info/*' -d "$dir"
    fi
}

scip_dll() {
    compgen -G "$SCIP_DIR/pyscipopt.libs/libscip*.dll" | head -n 1
}

# The program, with cmake/mingw-w64.cmake, into build-windows/. CMake copies
# SCIP's DLLs beside it, so it runs from there.
build_program() {
    say "configuring and building loteotimizador.exe"
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DGLPK_ROOT="$GLPK_PREFIX" -DSCIP_LIBRARY="$(scip_dll)" >/dev/null
    make -C "$BUILD" -j2 loteotimizador >/dev/null
}

# The program must need no DLL of MinGW's (it links MinGW's run-time in):
# only Windows' own DLLs.
check_imports() {
    local imports
    imports="$("$TARGET-objdump" -p "$BUILD/loteotimizador.exe" | awk '/DLL Name:/ { print $3 }')"
    say "loteotimizador.exe imports: $(echo "$imports" | tr '\n' ' ')"
    if echo "$imports" | grep -qiE '^lib(winpthread|gcc_s|stdc\+\+|glpk)'; then
        say "loteotimizador.exe needs a DLL of MinGW's or GLPK's: it must be linked statically"
        exit 1
    fi
}

# The notices of the libraries in the package: GLPK (linked in), SCIP and
# the DLLs of the wheel, and MinGW-w64's run-time (linked in).
write_licences() {
    local dir="$1"
    local glpk_doc="$GLPK_PREFIX/share/doc/glpk"
    mkdir -p "$dir/GLPK" "$dir/SCIP" "$dir/MinGW-w64"

    cp "$glpk_doc/COPYING" "$glpk_doc/AUTHORS" "$dir/GLPK/"
    cat >"$dir/GLPK/SOURCE.txt" <<EOF
GLPK (GNU Linear Programming Kit) 5.0 is linked into loteotimizador.exe.
It is free software under the GNU General Public License, version 3 or later
(COPYING in this folder).

Its source code is Debian's source package glpk for Debian 12 "bookworm"
($(cat "$glpk_doc/dsc")), of which the upstream tarball
$(cat "$glpk_doc/tarball") was built as it stands, without Debian's patches:
  apt-get source glpk      (with a deb-src entry for bookworm)
  https://sources.debian.org/src/glpk/
GLPK's home page: https://www.gnu.org/software/glpk/

It was configured for Windows (MinGW-w64) with:
  --host=$TARGET CPPFLAGS=-D__WOE__ --disable-shared --enable-static
  --with-gmp=no --disable-dl --disable-odbc --disable-mysql
EOF

    local info f
    info="$(compgen -G "$SCIP_DIR/*.dist-info" | head -n 1)"
    cp -r "$info" "$dir/SCIP/"
    # Apache-2.0, SCIP's licence per the wheel's METADATA, which the wheel
    # does not carry; Debian's copy (package base-files).
    cp /usr/share/common-licenses/Apache-2.0 "$dir/SCIP/Apache-2.0.txt"
    {
        echo "The DLLs beside loteotimizador.exe come unchanged from the wheel"
        echo "$(basename "$(compgen -G "$DEPS/pyscipopt-${SCIP_WHEEL#*==}-*-win_amd64.whl" | head -n 1)") (PyPI, $SCIP_WHEEL):"
        echo
        for f in "$SCIP_DIR"/pyscipopt.libs/*.dll; do echo "  $(basename "$f")"; done
        echo
        echo "$(basename "$info")/ holds the wheel's metadata and licence files as they stand:"
        echo "licenses/LICENSE is PySCIPOpt's (the Python interface, MIT, not shipped here);"
        echo "METADATA says that SCIP is under the Apache License 2.0 from SCIP 8.0.3 on"
        echo "(Apache-2.0.txt); DELVEWHEEL records how the DLLs were bundled. The wheel"
        echo "states no licence for the other DLLs (Ipopt, MUMPS, Intel's Fortran, OpenMP"
        echo "and maths run-times, Microsoft's C++ run-time)."
    } >"$dir/SCIP/README.txt"

    # MinGW-w64's run-time (CRT start-up code, winpthreads) and GCC's
    # libgcc and libstdc++ are linked in: Debian's copyright files of the
    # packages they come from.
    local lib pkg
    for lib in "$("$TARGET_CC" -print-file-name=libwinpthread.a)" "$("$TARGET_CC" -print-libgcc-file-name)" \
        "$("$TARGET-g++-posix" -print-file-name=libstdc++.a)"; do
        pkg="$(dpkg -S "$(realpath "$lib")" 2>/dev/null | cut -d: -f1 || true)"
        if [ -n "$pkg" ] && [ -f "/usr/share/doc/$pkg/copyright" ]; then
            cp "/usr/share/doc/$pkg/copyright" "$dir/MinGW-w64/$pkg.copyright.txt"
        else
            say "no copyright file for $lib: not in the package"
        fi
    done
}

# dist/loteotimizador-windows-x64.zip: a folder loteotimizador/ with the
# program, SCIP's DLLs beside it, the examples, the documents and licences.
package() {
    local stage="$BUILD/package"
    local top="$stage/loteotimizador"
    rm -rf "$stage"
    mkdir -p "$top" "$DIST"
    cp "$BUILD/loteotimizador.exe" "$top/"
    cp "$SCIP_DIR"/pyscipopt.libs/*.dll "$top/"
    cp -r "$ROOT/examples" "$top/"
    cp "$ROOT/README.md" "$ROOT/LICENSE" "$ROOT/THIRD-PARTY.md" "$top/"
    write_licences "$top/licences"
    rm -f "$ZIP.part"
    (cd "$stage" && zip -q -r -X "$ZIP.part" loteotimizador)
    mv "$ZIP.part" "$ZIP"
    rm -rf "$stage"
}

main() {
    install_packages
    mkdir -p "$DEPS"
    fetch_glpk_source
    build_glpk
    fetch_scip "$SCIP_WHEEL" "$SCIP_DIR"
    fetch_scip "$SCIP9_WHEEL" "$SCIP9_DIR"
    build_program
    check_imports
    package
    say "done in ${SECONDS} s: $ZIP ($(du -h "$ZIP" | cut -f1), $(stat -c %s "$ZIP") bytes)"
}

main "$@"
