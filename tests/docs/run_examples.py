# Runs the marked examples of docs/*.md with fumsh and checks what they print.
#
# An example is a line `<!-- example -->` directly before a code block indented
# by four spaces, which is a complete fumsh script. A line `<!-- output -->`
# directly after that block, followed by another indented block, gives the
# exact output (standard output and standard error together). Each example
# runs in a fresh scratch directory holding copies of examples/*.csv, *.txt
# and *.wav; it must exit with status 0 and, when given, print that output
# (blanks at the ends of lines are not compared: Markdown editors drop them).
#
# usage: run_examples.py FUMSH DOCS_DIR EXAMPLES_DIR SCRATCH_DIR
import difflib
import glob
import os
import shutil
import subprocess
import sys

EXAMPLE = "<!-- example -->"
OUTPUT = "<!-- output -->"


def indented_block(lines, start):
    """The indented block (blank lines inside allowed) starting at index start:
    its lines without the indent, and the index after its last indented line."""
    end = i = start
    while i < len(lines) and (lines[i].startswith("    ") or lines[i].strip() == ""):
        if lines[i].strip():
            end = i + 1
        i += 1
    return [line[4:] for line in lines[start:end]], end


def skip_blank(lines, i):
    while i < len(lines) and lines[i].strip() == "":
        i += 1
    return i


def find_examples(path):
    """(line of the marker, script lines, expected lines or None) for each
    example of one file, and the markers that are misplaced."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    name = "docs/" + os.path.basename(path)
    examples, problems = [], []
    i = 0
    while i < len(lines):
        if lines[i].strip() != EXAMPLE:
            i += 1
            continue
        marker = i + 1
        j = i + 2 if i + 1 < len(lines) and lines[i + 1].strip() == "" else i + 1
        if j >= len(lines) or not lines[j].startswith("    "):
            problems.append(f"{name}:{marker}: '{EXAMPLE}' is not followed by an indented code block")
            i += 1
            continue
        script, j = indented_block(lines, j)
        k = skip_blank(lines, j)
        expected = None
        if k < len(lines) and lines[k].strip() == OUTPUT:
            k = k + 2 if k + 1 < len(lines) and lines[k + 1].strip() == "" else k + 1
            if k >= len(lines) or not lines[k].startswith("    "):
                problems.append(f"{name}:{k}: '{OUTPUT}' is not followed by an indented block")
            else:
                expected, k = indented_block(lines, k)
            j = k
        examples.append((marker, script, expected))
        i = j
    return examples, problems


def run_example(fumsh, data, workdir, where, script, expected):
    """The problem with one example, or None."""
    shutil.rmtree(workdir, ignore_errors=True)
    os.makedirs(workdir)
    for path in data:
        shutil.copy(path, workdir)
    with open(os.path.join(workdir, "example.fum"), "w", encoding="utf-8") as f:
        f.write("\n".join(script) + "\n")
    try:
        run = subprocess.run([fumsh, "example.fum"], cwd=workdir, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
    except subprocess.TimeoutExpired:
        return f"{where}: the example did not finish within 60 seconds"
    got = [line.rstrip() for line in run.stdout.decode("utf-8", errors="replace").split("\n")]
    if got and got[-1] == "":
        got.pop()
    message = []
    if run.returncode != 0:
        message.append(f"{where}: the example exited with status {run.returncode}, not 0")
    if expected is not None and got != [line.rstrip() for line in expected]:
        message.append(f"{where}: the example's output differs from its output block")
        message.extend(difflib.unified_diff([line.rstrip() for line in expected], got,
                                            "documented output", "fumsh output", lineterm=""))
    elif run.returncode != 0:
        message.append("output:")
        message.extend("  " + line for line in got)
    return "\n".join(message) or None


def main():
    if len(sys.argv) != 5:
        print("usage: run_examples.py FUMSH DOCS_DIR EXAMPLES_DIR SCRATCH_DIR", file=sys.stderr)
        return 2
    fumsh, docs, examples_dir, scratch = sys.argv[1:]
    data = [p for pattern in ("*.csv", "*.txt", "*.wav")
            for p in sorted(glob.glob(os.path.join(examples_dir, pattern)))]
    failures, count = [], 0
    for doc in sorted(glob.glob(os.path.join(docs, "*.md"))):
        examples, problems = find_examples(doc)
        failures.extend(problems)
        name = os.path.basename(doc)
        for marker, script, expected in examples:
            count += 1
            problem = run_example(fumsh, data, os.path.join(scratch, f"{name[:-3]}_{marker}"),
                                  f"docs/{name}:{marker}", script, expected)
            if problem:
                failures.append(problem)
    for failure in failures:
        print(failure + "\n")
    print(f"{count} examples run, {len(failures)} problems")
    if count == 0:
        print("no marked examples found under", docs)
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
