#!/usr/bin/env bash
# Installs whatever the build and the tests need, then configures and builds
# LoteOtimizador into build/. Safe to run again: every step checks first and
# is quick when everything is already in place.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
SCIP_WHEEL="pyscipopt==6.3.0"
SCIP_DIR="$BUILD/deps/pyscipopt"
# A second SCIP (9.2) for the tests that run a batch under another library (--scip).
SCIP9_WHEEL="pyscipopt==5.7.1"
SCIP9_DIR="$BUILD/deps/pyscipopt-9"

say() { echo "[setup] $*" >&2; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian packages: compiler, CMake, GLPK, GoogleTest, locales (with the C
# library's translated messages), and the command-line tools that the tests
# compare against.
PACKAGES=(g++ cmake make libglpk-dev glpk-utils libgtest-dev locales libc-l10n)
# pip fetches the SCIP library; a python with pip outside Debian's packages
# (pyenv, for instance) serves too.
if ! python3 -m pip --version >/dev/null 2>&1; then
    PACKAGES+=(python3 python3-pip)
fi
want=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        want+=("$p")
    fi
done
# A single-node Slurm cluster for the job-array test (its services are not
# started by the install; the test starts and stops them).
SLURM_PACKAGES=(slurmctld slurmd slurm-client munge)
want_slurm=()
for p in "${SLURM_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        want_slurm+=("$p")
    fi
done
# A headless browser for the test that renders comparar's page.
want_browser=()
if ! dpkg-query -W -f='${Status}' chromium 2>/dev/null | grep -q "install ok installed"; then
    want_browser=(chromium)
fi
if [ "${#want[@]}" -gt 0 ] || [ "${#want_slurm[@]}" -gt 0 ] || [ "${#want_browser[@]}" -gt 0 ]; then
    as_root apt-get update -qq
fi
if [ "${#want[@]}" -gt 0 ]; then
    say "installing ${want[*]}"
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq "${want[@]}" >/dev/null
fi
if [ "${#want_slurm[@]}" -gt 0 ]; then
    say "installing ${want_slurm[*]}"
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${want_slurm[@]}" >/dev/null ||
        say "Slurm could not be installed: its test will be skipped"
fi
if [ "${#want_browser[@]}" -gt 0 ]; then
    say "installing chromium"
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends chromium >/dev/null ||
        say "chromium could not be installed: the test of comparar's page will be skipped"
fi

# Portuguese locale (decimal comma), used by the program at start-up.
if ! locale -a 2>/dev/null | grep -qi '^pt_BR\.utf-\?8$'; then
    say "generating pt_BR.UTF-8"
    if ! grep -q '^pt_BR.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'pt_BR.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    fi
    as_root locale-gen >/dev/null
fi

# SCIP's shared library, as shipped inside the pyscipopt wheel; kept in the build tree.
fetch_scip() {  # wheel, folder
    if ! ls "$2"/pyscipopt.libs/libscip*.so* >/dev/null 2>&1; then
        say "fetching SCIP ($1)"
        rm -rf "$2"
        mkdir -p "$2"
        PIP_BREAK_SYSTEM_PACKAGES=1 python3 -m pip install -q --disable-pip-version-check --root-user-action=ignore \
            --no-deps --target "$2" "$1" >&2
    fi
}
fetch_scip "$SCIP_WHEEL" "$SCIP_DIR"
fetch_scip "$SCIP9_WHEEL" "$SCIP9_DIR"

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" -j "$(nproc)" >/dev/null
