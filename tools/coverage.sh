#!/usr/bin/env bash
# Line and branch coverage of src/ by the whole test suite: builds and runs the
# coverage preset, then summarises with gcovr (Debian's gcovr; installed when
# missing). Branches the compiler adds for exceptions and for code it cannot
# reach are left out of the count, as they are not decisions of ours.
set -euo pipefail
usage() {
  cat <<'TXT'
usage: tools/coverage.sh [--no-run] [--html]
  Builds the coverage preset, runs every test, and prints the line and branch
  coverage of src/ per file and in total.
  --no-run  summarise the counts an earlier run left (build/coverage)
  --html    also write build/coverage/report/index.html
TXT
}
run=1 html=0
for a in "$@"; do
  case $a in
    --no-run) run=0 ;;
    --html) html=1 ;;
    -h|--help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
cd "$(dirname "$0")/.."
if ! command -v gcovr >/dev/null; then
  sudo=; [[ $(id -u) -eq 0 ]] || sudo=sudo
  $sudo apt-get install -y -qq gcovr >/dev/null
fi
build=build/coverage
if ((run)); then
  find "$build" -name '*.gcda' -delete 2>/dev/null || true
  cmake --workflow --preset coverage
fi
args=(--root . --filter 'src/' --object-directory "$build"
      --exclude-throw-branches --exclude-unreachable-branches --print-summary)
((html)) && { mkdir -p "$build/report"; args+=(--html-details "$build/report/index.html"); }
gcovr "${args[@]}"
