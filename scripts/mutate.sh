#!/usr/bin/env bash
# Puts one-line faults into a file of src/, one at a time, and runs the tests of its floor
# against each: a mutant a test fails on is caught, one every test passes is missed.
#
#   scripts/mutate.sh FILE [COUNT [SEED]]
#   scripts/mutate.sh --sample COUNT [SEED]
#       COUNT mutants of FILE (10 if not given), or of every file of src/ that the tests here
#       can reach (not main.cpp, not the Win32 backends), picked by SEED (1):
#       a condition flipped (== !=, < >=, > <=, && ||, !x to x), true and false swapped in
#       a return, + 1 and - 1 swapped, a call on a line of its own removed. Comments,
#       blank lines and preprocessor lines are left alone.
#
# The tests run are those labelled with the floor's folder (src/settings/X.cpp: settings;
# src/platform/posix/Y.cpp: platform); MUTATE_LABEL names another label. With --sample (or
# MUTATE_WIDE=1), a mutant those tests miss is tried against every other test too, the
# end-to-end ones included, so the figure is the whole suite's. It builds in build/
# (MUTATE_BUILD_DIR for another folder; configured as Release where there is none), rebuilds
# only those tests and what they need, and gives each mutant MUTATE_TIMEOUT seconds of tests
# (300; 1800 with --sample); MUTATE_LINES=FIRST-LAST keeps to those lines (the ones just written, say), and
# MUTATE_EXCLUDE (a ctest -E pattern) leaves out tests that fail already. The file is put
# back whatever happens, Ctrl-C included. Mutants listed in scripts/equivalent-mutants.txt,
# each with why nothing anyone can see tells it from the code, are not drawn.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    sed -n '2,23s/^# \{0,1\}//p' "$0" >&2
    exit 2
}
[ $# -ge 1 ] && [ $# -le 3 ] || usage
wide=${MUTATE_WIDE:-0}
if [ "$1" = --sample ]; then
    [ $# -ge 2 ] || usage
    wide=1
    mapfile -t files < <(find src -name '*.cpp' ! -path 'src/platform/win32/*' ! -name main.cpp | sort)
    what="a sample of src/"
else
    [[ $1 == src/* && -f $1 ]] || { echo "mutate.sh: \"$1\" is not a file of src/" >&2; exit 2; }
    files=("$1")
    what=$1
fi
count=${2:-10}
seed=${3:-1}
[[ $count =~ ^[0-9]+$ ]] || usage
build=${MUTATE_BUILD_DIR:-build}
timeout=${MUTATE_TIMEOUT:-300}
[ "$wide" = 1 ] && timeout=${MUTATE_TIMEOUT:-1800}

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
# The package test installs into the system; it is never a mutant's judge.
exclude=(-E "${MUTATE_EXCLUDE:-^\$}|^package_install\$")

label_of() {
    if [ -n "${MUTATE_LABEL:-}" ]; then echo "$MUTATE_LABEL"; else cut -d/ -f2 <<<"$1"; fi
}
tests_labelled() {
    ctest --test-dir "$build" -N -L "^$1\$" "${exclude[@]}" | sed -n 's/^ *Test *#[0-9]*: //p'
}

scratch=$(mktemp -d)
current=""
restore() {
    [ -z "$current" ] || cp "$scratch/original" "$current"
    rm -rf "$scratch"
}
trap restore EXIT
trap 'exit 130' INT TERM

# The candidates, one a line: FILE<TAB>LINE<TAB>WHAT<TAB>NEW TEXT OF THE LINE, in an order set by SEED.
printf '%s\n' "${files[@]}" >"$scratch/files"
python3 - "$scratch/files" "$seed" "${MUTATE_LINES:-1-999999}" scripts/equivalent-mutants.txt \
    >"$scratch/candidates" 2>"$scratch/passed-over" <<'EOF' || { cat "$scratch/passed-over" >&2; exit 1; }
import hashlib, re, sys

paths, seed = open(sys.argv[1]).read().split(), sys.argv[2]
first, last = (int(n) for n in sys.argv[3].split('-'))
# FILE | WHAT | THE LINE AS WRITTEN, then an indented reason: keyed by text, not by line number,
# so that an entry outlives edits elsewhere in its file.
equivalent = set()
for entry in open(sys.argv[4], encoding='utf-8'):
    if entry.strip() and not entry.startswith(('#', ' ')):
        equivalent.add(tuple(part.strip() for part in entry.split(' | ', 2)))
passed_over = 0
flips = [(' == ', ' != '), (' != ', ' == '), (' < ', ' >= '), (' >= ', ' < '), (' > ', ' <= '),
         (' <= ', ' > '), (' && ', ' || '), (' || ', ' && '), ('return true;', 'return false;'),
         ('return false;', 'return true;'), (' + 1', ' - 1'), (' - 1', ' + 1')]
call = re.compile(r'^\s*[A-Za-z_][\w:.>-]*\(.*\);$')
keywords = re.compile(r'^\s*(return|if|while|for|switch|case|delete|throw|else|do)\b')
candidates = []
def scan(path):
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
      def add(what, mutant):
          global passed_over
          if (path, what, code.strip()) in equivalent:
              passed_over += 1
          else:
              candidates.append((path, number, what, mutant))
      for old, new in flips:
          for match in re.finditer(re.escape(old), code):
              add(old.strip() + ' -> ' + new.strip(), code[:match.start()] + new + code[match.end():] + rest)
      for match in re.finditer(r'!(?=[A-Za-z_(])', code):
          add('!x -> x', code[:match.start()] + code[match.end():] + rest)
      if (call.match(code) and not keywords.match(code) and code.count('(') == code.count(')')
              and previous[-1:] in (';', '{', '}', ')', ':')):
          add('call removed', code[:len(code) - len(code.lstrip())] + ';')
      previous = code.strip()
for path in paths:
    scan(path)
key = lambda c: hashlib.sha256(f'{seed}:{c[0]}:{c[1]}:{c[2]}:{c[3]}'.encode()).hexdigest()
for path, number, what, mutant in sorted((c for c in candidates if first <= c[1] <= last), key=key):
    print(f'{path}\t{number}\t{what}\t{mutant}')
print(passed_over, file=sys.stderr)
EOF

total=$(wc -l <"$scratch/candidates")
echo "mutate.sh: $what, $total candidates ($(cat "$scratch/passed-over") more are known to change nothing" \
     "anyone can see); $count of them (seed $seed)"

# Builds and runs the tests labelled $1; with "others", every test not labelled $1.
build_tests() {
    if [ "$2" = others ]; then
        cmake --build "$build" -j"$(nproc)" >"$scratch/build.log" 2>&1
    else
        mapfile -t targets < <(tests_labelled "$1")
        [ ${#targets[@]} -gt 0 ] || { echo "mutate.sh: no test is labelled \"$1\"" >&2; return 1; }
        cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >"$scratch/build.log" 2>&1
    fi
}
# A test that fails is run once more on its own: on a loaded machine an end-to-end test can
# fail for want of time, and that is no verdict on the mutant.
run_tests() {
    local select=(-L "^$1\$")
    [ "$2" = others ] && select=(-LE "^$1\$")
    timeout -k 10 "$timeout" ctest --test-dir "$build" "${select[@]}" "${exclude[@]}" -j"$(nproc)" \
        --stop-on-failure >"$scratch/test.log" 2>&1 && return 0
    local status=$?
    [ "$status" -ne 124 ] || return 124
    cp "$scratch/test.log" "$scratch/first.log"
    timeout -k 10 "$timeout" ctest --test-dir "$build" --rerun-failed >"$scratch/test.log" 2>&1 && return 0
    status=$?
    cat "$scratch/first.log" >>"$scratch/test.log"
    return "$status"
}
first_failed() {
    sed -n 's/^.* - \([A-Za-z0-9_]*\) (.*/\1/p' "$scratch/test.log" | head -1
}

# Without a mutant every test that judges must pass, or a mutant's failure says nothing.
if [ "$wide" = 1 ]; then
    build_tests none others || { echo "mutate.sh: $build does not build as it is; see:" >&2; tail -20 "$scratch/build.log" >&2; exit 1; }
    run_tests "^" others || { echo "mutate.sh: the tests fail without a mutant ($(first_failed)); nothing to compare" >&2; exit 1; }
else
    label=$(label_of "${files[0]}")
    build_tests "$label" own || { echo "mutate.sh: $build does not build as it is; see:" >&2; tail -20 "$scratch/build.log" >&2; exit 1; }
    run_tests "$label" own || { echo "mutate.sh: the tests labelled $label fail without a mutant; nothing to compare" >&2; exit 1; }
    echo "mutate.sh: judged by the tests labelled $label: $(tests_labelled "$label" | tr '\n' ' ')"
fi

caught=0
tried=0
unbuilt=0
while IFS=$'\t' read -r file number what mutant && [ "$tried" -lt "$count" ]; do
    current=$file
    cp -p "$file" "$scratch/original"
    python3 -c 'import sys
lines = open(sys.argv[1], encoding="utf-8").read().split("\n")
lines[int(sys.argv[2]) - 1] = sys.argv[3]
open(sys.argv[4], "w", encoding="utf-8").write("\n".join(lines))' "$scratch/original" "$number" "$mutant" "$file"
    where="$file:$number ($what)"
    label=$(label_of "$file")
    if ! build_tests "$label" own; then
        unbuilt=$((unbuilt + 1))
        echo "  did not build: $where"
    else
        tried=$((tried + 1))
        status=0
        run_tests "$label" own || status=$?
        if [ "$status" -eq 0 ] && [ "$wide" = 1 ]; then
            if build_tests "$label" others; then
                run_tests "$label" others || status=$?
            fi
        fi
        if [ "$status" -eq 0 ]; then
            echo "  missed: $where"
            echo "          $(sed 's/^ *//' <<<"$mutant")"
        elif [ "$status" -eq 124 ]; then
            caught=$((caught + 1))
            echo "  caught: $where (the tests ran out of time)"
        else
            caught=$((caught + 1))
            failed=$(first_failed)
            echo "  caught: $where${failed:+ by $failed}"
        fi
    fi
    cp "$scratch/original" "$file"
    current=""
done <"$scratch/candidates"

cmake --build "$build" -j"$(nproc)" >/dev/null 2>&1 || true
[ "$unbuilt" -eq 0 ] || echo "($unbuilt more did not build and are not counted)"
echo "caught $caught / tried $tried"
