#!/usr/bin/env bash
# Times, as whole processes over several interleaved runs, fumsh reading a
# file of 50,000,000 16-bit integers into a dataset with ARead, against
# numpy.fromfile(...).astype(numpy.float64) on the same file: with numpy's
# request for transparent huge pages as it comes, and with that request
# switched off. Prints medians of the wall, user and system time and of the
# peak memory of each, and the ratios (targets: fumsh at most 1.0 times
# numpy without huge pages; fumsh's peak at most the dataset plus 16 MB).
#
#   bench/peers.sh [RUNS]        (default 7 runs each)
#
# Builds the default preset when fumsh is missing; installs Debian's
# python3-numpy when the system Python lacks it.
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-7}
need_fumsh
need_python_module numpy python3-numpy

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$work/int16.bin
count=50000000
"$python" - "$data" "$count" <<'PY'
import sys, numpy
rng = numpy.random.default_rng(7)
rng.integers(-32768, 32767, size=int(sys.argv[2]), dtype=numpy.int16).tofile(sys.argv[1])
PY

script="fum.nBytes = 2
fum.Signed = 1
h = fum.Open($data, 0)
n = fum.ARead(d, 1, $count, 0)
print n"
numpy_code() {
  echo "import sys, numpy"
  [[ $1 == off ]] && echo "numpy.core.multiarray._set_madvise_hugepage(False)"
  echo "a = numpy.fromfile(sys.argv[1], dtype=numpy.int16).astype(numpy.float64); print(a.size)"
}
numpy_on=$(numpy_code on)
numpy_off=$(numpy_code off)

# Warm the page cache and check that each reads every value.
same() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a + 0 == b + 0)}'; }
same "$("$fumsh" -c "$script")" "$count" || { echo "fumsh did not read $count values" >&2; exit 1; }
same "$("$python" -c "$numpy_on" "$data")" "$count" || { echo "numpy did not read $count values" >&2; exit 1; }
same "$("$python" -c "$numpy_off" "$data")" "$count" || { echo "numpy did not read $count values" >&2; exit 1; }

: >"$work/fum" ; : >"$work/np_on" ; : >"$work/np_off"
for ((i = 0; i < runs; i++)); do
  measure "$count" "$fumsh" -c "$script" >>"$work/fum"
  measure "$count" "$python" -c "$numpy_on" "$data" >>"$work/np_on"
  measure "$count" "$python" -c "$numpy_off" "$data" >>"$work/np_off"
done

thp=$(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)
case $thp in
  *"[never]"*) pages="no: the kernel has transparent huge pages off, so both numpy runs are alike" ;;
  *"[madvise]"*|*"[always]"*) pages="yes, when asked (kernel setting: $thp)" ;;
  *) pages="unknown (kernel setting: $thp)" ;;
esac
printf 'huge pages for numpy: %s\n' "$pages"
median_header "$runs"
median_row "fumsh ARead" "$work/fum"
median_row "numpy, huge pages asked" "$work/np_on"
median_row "numpy, huge pages not asked" "$work/np_off"

fum_wall=$(column_median 1 <"$work/fum")
ratio_off=$(awk -v a="$fum_wall" -v b="$(column_median 1 <"$work/np_off")" 'BEGIN {printf "%.2f", a / b}')
ratio_on=$(awk -v a="$fum_wall" -v b="$(column_median 1 <"$work/np_on")" 'BEGIN {printf "%.2f", a / b}')
dataset_mb=$(awk -v n="$count" 'BEGIN {printf "%.1f", n * 8 / 1048576}')
fum_peak=$(column_median 4 <"$work/fum")
printf 'ratio to numpy without huge pages  %s (target <= 1.0: %s)\n' "$ratio_off" \
  "$(awk -v r="$ratio_off" 'BEGIN {print (r <= 1.0) ? "met" : "NOT met"}')"
printf 'ratio to numpy with huge pages     %s\n' "$ratio_on"
printf 'fumsh peak %s MB against the dataset %s MB + 16 MB: %s\n' "$fum_peak" "$dataset_mb" \
  "$(awk -v p="$fum_peak" -v d="$dataset_mb" 'BEGIN {print (p <= d + 16) ? "met" : "NOT met"}')"
