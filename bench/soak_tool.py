#!/usr/bin/env python3
"""Helpers of bench/soak.sh.

  soak_tool.py set-loop MOVIE
      Records normal looping in a movie file (a 'LOOP' user data item of
      value 0 in moov/udta), as the application reads it when it opens the
      movie. The moov must be the file's last atom (as ffmpeg writes it), so
      no chunk offset moves.

  soak_tool.py watch MARKS OUT -- COMMAND...
      Runs COMMAND and samples its resident memory (VmRSS) every 20 ms.
      Whenever MARKS/<n>.png appears (the script's `screenshot` at the end of
      cycle n) the latest sample is written to OUT as "n KiB" and the file
      removed. Exits with the command's status.

  soak_tool.py loop-audio RECORDING.wav REFERENCE.raw PASS_FRAMES
      Checks a recording of a movie played in a loop for continuity. The
      reference is the movie's sound decoded by ffmpeg (s16le, the
      recording's rate and channel count). The first pass is found in the
      recording by its likeness to the reference; every later pass must then
      be the same samples as the first, pass after pass, with nothing in
      between. Prints loop-passes, loop-audio-gaps and loop-audio-repeats.
"""

import array
import os
import struct
import subprocess
import sys
import time


# ----------------------------------------------------------------- set-loop

def read_atoms(data, start, end):
    atoms = []
    pos = start
    while pos + 8 <= end:
        size, kind = struct.unpack(">I4s", data[pos:pos + 8])
        header = 8
        if size == 1:
            size = struct.unpack(">Q", data[pos + 8:pos + 16])[0]
            header = 16
        elif size == 0:
            size = end - pos
        if size < header or pos + size > end:
            raise ValueError("damaged atom %r at %d" % (kind, pos))
        atoms.append((kind, pos, size, header))
        pos += size
    return atoms


def atom(kind, payload):
    return struct.pack(">I4s", 8 + len(payload), kind) + payload


def set_loop(path):
    with open(path, "rb") as f:
        data = f.read()
    top = read_atoms(data, 0, len(data))
    kind, pos, size, header = top[-1]
    if kind != b"moov" or header != 8:
        raise SystemExit("set-loop: %s: the moov is not the last atom" % path)
    children = read_atoms(data, pos + 8, pos + size)
    loop = atom(b"LOOP", struct.pack(">i", 0))
    body = b""
    found = False
    for ck, cp, cs, ch in children:
        if ck == b"udta" and not found:
            items = read_atoms(data, cp + ch, cp + cs)
            kept = b"".join(data[ip:ip + isz] for ik, ip, isz, ih in items if ik != b"LOOP")
            body += atom(b"udta", kept + loop)
            found = True
        else:
            body += data[cp:cp + cs]
    if not found:
        body += atom(b"udta", loop)
    with open(path, "wb") as f:
        f.write(data[:pos] + atom(b"moov", body))


# -------------------------------------------------------------------- watch

