#!/usr/bin/python3
"""Drives the student program through its accessibility tree (AT-SPI), without a pointer or a
keyboard: from the title through a new user's login to the main menu, then out through Exit
and the good-bye screen. Prints each window as it comes ("window NAME"); exits non-zero with a
message when a step does not happen in time.

usage: drive_student.py USER_NAME
"""
import sys
import time

import pyatspi

APP_NAME = "honeycomb"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name == APP_NAME:
            return app
    return None


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def windows(app):
    names = []
    for index in range(app.childCount):
        child = app.getChildAtIndex(index)
        if child is not None and showing(child):
            names.append(child.name)
    return names


def wait_for(what, check, seconds=60):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            found = check()
        except Exception:
            found = None
        if found:
            return found
        time.sleep(0.2)
    fail("no " + what + " within %d s" % seconds)


def window(name, seconds=60):
    def check():
        app = application()
        if app is None:
            return None
        for index in range(app.childCount):
            child = app.getChildAtIndex(index)
            if child is not None and child.name == name and showing(child):
                return child
        return None

    found = wait_for('window "%s"' % name, check, seconds)
    print("window " + name, flush=True)
    return found


def gone(name, act, seconds=60):
    """Repeats `act` (a press the program may refuse while the bee talks) until no showing
    window is called `name`."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        app = application()
        if app is None or name not in windows(app):
            return
        try:
            act()
        except Exception:
            pass
        time.sleep(1)
    fail('window "%s" still there after %d s' % (name, seconds))


def find(node, role, name):
    def matches(candidate):
        return candidate.getRole() == role and candidate.name == name and showing(candidate)

    found = pyatspi.findDescendant(node, matches)
    if found is None:
        fail('no %s "%s" in "%s"' % (role, name, node.name))
    return found


def press(node):
    action = node.queryAction()
    names = [action.getName(index) for index in range(action.nActions)]
    for wanted in ("press", "Press", "click", "toggle"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    fail('"%s" has no press action (only %s)' % (node.name, names))


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    user = sys.argv[1]
    wait_for("student program on the accessibility bus", application, 60)
    window("Brightquill")
    title = window("Honeycombwordsmiths")
    start = find(title, pyatspi.ROLE_PUSH_BUTTON, "Start")
    gone("Honeycombwordsmiths", lambda: press(start), 30)

    login = window("Welcome")
    press(find(login, pyatspi.ROLE_PAGE_TAB, "New User"))
    field = wait_for(
        "name field",
        lambda: pyatspi.findDescendant(
            login,
            lambda n: n.getRole() == pyatspi.ROLE_TEXT
            and showing(n)
            and n.getState().contains(pyatspi.STATE_EDITABLE),
        ),
        10,
    )
    field.queryEditableText().setTextContents(user)
    ok = find(login, pyatspi.ROLE_PUSH_BUTTON, "Ok")
    gone("Welcome", lambda: press(ok), 90)

    menu = window("Honeycombwordsmiths Main Menu")
    exit_button = find(menu, pyatspi.ROLE_PUSH_BUTTON, "Exit")
    deadline = time.time() + 60
    while "Good-Bye" not in windows(application()):
        if time.time() > deadline:
            fail("Exit never opened the good-bye screen")
        try:
            press(exit_button)
        except Exception:
            pass
        time.sleep(1)
    bye = window("Good-Bye")
    yes = find(bye, pyatspi.ROLE_PUSH_BUTTON, "Yes")
    deadline = time.time() + 60
    while application() is not None:
        if time.time() > deadline:
            fail("Yes never ended the program")
        try:
            press(yes)
        except Exception:
            pass
        time.sleep(1)
    print("ended", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
