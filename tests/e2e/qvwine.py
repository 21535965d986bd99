"""Driving the Windows program under Wine for end-to-end tests: the session's headless X server
and private prefix, programs started in a Wine virtual desktop with a taskbar, real input through
xdotool, and qv_probe (a Windows program in the same desktop) to read windows from outside."""
import os
import pathlib
import subprocess
import tempfile
import time

SESSION = pathlib.Path(__file__).resolve().parents[2] / "cmake" / "wine-session"
DESKTOP = "shell"  # a virtual desktop of that name has a taskbar with a notification area
TRAY_ICON = (1013, 759)  # the first notification-area icon on a 1024x768 desktop


def winpath(path):
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


def stage_installation(folder, qv_dir, bundles, lexicon_home):
    """An installation folder as the installer lays it out, made of the build's files (the
    dictionary data through a link to the generated lexicon home)."""
    import shutil
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True)
    for name in ["QV.exe", "wcapture.dll", "wmonitor.dll", "WCaptureX.manifest",
                 "WMonitorX.manifest"]:
        shutil.copy2(pathlib.Path(qv_dir) / name, folder)
    for lang in ["fr", "en"]:
        shutil.copy2(pathlib.Path(bundles) / f"qv_rb.{lang}", folder)
    (folder / "dict").symlink_to(pathlib.Path(lexicon_home).resolve() / "dict")
    return folder


def start_session(wine_dir, fresh=False):
    """Starts the headless X server and Wine server of a prefix (cmake/wine-session), after
    removing the prefix when `fresh` is asked for."""
    wine_dir = pathlib.Path(wine_dir).resolve()
    if fresh:
        stop_session(wine_dir)
        subprocess.run(["rm", "-rf", str(wine_dir)], check=True)
    wine_dir.mkdir(parents=True, exist_ok=True)
    subprocess.run([str(SESSION), "start"], env=dict(os.environ, QV_WINE_DIR=str(wine_dir)),
                   check=True, stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=300)


def stop_session(wine_dir):
    if (pathlib.Path(wine_dir) / "prefix").exists():
        subprocess.run([str(SESSION), "stop"], env=dict(os.environ, QV_WINE_DIR=str(wine_dir)),
                       stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL, timeout=120)


