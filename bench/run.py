#!/usr/bin/env python3
"""Times every command against the reference line copy, side by side, and checks the targets.

usage: run.py TESSALINE [--runs N] [--sizes 100000,1000000] [--ops offset-time,recount]
              [--encodings windows-1251,utf-8] [--results bench/RESULTS.md] [--note TEXT]

Without --ops every command of OPERATIONS runs. With --results the whole report (the machine,
the date, one table of every command against its target, the history) replaces that file;
without it the table is only printed. `make bench` runs it with the defaults and --results.

For each size a SubRip file is generated once into bench/data/ (not committed), in Windows-1251,
and copied into each other encoding asked for (UTF-8 with a byte-order mark, UTF-16LE with one):
every encoding is timed against the line copy of its own file. Every round runs
the reference line copy and each operation on the same file in turn; the wall time of each
finished process is taken around it, its peak resident memory comes from GNU time. Medians are
printed as a Markdown table, with each operation's time as a ratio of the line copy's; the
operations that read a second file are compared with the line copy of both files.
"""
import argparse
import datetime
import os
import platform
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
    # unix-to-dos reads the film with LF line ends ({lf}), made once; join-time-text the text,
    # time and track files that split-time-text makes of the film ({split}), made once.
    "unix-to-dos": (["unix-to-dos", "{lf}"], ".out"),
    "join-time-text": (["join-time-text", "{split}"], ".out"),
    # The editor's commands on the last subtitle ({last} is its number): the whole file is read.
    "show-subtitle": (["show-subtitle", "--number", "{last}"], ".none"),
    # Commands that change the file itself (IN_PLACE): each run gets a fresh copy of the film,
    # made before the clock starts; the file they replace goes to a trash inside bench/data.
    "change-case": (["change-case", "normalize"], IN_PLACE),
    "all-in-one": (["all-in-one"], IN_PLACE),
    "rewrite-subtitle": (["rewrite-subtitle", "--number", "{last}", "--text", "The end"],
                         IN_PLACE),
    "delete-subtitle": (["delete-subtitle", "--number", "{last}"], IN_PLACE),
}
BOTH = "line copy, both files"
SUB = "line copy, MicroDVD file"
LF = "line copy, LF file"

# The targets, as the most a command may take in multiples of the line copy on the
# 1,000,000-subtitle films; every command's peak memory may grow by at most MEMORY_GROWTH_MIB
# from the 100,000-subtitle film to the 1,000,000-subtitle one.
SINGLE_TARGET = 2.0
# The text repairs that rewrite most lines of the film.
TEXT_REPAIRS = ("fix-delimiters", "fix-dialog", "fix-digits", "fix-tags", "change-case",
                "check-end-letters", "correct")
TEXT_REPAIR_TARGET = 2.5
CHAIN_TARGET = 4.0
MEMORY_GROWTH_MIB = 1.0


def target(op):
    if op == "all-in-one":
        return CHAIN_TARGET
    return TEXT_REPAIR_TARGET if op in TEXT_REPAIRS else SINGLE_TARGET

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
    would report the interpreter's own pages as its peak. Its report comes back through a pipe.
    Written to a file, it was timed too, and a file written just after a run that left tens of
    megabytes to be written out waits for the file system's journal: some 40 ms on ext4 after
    the line copy, which made every command after it look slower by that much."""
    report, report_out = os.pipe()
    start = time.perf_counter()
    child = subprocess.Popen(["/usr/bin/time", "-o", f"/dev/fd/{report_out}", "-f", "%M", *argv],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             pass_fds=(report_out,))
    os.close(report_out)
    status = child.wait()
    wall = time.perf_counter() - start
    with os.fdopen(report) as f:
        text = f.read()
    if status != 0:
        sys.exit(f"failed: {' '.join(argv)}")
    return wall, int(text.split()[-1]) / 1024.0


def remove(path):
    base = os.path.splitext(path)[0]
    others = (".corr", ".fix", ".tagfix", ".replace", ".cmp0", ".srttime", ".srttrk", ".time",
              ".extend", ".sym", ".len", ".out", ".out2", ".BigBreak", ".endA", ".bottom",
              ".srttext", ".frame", ".fixd", ".full", ".log", ".DiaFix", ".tag", ".remove",
              ".wrong", ".double", ".conv")
    for p in (path, *(base + ext for ext in others)):
        if os.path.exists(p):
            os.remove(p)


# The file-name suffix and the bytes of each encoding a film is copied into.
SUFFIX = {"windows-1251": "", "utf-8": "-utf8", "utf-16": "-utf16"}
# The table's short names of the films.
FILM_NAME = {"windows-1251": "1251", "utf-8": "UTF-8", "utf-16": "UTF-16"}


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


def machine():
    """The machine and the state it was in, as lines of the report."""
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    mem_gib = 0.0
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemTotal"):
                mem_gib = int(line.split()[1]) / 1024 / 1024
    system = platform.platform()
    try:
        with open("/etc/os-release") as f:
            for line in f:
                if line.startswith("PRETTY_NAME="):
                    system = line.split("=", 1)[1].strip().strip('"')
    except OSError:
        pass
    compiler = subprocess.run(["g++", "--version"], capture_output=True, text=True).stdout
    compiler = compiler.splitlines()[0] if compiler else "unknown compiler"
    return (f"{os.cpu_count()} cores ({cpu}), {mem_gib:.0f} GiB, {system}, Linux "
            f"{platform.release()}, {compiler}")


def load():
    return "{:.1f} / {:.1f} / {:.1f}".format(*os.getloadavg())


HISTORY = """\
## History

