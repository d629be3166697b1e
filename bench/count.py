#!/usr/bin/env python3
"""Counts the instructions of commands on the benchmark's films with callgrind.

usage: count.py TESSALINE [--size 100000] [--ops set-length,length-test]
                [--encodings windows-1251,utf-8,utf-16]

Wall time on a shared machine moves by tens of percent from one run to the next; the number of
instructions a run executes does not. Each command runs once under valgrind's callgrind on the
film of each encoding (made by run.py's generator); the table gives the instructions in millions
and each encoding's ratio to Windows-1251.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run as bench  # noqa: E402


def instructions(argv):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "callgrind.out")
        status = subprocess.call(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}",
                                  *argv], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if status != 0:
            sys.exit(f"failed: {' '.join(argv)}")
        with open(out) as f:
            for line in f:
                m = re.match(r"(?:summary|totals): (\d+)", line)
                if m:
                    return int(m.group(1))
    sys.exit("no totals in the callgrind output")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tessaline")
    parser.add_argument("--size", type=int, default=100000)
    parser.add_argument("--ops", default="set-length,length-test")
    parser.add_argument("--encodings", default="windows-1251,utf-8,utf-16")
    args = parser.parse_args()

    os.makedirs(bench.DATA, exist_ok=True)
    os.environ["XDG_DATA_HOME"] = os.path.join(bench.DATA, "trash")
    home = os.path.join(bench.DATA, "home")
    os.makedirs(home, exist_ok=True)
    bench.replace_list(os.path.join(home, "Replace.dat"))
    encodings = args.encodings.split(",")
    counts = {}
    for encoding in encodings:
        film = bench.generated(f"film{args.size}", args.size, encoding)
        for op in args.ops.split(","):
            argv, ext = bench.OPERATIONS[op]
            if any(a in ("{add}", "{sub}", "{lf}", "{split}") for a in argv):
                sys.exit(f"{op}: a command on a second or a converted file is not counted here")
            # The editor's commands name the last subtitle, as in run.py.
            argv = [a.replace("{last}", str(args.size)) for a in argv]
            target = film
            if ext == bench.IN_PLACE:
                target = os.path.join(bench.DATA, "inplace.srt")
                shutil.copyfile(film, target)
                ext = ".srt"
            out = os.path.splitext(target)[0] + ext
            counts[op, encoding] = instructions(
                [args.tessaline, "--home", home, "--quiet", *argv, target])
            bench.remove(out)
            shutil.rmtree(os.path.join(bench.DATA, "trash"), ignore_errors=True)
            print(f"{op} {encoding}: {counts[op, encoding] / 1e6:.1f} M", file=sys.stderr)

    base = encodings[0]
    head = " | ".join(encodings + [f"{e} / {base}" for e in encodings[1:]])
    print(f"| command | {head} |")
    print("|---|" + "---:|" * (2 * len(encodings) - 1))
    for op in args.ops.split(","):
        cells = [f"{counts[op, e] / 1e6:.1f} M" for e in encodings]
        cells += [f"{counts[op, e] / counts[op, base]:.2f}" for e in encodings[1:]]
        print(f"| {op} | " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
