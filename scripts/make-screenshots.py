#!/usr/bin/env python3
"""Retakes the README's pictures (docs/*.png) at 100% and at 150% display scaling (names ending
in -150), as `make run` and `make run-brindle` show the programs to a new user: the starter
shortcut list with one of its names picked, typed-path mode, the shortcut manager, Brindle on
an export of the prefix's registry, and (at 100% only) Brindle comparing two of its exports, one of them with the registry, and
the import preview of a patch. Each scale gets a run folder of its own under
<build>/screenshots, and the script's own virtual display. Run `make win` first.

    scripts/make-screenshots.py [windows build folder, default build/win]

It drives the programs with the tour's helpers (tests/tour), the way the run script's test does."""
import os, subprocess, sys, time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WIN = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(TOP, "build", "win"))
WORK = os.path.join(os.path.dirname(WIN), "screenshots")
os.environ.update(QB_RIG_DIR=WORK, QB_WIN_BUILD_DIR=WIN, QB_SOURCE_DIR=TOP, QB_TOUR_SHOTS=WORK)
sys.path.insert(0, os.path.join(TOP, "tests", "tour"))
import tour  # noqa: E402
from run_script import RunScript  # noqa: E402
from tour import ENV, center, click, wait_for  # noqa: E402

def picture(rect, name):
    l, t, r, b = rect
    out = os.path.join(TOP, "docs", name + ".png")
    time.sleep(1)  # let the last paint land
    subprocess.run(["import", "-display", ENV["DISPLAY"], "-window", "root", "-crop",
                    "%dx%d+%d+%d" % (r - l, b - t, l, t), "+repage", out], check=True)
    print("wrote", out)

def end(run):
    if run.script.poll() is None:
        run.script.terminate()  # its traps end the program, the prefix's processes and the display
        run.script.wait(30)
    run.probe.kill()

def quillet(dpi, suffix):
    run = RunScript(os.path.join(WORK, str(dpi)), QB_RUN_DPI=str(dpi), QB_RUN_FRAMES="1")
    try:
        run.prepare()
        run.pick()  # a name of the starter list shown in the picker, the editor at its key
        # Without a window manager the editor's frame lies over the strip: it goes first.
        tour.wine("taskkill.exe", "/im", "regedit.exe", check=False)  # a close request, as its close button makes
        wait_for("the editor closed", lambda: not run.first("editor"))
        picture(run.find_strip()["rect"], "quillet" + suffix)
        run.press(run.MODE_BUTTON)
        wait_for("typed-path mode", lambda: run.strip_kids()[run.PATH_BOX]["visible"])
        picture(run.find_strip()["rect"], "quillet-manual" + suffix)
        run.press(run.MODE_BUTTON)
        run.press(run.IDS["IDC_MANAGER"])
        manager = wait_for("the manager", lambda: run.top("#32770", "快捷方式管理器"))
        picture(manager["rect"], "manager" + suffix)
        click(*center(run.kids(manager["hwnd"])[2]["rect"]))  # Cancel
        wait_for("the manager closed", lambda: not run.top("#32770", "快捷方式管理器"))
        run.close_strip()
    finally:
        end(run)

def brindle(dpi, suffix):
    run = RunScript(os.path.join(WORK, str(dpi)), "brindle", QB_RUN_DPI=str(dpi), QB_RUN_FRAMES="1")
    try:
        run.start_script()
        frame = wait_for("Brindle's window", lambda: next((w for w in run.top() if w["title"].startswith("Brindle")
                                                           and w["cls"].startswith("QbWnd")), None), 60)
        picture(frame["rect"], "brindle" + suffix)
    finally:
        end(run)

def brindle_run(mode, name):
    """Brindle as `make run-<mode>` starts it, pictured as docs/<name>.png."""
    run = RunScript(os.path.join(WORK, mode), mode, QB_RUN_FRAMES="1")
    try:
        run.start_script()
        frame = wait_for("Brindle's window", lambda: next((w for w in run.top() if w["title"].startswith("Brindle")
                                                           and w["cls"].startswith("QbWnd")), None), 60)
        picture(frame["rect"], name)
    finally:
        end(run)

if __name__ == "__main__":
    os.makedirs(tour.WORK, exist_ok=True)
    for dpi, suffix in ((96, ""), (144, "-150")):
        quillet(dpi, suffix)
        brindle(dpi, suffix)
    for mode in ("compare", "live", "preview"):
        brindle_run(mode, "brindle-" + mode)