Until this table, `bench/RESULTS.md` grew one section per change, each on its own machine state:

- 2026-12-06, first streaming operations: offset-time 1.21, recount 1.07, convert 1.25 and
  correct 1.45 times the line copy at 1,000,000 subtitles (72 MB), 4.9 to 5.9 MiB, equal memory
  at both sizes; ffmpeg's shift of the same file takes about 4.5 s and 512 MiB.
- Every operation issue then added its commands (delimiters and tags, layout and length test,
  timing repairs, two-file commands, replace list and code pages, MicroDVD display lines), each
  within about 1.5 times the line copy in 5 to 10 MiB; folder runs on both cores and the hostile
  files (long lines, folders of small files) kept memory flat.
- 2026-12-07, every file in its own encoding: UTF-8 films within 1.3 and UTF-16 films within 2
  of the Windows-1251 figures (instruction counts); the code-page detection was measured for
  accuracy on a corpus of its own (`bench/detect_accuracy.py`).
- Before the command paths were tightened and All in One ran as one pass, the slowest were
  all-in-one (11.1), fix-dialog (4.7), change-case (4.6), to-one-line (3.3), stretch (2.7),
  recode to UTF-8 (2.4), fix-digits (2.4), length-test (2.2), correct (2.2) and fix-wrong-time
  (2.1 times the line copy).
- On a quiet machine, before the second round (the pipes of All in One with rings of their own,
  the number lines and line ends read faster, the editor commands without the whole index):
  all-in-one 13.2 (Windows-1251) and 15.1 (UTF-8), rewrite-subtitle and delete-subtitle 4.3
  in 68 MiB (16 MiB at 100,000 subtitles), change-case 4.3 (UTF-8), length-test-pixels 3.7
  (UTF-8), stretch 2.9, to-one-line 2.8, correct 2.6 times the line copy.
