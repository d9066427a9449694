#!/usr/bin/env python3
"""Which folders each folder's sources may include from, read from CMakeLists.txt: a folder may
include from its own library and from the libraries it links, directly or through them. Prints one
line per folder: the folder, then the folders it may include from.

The libraries are the nq_layer(...) calls (DIRS, WIN32_DIRS, LIBS, WIN32_LIBS) and the plain
add_library / target_link_libraries pairs of the project's own nq_* libraries."""
import re
import sys

text = open(sys.argv[1] if len(sys.argv) > 1 else "CMakeLists.txt").read()
text = re.sub(r"#[^\n]*", "", text)
dirs, links = {}, {}

for name, body in re.findall(r"nq_layer\(\s*(\w+)([^)]*)\)", text):
    key = None
    for word in body.split():
        if word in ("DIRS", "WIN32_DIRS", "LIBS", "WIN32_LIBS"):
            key = word
        elif key in ("DIRS", "WIN32_DIRS"):
            dirs.setdefault(name, set()).add(word.split("/")[0])
        elif key in ("LIBS", "WIN32_LIBS") and word.startswith("nq_"):
            links.setdefault(name, set()).add(word)
for name, sources in re.findall(r"add_library\(\s*(nq_\w+)\s+STATIC\s+([^)]*)\)", text):
    for source in sources.split():
        if "/" in source:
            dirs.setdefault(name, set()).add(source.split("/")[0])
for name, body in re.findall(r"target_link_libraries\(\s*(nq_\w+)\s+([^)]*)\)", text):
    links.setdefault(name, set()).update(w for w in body.split() if w.startswith("nq_"))


def reach(lib, seen):
    if lib in seen:
        return seen
    seen.add(lib)
    for dep in links.get(lib, ()):
        reach(dep, seen)
    return seen


for lib in sorted(dirs):
    allowed = set()
    for dep in reach(lib, set()):
        allowed |= dirs.get(dep, set())
    for folder in sorted(dirs[lib]):
        print(folder, " ".join(sorted(allowed)))
