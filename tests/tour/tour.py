#!/usr/bin/env python3
"""A tour of Quillet and Brindle with real X input events.

Runs in the rig's prefix and on its display (QB_RIG_DIR), against the release build
(QB_WIN_BUILD_DIR) and the stand-in registry editor that the rig installed. The pointer
and the keyboard are moved with xdotool, as a person would; what the programs show is read
by tour_probe.exe inside Wine (window texts, tooltips, the cursor) and from the stand-in
editor's log. Every step waits for its outcome for a bounded time and fails when the
outcome is not seen; a screenshot of each step is kept in QB_TOUR_SHOTS.
"""
import os
import shutil
import subprocess
import sys
import time

RIG = os.environ["QB_RIG_DIR"]
WIN = os.environ["QB_WIN_BUILD_DIR"]
SHOTS = os.environ.get("QB_TOUR_SHOTS") or os.path.join(os.path.dirname(RIG), "tour-shots")
HERE = os.path.dirname(os.path.abspath(__file__))
ENV_SH = os.path.join(HERE, "..", "rig", "env.sh")
WORK = os.path.join(RIG, "tour")

QB_KEY = "HKEY_CURRENT_USER\\Software\\QbTests\\游览"
LINK_BLUE = (0, 0, 255)


class StepFailed(Exception):
    pass


def rig_env():
    """The environment every Windows program of the rig runs in (tests/rig/env.sh)."""
    out = subprocess.run(["bash", "-c", '. "$1" >/dev/null 2>&1 && env -0', "env", ENV_SH],
                         check=True, capture_output=True).stdout
    env = {}
    for item in out.split(b"\0"):
        if b"=" in item:
            k, v = item.split(b"=", 1)
            env[k.decode()] = v.decode("utf-8", "surrogateescape")
    return env


ENV = rig_env()


def win_path(path):
    # Wine maps the Unix root to drive Z:.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine(*args, env=None, check=True):
    r = subprocess.run(["wine", *args], env=env or ENV, capture_output=True)
    if check and r.returncode != 0:
        raise StepFailed("wine %s failed (%d): %s" % (" ".join(args), r.returncode,
                                                       r.stderr.decode("utf-8", "replace")[-500:]))
    return r


def wait_for(what, probe_fn, timeout=10.0, every=0.2):
    """Polls probe_fn until it returns something true; its last value is the result.
    `what` names the outcome; a callable is asked only on failure, for the state then."""
    end = time.monotonic() + timeout
    while True:
        value = probe_fn()
        if value:
            return value
        if time.monotonic() > end:
            raise StepFailed("not seen within %.0f s: %s" % (timeout, what() if callable(what) else what))
        time.sleep(every)


# ------------------------------------------------------------------------------------
# Real input and screenshots

def xdo(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], env=ENV, check=True)


def move(x, y):
    xdo("mousemove", "--sync", int(x), int(y))


def click(x, y, button=1):
    move(x, y)
    xdo("click", button)


def center(rect):
    l, t, r, b = rect
    return (l + r) // 2, (t + b) // 2


class Shots:
    def __init__(self):
        shutil.rmtree(SHOTS, ignore_errors=True)
        os.makedirs(SHOTS)
        self.n = 0

    def take(self, name):
        self.n += 1
        path = os.path.join(SHOTS, "%02d-%s.png" % (self.n, name))
        subprocess.run(["import", "-display", ENV["DISPLAY"], "-window", "root", path],
                       env=ENV, capture_output=True)
        return path


def grab(rect):
    """The screen's pixels inside rect as rows of (r, g, b) tuples."""
    data = subprocess.run(["import", "-display", ENV["DISPLAY"], "-window", "root", "-depth", "8", "ppm:-"],
                          env=ENV, check=True, capture_output=True).stdout
    # P6 header: magic, width, height, maxval, each followed by whitespace.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    width = int(fields[1])
    l, t, r, b = rect
    rows = []
    for y in range(t, b):
        row = data[pos + (y * width + l) * 3: pos + (y * width + r) * 3]
        rows.append([tuple(row[i:i + 3]) for i in range(0, len(row), 3)])
    return rows