def rss_kib(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def watch(marks, out, command):
    proc = subprocess.Popen(command)
    last = 0
    n = 1
    with open(out, "w") as log:
        while True:
            done = proc.poll() is not None
            rss = rss_kib(proc.pid) if not done else None
            if rss:
                last = rss
            while True:
                mark = os.path.join(marks, "%d.png" % n)
                if not os.path.exists(mark):
                    break
                log.write("%d %d\n" % (n, last))
                log.flush()
                os.unlink(mark)
                n += 1
            if done:
                return proc.returncode
            time.sleep(0.02)


# --------------------------------------------------------------- loop-audio

def read_wav(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise SystemExit("loop-audio: %s is not a WAV file" % path)
    pos = 12
    channels = rate = None
    while pos + 8 <= len(data):
        kind, size = struct.unpack("<4sI", data[pos:pos + 8])
        if kind == b"fmt ":
            fmt, channels, rate = struct.unpack("<HHI", data[pos + 8:pos + 16])
            bits = struct.unpack("<H", data[pos + 22:pos + 24])[0]
            if fmt != 1 or bits != 16:
                raise SystemExit("loop-audio: %s is not 16-bit PCM" % path)
        elif kind == b"data":
            # A recording past 4 GiB keeps its largest size: read to the end.
            end = len(data) if size >= 0xFFFFFFFF - 36 else min(len(data), pos + 8 + size)
            samples = array.array("h")
            samples.frombytes(data[pos + 8:end - (end - pos - 8) % 2])
            return samples, channels, rate
        pos += 8 + size + (size & 1)
    raise SystemExit("loop-audio: %s has no data" % path)


def likeness(a, b):
    """Normalised correlation of two equally long sample sequences."""
    num = sum(x * y for x, y in zip(a, b))
    ea = sum(x * x for x in a)
    eb = sum(y * y for y in b)
    if ea == 0 or eb == 0:
        return 0.0
    return num / (ea * eb) ** 0.5


def find_first_pass(rec, ref, channels):
    """The frame at which the reference starts in the recording: the first
    clearly sounding frame, refined by correlation over a short window."""
    window = min(len(ref) // channels, 2048)
    probe = ref[:window * channels:channels]
    loud = max(abs(v) for v in probe) // 8 or 1
    first_ref = next(i for i, v in enumerate(probe) if abs(v) >= loud)
    first_rec = next((i // channels for i, v in enumerate(rec) if abs(v) >= loud), None)
    if first_rec is None:
        return None, 0.0
    best, best_at = -2.0, None
    guess = first_rec - first_ref
    for at in range(max(0, guess - 64), guess + 65):
        seg = rec[at * channels:(at + window) * channels:channels]
        if len(seg) < window:
            break
        c = likeness(seg, probe)
        if c > best:
            best, best_at = c, at
    return best_at, best


def loop_audio(wav, raw, pass_frames):
    rec, channels, rate = read_wav(wav)
    ref = array.array("h")
    with open(raw, "rb") as f:
        ref.frombytes(f.read())
    start, like = find_first_pass(rec, ref, channels)
    if start is None:
        raise SystemExit("loop-audio: the recording is silent")
    n = pass_frames * channels
    first = rec[start * channels:start * channels + n]
    # The first pass against what ffmpeg decodes (the decoders' float to
    # integer steps may differ by a unit): alike over the whole pass.
    overlap = min(len(first), len(ref)) // channels
    whole = likeness(first[:overlap * channels], ref[:overlap * channels])
    print("loop-first-pass-likeness %.4f" % whole)
    gaps = repeats = passes = 0
    reach = rate // 2      # how far a pass may have moved and still be found
    W = min(256, pass_frames) * channels
    p = (start + pass_frames) * channels
    while p + n <= len(rec):
        seg = rec[p:p + n]
        passes += 1
        if seg == first:
            p += n
            continue
        # The first differing frame, then where the first pass's samples
        # from there on went.
        j = 0
        step = 4096 * channels
        while j < n and rec[p + j:p + j + step] == first[j:j + step]:
            j += step
        while j < n and rec[p + j] == first[j]:
            j += 1
        j -= j % channels
        want = first[j:j + W]
        moved = None
        for d in range(1, reach):
            for s in (d, -d):
                q = p + j + s * channels
                if q >= 0 and rec[q:q + len(want)] == want:
                    moved = s
                    break
            if moved is not None:
                break
        if moved is None:
            # Something else altogether: count it as a gap and go on a pass on.
            print("loop-audio: pass %d differs from frame %d on" % (passes + 1, j // channels), file=sys.stderr)
            gaps += 1
            p += n
            continue
        if moved > 0:
            inserted = rec[p + j:p + j + moved * channels]
            if any(inserted):
                repeats += 1
            else:
                gaps += 1
        else:
            gaps += 1   # frames skipped
        print("loop-audio: pass %d moved by %d frames at frame %d" % (passes + 1, moved, j // channels),
              file=sys.stderr)
        p += n + moved * channels
    print("loop-passes %d" % (passes + 1))
    print("loop-audio-gaps %d" % gaps)
    print("loop-audio-repeats %d" % repeats)
    return 0 if whole > 0.98 else 1


def main(argv):
    if len(argv) >= 2 and argv[1] == "set-loop":
        set_loop(argv[2])
        return 0
    if len(argv) >= 5 and argv[1] == "watch" and argv[4] == "--":
        return watch(argv[2], argv[3], argv[5:])
    if len(argv) == 5 and argv[1] == "loop-audio":
        return loop_audio(argv[2], argv[3], int(argv[4]))
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
