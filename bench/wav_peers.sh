#!/usr/bin/env bash
# Times fum.Wav as whole fumsh processes against scipy on the same WAV files,
# over several interleaved runs. The files are made by sox: 10 minutes of
# 16-bit samples at 44,100 per second, mono (26,460,000 samples) and stereo.
#   fumsh   fum.Wav of the file into a page of one column: the samples, the
#           time column and, for stereo, the split into Left and Right
#   scipy   scipy.io.wavfile.read, the samples converted to float64 (astype)
#           and a time column (numpy.arange + 1) / rate; run twice: with
#           numpy's request for transparent huge pages as it comes, and with
#           that request switched off, as the reference host makes none
# Targets: fumsh at most 1.5 times scipy without huge pages for mono, at
# most 2 for stereo (the ratios to scipy with huge pages are printed too).
# Prints the medians of the wall, user and system time and of the peak
# memory of each, the ratios, and the load average before and after the
# runs. Checks once that both read the same last samples and last time.
#
#   bench/wav_peers.sh [RUNS]        (default 7)
#
# FUMSH names the fumsh to time (default: the default preset's, built when
# missing). Installs Debian's sox and python3-scipy when missing.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bench_arguments "$@"
need_fumsh
need_python_module scipy.io.wavfile python3-scipy
if ! command -v sox >/dev/null; then
  echo "installing sox" >&2
  apt-get update -qq && apt-get install -y -qq sox >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds=600
rate=44100
frames=$((seconds * rate))
sox -n -r $rate -b 16 -c 1 "$work/mono.wav" synth $seconds sine 440 whitenoise vol 0.5
sox -n -r $rate -b 16 -c 2 "$work/stereo.wav" synth $seconds sine 440 whitenoise vol 0.5

# The last frame's samples and time, as each side reads them.
fum_script() {
  local columns=S_Data
  [[ $1 == stereo ]] && columns="S_Left[$frames], S_Right"
  printf 'wks new S\nh = fum.Open(%s, 0)\nfum.Wav(S)\nprint %s[%s], S_A[%s]\n' \
    "$work/$1.wav" "$columns" "$frames" "$frames"
}
scipy_code() {
  echo "import sys, numpy, scipy.io.wavfile"
  [[ $1 == off ]] && echo "numpy.core.multiarray._set_madvise_hugepage(False)"
  echo "rate, samples = scipy.io.wavfile.read(sys.argv[1])
values = samples.astype(numpy.float64)
times = (numpy.arange(values.shape[0], dtype=numpy.float64) + 1) / rate
print(*(repr(float(v)) for v in numpy.atleast_1d(values[-1])), repr(float(times[-1])))"
}
scipy_on=$(scipy_code on)
scipy_off=$(scipy_code off)

# Warm the page cache, and check once that both sides read the same.
declare -A first
for kind in mono stereo; do
  fum_got=$("$fumsh" -c "$(fum_script $kind)")
  scipy_got=$("$python" -c "$scipy_off" "$work/$kind.wav")
  same_numbers "$fum_got" "$scipy_got" || { echo "$kind: fumsh printed '$fum_got', scipy '$scipy_got'" >&2; exit 1; }
  first[fum_$kind]=${fum_got%% *}
  first[scipy_$kind]=${scipy_got%% *}
done

load=$(cut -d' ' -f1-3 /proc/loadavg)
for ((i = 0; i < runs; i++)); do
  for kind in mono stereo; do
    measure "${first[fum_$kind]}" "$fumsh" -c "$(fum_script $kind)" >>"$work/fum_$kind"
    measure "${first[scipy_$kind]}" "$python" -c "$scipy_on" "$work/$kind.wav" >>"$work/on_$kind"
    measure "${first[scipy_$kind]}" "$python" -c "$scipy_off" "$work/$kind.wav" >>"$work/off_$kind"
  done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

printf 'load average before the runs: %s, after: %s (%s cores)\n' "$load" "$load_after" "$(nproc)"
printf 'transparent huge pages: %s\n' "$(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)"
median_table "$work" "$runs" "fum_mono=fumsh Wav, mono" "on_mono=scipy, mono, huge pages asked" \
  "off_mono=scipy, mono, huge pages not asked" "fum_stereo=fumsh Wav, stereo" \
  "on_stereo=scipy, stereo, huge pages asked" "off_stereo=scipy, stereo, huge pages not asked"
echo
ratio() { awk -v a="$(column_median 1 <"$work/$1")" -v b="$(column_median 1 <"$work/$2")" 'BEGIN {printf "%.2f", a / b}'; }
for kind in mono stereo; do
  target=1.5
  [[ $kind == stereo ]] && target=2
  off=$(ratio "fum_$kind" "off_$kind")
  printf 'Wav / scipy, %-6s %s without huge pages (target <= %s: %s), %s with\n' "$kind" "$off" "$target" \
    "$(awk -v r="$off" -v t="$target" 'BEGIN {print (r <= t) ? "met" : "NOT met"}')" "$(ratio "fum_$kind" "on_$kind")"
done
