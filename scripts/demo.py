#!/usr/bin/env python3
"""QV as a user sees it, under Wine: installs QV-setup.exe silently into a private prefix, starts
QV, opens a text in Wine's Notepad, rests the pointer on a word with Ctrl held and saves a
screenshot of the popup. Headless (its own X server), or with --desktop in the user's own X
session, where QV then stays for everyday use.

usage: demo.py --setup QV-SETUP.EXE --probe QV_PROBE.EXE --work DIR [--docs DIR]
       demo.py --setup QV-SETUP.EXE --desktop PREFIX
--docs DIR also writes the README's picture of the popup there (popup.png)."""
import argparse
import os
import pathlib
import shutil
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import qvwine  # noqa: E402

TARGET = "C:\\Program Files\\QV\\"
TEXT = ("QV translates English words into French.\r\n"
        "Rest the pointer on a word while holding Ctrl:\r\n"
        "the houses were running along the river.\r\n")
WORD = "houses"
NOTEPAD = "demo.txt - Notepad"


def crop(shot, box, out):
    left, top, right, bottom = box
    subprocess.run(["convert", str(shot), "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                    "+repage", str(out)], check=True)


def headless(args):
    work = pathlib.Path(args.work)
    wine_dir = work / "wine"
    for old in work.glob("tmp*"):  # the launch folders of an earlier run's programs
        shutil.rmtree(old, ignore_errors=True)
    qvwine.start_session(wine_dir)
    wine = qvwine.Wine(wine_dir, args.probe, work)
    try:
        # A second run installs over the first: the installer closes a QV that still runs.
        setup = wine.start(args.setup, "/S")
        if setup.exit_code(timeout=300) != 0:
            sys.exit("demo: the installer failed")
        qv = wine.start(TARGET + "QV.exe")
        if not wine.wait(wine.settings):  # the main window exists once the splash has gone
            sys.exit("demo: QV did not start")

        sample = work / "demo.txt"
        sample.write_bytes(TEXT.encode("ascii"))
        wine.start("notepad", qvwine.winpath(sample))
        point = wine.word_point(NOTEPAD, TEXT.index(WORD) + 2)
        for _ in range(3):  # a capture that ran out of time on a loaded machine shows no word
            popup = wine.hover_with("ctrl", point)
            if popup and popup.startswith(WORD):
                break
            wine.xdo("mousemove", 100, 700, "click", 1)  # a click elsewhere closes the popup
        if not popup or not popup.startswith(WORD):
            sys.exit("demo: no popup appeared over Notepad")
        shot = work / "demo.png"
        wine.screenshot(shot)
        if args.docs:
            # The top of Notepad's window and the popup below the word.
            crop(shot, (0, 0, 530, 446), pathlib.Path(args.docs) / "popup.png")
        print(f"QV's popup over Wine's Notepad: {shot.resolve()}")
        print("  " + popup.replace("\n", "\n  ").rstrip())
        wine.tray_menu(choose=0)  # Exit
        qv.exit_code()
    finally:
        wine.end_started()
        qvwine.stop_session(wine_dir)


def desktop(args):
    if not os.environ.get("DISPLAY"):
        sys.exit("demo: --desktop needs an X session (DISPLAY is not set)")
    prefix = pathlib.Path(args.desktop)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    # The installer runs in the same session, so that it can close a QV that runs there.
    subprocess.run(["wine", args.setup, "/S"], env=env, check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
    with open(prefix / "qv.log", "wb") as log:
        subprocess.Popen(["wine", TARGET + "QV.exe"], env=env, stdin=subprocess.DEVNULL,
                         stdout=log, stderr=log, start_new_session=True)
    print(f"QV runs in your X session (Wine prefix {prefix});")
    print("its icon is in the notification area.")
    print("It reads words in Windows programs of that prefix, for example Wine's Notepad:")
    print(f"  WINEPREFIX={prefix} wine notepad")
    print("Rest the pointer on a word with Ctrl held. It starts again at log-on of Wine "
          "(the Run value), or with scripts/run --desktop.")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True)
    parser.add_argument("--probe")
    parser.add_argument("--work")
    parser.add_argument("--docs")
    parser.add_argument("--desktop", metavar="PREFIX")
    args = parser.parse_args()
    # A failing step says what failed, in one line, instead of a Python trace.
    try:
        if args.desktop:
            desktop(args)
        else:
            headless(args)
    except subprocess.CalledProcessError as e:
        command = " ".join(map(str, e.cmd))
        if str(qvwine.SESSION) in command:
            sys.exit("demo: the headless Wine session could not be started "
                     f"(cmake/wine-session start, exit status {e.returncode}; the message above "
                     "names the failing step)")
        sys.exit(f"demo: `{command}` failed with exit status {e.returncode}")
    except subprocess.TimeoutExpired as e:
        sys.exit(f"demo: `{' '.join(map(str, e.cmd))}` did not end within {e.timeout:.0f} s")
    except (RuntimeError, OSError) as e:
        sys.exit(f"demo: {e}")


if __name__ == "__main__":
    main()
