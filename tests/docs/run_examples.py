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
    """The block of four-space indented lines (blank lines inside allowed)
    that starts at index start; returns (its lines without the indent, the
    index just after its last indented line)."""
    body = []
    end = start
    i = start
    while i < len(lines) and (lines[i].startswith("    ") or lines[i].strip() == ""):
        if lines[i].strip() != "":
            end = i + 1
        i += 1
    body = [line[4:] for line in lines[start:end]]
    return body, end


def find_examples(path):
    """The examples of one file as (line number of the marker, script lines,
    expected output lines or None), and the markers that are misplaced."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    name = "docs/" + os.path.basename(path)
    problems = []
    examples = []
    i = 0
    while i < len(lines):
        if lines[i].strip() != EXAMPLE:
            i += 1
            continue
        marker = i + 1
        j = i + 1
        if j < len(lines) and lines[j].strip() == "":
            j += 1
        if j >= len(lines) or not lines[j].startswith("    "):
            problems.append(f"{name}:{marker}: '{EXAMPLE}' is not followed by an indented code block")
            i += 1
            continue
        script, j = indented_block(lines, j)
        k = j
        while k < len(lines) and lines[k].strip() == "":
            k += 1
        expected = None
        if k < len(lines) and lines[k].strip() == OUTPUT:
            k += 1
            if k < len(lines) and lines[k].strip() == "":
                k += 1
            if k >= len(lines) or not lines[k].startswith("    "):
                problems.append(f"{name}:{k}: '{OUTPUT}' is not followed by an indented block")
            else:
                expected, k = indented_block(lines, k)
            j = k
        examples.append((marker, script, expected))
        i = j
    return examples, problems


def main():
    if len(sys.argv) != 5:
        print("usage: run_examples.py FUMSH DOCS_DIR EXAMPLES_DIR SCRATCH_DIR", file=sys.stderr)
        return 2
    fumsh, docs, examples_dir, scratch = sys.argv[1:]
    data = []
    for pattern in ("*.csv", "*.txt", "*.wav"):
        data.extend(sorted(glob.glob(os.path.join(examples_dir, pattern))))

    failures = []
    count = 0
    for doc in sorted(glob.glob(os.path.join(docs, "*.md"))):
        examples, problems = find_examples(doc)
        failures.extend(problems)
        name = os.path.basename(doc)
        for marker, script, expected in examples:
            count += 1
            where = f"docs/{name}:{marker}"
            workdir = os.path.join(scratch, f"{name[:-3]}_{marker}")
            shutil.rmtree(workdir, ignore_errors=True)
            os.makedirs(workdir)
            for path in data:
                shutil.copy(path, workdir)
            script_path = os.path.join(workdir, "example.fum")
            with open(script_path, "w", encoding="utf-8") as f:
                f.write("\n".join(script) + "\n")
            try:
                run = subprocess.run([fumsh, "example.fum"], cwd=workdir,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, timeout=60)
            except subprocess.TimeoutExpired:
                failures.append(f"{where}: the example did not finish within 60 seconds")
                continue
            output = run.stdout.decode("utf-8", errors="replace")
            got = output.split("\n")
            if got and got[-1] == "":
                got.pop()
            got = [line.rstrip() for line in got]
            message = []
            if run.returncode != 0:
                message.append(f"{where}: the example exited with status {run.returncode}, not 0")
            if expected is not None and got != [line.rstrip() for line in expected]:
                message.append(f"{where}: the example's output differs from its output block")
                message.extend(difflib.unified_diff(
                    [line.rstrip() for line in expected], got,
                    "documented output", "fumsh output", lineterm=""))
            elif run.returncode != 0:
                message.append("output:")
                message.extend("  " + line for line in got)
            if message:
                failures.append("\n".join(message))

    for failure in failures:
        print(failure)
        print()
    print(f"{count} examples run, {len(failures)} problems")
    if count == 0:
        print("no marked examples found under", docs)
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
