#!/usr/bin/env python3
"""Makes a test film whose speech times are known exactly.

espeak-ng speaks English lines at chosen times over silence, noise or synthetic music; ffmpeg
encodes the mix into the containers a user brings. Everything comes from fixed seeds, so the same
arguments always give the same films. Written into OUT_DIR:

  film.wav        the mix: 22,050 Hz mono, 16-bit (the other files are encoded from it)
  film.mp4        AAC, 48 kHz stereo
  film.mka        Opus, 48 kHz stereo
  film.late.mkv   a small black picture from 0 s and the audio (AAC) from 1.5 s
  film.two.mkv    two audio tracks: 1 the background alone, 2 the mix
  film.noaudio.mkv  the picture only
  film.switch.ts  MPEG-TS, AAC: stereo 48 kHz for the first half, mono 44.1 kHz for the second
  film.truth      one spoken line a row: "START_MS END_MS", from the first to the last non-silent
                  sample of the line's speech (espeak's pauses inside a line stay under 60 ms)
  film.srt        one subtitle per spoken line at exactly those times
  film.uncut.srt  with --cut: the subtitles of the film before the cut

OUT_DIR is built under a temporary name and renamed when complete, so tests running side by side
may ask for the same film: the first to finish wins, the others find it ready.

Usage: make_film.py OUT_DIR [--seconds 120] [--background silence|noise|music] [--snr 10]
                            [--seed 1] [--lines N] [--cut AT:LENGTH]
                            [--formats mp4,mka,late.mkv,two.mkv,noaudio.mkv,switch.ts]
"""

import argparse
import array
import hashlib
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile
import wave

RATE = 22050
LATE_SECONDS = 1.5
# A sample of espeak's output louder than this (about -50 dBFS) is speech.
SILENCE_LEVEL = 100
# Spoken lines sit 6 dB below full scale, so that a background at 10 dB below them never clips.
SPEECH_GAIN = 0.5

SENTENCES = [
    "The weather turned cold before the train reached the coast",
    "Nobody told me the meeting had been moved to Thursday",
    "Bring the lantern down to the cellar and wait for me there",
    "I have never seen the river this high in the spring",
    "She kept the letters in a tin box under the stairs",
    "If we leave now we can still catch the last ferry",
    "The doctor said you should rest for at least a week",
    "Do you remember the name of the hotel in Lisbon",
    "Put the kettle on and I will tell you everything",
    "They found the car abandoned on the mountain road",
    "My brother always wanted to be a pilot",
    "Close the window before the rain comes in",
    "We counted the money twice and it was still short",
    "The children were singing in the garden all afternoon",
    "You cannot keep running away from this forever",
    "The captain ordered everyone back to the ship",
    "I think someone has been reading my diary",
    "Turn left at the church and follow the stone wall",
    "There is a storm coming from the north tonight",
    "He promised to call as soon as the plane landed",
    "The museum closes early on Sundays",
    "Why would anyone want to buy that old farm",
    "Please sign here and here and then we are done",
    "The dog barked at the postman every single morning",
    "Listen carefully because I will only say this once",
    "We should have taken the other road",
    "Her father built this house with his own hands",
    "The lights went out just as the film began",
    "I will wait for you at the station at noon",
    "Nothing about this case makes any sense to me",
]
VOICES = ["en", "en-us", "en+m3", "en+f2", "en-gb-x-rp", "en+f4"]


def run(*command):
    subprocess.run(command, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.PIPE)


def read_wav(path):
    with wave.open(path, "rb") as w:
        if w.getnchannels() != 1 or w.getsampwidth() != 2 or w.getframerate() != RATE:
            raise SystemExit(f"{path}: expected {RATE} Hz mono 16-bit")
        samples = array.array("h", w.readframes(w.getnframes()))
    if sys.byteorder != "little":
        samples.byteswap()
    return samples


