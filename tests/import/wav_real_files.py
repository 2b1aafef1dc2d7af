# WAV files made by sox and espeak-ng, imported with fumsh through examples/wav2csv.fum, every value checked against
# Python's wave module. Fails, never skips, when sox or espeak-ng is missing: CI installs both.
#
#   python3 wav_real_files.py FUMSH WAV2CSV SCRATCH
import csv, os, shutil, struct, subprocess, sys, wave

fumsh, wav2csv, scratch = sys.argv[1:4]
missing = [tool for tool in ("sox", "espeak-ng") if shutil.which(tool) is None]
if missing:
    sys.exit(f"FAILED: {' and '.join(missing)} not installed (apt-get install -y sox espeak-ng)")
shutil.rmtree(scratch, ignore_errors=True)
os.makedirs(scratch)
os.chdir(scratch)

SPEECH = "Seven samples, and then some more."
# name: the command that makes it; with "-" (sox) or --stdout (espeak-ng) it streams the file, so that the writer
# cannot go back to fill in the data size.
makers = {
    "mono16_8000.wav": "sox -n -r 8000 -b 16 -c 1 mono16_8000.wav synth 0.5 sine 440",
    "mono8_11025.wav": "sox -n -r 11025 -b 8 -c 1 mono8_11025.wav synth 0.4 whitenoise",
    "stereo16_44100.wav": "sox -n -r 44100 -b 16 -c 2 stereo16_44100.wav synth 0.3 sine 300 whitenoise",
    "stereo8_22050.wav": "sox -n -r 22050 -b 8 -c 2 stereo8_22050.wav synth 0.25 square 200 sine 3000",
    "streamed_stereo16_48000.wav": "sox -n -t wav -r 48000 -b 16 -c 2 - synth 0.2 sine 1000 pinknoise",
    "speech.wav": "espeak-ng -w speech.wav",
    "streamed_speech.wav": "espeak-ng --stdout",
    "speech_stereo8_16000.wav": "sox speech.wav -r 16000 -b 8 -c 2 speech_stereo8_16000.wav",
}


def check(name):
    with wave.open(name, "rb") as w:
        channels, width, rate = w.getnchannels(), w.getsampwidth(), w.getframerate()
        data = w.readframes(w.getnframes())  # a streamed file: up to its end
    count = len(data) // width
    # 8-bit samples are unsigned
    samples = list(data[:count]) if width == 1 else list(struct.unpack(f"<{count}h", data[: 2 * count]))
    frames = len(samples) // channels
    if frames < 1000:
        return f"only {frames} frames: the file is too short to say much"
    out = subprocess.run([fumsh, wav2csv, name, name + ".csv"], capture_output=True, text=True, check=False)
    if out.returncode != 0:
        return f"fumsh failed ({out.returncode}): {out.stdout}{out.stderr}"
    with open(name + ".csv", newline="") as f:
        header, *rows = list(csv.reader(f))
    if header != (["A", "Data"] if channels == 1 else ["A", "Left", "Right"]):
        return f"columns {header} for {channels} channel(s)"
    if len(rows) != (len(samples) if channels == 1 else frames):
        return f"{len(rows)} rows for {len(samples)} samples in {channels} channel(s)"
    for i, row in enumerate(rows):
        if abs(float(row[0]) - (i + 1) / rate) > 1e-12 * (i + 1) / rate:
            return f"row {i + 1}: time {row[0]}, expected {(i + 1) / rate}"
        wanted = [samples[i]] if channels == 1 else samples[2 * i : 2 * i + 2]
        if [float(v) for v in row[1:]] != wanted:
            return f"row {i + 1}: samples {row[1:]}, expected {wanted}"
    return f"ok: {8 * width}-bit, {channels} channel(s) at {rate}, {len(rows)} rows as Python's wave module reads them"


failures = 0
for name, command in makers.items():
    words = command.split() + ([SPEECH] if command.startswith("espeak") else [])
    made = subprocess.run(words, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if made.returncode != 0:
        sys.exit(f"FAILED: {command}: {made.stderr.decode(errors='replace')}")
    if "-" in words or "--stdout" in words:
        with open(name, "wb") as f:
            f.write(made.stdout)
    verdict = check(name)
    print(f"{name}: {verdict}")
    failures += not verdict.startswith("ok")

# The example's usage message, for a call without its two arguments.
usage = subprocess.run([fumsh, wav2csv], capture_output=True, text=True, check=False)
if usage.returncode != 2 or not usage.stdout.startswith("usage: fumsh wav2csv.fum IN.wav OUT.csv"):
    print(f"wav2csv.fum without arguments: exit {usage.returncode}, printed {usage.stdout!r}")
    failures += 1
sys.exit(f"FAILED: {failures} check(s)" if failures else 0)
