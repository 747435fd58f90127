#!/usr/bin/python3
"""Reads what a screen reader reads: the accessibility tree of one program.

    atspi.py dump PID      every showing object of the program's windows, one
                           line each: depth, role, name, states, and its text or
                           value when it has one
    atspi.py focus PID SECONDS
                           what gets the focus in the program for SECONDS, one
                           line each as dump writes it: how a screen reader
                           follows a menu, whose popups are no window of the
                           application's tree
    atspi.py reread PID ROLE COUNT
                           reads the text and the value of every showing
                           object of that role COUNT times over, as a screen
                           reader following a changing control does
    atspi.py getall PID COUNT
                           asks the application and its windows for all their
                           properties at once (Properties.GetAll) COUNT times
                           each, as newer readers do, then reads the
                           application's name; prints each kind of answer
                           with its count, then the name

Run on the same session bus as the program, with the accessibility bus up
(tests/e2e/lib.sh: e2e_start_accessibility).
"""
import sys

import pyatspi

STATES = {
    pyatspi.STATE_FOCUSED: "focused",
    pyatspi.STATE_CHECKED: "checked",
    pyatspi.STATE_SENSITIVE: "enabled",
}


def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def describe(obj):
    states = obj.getState()
    parts = [obj.getRoleName(), repr(obj.name or "")]
    parts += [word for state, word in STATES.items() if states.contains(state)]
    try:
        text = obj.queryText()
        parts.append("text=" + repr(text.getText(0, text.characterCount)))
    except NotImplementedError:
        pass
    try:
        parts.append("value=" + repr(obj.queryValue().currentValue))
    except NotImplementedError:
        pass
    return " ".join(parts)


def walk(obj, depth, out):
    if obj is None:
        return
    if depth > 0 and not obj.getState().contains(pyatspi.STATE_SHOWING):
        return
    out.append("  " * depth + describe(obj))
    for i in range(obj.childCount):
        walk(obj.getChildAtIndex(i), depth + 1, out)


def find_role(obj, role, found):
    if obj is None:
        return found
    if obj.getRoleName() == role and obj.getState().contains(pyatspi.STATE_SHOWING):
        found.append(obj)
    for i in range(obj.childCount):
        find_role(obj.getChildAtIndex(i), role, found)
    return found


def reread(app, role, count):
    controls = find_role(app, role, [])
    if not controls:
        print("no showing " + role, file=sys.stderr)
        return 1
    for _ in range(count):
        for obj in controls:
            describe(obj)
            value = obj.queryValue()
            value.minimumValue, value.maximumValue, value.minimumIncrement
    print(describe(controls[0]))
    return 0


def follow_focus(pid, seconds):
    from gi.repository import GLib

    def focused(event):
        try:
            if event.detail1 and event.source.get_process_id() == pid:
                print(describe(event.source), flush=True)
        except Exception:
            pass

    pyatspi.Registry.registerEventListener(focused, "object:state-changed:focused")
    GLib.timeout_add(int(seconds * 1000), pyatspi.Registry.stop)
    pyatspi.Registry.start()
    return 0


def getall(pid, count):
    import collections
    import time

    import dbus

    properties = "org.freedesktop.DBus.Properties"
    accessible = "org.a11y.atspi.Accessible"
    address = dbus.SessionBus().call_blocking("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", "", ())
    bus = dbus.bus.BusConnection(str(address))

    def pid_of(name):
        try:
            return bus.call_blocking("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                     "GetConnectionUnixProcessID", "s", (name,))
        except dbus.DBusException:
            return None

    # The program joins the bus once its bridge is up.
    app = None
    for _ in range(100):
        app = next((n for n in bus.list_names() if n.startswith(":") and pid_of(n) == pid), None)
        if app:
            break
        time.sleep(0.1)
    if app is None:
        print("the program is not on the accessibility bus", file=sys.stderr)
        return 1
    root = "/org/a11y/atspi/accessible/root"
    paths = [root] + [str(path) for _, path in
                      bus.call_blocking(app, root, accessible, "GetChildren", "", ())]
    answers = collections.Counter()
    for _ in range(count):
        for path in paths:
            try:
                bus.call_blocking(app, path, properties, "GetAll", "s", (accessible,), timeout=5)
                answers["answered"] += 1
            except dbus.DBusException as error:
                answers[error.get_dbus_name()] += 1
    for answer, times in sorted(answers.items()):
        print("%s %d" % (answer, times))
    print("Name " + bus.call_blocking(app, root, properties, "Get", "ss", (accessible, "Name"), timeout=5))
    return 0


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "focus":
        return follow_focus(int(sys.argv[2]), float(sys.argv[3]))
    if len(sys.argv) == 4 and sys.argv[1] == "getall":
        return getall(int(sys.argv[2]), int(sys.argv[3]))
    if len(sys.argv) == 5 and sys.argv[1] == "reread":
        app = find_app(int(sys.argv[2]))
        return 1 if app is None else reread(app, sys.argv[3], int(sys.argv[4]))
    if len(sys.argv) != 3 or sys.argv[1] != "dump":
        print(__doc__, file=sys.stderr)
        return 2
    app = find_app(int(sys.argv[2]))
    if app is None:
        print("no accessible application with pid " + sys.argv[2], file=sys.stderr)
        return 1
    lines = []
    walk(app, 0, lines)
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
