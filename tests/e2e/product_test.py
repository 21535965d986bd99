#!/usr/bin/env python3
"""The product end to end, from its installer, in a fresh Wine prefix: a silent install, the
first start, a look-up over Wine's Notepad, the tray menu, the log-on start, an ordinary user, a
missing or damaged dict folder, a missing capture component, a second install while QV runs
(in this desktop and in another), an uninstall that leaves nothing, and the installation folder's
checks: outside Program Files (named directly or through Program Files), foreign, with a file in
use, and an uninstaller outside it.

usage: product_test.py --setup QV-SETUP.EXE --probe QV_PROBE.EXE --lookup QV-LOOKUP
                       --lexicon-home DIR --work DIR
The steps run in order (test_1 ... test_7) and build on each other, as a user's history does.
"""
import argparse
import json
import pathlib
import re
import shutil
import subprocess
import sys
import time
import unittest

import qvwine

KEY = r"HKLM\Software\Brantel\QV-fr"
USER_KEY = r"HKCU\Software\Brantel\QV-fr"
LEXICON_KEY = KEY + r"\dict\2.1"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QV-fr"
TARGET = "C:\\Program Files\\QV\\"
PROGRAM_FILES = ["QV.exe", "wcapture.dll", "wmonitor.dll", "WCaptureX.manifest",
                 "WMonitorX.manifest", "qv_rb.fr", "qv_rb.en", "QV-uninstall.exe"]
SHORTCUTS = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs"
TEXT = "The houses were running along the river.\r\nA cat sat on the mat.\r\n"
NOTEPAD = "sample.txt - Notepad"
BLANK = (100, 700)  # a spot of the desktop that no window covers
ARGS = None


def lookup(captured, *options):
    """The popup's window text for a captured text as qv-lookup composes it: the title, a line
    feed and the body without its link tags."""
    out = subprocess.run([ARGS.lookup, "--json", *options, "--", captured], check=True,
                         stdout=subprocess.PIPE)
    result = json.loads(out.stdout.decode("utf-8").splitlines()[0])
    return result["title"] + "\n" + re.sub(r"</?A>", "", result["body"])


