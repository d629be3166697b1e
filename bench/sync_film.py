#!/usr/bin/env python3
"""Times the whole sync of a 90-minute film: `tessaline sync --to film90.mp4 film90.srt`.

usage: sync_film.py [BUILD_DIR] [--minutes 90] [--runs 3]

The film is the one bench/film_speech.py makes (a 3-minute test film looped into MINUTES of AAC,
kept in bench/data/film/). Its subtitles are the short film's, repeated for every loop, then
converted from 25 to 23.976 frames per second and shifted 2.3 s later, so that the sync has a
ratio and an offset to find. Each run syncs them with the built program under GNU time and
prints the wall and CPU time, the peak memory and what film90.sync says.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import film_speech  # noqa: E402  (the film and where it lives)

TIMING = re.compile(r"(\d\d):(\d\d):(\d\d),(\d\d\d) --> (\d\d):(\d\d):(\d\d),(\d\d\d)")


def ms(fields):
    h, m, s, f = (int(x) for x in fields)
    return ((h * 60 + m) * 60 + s) * 1000 + f


def text_time(value):
    return "%02d:%02d:%02d,%03d" % (value // 3600000, value // 60000 % 60, value // 1000 % 60,
                                    value % 1000)


def subtitles(minutes, path):
    """The short film's subtitles once per loop of it, moved as a 23.976 copy 2.3 s late."""
    short = open(os.path.join(film_speech.OUT, "short", "film.srt"), encoding="utf-8").read()
    records = re.findall(TIMING.pattern + r"\r?\n(.*)", short)
    moved = lambda t: round(t * 23.976 / 25) + 2300
    lines = []
    number = 0
    for loop in range(minutes // 3):
        for record in records:
            number += 1
            on = ms(record[0:4]) + loop * 180000
            off = ms(record[4:8]) + loop * 180000
            lines.append(f"{number}\r\n{text_time(moved(on))} --> {text_time(moved(off))}\r\n"
                         f"{record[8]}\r\n\r\n")
    with open(path, "w", encoding="utf-8", newline="") as out:
        out.write("".join(lines))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default=os.path.join(film_speech.SOURCE, "build"))
    parser.add_argument("--minutes", type=int, default=90)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    os.makedirs(film_speech.OUT, exist_ok=True)
    film = film_speech.film(args.minutes)
    program = os.path.join(os.path.abspath(args.build), "src", "cli", "tessaline")
    work = tempfile.mkdtemp(prefix="tess-sync-")
    try:
        srt = os.path.join(work, f"film{args.minutes}.srt")
        subtitles(args.minutes, srt)
        for _ in range(args.runs):
            for made in (".out", ".sync"):
                if os.path.exists(srt[:-4] + made):
                    os.remove(srt[:-4] + made)
            run = subprocess.run(["/usr/bin/time", "-f", "%e %U %S %M", program, "--home", work,
                                  "--quiet", "sync", "--to", film, srt],
                                 capture_output=True, text=True)
            if run.returncode != 0:
                sys.exit(run.stderr)
            wall, user, system, peak_kib = run.stderr.split()[-4:]
            report = open(srt[:-4] + ".sync", encoding="utf-8").read().splitlines()
            print(f"{wall} s wall, {float(user) + float(system):.2f} s CPU, peak memory "
                  f"{int(peak_kib) / 1024:.1f} MiB; " + "; ".join(report[1:4]))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
