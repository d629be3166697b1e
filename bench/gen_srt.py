#!/usr/bin/env python3
"""Writes a well-formed SubRip file of N subtitles for the benchmarks.

usage: gen_srt.py N OUT [--seed S]

Each subtitle: number line, timing line, one or two text lines of Latin and Cyrillic words,
an empty line; Windows-1251 text, CR LF line ends. The timings rise steadily and stay below
23:59:50 whatever N is (a time of 24 hours or more cannot be written in a SubRip file), which
leaves room for a shift of a few seconds.
"""
import argparse
import random

LATIN = ("the of and to in is you that it he was for on are as with his they at be this have "
         "from or one had by word but not what all were we when your can said there use each "
         "Hello Yes No OK Mr. John Mary London").split()
CYRILLIC = ("и в не на я быть он с что а по это она этот к но они мы как из у который то за свой "
            "весь год от так о для ты же все тот мочь вы человек такой его сказать только или ещё "
            "Ёлка ёж Москва Россия Иван Пётр Наталья щука объём съесть Эй Юля").split()
PUNCT = [".", ",", "!", "?", "...", ""]

DAY_MS = 86_400_000
MARGIN_MS = 10_000


def time_text(ms):
    h, ms = divmod(ms, 3_600_000)
    m, ms = divmod(ms, 60_000)
    s, ms = divmod(ms, 1000)
    return f"{h:02}:{m:02}:{s:02},{ms:03}"


def text_line(rng):
    words = CYRILLIC if rng.random() < 0.6 else LATIN
    line = " ".join(rng.choice(words) for _ in range(rng.randint(2, 7)))
    return line[0].upper() + line[1:] + rng.choice(PUNCT)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("n", type=int)
    parser.add_argument("out")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    slot = max(2, min(4000, (DAY_MS - MARGIN_MS) // max(1, args.n)))
    chunks = []
    with open(args.out, "wb") as out:
        for i in range(args.n):
            on = i * slot + 1
            off = on + max(1, slot * 4 // 5)
            lines = [str(i + 1), f"{time_text(on)} --> {time_text(off)}", text_line(rng)]
            if rng.random() < 0.5:
                lines.append(text_line(rng))
            lines.append("")
            chunks.append("\r\n".join(lines) + "\r\n")
            if len(chunks) >= 10_000:
                out.write("".join(chunks).encode("cp1251"))
                chunks.clear()
        out.write("".join(chunks).encode("cp1251"))


if __name__ == "__main__":
    main()