def write_wav(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        data = array.array("h", samples)
        if sys.byteorder != "little":
            data.byteswap()
        w.writeframes(data.tobytes())


def speak(text, voice, speed, work):
    """The line as espeak-ng says it, cut to its non-silent samples."""
    path = os.path.join(work, "line.wav")
    run("espeak-ng", "-v", voice, "-s", str(speed), "-w", path, text)
    with wave.open(path, "rb") as w:
        rate = w.getframerate()
    if rate != RATE:
        run("ffmpeg", "-y", "-i", path, "-ar", str(RATE), "-ac", "1", path + ".wav")
        path += ".wav"
    samples = read_wav(path)
    loud = [i for i, s in enumerate(samples) if abs(s) > SILENCE_LEVEL]
    return samples[loud[0]:loud[-1] + 1]


def background(kind, seconds, seed, work):
    """The background alone, at its own level (scaled to the wanted ratio later)."""
    if kind == "silence":
        return array.array("h", bytes(2 * int(seconds * RATE)))
    path = os.path.join(work, "background.wav")
    if kind == "noise":
        # Pink noise: its energy falls with frequency as most room and street noise does.
        source = f"anoisesrc=r={RATE}:color=pink:amplitude=0.5:seed={seed}:d={seconds}"
    else:
        # A plucked three-note chord over a bass, a new chord every 0.3 s, the chord's root
        # walking through the scale by a rule drawn from the seed.
        rng = random.Random(seed)
        step, turn = rng.choice([5, 7]), rng.randint(1, 11)
        root = f"(220*pow(2,mod(floor(t/0.3)*{step}+floor(t/1.2)*{turn},12)/12))"
        envelope = "exp(-6*mod(t,0.3))"
        chord = "+".join(f"sin(2*PI*t*{root}*pow(2,{k}/12))" for k in (0, 4, 7))
        source = (f"aevalsrc='0.2*{envelope}*({chord})+0.25*sin(2*PI*t*{root}/2)'"
                  f":s={RATE}:d={seconds}")
    run("ffmpeg", "-y", "-f", "lavfi", "-i", source, "-ac", "1", "-ar", str(RATE),
        "-c:a", "pcm_s16le", path)
    samples = read_wav(path)
    wanted = int(seconds * RATE)
    return samples[:wanted] + array.array("h", bytes(2 * max(0, wanted - len(samples))))


def rms(samples):
    return math.sqrt(sum(s * s for s in samples) / max(1, len(samples)))


def srt_time(ms):
    return f"{ms // 3600000:02}:{ms // 60000 % 60:02}:{ms // 1000 % 60:02},{ms % 1000:03}"


def write_srt(path, cues):
    with open(path, "w", newline="\r\n") as f:
        for number, (start, end, text) in enumerate(cues, 1):
            f.write(f"{number}\n{srt_time(start)} --> {srt_time(end)}\n{text}\n\n")


def make(out, args, formats, work):
    rng = random.Random(args.seed)
    total = int(args.seconds * RATE)
    speech = array.array("h", bytes(2 * total))
    cues = []  # (start_ms, end_ms, text), times of the uncut film
    t = 1.0 + rng.uniform(0, 1.5)
    order = SENTENCES[:]
    rng.shuffle(order)
    while len(cues) < args.lines:
        text = order[len(cues) % len(order)]
        line = speak(text, rng.choice(VOICES), rng.randint(150, 185), work)
        at = int(t * RATE)
        if at + len(line) > total - RATE:
            break
        speech[at:at + len(line)] = array.array("h", (int(s * SPEECH_GAIN) for s in line))
        start_ms = at * 1000 // RATE
        end_ms = -(-(at + len(line)) * 1000 // RATE)
        cues.append((start_ms, end_ms, text))
        t = (at + len(line)) / RATE + rng.uniform(0.6, 4.0)

    mixed = args.background != "silence"
    back = background(args.background, args.seconds, args.seed, work) if mixed else None
    gain = 0.0
    if mixed:
        # The ratio is taken against the speech where it is spoken (the active speech level),
        # not against the whole film with its pauses.
        spoken = array.array("h")
        for start, end, _ in cues:
            spoken.extend(speech[start * RATE // 1000:end * RATE // 1000])
        # A film without lines takes about the level of espeak's lines at SPEECH_GAIN.
        level = rms(spoken) if cues else 3000.0
        gain = level / (rms(back) * 10 ** (args.snr / 20))

    if args.cut:
        cut_at, cut_length = (float(x) for x in args.cut.split(":"))
        a, b = int(cut_at * RATE), int((cut_at + cut_length) * RATE)
        del speech[a:b]
        if mixed:
            del back[a:b]
        write_srt(os.path.join(out, "film.uncut.srt"), cues)
        a_ms, b_ms = a * 1000 // RATE, b * 1000 // RATE
        cut_cues = []
        for start, end, text in cues:
            # What is left of each line once the cut is taken out.
            s = start if start < a_ms else max(a_ms, start - (b_ms - a_ms))
            e = end if end <= a_ms else max(a_ms, end - (b_ms - a_ms))
            if e > s:
                cut_cues.append((s, e, text))
        cues = cut_cues

    wav = os.path.join(out, "film.wav")
    back_wav = os.path.join(work, "back.wav")
    if mixed:
        # ffmpeg adds the scaled background to the speech, clipping at full scale.
        write_wav(os.path.join(work, "speech.wav"), speech)
        write_wav(os.path.join(work, "raw_back.wav"), back)
        run("ffmpeg", "-y", "-i", os.path.join(work, "speech.wav"), "-i",
            os.path.join(work, "raw_back.wav"), "-filter_complex",
            f"[1]volume={gain:.6f},asplit[b][ob];[0][b]amix=inputs=2:normalize=0[m]",
            "-map", "[m]", "-c:a", "pcm_s16le", wav,
            "-map", "[ob]", "-c:a", "pcm_s16le", back_wav)
    else:
        write_wav(wav, speech)
        write_wav(back_wav, array.array("h", bytes(2 * len(speech))))
    with open(os.path.join(out, "film.truth"), "w") as f:
        for start, end, _ in cues:
            f.write(f"{start} {end}\n")
    write_srt(os.path.join(out, "film.srt"), cues)

    seconds = len(speech) / RATE
    exact = ["-fflags", "+bitexact", "-map_metadata", "-1"]
    stereo = ["-ar", "48000", "-ac", "2"]
    picture = ["-f", "lavfi", "-i", f"color=c=black:s=32x32:r=5:d={seconds + LATE_SECONDS}"]
    encodes = {
        "mp4": ["-i", wav, *stereo, "-c:a", "aac", "-b:a", "128k"],
        "mka": ["-i", wav, *stereo, "-c:a", "libopus", "-b:a", "64k"],
        "late.mkv": [*picture, "-itsoffset", str(LATE_SECONDS), "-i", wav, "-map", "0:v",
                     "-map", "1:a", "-c:v", "mpeg4", *stereo, "-c:a", "aac"],
        "two.mkv": ["-i", back_wav, "-i", wav, "-map", "0:a", "-map", "1:a", *stereo,
                    "-c:a", "libopus", "-b:a", "64k"],
        "noaudio.mkv": ["-f", "lavfi", "-i", "color=c=black:s=32x32:r=5:d=2", "-c:v", "mpeg4"],
    }
    for kind in formats:
        if kind == "switch.ts":
            # Stereo at 48 kHz for the first half, mono at 44.1 kHz after: two MPEG-TS files
            # joined byte to byte, as a recording of a broadcast may be.
            half = seconds / 2
            parts = [os.path.join(work, "part1.ts"), os.path.join(work, "part2.ts")]
            run("ffmpeg", "-y", "-i", wav, "-t", str(half), *stereo, "-c:a", "aac", *exact,
                parts[0])
            run("ffmpeg", "-y", "-ss", str(half), "-i", wav, "-ar", "44100", "-ac", "1",
                "-c:a", "aac", "-output_ts_offset", str(half), *exact, parts[1])
            with open(os.path.join(out, "film.switch.ts"), "wb") as joined:
                for part in parts:
                    with open(part, "rb") as f:
                        shutil.copyfileobj(f, joined)
            continue
        run("ffmpeg", "-y", *encodes[kind], *exact, os.path.join(out, "film." + kind))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("out")
    parser.add_argument("--seconds", type=float, default=120)
    parser.add_argument("--background", choices=["silence", "noise", "music"], default="silence")
    parser.add_argument("--snr", type=float, default=10, help="speech over background, in dB")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--lines", type=int, default=1000, help="at most this many lines")
    parser.add_argument("--formats", default="mp4,mka,late.mkv,two.mkv,noaudio.mkv,switch.ts",
                        help="the films to encode besides film.wav, comma-separated")
    parser.add_argument("--cut", help="AT:LENGTH in seconds: that much of the film taken out")
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    # The film is made again when the options or this script change.
    with open(__file__, "rb") as script:
        version = hashlib.sha1(script.read()).hexdigest()
    stamp = " ".join(sys.argv[2:]) + "\n" + version + "\n"
    done = os.path.join(out, ".made")
    if os.path.exists(done) and open(done).read() == stamp:
        return
    parent = os.path.dirname(out)
    os.makedirs(parent, exist_ok=True)
    building = tempfile.mkdtemp(prefix=os.path.basename(out) + ".", dir=parent)
    try:
        with tempfile.TemporaryDirectory() as work:
            make(building, args, args.formats.split(",") if args.formats else [], work)
        with open(os.path.join(building, ".made"), "w") as f:
            f.write(stamp)
        if os.path.exists(out) and not (os.path.exists(done) and open(done).read() == stamp):
            shutil.rmtree(out, ignore_errors=True)
        try:
            os.rename(building, out)
        except OSError:
            # Another run finished the same film first.
            if not os.path.exists(done):
                raise
    except subprocess.CalledProcessError as e:
        sys.exit(f"make_film: {' '.join(e.cmd[:3])}... failed: {e.stderr.decode(errors='replace')}")
    finally:
        shutil.rmtree(building, ignore_errors=True)


if __name__ == "__main__":
    main()
