#!/usr/bin/env python3
"""Times listening to a 90-minute film: decoding its AAC track and finding the speech.

usage: film_speech.py [BUILD_DIR] [--minutes 90] [--runs 3]

Makes a 3-minute test film (tests/sync/make_film.py: spoken lines over synthetic music), encodes
it as AAC at 48 kHz stereo and loops the packets with ffmpeg into MINUTES of film in bench/data/film/ (not committed; kept for the
next run), builds bench/listen_film.cpp against the libraries of BUILD_DIR (default build) and
runs it RUNS times under GNU time, printing the wall and CPU time of each run and its peak
memory.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
OUT = os.path.join(HERE, "data", "film")


def film(minutes):
    path = os.path.join(OUT, f"film{minutes}.mp4")
    if os.path.exists(path):
        return path
    short = os.path.join(OUT, "short")
    subprocess.run([sys.executable, os.path.join(SOURCE, "tests", "sync", "make_film.py"), short,
                    "--seconds", "180", "--background", "music", "--formats", ""], check=True)
    # The 3 minutes are encoded once and their AAC packets copied over and over: encoding 90
    # minutes would take minutes, copying takes a second.
    subprocess.run(["ffmpeg", "-y", "-loglevel", "error", "-i", os.path.join(short, "film.wav"),
                    "-ar", "48000", "-ac", "2", "-c:a", "aac", "-b:a", "128k",
                    os.path.join(short, "film.mp4")], check=True)
    subprocess.run(["ffmpeg", "-y", "-loglevel", "error", "-stream_loop", "-1", "-i",
                    os.path.join(short, "film.mp4"), "-t", str(minutes * 60), "-c", "copy",
                    path + ".part.mp4"], check=True)
    os.rename(path + ".part.mp4", path)
    return path


def listener(build):
    program = os.path.join(OUT, "listen_film")
    subprocess.run(["g++", "-std=c++20", "-O2", "-I", os.path.join(SOURCE, "src"),
                    os.path.join(HERE, "listen_film.cpp"),
                    os.path.join(build, "src", "sync", "libtessaline_sync.a"),
                    "-o", program], check=True)
    # The decoding and the detector are in the listening module, loaded from beside the program.
    shutil.copy(os.path.join(build, "src", "sync", "tessaline-listen.so"), OUT)
    return program


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--minutes", type=int, default=90)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    os.makedirs(OUT, exist_ok=True)
    path = film(args.minutes)
    program = listener(os.path.abspath(args.build))
    for _ in range(args.runs):
        run = subprocess.run(["/usr/bin/time", "-f", "%e %U %S %M", program, path], check=True,
                             capture_output=True, text=True)
        wall, user, system, peak_kib = run.stderr.split()[-4:]
        # CPU time says more than the wall time on a machine that others share.
        print(f"{run.stdout.strip()}; process {wall} s wall, {float(user) + float(system):.2f} s CPU, "
              f"peak memory {int(peak_kib) / 1024:.1f} MiB")


if __name__ == "__main__":
    main()
