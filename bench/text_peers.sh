#!/usr/bin/env bash
# Times the text readers as whole fumsh processes against Python peers on the
# same files, over several interleaved runs:
#   readarray  fum.ReadArray of the 8,000,000 numbers of a 1,000,000-line,
#              8-column CSV file (CR LF, about 70 MB) into one dataset, against
#              numpy.loadtxt(path, delimiter=","); target: ratio at most 1.0,
#              and fumsh's peak memory at most the dataset plus 16 MB
#   lread      a while loop of fum.LRead over 2,000,000 lines of 30 to 50
#              characters (CR LF) until fum.Error is set, against a Python
#              for-loop over open(path, "rb") counting lines; target: at most 4
#   linerow    a while loop of fum.LineRow over the CSV file into a worksheet
#              of 8 columns, against pandas.read_csv(path, header=None);
#              target: at most 1.5
# Prints the medians of the wall, user and system time and of the peak
# memory of each side, and the ratios of the wall times.
#
#   bench/text_peers.sh [RUNS] [readarray|lread|linerow|all]   (default 5 all)
#
# FUMSH names the fumsh to time (default: the default preset's, built when
# missing). Installs Debian's python3-numpy and python3-pandas when the
# system Python lacks them.
set -euo pipefail
usage() { sed -n '2,/^set /p' "$0" | sed '$d' | sed 's/^# \{0,1\}//'; }
if [[ ${1:-} == --help || ${1:-} == -h ]]; then usage; exit 0; fi
source "$(dirname "$0")/common.sh"
runs=${1:-5}
choice=${2:-all}
case $choice in
  all) chosen=(readarray lread linerow) ;;
  readarray|lread|linerow) chosen=("$choice") ;;
  *) usage >&2; exit 2 ;;
esac
[[ $runs =~ ^[1-9][0-9]*$ ]] || { usage >&2; exit 2; }
picked() { [[ " ${chosen[*]} " == *" $1 "* ]]; }

need_fumsh
picked readarray && need_python_module numpy python3-numpy
picked linerow && need_python_module pandas python3-pandas python3-numpy

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
csv=$work/numbers.csv
lines=$work/lines.txt
rows=1000000
columns=8
values=$((rows * columns))
line_count=2000000

# The data, from a fixed seed. The CSV generator prints the first and the
# last number, which the fumsh runs must read back.
if picked readarray || picked linerow; then
  ends=$("$python" - "$csv" "$rows" "$columns" <<'PY'
import random, sys
rng = random.Random(7)
def field():
    kind = rng.randrange(3)
    if kind == 0:
        return str(rng.randrange(-99999, 100000))                    # 123
    if kind == 1:
        return "%.4f" % (rng.randrange(-10000000, 10000001) / 1e4)    # -4.5678
    mantissa = rng.randrange(100, 1000) / 100 * rng.choice((-1, 1))
    return "%.2e" % (mantissa * 10.0 ** rng.randrange(-9, 10))        # 1.25e-03
path, rows, columns = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(path, "w", newline="") as out:
    for row in range(rows):
        line = [field() for _ in range(columns)]
        if row == 0:
            first = line[0]
        out.write(",".join(line) + "\r\n")
print(float(first), float(line[-1]))
PY
)
fi
if picked lread; then
  "$python" - "$lines" "$line_count" <<'PY'
import random, string, sys
rng = random.Random(7)
pool = "".join(rng.choice(string.ascii_letters + string.digits + " ,.;") for _ in range(1 << 16))
with open(sys.argv[1], "w", newline="") as out:
    for _ in range(int(sys.argv[2])):
        start = rng.randrange(len(pool) - 50)
        out.write(pool[start:start + rng.randint(30, 50)] + "\r\n")
PY
fi

