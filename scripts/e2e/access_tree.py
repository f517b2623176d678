#!/usr/bin/python3
"""access_tree.py PROGRAM SECONDS NAME...

Reads the accessibility tree of the running program PROGRAM (its application name) as a screen
reader does, over the AT-SPI bus of this session, until an object carries each NAME as its
accessible name, or SECONDS have passed. Prints every NAME with the role of the object found;
exits 1 naming those never found. The tree is read afresh on each try: windows come and go.
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def names_in(root, limit=4000):
    """Accessible name -> role name of every object under root (breadth first, bounded)."""
    found = {}
    queue = [root]
    while queue and len(found) < limit:
        node = queue.pop(0)
        try:
            name = node.get_name() or ""
            if name:
                found.setdefault(name, node.get_role_name())
            count = node.get_child_count()
        except Exception:  # an object that went away while it was read
            continue
        for i in range(count):
            try:
                child = node.get_child_at_index(i)
            except Exception:
                continue
            if child is not None:
                queue.append(child)
    return found


def program_names(program):
    desktop = Atspi.get_desktop(0)
    names = {}
    for i in range(desktop.get_child_count()):
        try:
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == program:
                names.update(names_in(app))
        except Exception:
            continue
    return names


def main():
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    program, seconds, wanted = sys.argv[1], float(sys.argv[2]), sys.argv[3:]
    deadline = time.monotonic() + seconds
    while True:
        names = program_names(program)
        missing = [name for name in wanted if name not in names]
        if not missing or time.monotonic() > deadline:
            break
        time.sleep(0.3)
    for name in wanted:
        if name in names:
            print(f"found {names[name]} \"{name}\"")
    if missing:
        for name in missing:
            print(f"missing \"{name}\"", file=sys.stderr)
        shown = sorted(names.items())[:80]
        print("the tree holds: " + "; ".join(f"{role} \"{name}\"" for name, role in shown),
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
