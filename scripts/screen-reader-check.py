#!/usr/bin/python3
"""What a screen reader finds in a running launcher, through the accessibility bus.

Prints every button and page tab of the window titled "Lumbra" with its role, name and
states, then presses the given keys with xdotool and prints each focus event the launcher
sends. Run it inside the session of the launcher (see scripts/screen-reader-check.sh).

    screen-reader-check.py [KEY]...
"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

ROLES = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_PAGE_TAB}


def find_launcher(timeout=20.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for window in app:
                if window is not None and app.name == "lumbra":
                    return app
        time.sleep(0.5)
    return None


def answer_first_start(app):
    """Presses the launcher's button of the first start's question, if it is asked."""
    for window in app:
        if window is None or pyatspi.findDescendant(window, lambda n: n.getRole() == pyatspi.ROLE_PAGE_TAB):
            continue
        for node in pyatspi.findAllDescendants(window, lambda n: n.getRole() == pyatspi.ROLE_PUSH_BUTTON):
            print(f"first start: {node.name!r}")
            action = node.queryAction()
            action.doAction(0)
            time.sleep(2)
            return


def walk(node, depth=0):
    if node is None or depth > 12:
        return
    if node.getRole() in ROLES:
        states = node.getState()
        shown = [pyatspi.stateToString(s) for s in (pyatspi.STATE_SHOWING, pyatspi.STATE_FOCUSED,
                                                    pyatspi.STATE_SELECTED) if states.contains(s)]
        print(f"{node.getRoleName():12} {node.name!r:45} {' '.join(shown)}")
    for child in node:
        walk(child, depth + 1)


def main(keys):
    app = find_launcher()
    if app is None:
        print("no launcher on the accessibility bus", file=sys.stderr)
        return 1
    print(f"application {app.name!r}")
    answer_first_start(app)
    walk(app)
    heard = []

    def on_focus(event):
        heard.append(f"{event.type} {event.source.getRoleName()} {event.source.name!r}")

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    loop = GLib.MainLoop()

    def press(remaining):
        if not remaining:
            GLib.timeout_add(800, loop.quit)
            return False
        subprocess.run(["xdotool", "key", remaining[0]], check=False)
        GLib.timeout_add(400, press, remaining[1:])
        return False

    GLib.timeout_add(500, press, list(keys))
    loop.run()
    for line in heard:
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