class Wine:
    def __init__(self, wine_dir, probe, work):
        self.dir = pathlib.Path(wine_dir).resolve()
        self.probe_exe = probe
        self.work = pathlib.Path(work).resolve()
        self.work.mkdir(parents=True, exist_ok=True)
        session = {}
        for line in (self.dir / "session").read_text().splitlines():
            key, _, value = line.partition("=")
            session[key] = value
        self.env = dict(os.environ, WINEPREFIX=str(self.dir / "prefix"), WINEDEBUG="-all",
                        WINEARCH="win64", DISPLAY=session["display"],
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.xvfb_pid = int(session["xvfb_pid"])
        self.started = []

    def run(self, *args, timeout=60, check=True):
        """Runs a command to its end; its standard output as text. The output goes through a
        file: a Wine server or desktop started by the command outlives it and would hold a pipe
        open."""
        with tempfile.TemporaryFile(dir=self.work) as out:
            subprocess.run(list(args), env=self.env, timeout=timeout, check=check, stdout=out,
                           stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
            out.seek(0)
            return out.read().decode("utf-8", "replace")

    def reg_set(self, key, name, value):
        # A "reg add" started while another Wine program winds down can fail at once (status 1,
        # nothing written): it is tried again after a pause.
        for attempt in range(3):
            try:
                self.run("wine", "reg", "add", key, "/v", name, "/d", value, "/f", "/reg:64")
                return
            except subprocess.CalledProcessError:
                if attempt == 2:
                    raise
                time.sleep(1)

    def reg_get(self, key, name):
        out = self.run("wine", "reg", "query", key, "/v", name, "/reg:64", check=False)
        for line in out.splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[0] == name:
                return parts[2].strip() if len(parts) == 3 else ""
        return None

    def reg_delete(self, key):
        self.run("wine", "reg", "delete", key, "/f", "/reg:64", check=False)

    def start(self, exe, *args, desktop=DESKTOP):
        """Starts a program in the virtual desktop; its exit status can be awaited."""
        return Program(self, exe, args, desktop)

    def probe(self, *args, desktop=DESKTOP, timeout=20):
        """Runs qv_probe in the desktop; its output, or None when it found nothing."""
        out = self.work / "probe.out"
        out.unlink(missing_ok=True)
        self.run("wine", "explorer", f"/desktop={desktop},1024x768", winpath(self.probe_exe),
                 winpath(out), *[str(a) for a in args])
        # Started in a desktop that already exists, the program runs on after the launcher ends.
        if not self.wait(out.exists, timeout=timeout, step=0.05):
            raise RuntimeError(f"qv_probe {' '.join(map(str, args))} wrote nothing")
        text = out.read_bytes().decode("utf-8")
        return text or None

    def xdo(self, *args):
        self.run("xdotool", *[str(a) for a in args])

    def screenshot(self, path):
        self.run("import", "-window", "root", str(path))

    def host_path(self, path):
        """The Linux path of a path on the prefix's drive C:."""
        rest = pathlib.PureWindowsPath(path).relative_to("C:\\")
        return self.dir / "prefix" / "drive_c" / pathlib.Path(*rest.parts)

    # QV's windows, read and driven from outside ---------------------------------------------

    def popup(self):
        """The popup's text when it is on screen, else None."""
        text = self.probe("popup")
        if not text or not text.startswith("visible=1\n"):
            return None
        return text[len("visible=1\n"):-1]  # the probe ends its output with a line feed

    def settings(self):
        text = self.probe("settings")
        return dict(l.split("=", 1) for l in text.splitlines() if "=" in l) if text else None

    def word_point(self, title, index):
        """A point inside character `index` of the EDIT control of window `title`."""
        out = self.wait(lambda: self.probe("charpos", title, index))
        if not out:
            raise RuntimeError(f"the text of {title} is not on screen")
        x, y = map(int, out.split())
        return x + 4, y + 6

    def hover_with(self, key, point, expect=None, timeout=20):
        """Rests the pointer with the key held until a popup shows (the expected one, when
        given: on a loaded machine a capture can run out of time and show the empty popup
        before the next tick gets the word). Returns the last popup seen."""
        self.xdo("mousemove", *point)
        self.xdo("keydown", key)
        seen = [None]

        def shown():
            seen[0] = self.popup()
            return seen[0] is not None and (expect is None or seen[0] == expect)
        try:
            self.wait(shown, timeout=timeout)
            return seen[0]
        finally:
            self.xdo("keyup", key)

    def tray_menu(self, choose=None):
        """Opens the tray icon's menu with a right click and picks item `choose` (by position:
        five items, no separator), unless None; False when no menu opened."""
        self.xdo("mousemove", *TRAY_ICON, "click", 3)
        rect = self.wait(lambda: self.probe("menu"), timeout=10)
        if not rect or choose is None:
            return bool(rect)
        left, top, right, bottom = map(int, rect.split())
        height = (bottom - top) / 5
        self.xdo("mousemove", (left + right) // 2, int(top + height * (choose + 0.5)),
                 "sleep", 0.2, "click", 1)
        return True

    def tray_icon_shown(self):
        shot = self.work / "tray.png"
        self.screenshot(shot)
        x, y = TRAY_ICON
        colours = subprocess.run(["convert", str(shot), "-crop", f"16x16+{x - 8}+{y - 8}",
                                  "-format", "%k", "info:"], check=True,
                                 stdout=subprocess.PIPE).stdout
        return int(colours) > 4  # the empty taskbar is one or two flat colours

    def end_started(self):
        """Ends the programs started here that still run, by their ids."""
        for program in self.started:
            if program.exit_code(timeout=1) is None:
                program.kill()
        self.started.clear()

    def wait(self, what, timeout=20, step=0.3):
        end = time.monotonic() + timeout
        while True:
            value = what()
            if value or time.monotonic() > end:
                return value
            time.sleep(step)


class Program:
    """A Windows program in the virtual desktop, run by a batch file that records its exit
    status (the desktop's own process always exits with 0)."""

    known = []  # programs started by this run, so that two runs of one program are told apart

    def __init__(self, wine, exe, args, desktop):
        self.pid = None
        self.dir = pathlib.Path(tempfile.mkdtemp(dir=wine.work))
        self.status = self.dir / "status"
        target = winpath(exe) if "/" in str(exe) else str(exe)
        self.target = target
        self.prefix = wine.env["WINEPREFIX"]
        # Quotes only where a word needs them: a program may read its command line's tail as is
        # (QV's tail "1", an installer's "/S").
        line = " ".join(f'"{a}"' if " " in str(a) or not str(a) else str(a)
                        for a in [target, *args])
        (self.dir / "run.bat").write_bytes(
            f'@echo off\r\n{line}\r\necho %errorlevel% > "{winpath(self.status)}"\r\n'.encode())
        with open(self.dir / "stderr", "wb") as log:  # Wine's diagnostics, for a failure's study
            self.proc = subprocess.Popen(
                ["wine", "explorer", f"/desktop={desktop},1024x768", "cmd", "/c",
                 winpath(self.dir / "run.bat")],
                env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=log)
        wine.started.append(self)
        # The program's own process, once it runs: its desktop exists then, and other programs
        # started in that desktop join it instead of creating it.
        name = pathlib.PureWindowsPath(target).stem.lower()
        # A short-lived program may be over before it is seen: its exit status tells it ran.
        found = wine.wait(lambda: self._find(name, args) or self.status.exists(), timeout=30)
        if not found:
            raise RuntimeError(f"{target} did not start")
        self.pid = found if found is not True else None
        Program.known.append(self)

    def _find(self, name, args):
        """The id of the program's process in this prefix (other prefixes may run programs of
        the same name), not yet known to this run."""
        out = subprocess.run(["ps", "-eo", "pid=,args="], stdout=subprocess.PIPE, check=True)
        wanted = [str(a).lower() for a in args]
        for line in out.stdout.decode("utf-8", "replace").splitlines():
            pid, _, cmd = line.strip().partition(" ")
            cmd = cmd.lower()
            if "\\" in self.target:  # a full Windows path, which may hold spaces
                if not cmd.startswith(self.target.lower()):
                    continue
                rest = cmd[len(self.target):].split()
            else:
                words = cmd.split()
                if not words or pathlib.PureWindowsPath(words[0]).stem != name:
                    continue
                rest = words[1:]
            if rest[:len(wanted)] != wanted or int(pid) in {p.pid for p in Program.known}:
                continue
            try:
                environ = pathlib.Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")
            except OSError:
                continue
            if f"WINEPREFIX={self.prefix}".encode() in environ:
                return int(pid)
        return None

    def kill(self):
        """Ends the program by its id, when it still runs."""
        if self.pid:
            try:
                os.kill(self.pid, 9)
            except ProcessLookupError:
                pass

    def exit_code(self, timeout=20):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if self.status.exists():
                text = self.status.read_text().strip()
                if text:
                    return int(text)
            time.sleep(0.2)
        return None
