#!/usr/bin/env python3
"""QV.exe end to end under Wine, driven by real input: a user's installation in the registry,
Wine's own Notepad as the program under the pointer, the tray icon in the virtual desktop's
taskbar, and the popup and settings window read from another process.

usage: program_test.py --qv-dir DIR --no-tray-exe EXE --probe EXE --lookup QV-LOOKUP
                       --bundles DIR --lexicon-home DIR --wine-dir DIR --work DIR
(--no-tray-exe: QV built without its tray menu, so that its tray icon cannot be created)
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
TEXT = ("The houses were running along the river.\r\nA cat saw the mat.\r\nIt didn't rain.\r\n"
        "He gave up smoking.\r\n")
NOTEPAD = "sample.txt - Notepad"
ARGS = None


def expected_popup(lookup, captured, marked=False):
    """What the popup's window text must be for a captured text: the title, a line feed and the
    body without its link tags, as qv-lookup composes them from the same data. marked: the
    captured text is the line around the pointed word, marked by a "|" before it."""
    out = subprocess.run([lookup, "--json"] + (["--marked"] if marked else []) + ["--", captured],
                         check=True, stdout=subprocess.PIPE)
    result = json.loads(out.stdout.decode("utf-8").splitlines()[0])
    return result["title"] + "\n" + re.sub(r"</?A>", "", result["body"])


def expected_entry(lookup, word):
    """What the look-up window's result area must hold for a word: the popup's title, a line
    feed and its body without the disable link (line breaks compared as line feeds)."""
    out = subprocess.run([lookup, "--json", "--", word], check=True, stdout=subprocess.PIPE)
    result = json.loads(out.stdout.decode("utf-8").splitlines()[0])
    body = re.sub(r"\n\t{8}<A>[^<]*</A>$", "", result["body"])
    return (result["title"] + "\n" + body).replace("\r\n", "\n")


class Program(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        work = pathlib.Path(ARGS.work)
        shutil.rmtree(work, ignore_errors=True)
        cls.wine = qvwine.Wine(ARGS.wine_dir, ARGS.probe, work)
        stage = qvwine.stage_installation(work / "QV", ARGS.qv_dir, ARGS.bundles,
                                          ARGS.lexicon_home)
        shutil.copy2(ARGS.no_tray_exe, stage / "QVNoTray.exe")
        cls.exe = stage / "QV.exe"
        cls.target = qvwine.winpath(stage) + "\\"
        sample = work / "sample.txt"
        sample.write_bytes(TEXT.encode("ascii"))
        cls.sample = qvwine.winpath(sample)

    @classmethod
    def tearDownClass(cls):
        cls.wine.reg_delete(KEY)

    def setUp(self):
        self.wine.reg_delete(KEY)
        self.wine.reg_delete(r"HKCU\Software\Brantel\QV-fr")  # the user's first-run flag
        self.wine.reg_set(KEY, "Target", self.target)
        self.wine.reg_set(KEY, "QVLang", "fr")
        self.wine.reg_set(KEY, "Tut", "1")
        self.shots = pathlib.Path(ARGS.work)

    def tearDown(self):
        # Whatever happened, the programs this test started end, by their ids.
        self.wine.end_started()

    # Helpers -----------------------------------------------------------------------------------

    # The driving itself is qvwine's, shared with the product's test and the demonstration.

    def settings(self):
        return self.wine.settings()

    def popup(self):
        return self.wine.popup()

    def word_point(self, index):
        return self.wine.word_point(NOTEPAD, index)

    def click_control(self, control):
        left, top, right, bottom = map(int, self.wine.probe("rect", control).split())
        self.wine.xdo("mousemove", (left + right) // 2, (top + bottom) // 2, "click", 1)

    def hover_with(self, key, point, expect=None, timeout=20):
        return self.wine.hover_with(key, point, expect, timeout)

    def click_with(self, key, button, point, expect):
        """Clicks with the key held; again, up to three times in all, while the popup is not the
        expected one (a capture can run out of time on a loaded machine). Returns the last popup."""
        for _ in range(3):
            # The keys are read when QV handles the click: they stay down a moment, as a hand's do.
            self.wine.xdo("mousemove", *point, "keydown", key, "sleep", 0.3, "click", button,
                          "sleep", 0.5, "keyup", key)
            shown = self.wine.wait(self.popup, timeout=20)
            if shown == expect:
                break
            self.wine.xdo("key", "Escape")
        return shown

    def tray_menu(self, choose=None):
        """Opens the tray icon's menu with a right click, and picks item `choose` (by position)
        with the mouse. Wine keeps menus per process, so the items' texts are checked in QV's own
        process by the main dialog's test; here the menu's window shows the click opened it."""
        self.assertTrue(self.wine.tray_menu(choose), "no menu on a right click on the tray icon")

    def tray_icon_shown(self):
        return self.wine.tray_icon_shown()

    def start_qv(self, exe=None):
        return self.wine.start(exe or self.exe)

    # Tests -------------------------------------------------------------------------------------

    def check_settings_window(self):
        """The settings window of a normal start, after localization; Cancel hides it."""
        # The window exists a moment before it is shown (its initialisation comes first).
        state = self.wine.wait(lambda: (s := self.settings()) and s["visible"] == "1" and s,
                               timeout=60)
        self.assertTrue(state, "the settings window did not appear")
        self.assertEqual(self.wine.reg_get(KEY, "Target"), self.target)
        self.assertEqual(self.wine.reg_get(KEY + r"\dict\2.1", "WNHome"), self.target)
        self.assertEqual(state["caption"], "QV Settings")
        self.assertEqual([state[f"text {i}"] for i in (1025, 1023, 1024, 1, 2, 1017)],
                         ["Activation par touche", "Activation", "Activer QV", "OK", "Annuler",
                          "Quitter"])
        self.assertEqual(state["check"], "1")
        raw = self.wine.probe("settings")
        self.assertIn("list 1007 sel=0 items=Survol de la souris + Ctrl|Survol de la souris + F8|"
                      "Survol de la souris + Maj|Survol de la souris + Alt", raw)
        self.wine.screenshot(self.shots / "settings.png")
        self.click_control(2)  # Cancel hides the window
        self.assertEqual(self.wine.wait(lambda: self.settings()["visible"] == "0"), True)

    def hover_shows(self, text, point, marked=False, shot=None):
        """Hovers with Ctrl held over `point`: the popup is what qv-lookup gives for `text`. A
        click elsewhere (below and right of the popup, which hangs under the word) closes it.
        Returns the popup's text."""
        expected = expected_popup(ARGS.lookup, text, marked=marked)
        shown = self.hover_with("ctrl", point, expected)
        if shot:
            self.wine.screenshot(self.shots / shot)
        self.assertEqual(shown, expected)
        self.wine.xdo("mousemove", 690, 510, "click", 1)
        self.assertTrue(self.wine.wait(lambda: self.popup() is None))
        return shown

    def test_a_user_session(self):
        qv = self.start_qv()
        self.check_settings_window()

        self.wine.start("notepad", self.sample)
        houses, cat, river = (self.word_point(i) for i in (6, TEXT.index("cat") + 1,
                                                             TEXT.index("river") + 2))
        # Hover with Ctrl held: the popup for the word under the pointer.
        self.hover_shows("houses", houses, shot="popup.png")
        # "saw" in running text is the past of "see": its FR line and the block of "see" say so.
        shown = self.hover_shows("saw", self.word_point(TEXT.index("saw") + 1))
        self.assertIn("FR : vu (passé de voir), ", shown)
        self.assertIn("-verb\t\t\t\tvoir", shown)
        # A contraction of running text, which WordNet does not know, shows its French line.
        shown = self.hover_shows("didn't", self.word_point(TEXT.index("didn't") + 2))
        self.assertIn("FR : ne \u2026 pas", shown)
        # A word of an expression: the capture gives its line, the popup the expression.
        shown = self.hover_shows("He |gave up smoking.", self.word_point(TEXT.index("gave") + 1),
                                 marked=True)
        self.assertTrue(shown.startswith("gave up --> give up\n"), shown)
        self.assertTrue("renoncer" in shown or "abandonner" in shown, shown)

        # Alt + left click, then Ctrl + right click (sequences without a list entry).
        self.wine.probe("sequence", 4)
        expected = expected_popup(ARGS.lookup, "cat")
        self.assertEqual(self.click_with("alt", 1, cat, expected), expected)
        self.wine.xdo("key", "Escape")
        self.wine.probe("sequence", 5)
        expected = expected_popup(ARGS.lookup, "river.")
        self.assertEqual(self.click_with("ctrl", 3, river, expected), expected)
        self.wine.xdo("key", "Escape")

        # Back to hover with Ctrl; the popup's link switches look-ups off.
        self.wine.probe("select", 1007, 0)
        self.assertIsNotNone(self.hover_with("ctrl", houses))
        link = self.wine.probe("link")
        self.assertIsNotNone(link, "the popup shows no link")
        self.wine.xdo("mousemove", *link.split(), "click", 1)
        self.assertTrue(self.wine.wait(lambda: self.popup() is None))
        self.assertEqual(self.settings()["check"], "0")
        # Switched off, hovering shows nothing.
        self.assertIsNone(self.hover_with("ctrl", cat, timeout=3))

        # The fifth tray item switches look-ups on again.
        self.tray_menu(choose=4)
        self.assertEqual(self.wine.wait(lambda: self.settings()["check"] == "1"), True)
        self.assertIsNotNone(self.hover_with("ctrl", river))

        # Double click on the icon: the settings window.
        self.wine.xdo("mousemove", *qvwine.TRAY_ICON, "click", "--repeat", 2, "--delay", 80, 1)
        self.assertEqual(self.wine.wait(lambda: self.settings()["visible"] == "1"), True)

        # "Quitter" in the tray menu ends the program through its loop, with 0.
        self.assertTrue(self.tray_icon_shown())
        self.tray_menu(choose=0)
        self.assertEqual(qv.exit_code(), 0)
        self.assertFalse(self.tray_icon_shown())

    def test_look_ups_go_on_while_about_or_the_guide_is_open(self):
        # Both are modal; their own loops still carry the hook's messages and the hover timer to
        # the main dialog. The bundle gives About its caption; the guide's is not localized.
        self.start_qv()
        self.assertIsNotNone(self.wine.wait(self.settings, timeout=60))
        self.wine.start("notepad", self.sample)
        houses = self.word_point(6)
        for command, title in ((32801, "À propos de QV"), (32794, "QV Pronounciation Guide")):
            self.wine.probe("command", command)
            self.assertEqual(self.wine.wait(lambda: self.wine.probe("window", title)),
                             "visible=1\n", title)
            expected = expected_popup(ARGS.lookup, "houses")
            self.assertEqual(self.hover_with("ctrl", houses, expected), expected)
            self.wine.xdo("mousemove", 100, 700, "click", 1)  # a click elsewhere closes the popup
            self.assertTrue(self.wine.wait(lambda: self.popup() is None))
            self.wine.probe("close", title)  # as the close box does
            self.assertTrue(self.wine.wait(lambda: self.wine.probe("window", title) is None))
        self.wine.probe("command", 1017)

    def look_up_window(self):
        """The look-up window as qv_probe reads it, or None when it is not there."""
        text = self.wine.probe("lookup")
        if not text:
            return None
        head, _, result = text.partition("result=")
        state = dict(l.split("=", 1) for l in head.splitlines() if "=" in l)
        state["result"] = result[:-1].replace("\r\n", "\n")
        state["list"] = state["list"].split("|") if state["list"] else []
        return state

    def test_the_look_up_window(self):
        qv = self.start_qv()
        self.assertIsNotNone(self.wine.wait(self.settings, timeout=60))
        # A Ctrl-hover look-up over Notepad goes into the history, at its top.
        self.wine.start("notepad", self.sample)
        mat = self.word_point(TEXT.index("mat") + 1)
        self.assertIsNotNone(self.hover_with("ctrl", mat, expected_popup(ARGS.lookup, "mat.")))
        self.wine.xdo("mousemove", 100, 700, "click", 1)
        self.wine.probe("command", 32810)  # the tray's "Look Up a Word..."
        state = self.wine.wait(lambda: (w := self.look_up_window()) and w["list"] and w)
        self.assertEqual(state["caption"], "Recherche QV")
        self.assertEqual(state["list"][0].split()[0], "mat")
        self.wine.xdo("key", "Escape")  # closes it
        self.assertTrue(self.wine.wait(lambda: self.look_up_window() is None))

        # QV.exe /lookup houses while QV runs: the running one shows the entry, the new one ends.
        second = self.wine.start(self.exe, "/lookup", "houses")
        self.assertEqual(second.exit_code(), 0)
        expected = expected_entry(ARGS.lookup, "houses")
        state = self.wine.wait(lambda: (w := self.look_up_window()) and w["result"] == expected and w)
        self.assertTrue(state, self.look_up_window())
        self.assertEqual((state["visible"], state["word"]), ("1", "houses"))

        # Typing "hou" lists "house"; Down and Enter show the chosen word.
        # (Not Ctrl+A: with Ctrl held, QV looks up the word under the pointer.)
        self.wine.xdo("key", "End")
        self.wine.xdo("key", "--repeat", 8, "BackSpace")
        self.wine.xdo("type", "--delay", 80, "hou")
        state = self.wine.wait(lambda: (w := self.look_up_window()) and "house" in w["list"] and w)
        self.assertTrue(state, self.look_up_window())
        self.wine.xdo("key", "Down", "Return")
        chosen = state["list"][0]
        expected = expected_entry(ARGS.lookup, chosen)
        state = self.wine.wait(lambda: (w := self.look_up_window()) and w["result"] == expected and w)
        self.assertTrue(state, self.look_up_window())
        # The window with an entry and its suggestion list, for the README (docs/lookup.png).
        shot = self.shots / "lookup-screen.png"
        self.wine.screenshot(shot)
        left, top, right, bottom = map(int, state["rect"].split())
        subprocess.run(["convert", str(shot), "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                        "+repage", str(self.shots / "lookup.png")], check=True)
        self.wine.probe("command", 1017)
        self.assertEqual(qv.exit_code(), 0)

    def test_exit_button_ends_the_program_and_removes_the_icon(self):
        qv = self.start_qv()
        self.assertIsNotNone(self.wine.wait(self.settings, timeout=60))
        self.assertTrue(self.wine.wait(self.tray_icon_shown))
        self.click_control(1017)
        self.assertEqual(qv.exit_code(), 0)
        self.assertFalse(self.tray_icon_shown())

    def test_without_a_tray_icon_it_retries_then_ends(self):
        # The icon is tried again for a minute (the shell may not be ready at log-on); then QV
        # says so and ends with a non-zero exit code instead of running on unreachable.
        started = time.monotonic()
        qv = self.start_qv(self.exe.parent / "QVNoTray.exe")
        self.assertIsNone(qv.exit_code(timeout=45))
        box = self.wine.wait(lambda: self.wine.probe("msgbox", "Dictionnaire QV de Brantel"),
                             timeout=60)
        self.assertEqual(box, "Impossible de créer l'icône du Dictionnaire QV de Brantel dans "
                              "la zone de notification\n")
        self.assertGreaterEqual(time.monotonic() - started, 55)
        self.assertEqual(qv.exit_code(), 1)

    def test_second_start_during_the_splash_shows_the_settings_window(self):
        # The first run shows the splash for two seconds before its settings window exists (and
        # then leaves it hidden); a second start meanwhile waits for it and shows it.
        self.wine.reg_set(KEY, "Tut", "0")
        first = self.start_qv()
        second = self.start_qv()
        self.assertEqual(second.exit_code(timeout=30), 0)
        self.assertEqual(self.wine.wait(lambda: (self.settings() or {}).get("visible") == "1"),
                         True)
        self.wine.probe("command", 1017)  # the settings window's Quit, through the loop
        self.assertEqual(first.exit_code(), 0)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ["qv-dir", "no-tray-exe", "probe", "lookup", "bundles", "lexicon-home", "wine-dir", "work"]:
        parser.add_argument("--" + name, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
