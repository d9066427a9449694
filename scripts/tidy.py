#!/usr/bin/env python3
"""clang-tidy over the program's own sources, in parallel, remembering clean files.

    scripts/tidy.py BUILD_DIR SOURCE_REGEX

A file that passed is not checked again while nothing it is made of has changed: the key of a file
is its compile command (the source root left out, so a fresh clone in another folder shares it),
every file its object was compiled from as the build recorded them (the source, its headers, the
system's headers), the configuration (.clang-tidy) and clang-tidy's version. The keys of the files
that passed are kept in the user's cache folder; a file with a warning is checked again every run.
Exits 1 when any file has a warning or an error, printing them once each.
"""
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CACHE = os.path.join(os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache"), "norvane-lint", "tidy")
KEEP_DAYS = 30


def recorded_inputs(build):
    """Every object's inputs as the last build recorded them: {object: [path, ...]}, relative to build."""
    # Not a Ninja build, or no record yet: nothing is known, so every file is checked.
    out = subprocess.run(["ninja", "-C", build, "-t", "deps"], capture_output=True, text=True).stdout
    deps, current = {}, None
    for line in out.splitlines():
        if not line.strip():
            current = None
        elif not line.startswith(" "):
            # "object: #deps N, deps mtime T (VALID)"; a STALE record is as good as none.
            name, _, state = line.partition(": #deps")
            current = name if "(VALID)" in state else None
            if current:
                deps[current] = []
        elif current:
            deps[current].append(line.strip())
    return deps


class Hasher:
    def __init__(self):
        self.known = {}

    def file(self, path):
        if path not in self.known:
            try:
                with open(path, "rb") as f:
                    self.known[path] = hashlib.sha256(f.read()).hexdigest()
            except OSError:
                self.known[path] = "missing"
        return self.known[path]


def main():
    build, pattern = os.path.abspath(sys.argv[1]), re.compile(sys.argv[2])
    commands = [c for c in json.load(open(os.path.join(build, "compile_commands.json"))) if pattern.search(c["file"])]
    deps = recorded_inputs(build)
    version = subprocess.run(["clang-tidy", "--version"], capture_output=True, text=True).stdout
    with open(os.path.join(ROOT, ".clang-tidy"), "rb") as f:
        config = f.read()
    hasher = Hasher()

    def key(command):
        words = shlex.split(command["command"])
        output = command.get("output") or (words[words.index("-o") + 1] if "-o" in words else "")
        inputs = deps.get(output)
        if not inputs:
            return None  # nothing recorded: check it
        h = hashlib.sha256()
        h.update(version.encode() + b"\0" + config + b"\0")
        h.update(command["command"].replace(ROOT, "<root>").encode() + b"\0")
        for path in sorted(inputs):
            full = os.path.normpath(os.path.join(command["directory"], path))
            h.update(full.replace(ROOT, "<root>").encode() + b"\0" + hasher.file(full).encode() + b"\0")
        return h.hexdigest()

    os.makedirs(CACHE, exist_ok=True)
    todo, reused = [], 0
    for command in commands:
        k = key(command)
        stamp = k and os.path.join(CACHE, k)
        if stamp and os.path.exists(stamp):
            os.utime(stamp)
            reused += 1
        else:
            todo.append((command["file"], stamp))

    def check(item):
        source, stamp = item
        run = subprocess.run(["clang-tidy", "-p", build, "--quiet", source], capture_output=True, text=True)
        text = run.stdout + run.stderr
        clean = run.returncode == 0 and not re.search(r"(warning|error):", text)
        if clean and stamp:
            open(stamp, "w").close()
        return clean, text

    failed = False
    findings = set()
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        for clean, text in pool.map(check, todo):
            if not clean:
                failed = True
                found = [l for l in text.splitlines() if re.search(r"(warning|error):", l)]
                findings.update(found or [text.strip() or "clang-tidy failed without a message"])
    for line in sorted(findings):
        print(line)
    print(f"clang-tidy: {len(commands)} files, {reused} unchanged since they passed, {len(todo)} checked")

    # Forget keys nobody has used for a month.
    cutoff = time.time() - KEEP_DAYS * 86400
    for name in os.listdir(CACHE):
        path = os.path.join(CACHE, name)
        if os.path.getmtime(path) < cutoff:
            os.remove(path)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
