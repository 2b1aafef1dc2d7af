# Shell functions that the whole-process benchmarks (peers.sh, text_peers.sh,
# wav_peers.sh, ...) share: the fumsh to time, one timed run of a command,
# medians and a table of them. Sourced, never run.

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
python=/usr/bin/python3
fumsh=${FUMSH:-$bench_root/build/default/tools/fumsh/fumsh}

# The running script's header comment: its usage.
bench_usage() { sed -n '2,/^set /p' "$0" | sed '$d' | sed 's/^# \{0,1\}//'; }

# bench_arguments "$@": --help or -h prints the usage and exits; otherwise
# `runs` becomes the one optional argument (default 7), and anything else
# prints the usage and exits 2.
bench_arguments() {
  if [[ ${1:-} == --help || ${1:-} == -h ]]; then bench_usage; exit 0; fi
  runs=${1:-7}
  [[ $runs =~ ^[1-9][0-9]*$ && $# -le 1 ]] || { bench_usage >&2; exit 2; }
}

# Builds the default preset's fumsh when the one to time is missing.
need_fumsh() {
  if [[ ! -x $fumsh ]]; then
    (cd "$bench_root" && cmake --preset default >/dev/null && cmake --build --preset default --target fumsh >/dev/null)
  fi
}

# Installs the Debian packages given when the system Python cannot import
# the module named first.
need_python_module() {
  local module=$1
  shift
  if ! "$python" -c "import $module" 2>/dev/null; then
    echo "installing $*" >&2
    apt-get update -qq && apt-get install -y -qq "$@" >/dev/null
  fi
}

# measure EXPECTED COMMAND...: one run of COMMAND, printed as "wall user
# system peak_MB": the kernel's accounting of the child (wait4), the wall
# time from a monotonic clock. Fails unless the first word the command
# prints is EXPECTED.
measure() {
  "$python" - "$@" <<'PY'
import os, sys, time
expected, command = sys.argv[1], sys.argv[2:]
start = time.monotonic()
reader, writer = os.pipe()
pid = os.fork()
if pid == 0:
    os.close(reader)
    os.dup2(writer, 1)
    os.execv(command[0], command)
os.close(writer)
with os.fdopen(reader, "rb") as out:
    printed = out.read().split()
_, status, usage = os.wait4(pid, 0)
wall = time.monotonic() - start
if os.waitstatus_to_exitcode(status) != 0:
    sys.exit("failed: " + " ".join(command))
if printed[:1] != [expected.encode()]:
    sys.exit(f"expected {expected}, got {b' '.join(printed[:4]).decode()}: {' '.join(command)}")
print(f"{wall:.6f} {usage.ru_utime:.6f} {usage.ru_stime:.6f} {usage.ru_maxrss / 1024:.1f}")
PY
}

# same_numbers A B: succeeds when the blank-separated numbers of A and B are
# as many and equal one by one (so 600 and 600.0 match).
same_numbers() {
  awk -v a="$1" -v b="$2" 'BEGIN {n = split(a, x); if (n != split(b, y)) exit 1; for (i = 1; i <= n; i++) if (x[i] + 0 != y[i] + 0) exit 1}'
}

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
column_median() { awk -v c="$1" '{print $c}' | median; }

# The table of medians: its header for RUNS runs, and one row: LABEL, then
# the medians of the four columns that measure wrote to FILE.
median_header() { printf '%-36s %9s %9s %9s %10s\n' "median of $1 runs" "wall s" "user s" "sys s" "peak MB"; }
median_row() {
  printf '%-36s %9.3f %9.3f %9.3f %10.1f\n' "$1" \
    "$(column_median 1 <"$2")" "$(column_median 2 <"$2")" "$(column_median 3 <"$2")" "$(column_median 4 <"$2")"
}

# median_table DIR RUNS NAME=LABEL...: the header, then a row for each NAME
# from what measure wrote into DIR/NAME, under LABEL.
median_table() {
  local dir=$1 runs=$2 pair
  shift 2
  median_header "$runs"
  for pair in "$@"; do median_row "${pair#*=}" "$dir/${pair%%=*}"; done
}