# A fumsh loop that counts the calls of CALL that leave fum.Error at 0.
count_until_error() {
  printf 'count = 0\nn = %s\nwhile fum.Error == 0\n  count = count + 1\n  n = %s\nend\n' "$1" "$1"
}
fum_readarray="h = fum.Open($csv, 0)
n = fum.ReadArray(D, 1, $values)
print n, D[1], D[$values]"
py_readarray='import sys, numpy
a = numpy.loadtxt(sys.argv[1], delimiter=",")
print(a.size)'
fum_lread="h = fum.Open($lines, 0)
$(count_until_error 'fum.LRead(A)')
print count, fum.Error"
py_lread='import sys
count = 0
for line in open(sys.argv[1], "rb"):
    count = count + 1
print(count)'
fum_linerow="wks new W $columns
h = fum.Open($csv, 0)
$(count_until_error 'fum.LineRow(W)')
print count, W_A[1], W_H[count]"
py_linerow='import sys, pandas
d = pandas.read_csv(sys.argv[1], header=None)
print(d.shape[0], d.shape[1])'

# What each side prints first, and the file it reads.
expected() { case $1 in readarray) echo "$values" ;; lread) echo "$line_count" ;; linerow) echo "$rows" ;; esac; }
input() { case $1 in lread) echo "$lines" ;; *) echo "$csv" ;; esac; }
fum_run() { local s="fum_$1"; measure "$(expected "$1")" "$fumsh" -c "${!s}"; }
py_run() { local s="py_$1"; measure "$(expected "$1")" "$python" -c "${!s}" "$(input "$1")"; }

# Warm the page cache, and check once that fumsh stores the right numbers:
# the numbers after the count are compared as numbers.
same() { awk -v a="$1" -v b="$2" 'BEGIN {n = split(a, x); if (n != split(b, y)) exit 1; for (i = 1; i <= n; i++) if (x[i] + 0 != y[i] + 0) exit 1}'; }
for name in "${chosen[@]}"; do
  s="fum_$name"
  got=$("$fumsh" -c "${!s}")
  case $name in
    lread) want="$line_count 33" ;;
    *) want="$(expected "$name") $ends" ;;
  esac
  same "$got" "$want" || { echo "fumsh $name printed '$got', not '$want'" >&2; exit 1; }
  py_run "$name" >/dev/null
done

for name in "${chosen[@]}"; do : >"$work/fum_$name"; : >"$work/py_$name"; done
for ((i = 0; i < runs; i++)); do
  for name in "${chosen[@]}"; do
    fum_run "$name" >>"$work/fum_$name"
    py_run "$name" >>"$work/py_$name"
  done
done

label() {
  case $1 in
    fum_readarray) echo "fumsh ReadArray" ;;
    py_readarray) echo "numpy.loadtxt" ;;
    fum_lread) echo "fumsh LRead loop" ;;
    py_lread) echo "python for line in file" ;;
    fum_linerow) echo "fumsh LineRow loop" ;;
    py_linerow) echo "pandas.read_csv" ;;
  esac
}
ratio() {
  awk -v a="$(column_median 1 <"$work/fum_$1")" -v b="$(column_median 1 <"$work/py_$1")" -v t="$2" \
    'BEGIN {r = a / b; printf "%.2f (target <= %s: %s)", r, t, (r <= t) ? "met" : "NOT met"}'
}
median_header "$runs"
for name in "${chosen[@]}"; do
  for side in fum py; do median_row "$(label "${side}_$name")" "$work/${side}_$name"; done
done
echo
for name in "${chosen[@]}"; do
  case $name in
    readarray)
      printf 'ReadArray / numpy.loadtxt          %s\n' "$(ratio readarray 1.0)"
      dataset_mb=$(awk -v n="$values" 'BEGIN {printf "%.1f", n * 8 / 1048576}')
      fum_peak=$(column_median 4 <"$work/fum_readarray")
      printf 'fumsh peak %s MB against the dataset %s MB + 16 MB: %s\n' "$fum_peak" "$dataset_mb" \
        "$(awk -v p="$fum_peak" -v d="$dataset_mb" 'BEGIN {print (p <= d + 16) ? "met" : "NOT met"}')" ;;
    lread) printf 'LRead loop / python line loop      %s\n' "$(ratio lread 4)" ;;
    linerow) printf 'LineRow loop / pandas.read_csv     %s\n' "$(ratio linerow 1.5)" ;;
  esac
done