class Product(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        work = pathlib.Path(ARGS.work)
        shutil.rmtree(work, ignore_errors=True)
        cls.wine_dir = work / "wine"
        qvwine.start_session(cls.wine_dir, fresh=True)
        cls.wine = qvwine.Wine(cls.wine_dir, ARGS.probe, work)
        cls.folder = cls.wine.host_path(TARGET)
        cls.exe = TARGET + "QV.exe"
        sample = work / "sample.txt"
        sample.write_bytes(TEXT.encode("ascii"))
        cls.sample = qvwine.winpath(sample)

    @classmethod
    def tearDownClass(cls):
        qvwine.stop_session(cls.wine_dir)

    def tearDown(self):
        # Whatever happened, the programs this test started end, by their ids.
        self.wine.end_started()

    # Helpers -----------------------------------------------------------------------------------

    def install(self):
        """Runs the installer silently in the desktop where QV runs (as on Windows, where both
        share the user's desktop); its exit status, and how long it took."""
        start = time.monotonic()
        setup = self.wine.start(ARGS.setup, "/S")
        status = setup.exit_code(timeout=300)
        return status, time.monotonic() - start

    def start_qv(self, *tail):
        qv = self.wine.start(self.exe, *tail)
        self.assertIsNotNone(self.wine.wait(self.wine.settings), "QV's main window did not appear")
        self.assertTrue(self.wine.wait(self.wine.tray_icon_shown), "no tray icon")
        return qv

    def notepad_words(self):
        self.wine.start("notepad", self.sample)
        return [self.wine.word_point(NOTEPAD, i) for i in (6, TEXT.index("cat") + 1)]

    def hover(self, key, point, expected):
        """The popup shown and the one expected (on a loaded machine a capture can run out of
        time and show an empty popup before the next tick gets the word)."""
        return self.wine.hover_with(key, point, expected), expected

    def close_popup(self):
        self.wine.xdo("mousemove", *BLANK, "click", 1)  # a click elsewhere closes the popup
        self.assertTrue(self.wine.wait(lambda: self.wine.popup() is None))

    def quit_from_tray(self, qv):
        self.assertTrue(self.wine.tray_menu(choose=0), "no tray menu")
        self.assertEqual(qv.exit_code(), 0)
        self.assertFalse(self.wine.tray_icon_shown())

    def opened_addresses(self):
        path = self.wine_dir / "opened-addresses"
        return path.read_text().splitlines() if path.exists() else []

    # The steps ---------------------------------------------------------------------------------

    def test_1_silent_install(self):
        status, seconds = self.install()
        self.assertEqual(status, 0)
        print(f"\nsilent install: {seconds:.1f} s", file=sys.stderr)
        reg = self.wine.reg_get
        self.assertEqual([reg(KEY, "Target"), reg(KEY, "QVLang"), reg(KEY, "Tut")],
                         [TARGET, "fr", "0"])
        self.assertEqual(reg(LEXICON_KEY, "WNHome"), TARGET)
        self.assertEqual(reg(RUN_KEY, "QV"), f'"{self.exe}" 1')
        self.assertEqual(reg(UNINSTALL_KEY, "QuietUninstallString"),
                         f'"{TARGET}QV-uninstall.exe" /S')
        self.assertEqual(reg(UNINSTALL_KEY, "DisplayVersion"), "3.0")
        for name in PROGRAM_FILES:
            self.assertTrue((self.folder / name).is_file(), name)
        self.assertTrue((self.folder / "tutorial" / "index.html").is_file())
        # The dict folder holds real copies of the generated data and of the WordNet database.
        home = pathlib.Path(ARGS.lexicon_home) / "dict"
        expected = {p.name: p.stat().st_size for p in home.iterdir() if p.name != "validated.stamp"}
        installed = {p.name: p.stat().st_size for p in (self.folder / "dict").iterdir()}
        self.assertEqual(installed, expected)
        self.assertIn("data.noun", installed)
        self.assertIn("LICENSES.txt", installed)
        self.assertFalse(any(p.is_symlink() for p in (self.folder / "dict").iterdir()))
        shortcuts = list(self.wine.host_path(SHORTCUTS).glob("QV*.lnk"))
        self.assertEqual(len(shortcuts), 1)

    def test_2_first_start_look_up_and_tray(self):
        qv = self.start_qv()
        reg = self.wine.reg_get
        # The first-run flag is the user's; the installation's stays the default.
        self.assertEqual([reg(KEY, "Tut"), reg(USER_KEY, "Tut"), reg(LEXICON_KEY, "WNHome")],
                         ["0", "1", TARGET])
        opened = self.wine.wait(lambda: any("tutorial" in a for a in self.opened_addresses()))
        self.assertTrue(opened, "the tutorial page was not opened at the first start")
        # The first run shows the splash and the tutorial, and leaves the settings window hidden.
        self.assertEqual(self.wine.settings()["visible"], "0")

        houses, cat = self.notepad_words()
        self.assertEqual(*self.hover("ctrl", houses, lookup("houses")))
        self.close_popup()
        # Switched off from the tray menu (its fifth item), nothing shows.
        self.assertTrue(self.wine.tray_menu(choose=4))
        self.assertEqual(self.wine.wait(lambda: self.wine.settings()["check"] == "0"), True)
        self.assertIsNone(self.wine.hover_with("ctrl", cat, timeout=3))
        self.quit_from_tray(qv)

    def test_3_log_on_start(self):
        # As the Run value starts it: quietly, the settings window hidden, no tutorial again.
        opened = len(self.opened_addresses())
        started = time.monotonic()
        qv = self.wine.start(self.exe, "1")
        self.assertTrue(self.wine.wait(self.wine.tray_icon_shown, step=0.05), "no tray icon")
        print(f"\nQV.exe 1 to the tray icon: {time.monotonic() - started:.2f} s", file=sys.stderr)
        self.assertEqual(self.wine.wait(self.wine.settings)["visible"], "0")
        self.assertEqual(len(self.opened_addresses()), opened)
        self.assertEqual(self.wine.reg_get(USER_KEY, "Tut"), "1")
        self.quit_from_tray(qv)

    def test_4_ordinary_user(self):
        # Everyone may only read QV's keys, as for a user without administrator rights.
        keys = [k.split("\\", 1)[1] for k in (KEY, KEY + r"\dict", LEXICON_KEY)]
        for key in keys:
            self.assertIsNotNone(self.wine.probe("keyaccess", key, "read"), key)
        try:
            # A user who never ran QV: the tutorial opens once, from the installation's default.
            self.wine.reg_delete(USER_KEY)
            opened = len(self.opened_addresses())
            qv = self.start_qv("1")
            self.assertTrue(self.wine.wait(lambda: len(self.opened_addresses()) == opened + 1))
            self.assertEqual(self.wine.reg_get(USER_KEY, "Tut"), "1")
            houses, _ = self.notepad_words()
            self.assertEqual(*self.hover("ctrl", houses, lookup("houses")))
            self.close_popup()
            self.quit_from_tray(qv)
            qv = self.start_qv("1")
            time.sleep(1)
            self.assertEqual(len(self.opened_addresses()), opened + 1)
            self.quit_from_tray(qv)
        finally:
            for key in keys:
                self.wine.probe("keyaccess", key, "full")

    def test_5_missing_or_damaged_dict_folder(self):
        # The popup says what qv-lookup says over the same folder: no crash, the usual messages.
        work = pathlib.Path(ARGS.work)
        dict_dir = self.folder / "dict"
        empty = work / "empty-home"
        empty.mkdir(exist_ok=True)
        damaged = work / "damaged-home"
        shutil.copytree(dict_dir, damaged / "dict")
        # Our own files damaged. (A WordNet data file cut short brings down the WordNet library
        # itself, in both builds: a synset offset past the end of the file.)
        for name, keep in (("qv.nn", 0), ("qvdict.catalog", 0.5), ("prn-h.txt", 0.3)):
            path = damaged / "dict" / name
            data = path.read_bytes()
            path.write_bytes(data[:int(len(data) * keep)])  # cut inside a line, or emptied
        dict_dir.rename(self.folder / "dict.away")
        try:
            for home in (empty, damaged):
                if home == damaged:
                    shutil.copytree(damaged / "dict", dict_dir)
                qv = self.start_qv("1")
                houses, _ = self.notepad_words()
                expected = lookup("houses", "--home", str(home))
                self.assertEqual(*self.hover("ctrl", houses, expected), home.name)
                self.close_popup()
                self.quit_from_tray(qv)
                self.tearDown()  # Notepad goes too, before the next round starts its own
        finally:
            shutil.rmtree(dict_dir, ignore_errors=True)
            (self.folder / "dict.away").rename(dict_dir)

    def test_5b_missing_capture_component(self):
        # Each of the component's two libraries missing in turn: no message box ever, one notice
        # in a tray balloon, look-ups off; switched on again with the library back, QV captures.
        for dll in ("wmonitor.dll", "wcapture.dll"):
            (self.folder / dll).rename(self.folder / (dll + ".away"))
            try:
                qv = self.start_qv("1")
                houses, _ = self.notepad_words()
                self.wine.hover_with("ctrl", houses, timeout=3)
                self.assertTrue(self.wine.wait(lambda: self.wine.settings()["check"] == "0"), dll)
                # (After the start's own balloon, which the shell shows first.)
                notice = lambda: "composant de capture" in (self.wine.probe("balloon") or "")
                self.assertTrue(self.wine.wait(notice, timeout=40), dll)
                self.wine.screenshot(pathlib.Path(ARGS.work) / f"notice-{dll}.png")
                self.assertIsNone(self.wine.probe("msgbox", "Error"), dll)
                self.assertIsNone(self.wine.hover_with("ctrl", houses, timeout=3), dll)
            finally:
                (self.folder / (dll + ".away")).rename(self.folder / dll)
            self.assertTrue(self.wine.tray_menu(choose=4))
            self.assertTrue(self.wine.wait(lambda: self.wine.settings()["check"] == "1"), dll)
            self.assertEqual(*self.hover("ctrl", houses, lookup("houses")))
            self.close_popup()
            self.quit_from_tray(qv)
            self.tearDown()

    def test_6_second_install_while_qv_runs(self):
        # A QV of this installation that the installer's window search cannot see (in another
        # desktop, as in another user's session) is ended by its image path. (The uninstall
        # below closes one of this desktop through its tray command.)
        qv = self.wine.start(self.exe, "1", desktop="other")
        self.assertIsNotNone(qv.pid)
        status, seconds = self.install()
        self.assertEqual(status, 0)
        print(f"\nsilent install over a running QV: {seconds:.1f} s", file=sys.stderr)
        self.assertEqual(qv.exit_code(), 1, "the installer did not end QV")
        qv.proc.kill()  # the other desktop goes with the launcher that made it
        qv.proc.wait()
        self.assertEqual(self.wine.reg_get(USER_KEY, "Tut"), "1")  # no tutorial after an update
        for name in PROGRAM_FILES:
            self.assertTrue((self.folder / name).is_file(), name)
        qv = self.start_qv("1")
        houses, _ = self.notepad_words()
        self.assertEqual(*self.hover("ctrl", houses, lookup("houses")))
        self.close_popup()
        # Ended in order, so that the next step's start is a first instance again.
        self.quit_from_tray(qv)

    def test_7_uninstall_leaves_nothing(self):
        qv = self.start_qv("1")
        # The uninstaller copies itself out of the folder it removes and returns at once.
        self.assertEqual(self.wine.start(TARGET + "QV-uninstall.exe", "/S").exit_code(timeout=60), 0)
        gone = self.wine.wait(lambda: not self.folder.exists(), timeout=60)
        self.assertTrue(gone, gone or sorted(str(p) for p in self.folder.rglob("*")))
        self.assertEqual(qv.exit_code(), 0)
        for key in (KEY, r"HKLM\Software\Brantel", UNINSTALL_KEY):
            out = self.wine.run("wine", "reg", "query", key, "/reg:64", check=False)
            self.assertNotIn("HKEY_LOCAL_MACHINE", out, key)
        self.assertIsNone(self.wine.reg_get(RUN_KEY, "QV"))
        self.assertEqual(list(self.wine.host_path(SHORTCUTS).glob("QV*.lnk")), [])
        self.assertIsNone(self.wine.reg_get(USER_KEY, "Tut"))

    def test_8_installation_folder_checks(self):
        # Outside Program Files the folder must be the administrators' and let only them and
        # SYSTEM change it. Under Wine, where the user owns every folder and no access list is
        # kept, the installer refuses it. A path through Program Files is judged by the folder it
        # names (/D takes the rest of the command line as it is, spaces included).
        for words, name in ((["/D=C:\\QV"], "C:\\QV"),
                            (["/D=C:\\Program", "Files\\..\\QVdot"], "C:\\QVdot")):
            folder = self.wine.host_path(name)
            status = self.wine.start(ARGS.setup, "/S", *words).exit_code(timeout=300)
            if status == 0:
                self.assertEqual(self.wine.reg_get(KEY, "Target"), name + "\\")
                acl = self.wine.probe("fileacl", name)
                self.assertTrue(acl.startswith("O:BAD:P") and ";;;BA)" in acl, acl)
                self.assertEqual(self.wine.start(name + "\\QV-uninstall.exe", "/S").exit_code(), 0)
                self.wine.wait(lambda: not folder.exists(), timeout=60)
            else:
                self.assertEqual(status, 3, name)
                self.assertFalse(folder.exists(), name)
                self.assertIsNone(self.wine.reg_get(KEY, "Target"), name)
        # A file of the installation in use: the update stops with its exit code before
        # anything is replaced.
        self.assertEqual(self.install()[0], 0)
        exe = self.folder / "QV.exe"
        before = exe.stat().st_mtime_ns
        hold = pathlib.Path(ARGS.work) / "hold.out"
        # The probe holds the file (its path given in words, which it joins again).
        holder = self.wine.start(ARGS.probe, qvwine.winpath(hold), "hold", 120,
                                 *(TARGET + "qv_rb.fr").split(" "))
        self.assertTrue(self.wine.wait(hold.exists))
        self.assertEqual(self.install()[0], 4)
        self.assertEqual(exe.stat().st_mtime_ns, before)
        holder.kill()
        # A folder that holds other files and no QV is refused, and left as it was.
        other = self.wine.host_path("C:\\Other")
        other.mkdir()
        (other / "notes.txt").write_text("mine")
        self.assertEqual(self.wine.start(ARGS.setup, "/S", "/D=C:\\Other").exit_code(timeout=300), 3)
        self.assertEqual(sorted(p.name for p in other.iterdir()), ["notes.txt"])
        # An uninstaller outside the recorded folder (a stale copy) takes only its own files; it
        # runs in place to its end (_?=), so the keys are read after it.
        shutil.copy(self.folder / "QV-uninstall.exe", other)
        stale = self.wine.start("C:\\Other\\QV-uninstall.exe", "/S", "_?=C:\\Other")
        self.assertEqual(stale.exit_code(timeout=60), 0)
        self.assertEqual(self.wine.reg_get(RUN_KEY, "QV"), f'"{self.exe}" 1')
        self.assertEqual(self.wine.reg_get(KEY, "Target"), TARGET)
        self.assertEqual(self.wine.start(TARGET + "QV-uninstall.exe", "/S").exit_code(timeout=60), 0)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ["setup", "probe", "lookup", "lexicon-home", "work"]:
        parser.add_argument("--" + name, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v", "--failfast", *rest])


if __name__ == "__main__":
    main()
