#!/usr/bin/env python3
"""Times the streaming operations against the reference line copy, side by side.

usage: run.py TESSALINE [--runs N] [--sizes 100000,1000000] [--ops offset-time,recount]
              [--encodings windows-1251,utf-8,utf-16]

For each size a SubRip file is generated once into bench/data/ (not committed), in Windows-1251,
and copied into each other encoding asked for (UTF-8 with a byte-order mark, UTF-16LE with one):
every encoding is timed against the line copy of its own file. Every round runs
the reference line copy and each operation on the same file in turn; the wall time and the peak
resident memory of each finished process come from the operating system (wait4). Medians are
printed as a Markdown table, with each operation's time as a ratio of the line copy's; the
operations that read a second file are compared with the line copy of both files.
"""
import argparse
import os
import statistics
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")

IN_PLACE = ""

# Each operation: the tessaline arguments before the path, and the file it writes.
OPERATIONS = {
    "offset-time": (["offset-time", "00:00:02,500"], ".out"),
    "recount": (["recount"], ".out"),
    "convert": (["convert", "--to", "sub"], ".sub"),
    "correct": (["correct"], ".out"),
    "set-length": (["set-length"], ".out"),
    "length-test": (["length-test"], ".len"),
    "length-test-pixels": (["--set", "CheckPixelTextWidthMax=1", "length-test"], ".len"),
    "fix-delimiters": (["fix-delimiters"], ".out"),
    "fix-tags": (["fix-tags"], ".out"),
    # Two-file operations: "{add}" is a second generated file of the same size (another seed);
    # they are measured against the line copy of both files.
    "replace-timings": (["replace-timings", "--add", "{add}"], ".out"),
    "compare-timings": (["compare-timings", "--add", "{add}"], ".out"),
    "fix-double-time": (["fix-double-time"], ".out"),
    "fix-wrong-time": (["fix-wrong-time"], ".out"),
    "subtitle-time-correction": (["subtitle-time-correction"], ".out"),
    "add-last-subtitle": (["add-last-subtitle", "--text", "The end"], ".out"),
    "delete-last-subtitle": (["delete-last-subtitle"], ".out"),
    "split-time-text": (["split-time-text"], ".srttext"),
    "stretch-fps": (["stretch-fps"], ".out"),
    "time-test": (["time-test"], ".time"),
    "extend-time": (["extend-time"], ".out"),
    "replace-list": (["replace-list"], ".out"),
    "recode": (["recode", "--to", "koi8-r"], ".out"),
    "recode-utf8": (["recode", "--to", "utf-8"], ".out"),
    "any-to-dos": (["any-to-dos"], ".out"),
    "break-big-text": (["break-big-text"], ".out"),
    "break-dialog": (["break-dialog"], ".out"),
    "check-end-letters": (["check-end-letters"], ".endA"),
    "detect-encoding": (["detect-encoding"], ".none"),
    "find-text": (["--set", "TextToFind=the", "find-text"], ".sym"),
    "replace-text": (["--set", "TextToFind=the", "--set", "TextToReplace=THE", "replace-text"],
                     ".out"),
    "fix-dialog": (["fix-dialog"], ".out"),
    "fix-digits": (["fix-digits"], ".out"),
    "get-range": (["get-range"], ".none"),
    "offset-count": (["offset-count", "5"], ".out"),
    "offset-tail": (["offset-tail", "--begin", "00:10:00", "--end", "01:00:00", "00:00:02,000"],
                    ".out"),
    "reflow-tags": (["reflow-tags"], ".out"),
    "remove-lines": (["remove-lines"], ".out"),
    "remove-tag": (["remove-tag"], ".out"),
    "set-time": (["set-time", "--begin", "00:00:05"], ".out"),
    "stretch": (["stretch", "--new-end", "02:00:00"], ".out"),
    "to-bottom": (["to-bottom"], ".out"),
    "to-one-line": (["to-one-line"], ".out"),
    # MicroDVD commands ({sub}): they read the film converted to frames once, and are compared
    # with the line copy of that file.
    "frame-test": (["frame-test", "{sub}"], ".frame"),
    "offset-frame": (["offset-frame", "25", "{sub}"], ".out"),
    # Commands that change the file itself (IN_PLACE): each run gets a fresh copy of the film,
    # made before the clock starts; the file they replace goes to a trash inside bench/data.
    "change-case": (["change-case", "normalize"], IN_PLACE),
    "all-in-one": (["all-in-one"], IN_PLACE),
}
BOTH = "line copy, both files"
SUB = "line copy, MicroDVD file"

