#!/usr/bin/python3
"""Starts the demo and reads its window through the desktop's accessibility bus, as a screen
reader does: the controls carry their names, and a route made on a unit's front panel renames
the crosspoint button. Run inside dbus-run-session, on an X server."""

import os
import subprocess
import sys
import tempfile
import time

try:
    import pyatspi
    from gi.repository import GLib
except ImportError:
    print("python3-pyatspi is not installed")
    sys.exit(77)  # skipped

TIMEOUT = 60.0
ROUTE_AFTER_MS = 12000
# Line 3 of unit 1 to channel 2 (counted from 1), made on the unit's own panel.
ROUTED = "Line 03 to Channel 02, connected"
BEFORE = "Line 03 to Channel 02, not connected"


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def poll(what, found):
    end = time.monotonic() + TIMEOUT
    while time.monotonic() < end:
        # The bus's signals (a new application, a changed name) reach pyatspi's cache only
        # through the main loop.
        while GLib.MainContext.default().iteration(False):
            pass
        value = found()
        if value:
            return value
        time.sleep(0.2)
    fail("timed out waiting for " + what)


def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def names(node, out, depth=0):
    """Every (role, name, description) below node; the bus is asked afresh each time."""
    if depth > 30:
        return out
    try:
        out.append((node.getRoleName(), node.name, node.description))
        children = list(node)
    except Exception:
        return out
    for child in children:
        if child is not None:
            names(child, out, depth + 1)
    return out


def main():
    demo = sys.argv[1]
    work = tempfile.mkdtemp()
    script = os.path.join(work, "panel.txt")
    with open(script, "w") as f:
        f.write("%dms route 1 2 3\n" % ROUTE_AFTER_MS)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", HOME=work,
               XDG_DATA_HOME=os.path.join(work, "data"), XDG_CONFIG_HOME=os.path.join(work, "config"))
    announced = []
    pyatspi.Registry.registerEventListener(
        lambda event: announced.append(event.source_name), "object:property-change:accessible-name")
    proc = subprocess.Popen([demo, "--script", script], env=env)
    try:
        app = poll("the demo on the accessibility bus", lambda: find_app(proc.pid))
        window = poll("the main window",
                      lambda: next((w for w in app if w is not None and "CORVANE" in w.name.upper()), None))
        wanted = [
            ("push button", BEFORE),
            ("push button", "Line 01 to Channel 01, connected"),
            ("push button", "Memory 1"),
            ("push button", "STORE"),
            ("check box", "REVERSE"),
            ("label", "Memory: 1"),
            ("label", "Unit: 1"),
        ]
        started = time.monotonic()
        tree = poll("the controls' names", lambda: (lambda t: t if all(
            any(r == role and n == name for r, n, _ in t) for role, name in wanted) else None)(names(window, [])))
        if time.monotonic() - started > ROUTE_AFTER_MS / 1000.0:
            fail("the tree was read only after the front panel's route; raise ROUTE_AFTER_MS")
        spoken = [n for _, n, _ in tree]
        for prefix in ("Unit 1, selected", "Unit 2", "Memory 1 lamp, ", "STORE lamp, "):
            if not any(n.startswith(prefix) for n in spoken):
                fail("no control named %r in %r" % (prefix, spoken))
        if not any(d == "Unit 1, line 3, channel 2" for _, n, d in tree if n == BEFORE):
            fail("the crosspoint has no description with its numbers")

        def routed():
            button = None
            for node in pyatspi.utils.findAllDescendants(window, lambda n: n.name == ROUTED):
                button = node
            return button
        poll("the route from the front panel to rename the button", routed)
        poll("the new name announced on the bus", lambda: ROUTED in announced)
        if any(n == BEFORE for _, n, _ in names(window, [])):
            fail("the button still has its old name as well")
        print("ok: %d accessible objects, the routed button renamed" % len(tree))
    finally:
        proc.terminate()
        proc.wait(timeout=30)


main()
