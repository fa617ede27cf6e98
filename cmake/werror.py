#!/usr/bin/env python3
"""lint.werror: every source of our own in the Windows build compiles with warnings as
errors. Reads the build's compile_commands.json; the vendored GoogleTest is not ours."""
import json
import os
import sys

build = sys.argv[1]
source = os.path.realpath(sys.argv[2])
with open(os.path.join(build, "compile_commands.json")) as f:
    commands = json.load(f)
own = [c for c in commands
       if os.path.realpath(c["file"]).startswith(source + os.sep) and c["file"].endswith((".c", ".cpp"))]
lax = [c["file"] for c in own if "-Werror" not in c.get("command", " ".join(c.get("arguments", [])))]
print("%d sources of our own, %d without -Werror" % (len(own), len(lax)))
for name in lax:
    print("  ", name)
sys.exit(1 if lax or not own else 0)
