#!/usr/bin/env bash
# Times the record methods as whole fumsh processes against numpy on the same
# file, over several interleaved runs. The file holds 2,000,000 records of 16
# bytes, template -LO|-SH2|4|F: a signed 32-bit integer, two signed 16-bit
# integers, 4 skipped bytes and a float.
#   read   fum.ReadRecord of every record into a worksheet of four columns,
#          against numpy.fromfile(path, dtype=<the record>) with each field
#          copied into a float64 array of its own (astype); target: ratio at
#          most 1.5
#   write  the same fumsh run followed by fum.WriteRecord of the worksheet
#          back to a file; the write's cost is the difference of the two
#          medians; target: at most 2 times the read run
# Prints the medians of the wall, user and system time and of the peak
# memory of each, the ratios, and fumsh's peak against the worksheet plus
# 16 MB (a record buffer per chunk, no second copy of the worksheet). Checks
# once that the file written is the file read, byte for byte.
#
#   bench/record_peers.sh [RUNS]        (default 7)
#
# FUMSH names the fumsh to time (default: the default preset's, built when
# missing). Installs Debian's python3-numpy when the system Python lacks it.
set -euo pipefail
usage() { sed -n '2,/^set /p' "$0" | sed '$d' | sed 's/^# \{0,1\}//'; }
if [[ ${1:-} == --help || ${1:-} == -h ]]; then usage; exit 0; fi
source "$(dirname "$0")/common.sh"
runs=${1:-7}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { usage >&2; exit 2; }
need_fumsh
need_python_module numpy python3-numpy

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=$work/records.bin
copy=$work/copy.bin
count=2000000
layout='-LO|-SH2|4|F'
dtype='[("a", "<i4"), ("b", "<i2"), ("c", "<i2"), ("skip", "V4"), ("d", "<f4")]'

# The records, from a fixed seed, the skipped bytes zero so that a copy
# written back matches; prints the first integer and the last float.
ends=$("$python" - "$data" "$count" "$dtype" <<'PY'
import sys, numpy
path, count = sys.argv[1], int(sys.argv[2])
rng = numpy.random.default_rng(7)
r = numpy.zeros(count, dtype=eval(sys.argv[3]))
r["a"] = rng.integers(-2**31, 2**31 - 1, size=count, dtype=numpy.int32)
r["b"] = rng.integers(-32768, 32767, size=count, dtype=numpy.int16)
r["c"] = rng.integers(-32768, 32767, size=count, dtype=numpy.int16)
r["d"] = rng.standard_normal(count).astype(numpy.float32)
r.tofile(path)
print(int(r["a"][0]), repr(float(r["d"][-1])))
PY
)

fum_read="wks new W 4
h = fum.Open($data, 0)
n = fum.ReadRecord(W, $count, $layout)
print n, W_A[1], W_D[$count]"
fum_write="$fum_read
k = fum.Open($copy, 1)
m = fum.WriteRecord(W, $count, $layout, k)
print fum.Error"
numpy_read="import sys, numpy
r = numpy.fromfile(sys.argv[1], dtype=$dtype)
columns = [r[f].astype(numpy.float64) for f in ('a', 'b', 'c', 'd')]
print(r.size, columns[0][0], columns[3][-1])"

# Warm the page cache, and check once what each side read and what fumsh wrote.
same() { awk -v a="$1" -v b="$2" 'BEGIN {n = split(a, x); if (n != split(b, y)) exit 1; for (i = 1; i <= n; i++) if (x[i] + 0 != y[i] + 0) exit 1}'; }
got=$("$fumsh" -c "$fum_write" | tr '\n' ' ')
same "$got" "$count $ends 0" || { echo "fumsh printed '$got', not '$count $ends 0'" >&2; exit 1; }
cmp -s "$data" "$copy" || { echo "the file WriteRecord wrote differs from the file read" >&2; exit 1; }
got=$("$python" -c "$numpy_read" "$data")
same "$got" "$count $ends" || { echo "numpy printed '$got', not '$count $ends'" >&2; exit 1; }

load=$(cut -d' ' -f1-3 /proc/loadavg)
: >"$work/read" ; : >"$work/write" ; : >"$work/numpy"
for ((i = 0; i < runs; i++)); do
  measure "$count" "$fumsh" -c "$fum_read" >>"$work/read"
  measure "$count" "$python" -c "$numpy_read" "$data" >>"$work/numpy"
  measure "$count" "$fumsh" -c "$fum_write" >>"$work/write"
done

printf 'load average before the runs: %s (%s cores)\n' "$load" "$(nproc)"
median_header "$runs"
median_row "fumsh ReadRecord" "$work/read"
median_row "numpy.fromfile + astype per field" "$work/numpy"
median_row "fumsh ReadRecord + WriteRecord" "$work/write"
echo

read_wall=$(column_median 1 <"$work/read")
write_wall=$(awk -v a="$(column_median 1 <"$work/write")" -v b="$read_wall" 'BEGIN {printf "%.3f", a - b}')
printf 'ReadRecord / numpy                  %s\n' "$(awk -v a="$read_wall" -v b="$(column_median 1 <"$work/numpy")" \
  'BEGIN {r = a / b; printf "%.2f (target <= 1.5: %s)", r, (r <= 1.5) ? "met" : "NOT met"}')"
printf 'WriteRecord (%s s) / ReadRecord   %s\n' "$write_wall" "$(awk -v a="$write_wall" -v b="$read_wall" \
  'BEGIN {r = a / b; printf "%.2f (target <= 2: %s)", r, (r <= 2) ? "met" : "NOT met"}')"
worksheet_mb=$(awk -v n="$count" 'BEGIN {printf "%.1f", n * 4 * 8 / 1048576}')
for name in read write; do
  peak=$(column_median 4 <"$work/$name")
  printf 'fumsh %-5s peak %s MB against the worksheet %s MB + 16 MB: %s\n' "$name" "$peak" "$worksheet_mb" \
    "$(awk -v p="$peak" -v d="$worksheet_mb" 'BEGIN {print (p <= d + 16) ? "met" : "NOT met"}')"
done