- On a quiet machine, before the third round (line ends found 64 bytes at a time, the range
  pass of stretch over whole blocks, one tally per line in the length test, the replace list's
  scan tried only on the pairs it found, the chain's buffers a quarter of a block): all-in-one
  5.41 (Windows-1251) and 5.87 (UTF-8) in 24.8 and 25.0 MiB (22.0 and 23.0 at 100,000
  subtitles), replace-list 2.48, length-test-pixels 2.41 and length-test 2.09 (UTF-8), stretch
  2.28 times the line copy.
- On a quiet machine, before the fourth round (the seven steps of All in One each with fewer
  copies and checks of a line, the steps writing into the next pipe's ring, the result sent to
  the disk while the chain runs): all-in-one 4.76 (Windows-1251) and 5.08 (UTF-8) in 14.7 and
  15.1 MiB, replace-list 2.12 (UTF-8) times the line copy.
- Until 2026-12-08 each process was timed together with /usr/bin/time writing its report to a
  file in bench/data. Right after the line copy, whose 85 MB were still to be written out, that
  write waited some 40 ms for the file system's journal: every command's time held it and the
  line copy's did not. The last table timed so (after the fourth round): all-in-one 3.40
  (Windows-1251) and 3.73 (UTF-8), replace-list 2.20, change-case 2.29 and fix-dialog 1.93
  (UTF-8) times the line copy; 50 of 51 commands within their targets.
"""


def report(rows, baselines, args, started, load_before, note):
    """The whole RESULTS.md: the header, one table of every command, the history."""
    encodings = args.encodings.split(",")
    sizes = [int(s) for s in args.sizes.split(",")]
    small, large = min(sizes), max(sizes)
    by = {(size, enc, name): (wall, ratio, mem) for size, enc, _, name, wall, ratio, mem in rows}
    mb = {(size, enc): m for size, enc, m, *_ in rows}
    out = ["# Benchmark results", ""]
    out.append("Every command against the reference line copy (`linecopy_fread.cpp`: reads 1 MiB "
               "blocks, splits at LF, writes every line back with CR LF) on the same generated "
               "film, in the same run, rounds alternating between the programs.")
    out.append("")
    out.append(f"- Command: `make bench` (`bash bench/run.sh`: `python3 bench/run.py "
               f"build/src/cli/tessaline --results bench/RESULTS.md`), {args.runs} rounds after a "
               f"dropped warm-up round.")
    out.append("- Films: `bench/gen_srt.py N`, N SubRip subtitles of Russian and English text, "
               "CR LF; " + "; ".join(
                   f"{FILM_NAME[e]} ({'as generated' if e == 'windows-1251' else 'the same text with a byte-order mark'}) "
                   + ", ".join(f"{s:,} subtitles {mb.get((s, e), 0):.1f} MB" for s in sizes)
                   for e in encodings) + ".")
    out.append("- Figures: the ratio is taken round by round (command ÷ line copy of the same "
               "round) and its median quoted; memory is the largest resident set of the process "
               "(GNU time's `%M`). Two-file commands are compared with the line copy of both "
               "files, MicroDVD commands with that of the MicroDVD film, unix-to-dos with that of "
               "the LF film.")
    out.append(f"- Targets (on the {large:,}-subtitle films): every command at most "
               f"{SINGLE_TARGET:g}× the line copy; the text repairs that rewrite most lines "
               f"({', '.join(TEXT_REPAIRS)}) at most {TEXT_REPAIR_TARGET:g}×; all-in-one at most "
               f"{CHAIN_TARGET:g}×; peak memory at most {MEMORY_GROWTH_MIB:g} MiB more at "
               f"{large:,} than at {small:,} subtitles.")
    out.append(f"- Machine: {machine()}.")
    out.append(f"- Date: {started:%Y-%m-%d %H:%M} UTC; load average (1 / 5 / 15 min) "
               f"{load_before} before the run, {load()} after it.")
    if note:
        out.append(f"- Note: {note}")
    out.append("")
    lc = ", ".join(f"{FILM_NAME[e]} {s:,}: {by[(s, e, 'line copy')][0]:.3f} s"
                   for e in encodings for s in sizes if (s, e, "line copy") in by)
    out.append(f"Line copy (median wall time): {lc}.")
    out.append("")
    head = ["command", "target"]
    for e in encodings:
        head += [f"{FILM_NAME[e]} {small // 1000:,}k", f"{FILM_NAME[e]} {large // 1000:,}k",
                 f"{FILM_NAME[e]} memory"]
    head.append("met")
    out.append("| " + " | ".join(head) + " |")
    out.append("|---|---:|" + "---:|---:|---:|" * len(encodings) + "---|")
    names = [n for n in dict.fromkeys(name for *_, name, _, _, _ in rows) if n not in baselines]
    for name in names:
        cells = [name, f"{target(name):g}×"]
        misses = []
        for e in encodings:
            for s in (small, large):
                cells.append(f"{by[(s, e, name)][1]:.2f}" if (s, e, name) in by else "–")
            mems = [by[(s, e, name)][2] for s in (small, large) if (s, e, name) in by]
            cells.append(" → ".join(f"{m:.1f}" for m in mems) + " MiB" if mems else "–")
            if (large, e, name) in by and by[(large, e, name)][1] > target(name):
                misses.append(f"{by[(large, e, name)][1]:.2f}× on {FILM_NAME[e]}")
            if len(mems) == 2 and mems[1] - mems[0] > MEMORY_GROWTH_MIB:
                misses.append(f"memory +{mems[1] - mems[0]:.1f} MiB on {FILM_NAME[e]}")
        cells.append("yes" if not misses else "**no**: " + ", ".join(misses))
        out.append("| " + " | ".join(cells) + " |")
    met = sum(1 for line in out if line.endswith("| yes |"))
    out.append("")
    out.append(f"{met} of {len(names)} commands within their targets.")
    out.append("")
    out.append(HISTORY)
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tessaline")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sizes", default="100000,1000000")
    parser.add_argument("--ops", default=",".join(OPERATIONS))
    parser.add_argument("--encodings", default="windows-1251,utf-8")
    parser.add_argument("--results", help="write the whole report to this file")
    parser.add_argument("--note", default="", help="a line for the report's header")
    args = parser.parse_args()
    started = datetime.datetime.now(datetime.timezone.utc)
    load_before = load()

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
        lf_ops = [op for op in ops if "{lf}" in OPERATIONS[op][0]]
        lf = os.path.join(DATA, f"lf{size}{SUFFIX[encoding]}.srt")
        if lf_ops and not os.path.exists(lf):
            with open(film, "rb") as f, open(lf, "wb") as g:
                g.write(f.read().replace(b"\r\n", b"\n"))
        split_ops = [op for op in ops if "{split}" in OPERATIONS[op][0]]
        split = os.path.join(DATA, f"split{size}{SUFFIX[encoding]}.srttext")
        if split_ops and not os.path.exists(split):
            source = os.path.splitext(split)[0] + ".srt"
            shutil.copyfile(film, source)
            subprocess.check_call([args.tessaline, "--quiet", "split-time-text", source])
            os.remove(source)
        baselines = (["line copy"] + ([BOTH] if two_file else []) + ([SUB] if frame_ops else [])
                     + ([LF] if lf_ops else []))
        results = {name: [] for name in baselines + ops}
        for _ in range(args.runs + 1):  # the first round warms the page cache and is dropped
            round_results = {"line copy": run([linecopy, film, copy_out])}
            if two_file:
                (w1, m1), (w2, m2) = round_results["line copy"], run([linecopy, add, copy_out])
                round_results[BOTH] = (w1 + w2, max(m1, m2))
            if frame_ops:
                round_results[SUB] = run([linecopy, sub, copy_out])
            if lf_ops:
                round_results[LF] = run([linecopy, lf, copy_out])
            for op in ops:
                argv, ext = OPERATIONS[op]
                argv = [a.replace("{add}", add).replace("{last}", str(size)) for a in argv]
                target = film
                for mark, path in (("{sub}", sub), ("{lf}", lf), ("{split}", split)):
                    if mark in argv:
                        argv.remove(mark)
                        target = path
                in_place = ext == IN_PLACE
                if in_place:
                    target = os.path.join(DATA, "inplace.srt")
                    ext = ".srt"
                out = os.path.splitext(target)[0] + ext
                clean = lambda: remove(out)  # noqa: E731
                if target == split:
                    # join-time-text writes film.out (and film.log) beside the split files,
                    # which stay for the next round.
                    out = os.path.splitext(split)[0] + ".out"
                    clean = lambda: [os.remove(p) for p in (out, os.path.splitext(out)[0] + ".log")
                                     if os.path.exists(p)]  # noqa: E731
                clean()
                if in_place:
                    shutil.copyfile(film, target)
                round_results[op] = run([args.tessaline, "--home", home, "--quiet", *argv, target])
                clean()
                shutil.rmtree(os.path.join(DATA, "trash"), ignore_errors=True)
            for name, value in round_results.items():
                results[name].append(value)
        os.remove(copy_out)
        for name, values in results.items():
            kept = values[1:]
            wall = statistics.median(w for w, _ in kept)
            baseline = (BOTH if name == BOTH or name in two_file else
                        SUB if name == SUB or name in frame_ops else
                        LF if name == LF or name in lf_ops else "line copy")
            ratios = [w / c for (w, _), (c, _) in zip(kept, results[baseline][1:])]
            rows.append((size, encoding, mb, name, wall, statistics.median(ratios),
                         max(m for _, m in kept)))

    if args.results:
        with open(args.results, "w") as f:
            f.write(report(rows, (BOTH, SUB, LF, "line copy"), args, started, load_before,
                           args.note))
        print(f"wrote {args.results}")
    print("| subtitles | encoding | MB | command | wall (median) | ratio to line copy (median) "
          "| peak memory |")
    print("|---:|---|---:|---|---:|---:|---:|")
    for size, encoding, mb, name, wall, ratio, mem in rows:
        print(f"| {size:,} | {encoding} | {mb:.1f} | {name} | {wall:.3f} s | {ratio:.2f} "
              f"| {mem:.1f} MiB |")


if __name__ == "__main__":
    main()
