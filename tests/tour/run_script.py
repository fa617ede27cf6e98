#!/usr/bin/env python3
"""make run as a new user meets it: scripts/run.sh started without a display shows the strip on a
virtual display of its own, a pick in the picker lands the registry editor (the stand-in) on the key,
and Quillet's close button ends the script cleanly, its display with it. The script's run folder,
prefix and display are its own (under the rig folder); the tour's helpers drive and read them."""
import os, re, subprocess, sys, threading

import tour
from tour import ENV, StepFailed, center, click, steps, wait_for

RUN = os.path.join(os.environ["QB_RIG_DIR"], "run-script")

class RunScript(tour.QuilletTour):
    """Also drives scripts/make-screenshots.py: another run folder, program or display scale."""
    LOG = "run-script-editor.log"

    def __init__(self, run=RUN, program="quillet", **env):
        super().__init__()
        self.run_dir, self.program, self.extra_env = run, program, env

    def start_script(self):
        env = {k: v for k, v in ENV.items() if k not in ("DISPLAY", "WINEPREFIX", "LOCPATH", "LC_ALL")}
        env.update(self.extra_env, QB_RUN_DIR=self.run_dir, QB_STANDIN_LOG=tour.win_path(self.log))
        self.script = subprocess.Popen([os.path.join(os.environ["QB_SOURCE_DIR"], "scripts", "run.sh"),
                                        os.environ["QB_WIN_BUILD_DIR"], self.program], env=env, text=True,
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.output = []
        threading.Thread(target=lambda: self.output.extend(self.script.stdout), daemon=True).start()
        said = lambda pattern: next((m for m in map(re.compile(pattern).search, self.output) if m), None)
        display = wait_for(lambda: "the script's display (it said %r)" % self.output,
                           lambda: said(r"virtual display (:\d+)")).group(1)
        wait_for(lambda: "the script starting the program (it said %r)" % self.output, lambda: said("^starting "), 300)
        ENV.update(DISPLAY=display, WINEPREFIX=os.path.join(self.run_dir, "prefix"),
                   LOCPATH=os.path.join(self.run_dir, "locale"))
        self.start_probe()

    def prepare(self):
        self.start_script()
        self.strip = wait_for("the strip of Quillet", self.find_strip)

    # The first name in view whose key the prefix has (the starter list names keys Windows has).
    def pick(self):
        self.press(self.PICKER)
        items = self.list_items(wait_for("the picker's dropped list", lambda: self.top("ComboLBox"))["hwnd"])
        ini = open(os.path.join(self.run_dir, "Quillet.ini"), "rb").read().decode("cp936").split("\r\n")
        keys = dict(reversed(line.split("\x03")) for line in ini if line)
        item = next(i for i in items if i["rect"] and not tour.wine("reg.exe", "query", keys[i["text"]],
                                                                    check=False).returncode)
        click(*center(item["rect"]))
        self.expect_editor_at(keys[item["text"]])

    def close_strip(self):
        self.press(self.CLOSE_BUTTON)
        code = wait_for("the script ended", lambda: self.script.poll() is not None and (self.script.poll(),))[0]
        if code != 0:
            raise StepFailed("the script ended with %d: %r" % (code, self.output[-5:]))
        socket = "/tmp/.X11-unix/X" + ENV["DISPLAY"][1:]
        wait_for("the script's display gone", lambda: not os.path.exists(socket))

    def plan(self):
        if steps(("run-start", self.prepare)):
            steps(("run-pick", self.pick), ("run-close", self.close_strip))
        if self.script.poll() is None:
            self.script.terminate()  # its traps end its display and prefix
            self.script.wait(tour.PATIENCE)

if __name__ == "__main__":
    os.makedirs(tour.SHOTS, exist_ok=True)
    os.makedirs(tour.WORK, exist_ok=True)
    RunScript().run()
    print("\n".join(["FAILED steps:"] + tour.FAILURES) if tour.FAILURES else "every step seen")
    sys.exit(1 if tour.FAILURES else 0)
