#!/usr/bin/env bash
# Times, as whole processes over several interleaved runs, two fumsh loops
# of 1,000,000 iterations against the same loops in the system Python: a
# plain counting loop (x = x + 1), and fum.GetPos() on an open file against
# f.tell(). Prints the median wall times and the ratios (targets: the plain
# loop at most 5 times Python, the GetPos loop at most 3 times tell).
#
#   bench/loops.sh [RUNS]        (default 7 runs each)
#
# Builds the default preset when fumsh is missing.
set -euo pipefail
if [[ ${1:-} == --help || ${1:-} == -h ]]; then
  sed -n '2,/^set /p' "$0" | sed '$d' | sed 's/^# \{0,1\}//'
  exit 0
fi
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}
fumsh=${FUMSH:-$root/build/default/tools/fumsh/fumsh}
python=/usr/bin/python3
count=1000000

if [[ ! -x $fumsh ]]; then
  (cd "$root" && cmake --preset default >/dev/null && cmake --build --preset default --target fumsh >/dev/null)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c 4096 /dev/zero >"$work/data.bin"

fum_plain="x = 0
for i = 1 to $count
  x = x + 1
end
print x"
fum_getpos="h = fum.Open($work/data.bin, 0)
for i = 1 to $count
  p = fum.GetPos()
end
print i - 1"
py_plain="x = 0
for i in range($count):
    x = x + 1
print(x)"
py_tell="f = open('$work/data.bin', 'rb')
for i in range($count):
    p = f.tell()
print(i + 1)"

# Wall seconds of one run, from a monotonic clock around the whole process.
measure() {
  "$python" - "$@" <<'PY'
import os, subprocess, sys, time
start = time.monotonic()
done = subprocess.run(sys.argv[1:], stdout=subprocess.PIPE)
wall = time.monotonic() - start
if done.returncode != 0 or done.stdout.split() != [b"1000000"]:
    sys.exit("failed: " + " ".join(sys.argv[1:3]))
print(f"{wall:.6f}")
PY
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

for name in fum_plain fum_getpos py_plain py_tell; do : >"$work/$name"; done
for ((i = 0; i < runs; i++)); do
  measure "$fumsh" -c "$fum_plain" >>"$work/fum_plain"
  measure "$python" -c "$py_plain" >>"$work/py_plain"
  measure "$fumsh" -c "$fum_getpos" >>"$work/fum_getpos"
  measure "$python" -c "$py_tell" >>"$work/py_tell"
done

printf '%-34s %9s\n' "median of $runs runs, $count iterations" "wall s"
for name in fum_plain py_plain fum_getpos py_tell; do
  case $name in
    fum_plain) label="fumsh  x = x + 1" ;;
    py_plain) label="python x = x + 1" ;;
    fum_getpos) label="fumsh  p = fum.GetPos()" ;;
    py_tell) label="python p = f.tell()" ;;
  esac
  printf '%-34s %9.3f\n' "$label" "$(median <"$work/$name")"
done
ratio() {
  awk -v a="$(median <"$work/$1")" -v b="$(median <"$work/$2")" -v t="$3" \
    'BEGIN {r = a / b; printf "%.2f (target <= %s: %s)\n", r, t, (r <= t) ? "met" : "NOT met"}'
}
printf 'plain loop, fumsh / python        %s' "$(ratio fum_plain py_plain 5)"
echo
printf 'GetPos loop, fumsh / python tell  %s' "$(ratio fum_getpos py_tell 3)"
echo
