#!/usr/bin/env python3
"""Measures how often `tessaline detect-encoding` names the right code page.

usage: detect_accuracy.py TESSALINE [--corpus FILE | --man-pages] [--per-size N] [--sizes 200,2000]
                           [--seed S] [--decision]

Cuts SubRip files of at most SIZE bytes out of Russian text (by default bench/detect_corpus.txt:
everyday dialogue, UTF-8, one subtitle line per line), each file a run of consecutive records
from a random place of the text (--man-pages: the Russian prose of the manual pages in
/usr/share/man/ru instead, technical text with long lines), writes every file in nine encodings into bench/data/detect/
(not committed), runs detect-encoding over them and prints the share it names rightly, per
encoding and size, as a Markdown table, followed by every wrong answer.

An answer that names another encoding in which the file's bytes read as the same text counts as
right and is shown apart ("same text"): a Mac Cyrillic file without capitals and without я is
byte for byte the same file in Windows-1251, and no detector can or need tell them apart.

--decision measures the encoding every command works in (DecideFileEncoding) instead of the
answer of detect-encoding: it builds bench/decide_encoding.cpp against the libraries of the
build tree that holds TESSALINE (build/src/cli/tessaline) and asks it.
"""
import argparse
import glob
import gzip
import os
import re
import random
import shutil
import subprocess
import sys
from collections import Counter

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "data", "detect")

# The encodings of the files, with Python's codec and the answer expected from detect-encoding.
ENCODINGS = [
    ("windows-1251", "cp1251", "windows-1251"),
    ("koi8-r", "koi8_r", "koi8-r"),
    ("cp866", "cp866", "cp866"),
    ("iso-8859-5", "iso8859_5", "iso-8859-5"),
    ("mac", "mac_cyrillic", "mac"),
    ("utf-8", "utf-8", "utf-8"),
    ("utf-8 with mark", "utf-8-sig", "utf-8"),
    ("utf-16le with mark", "utf-16-le", "utf-16le"),
    ("utf-16be with mark", "utf-16-be", "utf-16be"),
]
MARKS = {"utf-16-le": b"\xff\xfe", "utf-16-be": b"\xfe\xff"}
# detect-encoding's names as Python codecs, for reading a file as the answer says.
CODECS = {"windows-1251": "cp1251", "koi8-r": "koi8_r", "cp866": "cp866",
          "iso-8859-5": "iso8859_5", "mac": "mac_cyrillic", "utf-8": "utf-8-sig",
          "utf-16le": "utf-16", "utf-16be": "utf-16", "ascii": "ascii"}


def reads_the_same(path, codec, answer):
    """The file's bytes read as the same text in the answer's encoding as in its own."""
    if answer not in CODECS:
        return False
    with open(path, "rb") as f:
        data = f.read()
    try:
        own = data[len(MARKS.get(codec, b"")):].decode(codec)
        return data.decode(CODECS[answer]) == own
    except (UnicodeDecodeError, LookupError):
        return False


def man_page_lines():
    """The lines of Russian prose of the manual pages: no markup, at least half Cyrillic, and
    writable in every single-byte code page of the test."""
    lines = []
    for path in sorted(glob.glob("/usr/share/man/ru/man*/*.gz")):
        with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith((".", "'", '\\"')):
                    continue
                line = re.sub(r"\\f[BIRP]|\\\(..|\\&|\\[a-z]", "", line).replace("\\-", "-").strip()
                cyrillic = sum(1 for c in line.lower() if "а" <= c <= "я" or c == "ё")
                if len(line) < 20 or cyrillic * 2 < len(line):
                    continue
                try:
                    for _, codec, _ in ENCODINGS[:5]:
                        line.encode(codec)
                except UnicodeEncodeError:
                    continue
                lines.append(line[:80])
    return lines


def encode(text, codec):
    return MARKS.get(codec, b"") + text.encode(codec)