# The replace list of the benchmark: 100 pairs in Windows-1251, as a user's list of fixes looks:
# four spellings to unify that the generated text holds (each in about 4.6 % of its text lines,
# so that 17 % of the lines change and are reported) and 96 typos that it does not hold.
FREQUENT_PAIRS = [("ещё", "еще"), ("Ёлка", "Елка"), ("Mr.", "Mr"), ("OK", "Ok")]
TYPO_WORDS = ("привет спасибо пожалуйста здравствуйте хорошо сегодня завтра вчера давно "
              "конечно сейчас потому только всегда никогда иногда где-то что-нибудь "
              "правительство телефон компьютер машина дорога погода работа деньги "
              "человек ребёнок женщина мужчина девушка собака кошка лошадь корова "
              "молоко хлеб вода огонь земля небо солнце луна звезда ветер дождь снег "
              "лето осень зима весна утро вечер ночь неделя месяц минута секунда час "
              "музыка песня книга письмо слово вопрос ответ правда история память "
              "дверь окно стол стул кровать комната квартира улица город деревня "
              "страна граница войска капитан доктор учитель студент полиция больница "
              "магазин ресторан гостиница вокзал аэропорт самолёт поезд автобус").split()


def replace_list(path):
    pairs = list(FREQUENT_PAIRS)
    for word in TYPO_WORDS[:100 - len(pairs)]:
        typo = word[0] + word[2] + word[1] + word[3:]  # two letters swapped
        pairs.append((typo, word))
    with open(path, "wb") as f:
        f.write("".join(f"{a}={b}\r\n" for a, b in pairs).encode("cp1251"))


def run(argv):
    """Wall seconds and peak memory in MiB of one finished process.

    The peak memory comes from /usr/bin/time (GNU time): a child forked from this Python process
    would report the interpreter's own pages as its peak."""
    report = os.path.join(DATA, "time.txt")
    start = time.perf_counter()
    status = subprocess.call(["/usr/bin/time", "-o", report, "-f", "%M", *argv],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"failed: {' '.join(argv)}")
    with open(report) as f:
        peak_kib = int(f.read().split()[-1])
    return wall, peak_kib / 1024.0


def remove(path):
    base = os.path.splitext(path)[0]
    others = (".corr", ".fix", ".tagfix", ".replace", ".cmp0", ".srttime", ".srttrk", ".time",
              ".extend", ".sym", ".len", ".out", ".out2", ".BigBreak", ".endA", ".bottom",
              ".srttext", ".frame")
    for p in (path, *(base + ext for ext in others)):
        if os.path.exists(p):
            os.remove(p)


# The file-name suffix and the bytes of each encoding a film is copied into.
SUFFIX = {"windows-1251": "", "utf-8": "-utf8", "utf-16": "-utf16"}


