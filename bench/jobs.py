#!/usr/bin/env python3
"""Times a folder run with one job against one job per core, and checks that both leave the same
files byte for byte.

usage: jobs.py TESSALINE [--files 200] [--subtitles 5000] [--runs 3] [--ops offset-time,correct]

The folder (bench/data/jobs/, not committed) holds FILES SubRip files of SUBTITLES subtitles
each, generated once by gen_srt.py with a seed per file. Every round runs `--jobs 1` and
`--jobs CORES` in turn on the same folder, removing the outputs in between; the medians and the
speed-up (one job's time over the other's) are printed as a Markdown table.
"""
import argparse
import glob
import hashlib
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data", "jobs")

# Each operation: the tessaline arguments before the mask, and the kinds of file it writes.
OPERATIONS = {
    "offset-time": (["offset-time", "00:00:02,500"], ["out"]),
    "correct": (["correct"], ["out", "corr"]),
}


def outputs(folder, kinds):
    return sorted(p for kind in kinds for p in glob.glob(os.path.join(folder, "*." + kind)))


def digest(paths):
    h = hashlib.sha256()
    for p in paths:
        h.update(os.path.basename(p).encode())
        with open(p, "rb") as f:
            h.update(f.read())
    return h.hexdigest()


def run(argv):
    start = time.perf_counter()
    done = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return time.perf_counter() - start, done.returncode, done.stdout, done.stderr


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tessaline")
    parser.add_argument("--files", type=int, default=200)
    parser.add_argument("--subtitles", type=int, default=5000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--ops", default="offset-time,correct")
    args = parser.parse_args()

    cores = os.cpu_count() or 1
    folder = os.path.join(DATA, f"{args.files}x{args.subtitles}")
    os.makedirs(folder, exist_ok=True)
    for i in range(args.files):
        film = os.path.join(folder, f"film{i:04}.srt")
        if not os.path.exists(film):
            subprocess.check_call([sys.executable, os.path.join(HERE, "gen_srt.py"),
                                   str(args.subtitles), film, "--seed", str(i)])
    home = os.path.join(DATA, "home")
    os.makedirs(home, exist_ok=True)
    mask = os.path.join(folder, "*.srt")

    print(f"| command | files | jobs 1 (median) | jobs {cores} (median) | speed-up | same files |")
    print("|---|---:|---:|---:|---:|---|")
    failed = False
    for op in args.ops.split(","):
        argv, kinds = OPERATIONS[op]
        times = {1: [], cores: []}
        digests = {}
        for _ in range(args.runs + 1):  # the first round warms the page cache and is dropped
            for jobs in (1, cores):
                for p in outputs(folder, kinds):
                    os.remove(p)
                # The last round's 70 MB of outputs are written back to disk now, not by the
                # kernel's flusher threads during the round timed next.
                os.sync()
                wall, status, out, err = run([args.tessaline, "--home", home, "--quiet",
                                              "--jobs", str(jobs), *argv, mask])
                times[jobs].append(wall)
                key = (status, out, err, digest(outputs(folder, kinds)))
                digests.setdefault(jobs, key)
                if digests[jobs] != key:
                    sys.exit(f"{op} with --jobs {jobs} gave a different result in another round")
        for p in outputs(folder, kinds):
            os.remove(p)
        one = statistics.median(times[1][1:])
        many = statistics.median(times[cores][1:])
        same = digests[1] == digests[cores]
        failed |= not same
        print(f"| {op} | {args.files} | {one:.3f} s | {many:.3f} s | {one / many:.2f} x | "
              f"{'yes' if same else 'NO'} |")
    if failed:
        sys.exit("the runs with several jobs left other files than one job")


if __name__ == "__main__":
    main()
