#!/usr/bin/env bash
# Puts one-line faults into a file of src/, one at a time, and runs the tests of its floor
# against each: a mutant a test fails on is caught, one every test passes is missed.
#
#   scripts/mutate.sh FILE [COUNT [SEED]]
#       COUNT mutants of FILE (10 if not given), picked from all its candidates by SEED (1):
#       a condition flipped (== !=, < >=, > <=, && ||, !x to x), true and false swapped in
#       a return, + 1 and - 1 swapped, a call on a line of its own removed. Comments,
#       blank lines and preprocessor lines are left alone.
#
# The tests run are those labelled with the floor's folder (src/settings/X.cpp: settings;
# src/platform/posix/Y.cpp: platform); MUTATE_LABEL names another label. It builds in build/
# (MUTATE_BUILD_DIR for another folder; configured as Release where there is none), rebuilds
# only those tests and what they need, and gives each mutant MUTATE_TIMEOUT seconds of tests
# (300); MUTATE_LINES=FIRST-LAST keeps to those lines (the ones just written, say), and
# MUTATE_EXCLUDE (a ctest -E pattern) leaves out tests that fail already. The file is put
# back whatever happens, Ctrl-C included.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    sed -n '2,17s/^# \{0,1\}//p' "$0" >&2
    exit 2
}
[ $# -ge 1 ] && [ $# -le 3 ] || usage
file=$1
count=${2:-10}
seed=${3:-1}
[[ $file == src/* && -f $file ]] || { echo "mutate.sh: \"$file\" is not a file of src/" >&2; exit 2; }
[[ $count =~ ^[0-9]+$ ]] || usage
floor=$(cut -d/ -f2 <<<"$file")
label=${MUTATE_LABEL:-$floor}
build=${MUTATE_BUILD_DIR:-build}
timeout=${MUTATE_TIMEOUT:-300}

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
exclude=(-E "${MUTATE_EXCLUDE:-^\$}")
mapfile -t tests < <(ctest --test-dir "$build" -N -L "^$label\$" "${exclude[@]}" | sed -n 's/^ *Test *#[0-9]*: //p')
[ ${#tests[@]} -gt 0 ] || { echo "mutate.sh: no test is labelled \"$label\"" >&2; exit 2; }

scratch=$(mktemp -d)
cp -p "$file" "$scratch/original"
restore() {
    cp "$scratch/original" "$file"
    rm -rf "$scratch"
}
trap restore EXIT
trap 'exit 130' INT TERM

# The candidates, one a line: LINE<TAB>WHAT<TAB>NEW TEXT OF THE LINE, in an order set by SEED.
python3 - "$file" "$seed" "${MUTATE_LINES:-1-999999}" >"$scratch/candidates" <<'EOF'
import hashlib, re, sys

path, seed = sys.argv[1], sys.argv[2]
first, last = (int(n) for n in sys.argv[3].split('-'))
flips = [(' == ', ' != '), (' != ', ' == '), (' < ', ' >= '), (' >= ', ' < '), (' > ', ' <= '),
         (' <= ', ' > '), (' && ', ' || '), (' || ', ' && '), ('return true;', 'return false;'),
         ('return false;', 'return true;'), (' + 1', ' - 1'), (' - 1', ' + 1')]
call = re.compile(r'^\s*[A-Za-z_][\w:.>-]*\(.*\);$')
keywords = re.compile(r'^\s*(return|if|while|for|switch|case|delete|throw|else|do)\b')
candidates = []
in_comment = False
previous = ';'
for number, line in enumerate(open(path, encoding='utf-8').read().split('\n'), 1):
    stripped = line.strip()
    if in_comment:
        in_comment = '*/' not in stripped
        continue
    if stripped.startswith('/*'):
        in_comment = '*/' not in stripped
        continue
    if not stripped or stripped.startswith(('//', '#', '*')):
        continue
    code = line.split(' //')[0].rstrip()
    rest = line[len(code):]
    for old, new in flips:
        for match in re.finditer(re.escape(old), code):
            mutant = code[:match.start()] + new + code[match.end():] + rest
            candidates.append((number, old.strip() + ' -> ' + new.strip(), mutant))
    for match in re.finditer(r'!(?=[A-Za-z_(])', code):
        candidates.append((number, '!x -> x', code[:match.start()] + code[match.end():] + rest))
    if (call.match(code) and not keywords.match(code) and code.count('(') == code.count(')')
            and previous[-1:] in (';', '{', '}', ')', ':')):
        candidates.append((number, 'call removed', code[:len(code) - len(code.lstrip())] + ';'))
    previous = code.strip()
key = lambda c: hashlib.sha256(f'{seed}:{c[0]}:{c[1]}:{c[2]}'.encode()).hexdigest()
for number, what, mutant in sorted((c for c in candidates if first <= c[0] <= last), key=key):
    print(f'{number}\t{what}\t{mutant}')
EOF

total=$(wc -l <"$scratch/candidates")
echo "mutate.sh: $file, $total candidates; $count of them (seed $seed) against the tests labelled $label: ${tests[*]}"

build_tests() {
    cmake --build "$build" -j"$(nproc)" --target "${tests[@]}" >"$scratch/build.log" 2>&1
}
run_tests() {
    timeout -k 10 "$timeout" ctest --test-dir "$build" -L "^$label\$" "${exclude[@]}" -j"$(nproc)" --stop-on-failure \
        >"$scratch/test.log" 2>&1
}
build_tests || { echo "mutate.sh: $build does not build as it is; see:" >&2; tail -20 "$scratch/build.log" >&2; exit 1; }
run_tests || { echo "mutate.sh: the tests labelled $label fail without a mutant; nothing to compare" >&2; exit 1; }

caught=0
tried=0
unbuilt=0
while IFS=$'\t' read -r number what mutant && [ "$tried" -lt "$count" ]; do
    python3 -c 'import sys
lines = open(sys.argv[1], encoding="utf-8").read().split("\n")
lines[int(sys.argv[2]) - 1] = sys.argv[3]
open(sys.argv[4], "w", encoding="utf-8").write("\n".join(lines))' "$scratch/original" "$number" "$mutant" "$file"
    where="$file:$number ($what)"
    if ! build_tests; then
        unbuilt=$((unbuilt + 1))
        echo "  did not build: $where"
        continue
    fi
    tried=$((tried + 1))
    status=0
    run_tests || status=$?
    if [ "$status" -eq 0 ]; then
        echo "  missed: $where"
        echo "          $(sed 's/^ *//' <<<"$mutant")"
    elif [ "$status" -eq 124 ]; then
        caught=$((caught + 1))
        echo "  caught: $where (the tests ran out of time)"
    else
        caught=$((caught + 1))
        failed=$(sed -n 's/^.* - \(tst_[A-Za-z0-9_]*\) (.*/\1/p' "$scratch/test.log" | head -1)
        echo "  caught: $where${failed:+ by $failed}"
    fi
    cp "$scratch/original" "$file"
done <"$scratch/candidates"

cp "$scratch/original" "$file"
build_tests || true
[ "$unbuilt" -eq 0 ] || echo "($unbuilt more did not build and are not counted)"
echo "caught $caught / tried $tried"