def generated(stem, size, encoding, seed=None):
    """The generated film of `size` subtitles in `encoding`, made once."""
    path = os.path.join(DATA, f"{stem}{SUFFIX[encoding]}.srt")
    if os.path.exists(path):
        return path
    source = os.path.join(DATA, f"{stem}.srt")
    if not os.path.exists(source):
        extra = ["--seed", str(seed)] if seed is not None else []
        subprocess.check_call([sys.executable, os.path.join(HERE, "gen_srt.py"), str(size), source,
                               *extra])
    if encoding != "windows-1251":
        with open(source, "rb") as f:
            text = f.read().decode("cp1251")
        data = (b"\xef\xbb\xbf" + text.encode("utf-8") if encoding == "utf-8"
                else b"\xff\xfe" + text.encode("utf-16-le"))
        with open(path, "wb") as f:
            f.write(data)
    return path


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tessaline")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sizes", default="100000,1000000")
    parser.add_argument("--ops", default="offset-time,recount")
    parser.add_argument("--encodings", default="windows-1251")
    args = parser.parse_args()

    os.makedirs(DATA, exist_ok=True)
    # The files that in-place commands replace go to this trash, emptied after each run.
    os.environ["XDG_DATA_HOME"] = os.path.join(DATA, "trash")
    linecopy = os.path.join(DATA, "linecopy_fread")
    subprocess.check_call(["g++", "-O2", "-std=c++17", "-o", linecopy,
                           os.path.join(HERE, "linecopy_fread.cpp")])
    ops = args.ops.split(",")
    home = os.path.join(DATA, "home")
    os.makedirs(home, exist_ok=True)
    replace_list(os.path.join(home, "Replace.dat"))

    rows = []
    for size, encoding in ((int(s), e) for s in args.sizes.split(",")
                           for e in args.encodings.split(",")):
        film = generated(f"film{size}", size, encoding)
        mb = os.path.getsize(film) / 1e6
        copy_out = os.path.join(DATA, "linecopy.out")
        two_file = [op for op in ops if "{add}" in OPERATIONS[op][0]]
        add = generated(f"add{size}", size, encoding, seed=2) if two_file else ""
        frame_ops = [op for op in ops if "{sub}" in OPERATIONS[op][0]]
        # Named apart from film.sub, which the convert benchmark writes and removes.
        sub = os.path.join(DATA, f"frames{size}{SUFFIX[encoding]}.sub")
        if frame_ops and not os.path.exists(sub):
            source = os.path.splitext(sub)[0] + ".srt"
            shutil.copyfile(film, source)
            subprocess.check_call([args.tessaline, "--quiet", "convert", "--to", "sub", source])
            os.remove(source)
        baselines = ["line copy"] + ([BOTH] if two_file else []) + ([SUB] if frame_ops else [])
        results = {name: [] for name in baselines + ops}
        for _ in range(args.runs + 1):  # the first round warms the page cache and is dropped
            round_results = {"line copy": run([linecopy, film, copy_out])}
            if two_file:
                (w1, m1), (w2, m2) = round_results["line copy"], run([linecopy, add, copy_out])
                round_results[BOTH] = (w1 + w2, max(m1, m2))
            if frame_ops:
                round_results[SUB] = run([linecopy, sub, copy_out])
            for op in ops:
                argv, ext = OPERATIONS[op]
                argv = [a.replace("{add}", add) for a in argv]
                target = film
                if "{sub}" in argv:
                    argv.remove("{sub}")
                    target = sub
                in_place = ext == IN_PLACE
                if in_place:
                    target = os.path.join(DATA, "inplace.srt")
                    ext = ".srt"
                out = os.path.splitext(target)[0] + ext
                remove(out)
                if in_place:
                    shutil.copyfile(film, target)
                round_results[op] = run([args.tessaline, "--home", home, "--quiet", *argv, target])
                remove(out)
                shutil.rmtree(os.path.join(DATA, "trash"), ignore_errors=True)
            for name, value in round_results.items():
                results[name].append(value)
        os.remove(copy_out)
        for name, values in results.items():
            kept = values[1:]
            wall = statistics.median(w for w, _ in kept)
            baseline = (BOTH if name == BOTH or name in two_file else
                        SUB if name == SUB or name in frame_ops else "line copy")
            ratios = [w / c for (w, _), (c, _) in zip(kept, results[baseline][1:])]
            rows.append((size, encoding, mb, name, wall, statistics.median(ratios),
                         max(m for _, m in kept)))

    print("| subtitles | encoding | MB | command | wall (median) | ratio to line copy (median) "
          "| peak memory |")
    print("|---:|---|---:|---|---:|---:|---:|")
    for size, encoding, mb, name, wall, ratio, mem in rows:
        print(f"| {size:,} | {encoding} | {mb:.1f} | {name} | {wall:.3f} s | {ratio:.2f} "
              f"| {mem:.1f} MiB |")


if __name__ == "__main__":
    main()
