#!/usr/bin/env python3
"""Processor time of QV.exe under Wine, printed: over 60 s idle, and over 10 s with Ctrl held
while the pointer rests on a word of Notepad (a look-up at every tick of the hover timer); the
X server's share is printed beside it, since that is where a popup drawn anew costs.

usage: program_cpu.py --qv-dir DIR --probe EXE --bundles DIR --lexicon-home DIR --wine-dir DIR
                      --work DIR [--idle S] [--held S]
Run it by hand with the session started (cmake/wine-session start), like the other benchmarks.
"""
import argparse
import os
import pathlib
import shutil
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
import qvwine  # noqa: E402

KEY = r"HKLM\Software\Brantel\QV-fr"


def cpu_seconds(pid):
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def shares(pids, seconds):
    before, start = [cpu_seconds(p) for p in pids], time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    return [100 * (cpu_seconds(p) - b) / elapsed for p, b in zip(pids, before)]


def main():
    parser = argparse.ArgumentParser()
    for name in ["qv-dir", "probe", "bundles", "lexicon-home", "wine-dir", "work"]:
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--idle", type=float, default=60)
    parser.add_argument("--held", type=float, default=10)
    args = parser.parse_args()
    work = pathlib.Path(args.work)
    shutil.rmtree(work, ignore_errors=True)
    wine = qvwine.Wine(args.wine_dir, args.probe, work)
    stage = qvwine.stage_installation(work / "QV", args.qv_dir, args.bundles, args.lexicon_home)
    wine.reg_set(KEY, "Target", qvwine.winpath(stage) + "\\")
    wine.reg_set(KEY, "QVLang", "fr")
    wine.reg_set(KEY, "Tut", "1")
    sample = work / "sample.txt"
    sample.write_bytes(b"The houses were running along the river.\r\n")
    qv = wine.start(stage / "QV.exe", "1")
    notepad = wine.start("notepad", qvwine.winpath(sample))
    try:
        point = wine.wait(lambda: wine.probe("charpos", "sample.txt - Notepad", 6))
        x, y = map(int, point.split())
        wine.xdo("mousemove", x + 4, y + 6)
        time.sleep(2)
        pids = [qv.pid, wine.xvfb_pid]
        qv_idle, x_idle = shares(pids, args.idle)
        print(f"idle over {args.idle:.0f} s: QV.exe {qv_idle:.2f} %, X server {x_idle:.2f} % "
              "of one core")
        wine.xdo("keydown", "ctrl")
        try:
            time.sleep(1)
            qv_held, x_held = shares(pids, args.held)
        finally:
            wine.xdo("keyup", "ctrl")
        print(f"Ctrl held on a word for {args.held:.0f} s: QV.exe {qv_held:.1f} %, "
              f"X server {x_held:.1f} % of one core")
    finally:
        for program in (notepad, qv):
            program.kill()
        wine.reg_delete(KEY)


if __name__ == "__main__":
    main()