def blue_bands(rows, top):
    """Bands of rows holding link-blue pixels: [(top, bottom, first x)], screen rows."""
    bands = []
    for i, row in enumerate(rows):
        xs = [x for x, px in enumerate(row) if px == LINK_BLUE]
        if not xs:
            continue
        y = top + i
        if bands and y - bands[-1][1] <= 2:
            t, _, x0 = bands[-1]
            bands[-1] = (t, y, min(x0, xs[0]))
        else:
            bands.append((y, y, xs[0]))
    return bands


# ------------------------------------------------------------------------------------
# The probe inside Wine and the stand-in editor's log

class Probe:
    def __init__(self):
        exe = os.path.join(WIN, "tests", "tour", "tour_probe.exe")
        self.p = subprocess.Popen(["wine", exe], env=ENV, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)

    def ask(self, question):
        self.p.stdin.write((question + "\n").encode())
        self.p.stdin.flush()
        rows = []
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise StepFailed("the probe ended")
            line = line.decode("utf-8", "replace").rstrip("\r\n")
            if line == ".":
                return rows
            rows.append(line.split("\t"))

    def top(self):
        return [{"hwnd": r[0], "pid": r[1], "rect": tuple(map(int, r[2:6])), "cls": r[6], "title": r[7]}
                for r in self.ask("top") if len(r) >= 8]

    def top_of(self, cls, title=None):
        for w in self.top():
            if w["cls"] == cls and (title is None or w["title"] == title):
                return w
        return None

    def kids(self, hwnd):
        return {int(r[1]): {"hwnd": r[0], "visible": r[2] == "1", "rect": tuple(map(int, r[3:7])),
                            "cls": r[7], "title": r[8]}
                for r in self.ask("kids " + hwnd) if len(r) >= 9}

    def text(self, hwnd):
        rows = self.ask("text " + hwnd)
        return rows[0][0] if rows and rows[0] else ""

    def tips(self):
        return [r[5] if len(r) > 5 else "" for r in self.ask("tips")]

    def list_items(self, hwnd):
        return [{"rect": None if r[1] == "-" else tuple(map(int, r[1:5])), "text": r[5] if len(r) > 5 else ""}
                for r in self.ask("lb " + hwnd) if len(r) >= 5]

    def combo(self, hwnd):
        rows = self.ask("combo " + hwnd)
        sel = int(rows[0][1]) if rows and rows[0][0] == "sel" else None
        return sel, [r[1] if len(r) > 1 else "" for r in rows[1:]]

    def cursor(self):
        rows = self.ask("cursor")
        return rows[0][0] if rows else None

    def editor_status(self):
        rows = self.ask("editor")
        return rows[0][1] if rows and len(rows[0]) > 1 else None

    def close(self):
        try:
            self.p.stdin.write(b"quit\n")
            self.p.stdin.flush()
            self.p.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.p.kill()


