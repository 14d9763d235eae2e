#!/usr/bin/env python3
"""Fails when a source file includes a header of a room it may not use, as ARCHITECTURE.md's "Directions"
table writes them down. Usage: roomcheck.py PROJECT_DIR"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
notes = (root / "ARCHITECTURE.md").read_text(encoding="utf-8")
section = notes.split("## Directions", 1)[1].split("\n## ", 1)[0]
rooms = sorted(p.name for p in (root / "src").iterdir() if p.is_dir())
allowed = {}
for room, uses in re.findall(r"^\| `(\w+)` \| (.*?) \|$", section, re.M):
    allowed[room] = set(rooms) if "every room" in uses else set(re.findall(r"`(\w+)`", uses))

faults = [f"src/{room}/ is not in the table" for room in rooms if room not in allowed]
for path in sorted((root / "src").glob("*/*")):
    room = path.parent.name
    # The game window is split over game/ and shell/: its shell files are the game's.
    if room == "shell" and path.name.startswith("frmgame_"):
        room = "game"
    for header in re.findall(r'^#include "(\w+)/', path.read_text(encoding="utf-8"), re.M):
        if header in rooms and header != room and header not in allowed.get(room, set()):
            faults.append(f"{path.relative_to(root)} ({room}) includes from {header}/")
print("\n".join(faults) if faults else f"{len(rooms)} rooms, every include along the written directions")
sys.exit(1 if faults else 0)
