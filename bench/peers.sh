#!/usr/bin/env bash
# Times, as whole processes over several runs, fumsh reading a file of
# 50,000,000 16-bit integers into a dataset with ARead, against
# numpy.fromfile(...).astype(numpy.float64) on the same file, and prints the
# median ratio (target: at most 1.5).
#
#   bench/peers.sh [RUNS]        (default 7 runs each)
#
# Builds the default preset when fumsh is missing; installs Debian's
# python3-numpy when the system Python lacks it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}
fumsh=${FUMSH:-$root/build/default/tools/fumsh/fumsh}
python=/usr/bin/python3

if [[ ! -x $fumsh ]]; then
  (cd "$root" && cmake --preset default >/dev/null && cmake --build --preset default --target fumsh >/dev/null)
fi
if ! "$python" -c 'import numpy' 2>/dev/null; then
  echo "installing python3-numpy" >&2
  apt-get update -qq && apt-get install -y -qq python3-numpy >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$work/int16.bin
count=50000000
"$python" - "$data" "$count" <<'PY'
import sys, numpy
rng = numpy.random.default_rng(7)
rng.integers(-32768, 32767, size=int(sys.argv[2]), dtype=numpy.int16).tofile(sys.argv[1])
PY

# Seconds of one run of a command, from a monotonic clock.
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  awk -v a="$start" -v b="$end" 'BEGIN {printf "%.6f\n", (b - a) / 1e9}'
}

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

script="fum.nBytes = 2
fum.Signed = 1
h = fum.Open($data, 0)
n = fum.ARead(d, 1, $count, 0)
print n"
numpy_code="import numpy, sys; a = numpy.fromfile(sys.argv[1], dtype=numpy.int16).astype(numpy.float64); print(a.size)"

# Warm the page cache and check both read every value.
same() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a + 0 == b + 0)}'; }
same "$("$fumsh" -c "$script")" "$count" || { echo "fumsh did not read $count values" >&2; exit 1; }
same "$("$python" -c "$numpy_code" "$data")" "$count" || { echo "numpy did not read $count values" >&2; exit 1; }

fum_times=() np_times=()
for ((i = 0; i < runs; i++)); do
  fum_times+=("$(seconds "$fumsh" -c "$script")")
  np_times+=("$(seconds "$python" -c "$numpy_code" "$data")")
done
fum_median=$(printf '%s\n' "${fum_times[@]}" | median)
np_median=$(printf '%s\n' "${np_times[@]}" | median)
ratio=$(awk -v a="$fum_median" -v b="$np_median" 'BEGIN {printf "%.4f", a / b}')
printf 'fumsh ARead     median %.3f s over %d runs\n' "$fum_median" "$runs"
printf 'numpy fromfile  median %.3f s over %d runs\n' "$np_median" "$runs"
printf 'ratio           %.2f (target <= 1.5: %s)\n' "$ratio" \
  "$(awk -v r="$ratio" 'BEGIN {print (r <= 1.5) ? "met" : "NOT met"}')"