class EditorLog:
    """The stand-in editor's event log: ms TAB kind TAB code TAB text CR LF (text in CP936)."""

    def __init__(self, path):
        self.path = path
        if os.path.exists(path):
            os.remove(path)

    def events(self):
        try:
            with open(self.path, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            return []
        out = []
        for line in data.split(b"\r\n")[:-1]:
            fields = line.split(b"\t")
            if len(fields) == 4:
                out.append((fields[1].decode("ascii", "replace"), fields[3].decode("cp936", "replace")))
        return out

    def keystrokes(self, since=0):
        return [e for e in self.events()[since:] if e[0] in ("KEYDOWN", "CHAR")]

    def final_path(self, since=0):
        keys = self.keystrokes(since)
        return keys[-1][1] if keys else None

    def lands_on(self, path, since=0):
        # The editor shows the key names as stored; the typed path may differ in case.
        final = self.final_path(since)
        return final is not None and final.upper() == path.upper()


class DesktopWindows:
    """The tour's programs get their windows handled as on a desktop with a window manager.

    The rig's display has none, and it runs Wine's windows unmanaged for speed. Unmanaged,
    a window mapped later lies above an always-on-top one on the X screen even though
    Windows' own order keeps the strip on top, so the pointer would land on the maximised
    registry editor where a person sees the strip. Managed windows keep the order a desktop
    shows. Set for these programs only, and removed afterwards: the other tests keep the
    rig as it is."""

    PROGRAMS = ("Quillet.exe", "Brindle.exe", "regedit.exe")

    def key(self, program):
        return "HKCU\\Software\\Wine\\AppDefaults\\%s\\X11 Driver" % program

    def __enter__(self):
        self.added = []
        for program in self.PROGRAMS:
            app = "HKCU\\Software\\Wine\\AppDefaults\\" + program
            if wine("reg.exe", "query", app, check=False).returncode != 0:
                self.added.append(app)
            wine("reg.exe", "add", self.key(program), "/v", "Managed", "/d", "Y", "/f")
        return self

    def __exit__(self, *exc):
        for program in self.PROGRAMS:
            wine("reg.exe", "delete", self.key(program), "/f", check=False)
        for app in self.added:
            wine("reg.exe", "delete", app, "/f", check=False)
        return False


# ------------------------------------------------------------------------------------
# The tour

class Tour:
    def __init__(self):
        self.shots = Shots()
        self.failures = []
        shutil.rmtree(WORK, ignore_errors=True)
        os.makedirs(WORK)

    def step(self, name, fn):
        print("--", name, flush=True)
        try:
            fn()
        except (StepFailed, subprocess.CalledProcessError, OSError, KeyError, IndexError) as e:
            self.shots.take("FAILED-" + name)
            self.failures.append("%s: %s" % (name, e))
            print("   FAILED:", e, flush=True)
            return False
        self.shots.take(name)
        print("   ok", flush=True)
        return True

    def end_wine_programs(self):
        subprocess.run(["wineserver", "-k"], env=ENV, capture_output=True)
        subprocess.run(["wineserver", "-w"], env=ENV, capture_output=True)


class QuilletTour:
    SHORTCUTS = [
        ("游览启动项", QB_KEY + "\\启动"),
        ("第二个位置", QB_KEY + "\\Second"),
        ("深处的键", QB_KEY + "\\第三\\Deep"),
    ]
    # Typed as a user would: the short root name, any letter case.
    TYPED = "hkcu\\software\\qbtests\\TourTyped"
    TYPED_KEY = "HKEY_CURRENT_USER\\Software\\QbTests\\TourTyped"
    # Only ASCII keys reach Wine from xdotool as the characters meant, so the new name keeps
    # the Chinese start of the old one and gets a typed ASCII end.
    NEW_NAME = "游览启动 Tour-2"

    def __init__(self, tour):
        self.tour = tour
        self.folder = os.path.join(WORK, "quillet")
        os.makedirs(self.folder)
        self.log = EditorLog(os.path.join(WORK, "quillet-editor.log"))
        self.env = dict(ENV, QB_STANDIN_LOG=win_path(self.log.path))
        self.proc = None
        self.probe = None
        self.strip = None

    def ini_path(self):
        return os.path.join(self.folder, "Quillet.ini")

    def prepare(self):
        for _, key in self.SHORTCUTS:
            wine("reg.exe", "add", key, "/f")
        wine("reg.exe", "add", self.TYPED_KEY, "/f")
        shutil.copy(os.path.join(WIN, "quillet", "Quillet.exe"), self.folder)
        with open(self.ini_path(), "wb") as f:
            for name, key in self.SHORTCUTS:
                f.write(key.encode("cp936") + b"\x03" + name.encode("cp936") + b"\r\n")
        self.probe = Probe()
        self.proc = subprocess.Popen(["wine", os.path.join(self.folder, "Quillet.exe")], env=self.env,
                                     cwd=self.folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.strip = wait_for("the strip of Quillet", self.find_strip, timeout=30)

    def find_strip(self):
        for w in self.probe.top():
            if w["cls"] == "#32770" and w["title"] == "":
                kids = self.probe.kids(w["hwnd"])
                if 1002 in kids and 1015 in kids:
                    return w
        return None

    def kids(self):
        return self.probe.kids(self.strip["hwnd"])

    def press(self, control_id, button=1):
        """Clicks a control of the strip in its middle, once nothing covers it there."""
        control = self.kids()[control_id]
        x, y = center(control["rect"])
        under = self.probe.ask("at %d %d" % (x, y))
        if not under or under[0][0] != control["hwnd"]:
            raise StepFailed("control %d is covered at (%d, %d) by %r" % (control_id, x, y, under))
        click(x, y, button)

    def dropped_list(self):
        return self.probe.top_of("ComboLBox")

    def drop_picker(self):
        self.press(1002)
        lb = wait_for("the picker's dropped list", self.dropped_list)
        items = self.probe.list_items(lb["hwnd"])
        names = [i["text"] for i in items]
        if len(items) != len(self.SHORTCUTS) or any(i["rect"] is None for i in items):
            raise StepFailed("dropped list shows %r" % names)
        return lb, items

    # Click the picker, click a name: the editor lands on its key.
    def pick(self):
        _, items = self.drop_picker()
        expected = [n for n, _ in self.SHORTCUTS]
        if [i["text"] for i in items] != expected:
            raise StepFailed("dropped list shows %r, not %r" % ([i["text"] for i in items], expected))
        self.tour.shots.take("picker-dropped")
        click(*center(items[1]["rect"]))
        key = self.SHORTCUTS[1][1]
        wait_for(lambda: "the editor at %s (log: %r)" % (key, self.log.final_path()),
                 lambda: self.log.lands_on(key), timeout=20)
        status = wait_for("the editor's status bar", lambda: self.probe.editor_status())
        if not status.upper().endswith(key.upper()):
            raise StepFailed("editor status reads %r" % status)
        sel, _ = self.probe.combo(self.kids()[1002]["hwnd"])
        if sel != 1:
            raise StepFailed("the picker shows item %r after the pick" % sel)

    # Hover a name in the dropped list: the tooltip shows its location.
    def hover(self):
        _, items = self.drop_picker()
        x, y = center(items[0]["rect"])
        move(x, y - 1)
        move(x, y)
        key = self.SHORTCUTS[0][1]
        wait_for(lambda: "a tooltip reading %s (tips: %r)" % (key, self.probe.tips()),
                 lambda: key in self.probe.tips(), timeout=10)

    # Right-click the name, choose edit, type a new name in the dialog, press Enter.
    def edit(self):
        lb = self.dropped_list()
        if not lb:
            _, items = self.drop_picker()
            lb = self.dropped_list()
        items = self.probe.list_items(lb["hwnd"])
        click(*center(items[0]["rect"]), button=3)
        menu = wait_for("the list's context menu", lambda: self.probe.top_of("#32768"))
        self.tour.shots.take("context-menu")
        l, t, r, b = menu["rect"]
        click((l + r) // 2, t + (b - t) // 4)  # the first of its two items: edit
        dlg = wait_for("the shortcut dialog", lambda: self.probe.top_of("#32770", "编辑快捷方式"))
        kids = self.probe.kids(dlg["hwnd"])
        old = self.SHORTCUTS[0]
        if self.probe.text(kids[1017]["hwnd"]) != old[0] or self.probe.text(kids[1016]["hwnd"]) != old[1]:
            raise StepFailed("the dialog does not show the shortcut under the pointer")
        # The last character of the name goes, a suffix is typed: the Chinese part that
        # stays and the typed part meet in one name.
        click(*center(kids[1017]["rect"]))
        xdo("key", "--delay", 50, "End", "BackSpace")
        cut = old[0][:-1]
        wait_for(lambda: "the name cut to %r (%r)" % (cut, self.probe.text(kids[1017]["hwnd"])),
                 lambda: self.probe.text(kids[1017]["hwnd"]) == cut, timeout=5)
        xdo("type", "--delay", 80, self.NEW_NAME[len(cut):])
        wait_for(lambda: "the typed name in the field (%r)" % self.probe.text(kids[1017]["hwnd"]),
                 lambda: self.probe.text(kids[1017]["hwnd"]) == self.NEW_NAME, timeout=10)
        self.tour.shots.take("dialog-typed")
        xdo("key", "Return")
        wait_for("the dialog closed", lambda: not self.probe.top_of("#32770", "编辑快捷方式"))
        picker = self.kids()[1002]["hwnd"]
        want = [self.NEW_NAME] + [n for n, _ in self.SHORTCUTS[1:]]
        wait_for(lambda: "the picker's names %r (has %r)" % (want, self.probe.combo(picker)[1]),
                 lambda: self.probe.combo(picker) == (0, want), timeout=5)

    # Drag the strip by its grip: it moves by the pointer's way.
    def drag(self):
        # A click elsewhere first closes a list left dropped.
        if self.dropped_list():
            self.press(1002)
            wait_for("the dropped list closed", lambda: not self.dropped_list(), timeout=5)
        before = self.find_strip()["rect"]
        kids = self.kids()
        # The bare grip: left of the first separator.
        sep_left = min(k["rect"][0] for k in kids.values() if k["visible"])
        x, y = (before[0] + sep_left) // 2, (before[1] + before[3]) // 2
        dx, dy = 120, 200
        move(x, y)
        xdo("mousedown", 1)
        for i in range(1, 6):
            move(x + dx * i // 5, y + dy * i // 5)
        xdo("mouseup", 1)
        want = (before[0] + dx, before[1] + dy)

        def moved():
            rect = self.find_strip()["rect"]
            return abs(rect[0] - want[0]) <= 2 and abs(rect[1] - want[1]) <= 2 and rect

        wait_for("the strip at %r (from %r)" % (want, before), moved, timeout=5)
        self.strip = self.find_strip()

    # Manual-open mode by its button; type a key path, press Enter: the editor lands there.
    def manual_open(self):
        self.press(1012)
        kids = wait_for("the path box instead of the picker",
                        lambda: (lambda k: k[1015]["visible"] and not k[1002]["visible"] and k)(self.kids()))
        self.tour.shots.take("manual-mode")
        since = len(self.log.events())
        box = kids[1015]
        l, t, r, b = box["rect"]
        click(l + 20, (t + b) // 2)
        xdo("type", "--delay", 30, self.TYPED)
        wait_for(lambda: "the typed path in the box (%r)" % self.probe.text(box["hwnd"]),
                 lambda: self.probe.text(box["hwnd"]) == self.TYPED, timeout=15)
        xdo("key", "Return")
        wait_for(lambda: "the editor at %s (log: %r)" % (self.TYPED_KEY, self.log.final_path(since)),
                 lambda: self.log.lands_on(self.TYPED_KEY, since), timeout=20)

    # The close button ends the program; the file holds the new name in CP936 lines.
    def close(self):
        self.press(1014)
        wait_for("Quillet ended", lambda: self.proc.poll() is not None, timeout=15)
        with open(self.ini_path(), "rb") as f:
            data = f.read()
        want = [(self.SHORTCUTS[0][1], self.NEW_NAME)] + [(k, n) for n, k in self.SHORTCUTS[1:]]
        expected = b"".join(k.encode("cp936") + b"\x03" + n.encode("cp936") + b"\r\n" for k, n in want)
        if data != expected:
            raise StepFailed("Quillet.ini holds %r, not %r" % (data, expected))

    def run(self):
        t = self.tour
        try:
            if not t.step("quillet-start", self.prepare):
                return
            t.step("quillet-pick", self.pick) and t.step("quillet-hover-tip", self.hover) and \
                t.step("quillet-edit-dialog", self.edit)
            # A dialog left open by a failed step would hold the strip disabled.
            if self.probe.top_of("#32770", "编辑快捷方式"):
                xdo("key", "Escape")
            t.step("quillet-drag-grip", self.drag)
            t.step("quillet-manual-open", self.manual_open) and t.step("quillet-close", self.close)
        finally:
            if self.probe:
                self.probe.close()
            t.end_wine_programs()


class BrindleTour:
    PARENT = QB_KEY + "\\导出"
    BRANCHES = 30

    def __init__(self, tour):
        self.tour = tour
        self.log = EditorLog(os.path.join(WORK, "brindle-editor.log"))
        self.env = dict(ENV, QB_STANDIN_LOG=win_path(self.log.path))
        self.export = os.path.join(WORK, "tour-export.reg")
        self.probe = None
        self.proc = None
        self.view = None
        self.keys = []

    def branch(self, i):
        return "%s\\分支%02d" % (self.PARENT, i)

    # Keys made by an import, then exported by Wine's own registry editor.
    def prepare(self):
        text = "Windows Registry Editor Version 5.00\r\n\r\n"
        for i in range(1, self.BRANCHES + 1):
            text += "[%s]\r\n\"名称\"=\"值%02d\"\r\n\r\n" % (self.branch(i), i)
        source = os.path.join(WORK, "tour-import.reg")
        with open(source, "wb") as f:
            f.write(b"\xff\xfe" + text.encode("utf-16-le"))
        wine("reg.exe", "import", win_path(source))
        builtin = dict(ENV, WINEDLLOVERRIDES="mscoree,mshtml=;regedit.exe=b")
        wine("regedit.exe", "/e", win_path(self.export), self.PARENT, env=builtin)
        subprocess.run(["wineserver", "-w"], env=ENV)
        with open(self.export, "rb") as f:
            data = f.read()
        if not data.startswith(b"\xff\xfe"):
            raise StepFailed("the export is not UTF-16 (%r)" % data[:40])
        lines = data[2:].decode("utf-16-le").split("\r\n")
        self.keys = [l[1:-1] for l in lines if l.startswith("[") and l.endswith("]")]
        if len(self.keys) != self.BRANCHES + 1 or self.keys[1].upper() != self.branch(1).upper():
            raise StepFailed("the export's key lines are %r" % self.keys[:4])
        self.probe = Probe()
        self.proc = subprocess.Popen(["wine", os.path.join(WIN, "brindle", "Brindle.exe"), win_path(self.export)],
                                     env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        frame = wait_for("Brindle's window on the export", self.find_frame, timeout=30)
        kids = self.probe.kids(frame["hwnd"])
        # The view: the largest child.
        self.view = max(kids.values(), key=lambda k: (k["rect"][2] - k["rect"][0]) * (k["rect"][3] - k["rect"][1]))
        wait_for("link lines painted", lambda: len(self.bands()) >= 3, timeout=10)
        # Focus by a click on the first line, which is plain text.
        l, t, _, _ = self.view["rect"]
        click(l + 40, t + 6)

    def find_frame(self):
        for w in self.probe.top():
            if w["title"].startswith("Brindle") and w["cls"].startswith("QbWnd"):
                return w
        return None

    def view_rect(self):
        # Inside the border, short of the scroll bars by a margin wider than they are.
        l, t, r, b = self.view["rect"]
        return (l + 2, t + 2, r - 24, b - 24)

    def pixels(self):
        return grab(self.view_rect())

    def bands(self, rows=None):
        return blue_bands(rows if rows is not None else self.pixels(), self.view_rect()[1])

    def band_point(self, band):
        top, bottom, x0 = band
        return self.view_rect()[0] + x0 + 30, (top + bottom) // 2

    def lines_moved_up(self, first, now):
        """How many text lines the view moved up between two grabs: the first whole key line
        of `now` is found, pixel for pixel, further down in `first`. None when it is not."""
        top = self.view_rect()[1]
        first_bands, now_bands = self.bands(first), self.bands(now)
        if len(first_bands) < 2 or not now_bands:
            return None
        # Each branch is a key line, a value and a blank line.
        line = (first_bands[-1][0] - first_bands[-2][0]) // 3
        band = next((b for b in now_bands if b[0] - top > line // 2), None)
        if band is None:
            return None
        rows = now[band[0] - top:band[1] - top + 1]
        for b in first_bands:
            if b[1] - b[0] == band[1] - band[0] and first[b[0] - top:b[1] - top + 1] == rows:
                d = b[0] - band[0]
                return d // line if d > 0 and d % line == 0 else None
        return None

    # The wheel and the keys scroll; back at the top the view is as it was.
    def scroll(self):
        first = self.pixels()
        move(*center(self.view_rect()))
        for _ in range(2):
            xdo("click", 5)
        # Two notches of three lines each (the system's wheel setting).
        wait_for("the text six lines up after the wheel",
                 lambda: self.lines_moved_up(first, self.pixels()) == 6)
        self.tour.shots.take("brindle-wheel-down")
        for _ in range(2):
            xdo("click", 4)
        wait_for("the wheel back at the top", lambda: self.pixels() == first)
        xdo("key", "--delay", 100, "Down", "Down", "Down")
        wait_for("the text three lines up after three Down keys",
                 lambda: self.lines_moved_up(first, self.pixels()) == 3)
        xdo("key", "Next")
        wait_for("a page further down", lambda: (lambda now: now != first and
                                                 self.lines_moved_up(first, now) is None)(self.pixels()))
        self.tour.shots.take("brindle-keys-down")
        xdo("key", "Home")
        wait_for("Home back at the top", lambda: self.pixels() == first)

    # Over a key line the cursor is the hand; over plain text it is not.
    def hover(self):
        bands = self.bands()
        plain_y = (bands[0][1] + bands[1][0]) // 2  # between the first two key lines
        move(self.view_rect()[0] + 40, plain_y)
        move(self.view_rect()[0] + 41, plain_y)
        plain = wait_for("a cursor over plain text", self.probe.cursor)
        x, y = self.band_point(bands[1])
        move(x, y)

        def hand():
            move(x + 1, y)
            c = self.probe.cursor()
            return c and c != plain and c != "0" and c

        link = wait_for("a cursor over the link that differs from the plain one (%s)" % plain, hand, timeout=5)
        x2, y2 = self.band_point(bands[2])
        move(x2, y2)
        wait_for("the same link cursor over the next key line",
                 lambda: (move(x2 + 1, y2), self.probe.cursor() == link)[1], timeout=5)
        move(self.view_rect()[0] + 40, plain_y)
        wait_for("the plain cursor back", lambda: (move(self.view_rect()[0] + 41, plain_y),
                                                   self.probe.cursor() == plain)[1], timeout=5)

    # Press on one link, move while holding, release: nothing opens. Then a real click on
    # another link opens the editor there, and only there.
    def click_links(self):
        bands = self.bands()
        x, y = self.band_point(bands[2])  # the second branch
        move(x, y)
        xdo("mousedown", 1)
        move(x + 15, y)
        move(x + 30, y)
        xdo("mouseup", 1)
        x, y = self.band_point(bands[1])  # the first branch
        click(x, y)
        key = self.keys[1]
        wait_for(lambda: "the editor at %s (log: %r)" % (key, self.log.final_path()),
                 lambda: self.log.lands_on(key), timeout=20)
        dragged = self.keys[2].rsplit("\\", 1)[1]
        starts = [e for e in self.log.events() if e[0] == "START"]
        visited = [e[1] for e in self.log.keystrokes() if dragged in e[1]]
        if len(starts) != 1 or visited:
            raise StepFailed("the press-move-release opened something: %d starts, %r" % (len(starts), visited))
        status = wait_for("the editor's status bar", lambda: self.probe.editor_status())
        if not status.upper().endswith(key.upper()):
            raise StepFailed("editor status reads %r" % status)

    def run(self):
        t = self.tour
        try:
            if not t.step("brindle-start", self.prepare):
                return
            t.step("brindle-scroll", self.scroll)
            t.step("brindle-hand-cursor", self.hover) and t.step("brindle-click-link", self.click_links)
        finally:
            if self.probe:
                self.probe.close()
            t.end_wine_programs()


def main():
    tour = Tour()
    for need in ("xdotool", "import", "wine"):
        if not shutil.which(need, path=ENV.get("PATH")):
            print("missing", need)
            return 1
    with DesktopWindows():
        QuilletTour(tour).run()
        BrindleTour(tour).run()
    print("screenshots in", SHOTS)
    if tour.failures:
        print("FAILED steps:")
        for f in tour.failures:
            print("  ", f)
        return 1
    print("every step seen")
    return 0


if __name__ == "__main__":
    sys.exit(main())
