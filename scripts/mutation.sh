#!/usr/bin/env bash
# Mutation testing (not part of CI): puts one-line faults into a copy of src/,
# one at a time, rebuilds, and runs the fast tests. A fault that leaves every
# test green is a survivor. Faults that do not compile are left out of the
# score. Needs a built tree (scripts/setup.sh) for SCIP's library.
#
#   bash scripts/mutation.sh [COUNT] [SEED] [FILE ...]
#
# Defaults: 40 faults, seed 12, faults in any of src/**/*.cpp. Given files
# (paths in the repository, e.g. src/app/options.cpp), only their lines are
# changed.
#
# A fault in a file of the Windows side (src/**/*_windows.cpp) is built into
# the Windows program (scripts/windows/build.sh, with the dependencies
# already in build-windows/deps) and judged by the tests under Wine (label
# "windows"), which take minutes for each fault.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
COUNT="${1:-40}"
SEED="${2:-12}"
FILES=()
for f in "${@:3}"; do
    if [ -f "$f" ]; then rel="$(realpath --relative-to="$ROOT" "$f")"; else rel="$f"; fi
    case "$rel" in
        ../* | /*) echo "not in the repository: $f" >&2; exit 2 ;;
    esac
    [ -f "$ROOT/$rel" ] && git -C "$ROOT" ls-files --error-unmatch -- "$rel" >/dev/null 2>&1 \
        || { echo "not a file of the repository: $f" >&2; exit 2; }
    FILES+=("$rel")
done
WORK="$(mktemp -d /tmp/lote_mutation_XXXXXX)"
trap 'rm -rf "$WORK"' EXIT

SCIP_LIBRARY="$(sed -n 's/^SCIP_LIBRARY:FILEPATH=//p' "$ROOT/build/CMakeCache.txt")"
git -C "$ROOT" ls-files -z | (cd "$ROOT" && xargs -0 cp --parents -t "$WORK")
# SCIP unpacked in the build tree goes into the copy's build tree too, so that
# the copy's install bundles the libraries beside SCIP as the original's does.
case "$SCIP_LIBRARY" in
    "$ROOT/build/deps/"*)
        mkdir -p "$WORK/build"
        cp -a "$ROOT/build/deps" "$WORK/build/"
        SCIP_LIBRARY="$WORK/build/deps/${SCIP_LIBRARY#"$ROOT/build/deps/"}"
        ;;
esac
cmake -S "$WORK" -B "$WORK/build" -DSCIP_LIBRARY="$SCIP_LIBRARY" >/dev/null
cmake --build "$WORK/build" -j "$(nproc)" >/dev/null

start=$SECONDS
(cd "$WORK/build" && ctest -L fast -j 2 >/dev/null) || { echo "baseline fails: fix the tests first" >&2; exit 1; }
baseline=$((SECONDS - start))
timeout=$((2 * baseline + 10))
echo "baseline: fast tests in ${baseline}s; time-out for each fault's run of them ${timeout}s"

windows_timeout=0
if printf '%s\n' "${FILES[@]}" | grep -q '_windows\.cpp$'; then
    mkdir -p "$WORK/build-windows"
    cp -a "$ROOT/build-windows/deps" "$WORK/build-windows/"
    bash "$WORK/scripts/windows/build.sh" >/dev/null 2>&1 || { echo "the Windows program does not build" >&2; exit 1; }
    start=$SECONDS
    (cd "$WORK/build" && ctest -L windows >/dev/null) || { echo "baseline fails under Wine" >&2; exit 1; }
    windows_timeout=$((2 * (SECONDS - start) + 60))
    echo "baseline: Windows tests in $((SECONDS - start))s; time-out for each fault's run ${windows_timeout}s"
fi

python3 - "$WORK" "$COUNT" "$SEED" "$timeout" "$windows_timeout" "${FILES[@]}" <<'EOF'
import pathlib, random, re, subprocess, sys

work, count, seed, timeout = pathlib.Path(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
windows_timeout = sys.argv[5]
# The Windows side's files only when named: their faults need the Windows build and Wine.
files = [work / name for name in sys.argv[6:]] or sorted(p for p in (work / 'src').rglob('*.cpp')
                                                          if not p.name.endswith('_windows.cpp'))
# (pattern, replacement): operators, constants, and whole statements.
rules = [(r'==', '!='), (r'!=', '=='), (r'(?<![<>=!-])<=', '<'), (r'(?<![<>=!-])>=', '>'),
         (r'(?<![<>-])<(?![<=])', '<='), (r'(?<![<>-])>(?![>=])', '>='), (r'&&', '||'), (r'\|\|', '&&'),
         (r'\btrue\b', 'false'), (r'\bfalse\b', 'true'), (r'\+ 1\b', '- 1'), (r'- 1\b', '+ 1'),
         (r'\b0\b', '1'), (r'\b1\b', '0'), (r'^(\s*)(?!return\b)(\S.*;)\s*$', r'\1;'), (r'\breturn\s+(true|false)\b', 'return !\\1')]
candidates = []
for path in files:
    for number, line in enumerate(path.read_text().splitlines()):
        text = line.strip()
        if not text or text.startswith(('//', '#', '*')) or 'include' in text or 'template' in text:
            continue
        for pattern, replacement in rules:
            for match in re.finditer(pattern, line):
                mutated = line[:match.start()] + match.expand(replacement) + line[match.end():]
                if mutated != line:
                    candidates.append((path, number, mutated))
random.Random(seed).shuffle(candidates)

killed, survived, tried = 0, [], 0
for path, number, mutated in candidates:
    if tried == count:
        break
    original = path.read_text()
    lines = original.splitlines(keepends=True)
    lines[number] = mutated + '\n'
    path.write_text(''.join(lines))
    windows = path.name.endswith('_windows.cpp')
    build = (['bash', str(work / 'scripts/windows/build.sh')] if windows
             else ['cmake', '--build', str(work / 'build'), '-j', '2'])
    label, limit = ('windows', windows_timeout) if windows else ('fast', timeout)
    try:
        if subprocess.run(build, capture_output=True).returncode != 0:
            continue
        tried += 1
        # The tests' own time-outs (600 s each) win over ctest's --timeout: the
        # whole run is held to the per-fault time-out instead, and a fault that
        # makes it hang counts as caught.
        try:
            passed = subprocess.run(['ctest', '-L', label, '-j', '2', '--stop-on-failure'], cwd=work / 'build',
                                    capture_output=True, timeout=int(limit)).returncode == 0
        except subprocess.TimeoutExpired:
            passed = False
        # A fault that loops leaves the program, or a test, running: every process of the copy's build goes.
        subprocess.run(['pkill', '-9', '-f', str(work / 'build') + '/'])
        # Under Wine its processes are named by Windows paths (Z:\tmp\...).
        subprocess.run(['pkill', '-9', '-f', re.escape('Z:' + str(work).replace('/', '\\'))])
        where = f'{path.name}:{number + 1}: {mutated.strip()}'
        if passed:
            survived.append(where)
            print('SURVIVED', where, flush=True)
        else:
            killed += 1
            print('killed  ', where, flush=True)
    finally:
        path.write_text(original)

print(f'\nscore: {killed}/{tried} faults caught')
for where in survived:
    print('survivor:', where)
EOF
