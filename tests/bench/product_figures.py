#!/usr/bin/env python3
"""Figures of the installed product under Wine, printed, never asserted (run by hand):
the installer's size; a silent install's time in a fresh prefix; from the start of `QV.exe 1`
to its tray icon on screen (median of several starts; the icon is looked for in screenshots,
about a tenth of a second apart); from Ctrl going down with the pointer resting on a word in
Wine's Notepad to the popup on screen (median of 20, timed inside the desktop by qv_probe); and
QV.exe's memory after start and after 1,000 look-ups.

usage: product_figures.py --setup QV-SETUP.EXE --probe QV_PROBE.EXE --work DIR [--lookups N]
"""
import argparse
import pathlib
import statistics
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "e2e"))
import qvwine  # noqa: E402

TARGET = "C:\\Program Files\\QV\\"
TEXT = "The houses were running along the river.\r\nA cat sat on the mat.\r\n"
WORDS = ["houses", "running", "river", "cat", "mat"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--lookups", type=int, default=1000)
    args = parser.parse_args()
    work = pathlib.Path(args.work)
    wine_dir = work / "wine"
    qvwine.start_session(wine_dir, fresh=True)
    wine = qvwine.Wine(wine_dir, args.probe, work)
    try:
        print(f"installer size: {pathlib.Path(args.setup).stat().st_size / 2**20:.1f} MiB")
        start = time.monotonic()
        if wine.start(args.setup, "/S").exit_code(timeout=300) != 0:
            sys.exit("the installer failed")
        print(f"silent install (fresh prefix, under Wine): {time.monotonic() - start:.1f} s")
        wine.reg_set(r"HKLM\Software\Brantel\QV-fr", "Tut", "1")  # no tutorial in the way

        starts = []
        for _ in range(5):
            start = time.monotonic()
            qv = wine.start(TARGET + "QV.exe", "1")
            if not wine.wait(wine.tray_icon_shown, timeout=30, step=0.01):
                sys.exit("no tray icon")
            starts.append(time.monotonic() - start)
            wine.tray_menu(choose=0)
            qv.exit_code()
            wine.wait(lambda: not wine.tray_icon_shown(), timeout=10, step=0.1)
        print(f"QV.exe 1 to the tray icon: median {statistics.median(starts):.2f} s "
              f"({', '.join(f'{s:.2f}' for s in starts)})")

        # Notepad first, so that QV's start is followed at once by its first popup.
        sample = work / "sample.txt"
        sample.write_bytes(TEXT.encode("ascii"))
        wine.start("notepad", qvwine.winpath(sample))
        points = []
        for word in WORDS:
            points += wine.word_point("sample.txt - Notepad", TEXT.index(word) + 1)
        start = time.monotonic()
        qv = wine.start(TARGET + "QV.exe", "1")
        wine.wait(wine.settings, step=0.01)
        first = float(wine.probe("timepopup", 1, *points[:2]).split()[0])
        print(f"QV.exe 1 to its first popup over Notepad: {time.monotonic() - start:.2f} s "
              f"(Ctrl down to that popup {first:.1f} ms)")
        out = wine.probe("timepopup", 20, *points[:2])
        times = [float(t) for t in out.split()]
        shown = [t for t in times if t >= 0]
        print(f"Ctrl down to the popup over Notepad: median {statistics.median(shown):.1f} ms "
              f"of {len(shown)} (of 20), min {min(shown):.1f}, max {max(shown):.1f}; "
              f"after the first, the second {times[0]:.1f} ms and the tenth {times[8]:.1f} ms")
        print("QV.exe memory after start and 20 look-ups: "
              + wine.probe("memory").replace("\n", " "))
        start = time.monotonic()
        out = wine.probe("timepopup", args.lookups, *points, timeout=args.lookups * 3 + 60)
        shown = [float(t) for t in out.split() if float(t) >= 0]
        print(f"{args.lookups} more look-ups over {len(WORDS)} words in "
              f"{time.monotonic() - start:.0f} s: {len(shown)} popups, "
              f"median {statistics.median(shown):.1f} ms")
        print(f"QV.exe memory after {args.lookups + 20} look-ups: "
              + wine.probe("memory").replace("\n", " "))
        wine.tray_menu(choose=0)
        qv.exit_code()
    finally:
        wine.end_started()
        qvwine.stop_session(wine_dir)


if __name__ == "__main__":
    main()