def subtitle_file(lines, start, size, codec):
    """Consecutive records from lines[start:] while the encoded file stays within size bytes."""
    text = ""
    n = 0
    while True:
        line = lines[(start + n) % len(lines)]
        on = 1000 + 3000 * n
        record = (f"{n + 1}\r\n00:{on // 60000 % 60:02}:{on // 1000 % 60:02},000 --> "
                  f"00:{(on + 2000) // 60000 % 60:02}:{(on + 2000) // 1000 % 60:02},000\r\n"
                  f"{line}\r\n\r\n")
        if n > 0 and len(encode(text + record, codec)) > size:
            return encode(text, codec)
        text += record
        n += 1


def decider(tessaline):
    """Builds the program that prints DecideFileEncoding's answer for each file named."""
    build = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(tessaline))))
    source = os.path.dirname(HERE)
    program = os.path.join(OUT, "decide_encoding")
    subprocess.run(["g++", "-std=c++20", "-O2", "-I", os.path.join(source, "src"),
                    os.path.join(HERE, "decide_encoding.cpp"),
                    os.path.join(build, "src", "files", "libtessaline_files.a"),
                    os.path.join(build, "src", "core", "libtessaline_core.a"),
                    "-luchardet", "-lutf8proc", "-lfreetype", "-ldl", "-pthread", "-o", program],
                   check=True)
    return program


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tessaline")
    parser.add_argument("--corpus", default=os.path.join(HERE, "detect_corpus.txt"))
    parser.add_argument("--man-pages", action="store_true")
    parser.add_argument("--per-size", type=int, default=100)
    parser.add_argument("--sizes", default="200,2000")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--decision", action="store_true")
    args = parser.parse_args()

    if args.man_pages:
        lines = man_page_lines()
    else:
        with open(args.corpus, encoding="utf-8") as f:
            lines = [l.strip() for l in f if l.strip()]
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    rng = random.Random(args.seed)
    files = []  # (path, size, encoding name, expected answer)
    for size in (int(s) for s in args.sizes.split(",")):
        for k in range(args.per_size):
            start = rng.randrange(len(lines))
            for i, (name, codec, expected) in enumerate(ENCODINGS):
                path = os.path.join(OUT, f"{size}-{k}-{i}.srt")
                with open(path, "wb") as f:
                    f.write(subtitle_file(lines, start, size, codec))
                files.append((path, size, name, expected))

    command = [args.tessaline, "--home", OUT, "--quiet", "detect-encoding"]
    if args.decision:
        command = [decider(args.tessaline)]
    answers = {}
    for first in range(0, len(files), 500):
        batch = [p for p, *_ in files[first:first + 500]]
        out = subprocess.run([*command, *batch], check=True, capture_output=True, text=True).stdout
        for line in out.splitlines():
            path, _, rest = line.partition(": ")
            answers[path] = rest

    right = Counter()
    same = Counter()
    total = Counter()
    wrong = []
    codec_of = {name: codec for name, codec, _ in ENCODINGS}
    for path, size, name, expected in files:
        total[(size, name)] += 1
        answer = answers.get(path, "")
        named = answer.split(" ")[0]
        if named == expected:
            right[(size, name)] += 1
        elif reads_the_same(path, codec_of[name], named):
            right[(size, name)] += 1
            same[(size, name)] += 1
        else:
            wrong.append(f"{os.path.basename(path)} ({name}, {os.path.getsize(path)} bytes): {answer}")

    sizes = sorted({size for size, _ in total})
    print("| encoding | " + " | ".join(f"files of at most {s} bytes" for s in sizes) + " |")
    print("|---|" + "---:|" * len(sizes))
    for name, _, _ in ENCODINGS:
        cells = [f"{right[(s, name)]} / {total[(s, name)]}" +
                 (f" ({same[(s, name)]} same text)" if same[(s, name)] else "") for s in sizes]
        print(f"| {name} | " + " | ".join(cells) + " |")
    cells = []
    for s in sizes:
        r = sum(v for (size, _), v in right.items() if size == s)
        t = sum(v for (size, _), v in total.items() if size == s)
        cells.append(f"{r} / {t} ({100.0 * r / t:.1f} %)")
    print("| all | " + " | ".join(cells) + " |")
    for line in wrong:
        print("wrong:", line)


if __name__ == "__main__":
    sys.exit(main())
