#!/usr/bin/python3
"""A StatusNotifierItem panel for the end-to-end tests, on the session bus.

    sni.py watcher          the smallest StatusNotifierWatcher a program's icon
                            registers with, which also says a host is there;
                            runs until it is ended
    sni.py item             waits for a registered item; prints its service
    sni.py get SERVICE PROP one property of the item, printed
    sni.py call SERVICE METHOD [X Y]
                            Activate, ContextMenu, ... as a panel's click does
    sni.py picture SERVICE REFDIR
                            which reference picture the item shows: the name of
                            the REFDIR/<name>-<W>x<H>.argb file closest to its
                            IconPixmap, or "unknown" when none is close
    sni.py menu SERVICE [REFDIR]
                            the item's exported menu as a panel reads it
                            (GetLayout of the whole menu): a line per item,
                            indented by level: its caption ("-" a separator),
                            "[greyed]" when disabled, "<name>" for a picture
                            equal to REFDIR/<name>.png, "<picture>" for another
    sni.py updated SERVICE SECONDS [greyed]
                            waits for the menu's LayoutUpdated signal (with
                            "greyed", for an ItemsPropertiesUpdated that greys
                            items, and prints how many), after printing
                            "listening" once it can hear it
    sni.py shape SERVICE    the menu's shape alone (only "type" and
                            "children-display" asked for), as GNOME's panel
                            reads it: how many items stand below each item of
                            the top level
    sni.py click SERVICE CAPTION[/CAPTION...]
                            the panel's click on the item at that caption path
                            (the menu opened and closed around it, as panels do)

Qt reads the watcher's properties through introspection, so they are declared
in the introspection data, not only answered.
"""
import glob
import os
import sys
import time

import dbus
import dbus.service

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
ITEM_PATH = "/StatusNotifierItem"
PROPS = "org.freedesktop.DBus.Properties"
MENU = "com.canonical.dbusmenu"

INTROSPECTION = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get">
      <arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/>
      <arg name="value" type="v" direction="out"/>
    </method>
    <method name="GetAll">
      <arg name="interface" type="s" direction="in"/><arg name="values" type="a{sv}" direction="out"/>
    </method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="data" type="s" direction="out"/></method>
  </interface>
</node>
"""


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, WATCHER_PATH)
        self.bus = bus
        self.items = []

    def properties(self):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        return INTROSPECTION

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.properties()[str(name)]

    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties()

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # A bus name, or an object path on the caller's own connection.
        entry = str(service) if not str(service).startswith("/") else sender + str(service)
        if entry not in self.items:
            self.items.append(entry)
            self.StatusNotifierItemRegistered(entry)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass


def run_watcher():
    import dbus.mainloop.glib
    from gi.repository import GLib

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
    watcher = Watcher(bus)
    GLib.MainLoop().run()
    del name, watcher


def item_object(service):
    bus = dbus.SessionBus()
    name, slash, path = service.partition("/")
    return bus.get_object(name, "/" + path if slash else ITEM_PATH)


def wait_item():
    bus = dbus.SessionBus()
    deadline = time.time() + 20
    while time.time() < deadline:
        try:
            watcher = bus.get_object(WATCHER, WATCHER_PATH)
            items = watcher.Get(WATCHER, "RegisteredStatusNotifierItems", dbus_interface=PROPS)
            if items:
                print(items[-1])
                return 0
        except dbus.DBusException:
            pass
        time.sleep(0.1)
    print("no item registered", file=sys.stderr)
    return 1


def picture(service, refdir):
    pixmaps = item_object(service).Get(ITEM, "IconPixmap", dbus_interface=PROPS)
    best_name, best = "unknown", None
    for width, height, data in pixmaps:
        shown = bytes(data)
        for ref in glob.glob(os.path.join(refdir, "*-%dx%d.argb" % (width, height))):
            with open(ref, "rb") as f:
                expected = f.read()
            if len(expected) != len(shown):
                continue
            diff = sum(abs(a - b) for a, b in zip(shown, expected)) / (255.0 * len(shown))
            if best is None or diff < best:
                best_name, best = os.path.basename(ref).split("-")[0], diff
    # The same drawing code on both sides: a match is exact but for rounding.
    print(best_name if best is not None and best < 0.01 else "unknown")
    return 0


def menu_object(service):
    bus = dbus.SessionBus()
    item = item_object(service)
    path = item.Get(ITEM, "Menu", dbus_interface=PROPS)
    return bus.get_object(item.bus_name, path)


def layout(service):
    """The whole menu, a submenu read when it is about to show, as panels do."""
    menu = menu_object(service)
    no_names = dbus.Array([], signature="s")

    def complete(node):
        cid, props, children = node
        if props.get("children-display") == "submenu" and not children:
            menu.AboutToShow(cid, dbus_interface=MENU)
            _, node = menu.GetLayout(cid, -1, no_names, dbus_interface=MENU)
            cid, props, children = node
        return (cid, props, [complete(c) for c in children])

    revision, root = menu.GetLayout(0, -1, no_names, dbus_interface=MENU)
    return complete(root)


def menu_lines(node, refs, depth=0):
    lines = []
    for child in node[2]:
        cid, props, _ = child
        if props.get("type") == "separator":
            text = "-"
        else:
            text = str(props.get("label", "")).replace("__", "_")
            if not props.get("enabled", True):
                text += " [greyed]"
            if "icon-data" in props:
                data = bytes(props["icon-data"])
                text += " <%s>" % refs.get(data, "picture")
        lines.append("  " * depth + text)
        lines += menu_lines(child, refs, depth + 1)
    return lines


def print_menu(service, refdir=None):
    refs = {}
    for ref in glob.glob(os.path.join(refdir, "*.png")) if refdir else []:
        with open(ref, "rb") as f:
            refs[f.read()] = os.path.basename(ref)[:-4]
    print("\n".join(menu_lines(layout(service), refs)))
    return 0


def click(service, caption_path):
    node = layout(service)
    for caption in caption_path.split("/"):
        found = [c for c in node[2] if str(c[1].get("label", "")).replace("__", "_") == caption]
        if not found:
            print("no item %r" % caption, file=sys.stderr)
            return 1
        node = found[0]
    menu = menu_object(service)
    empty = dbus.String("", variant_level=1)
    menu.Event(0, "opened", empty, dbus.UInt32(0), dbus_interface=MENU)
    menu.Event(node[0], "clicked", empty, dbus.UInt32(0), dbus_interface=MENU)
    menu.Event(0, "closed", empty, dbus.UInt32(0), dbus_interface=MENU)
    return 0


def shape(service):
    _, root = menu_object(service).GetLayout(0, -1, dbus.Array(["type", "children-display"], signature="s"),
                                              dbus_interface=MENU)
    print(" ".join(str(len(child[2])) for child in root[2]))
    return 0


def wait_updated(service, seconds, what="layout"):
    import dbus.mainloop.glib
    from gi.repository import GLib

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    menu = menu_object(service)
    loop = GLib.MainLoop()
    heard = []

    def updated(revision, parent):
        heard.append(int(revision))
        loop.quit()

    def properties(changed, removed):
        greyed = sum(1 for _, props in changed if not props.get("enabled", True))
        if greyed:
            heard.append(greyed)
            print(greyed, flush=True)
            loop.quit()

    if what == "greyed":
        menu.connect_to_signal("ItemsPropertiesUpdated", properties, dbus_interface=MENU)
    else:
        menu.connect_to_signal("LayoutUpdated", updated, dbus_interface=MENU)
    GLib.timeout_add(int(float(seconds) * 1000), loop.quit)
    print("listening", flush=True)
    loop.run()
    return 0 if heard else 1


def main(argv):
    if len(argv) >= 2 and argv[1] == "watcher":
        run_watcher()
        return 0
    if len(argv) == 2 and argv[1] == "item":
        return wait_item()
    if len(argv) == 4 and argv[1] == "get":
        value = item_object(argv[2]).Get(ITEM, argv[3], dbus_interface=PROPS)
        print(str(value))
        return 0
    if len(argv) >= 4 and argv[1] == "call":
        args = [dbus.Int32(int(a)) for a in argv[4:]]
        getattr(item_object(argv[2]), argv[3])(*args, dbus_interface=ITEM)
        return 0
    if len(argv) == 4 and argv[1] == "picture":
        return picture(argv[2], argv[3])
    if len(argv) in (3, 4) and argv[1] == "menu":
        return print_menu(argv[2], argv[3] if len(argv) == 4 else None)
    if len(argv) in (4, 5) and argv[1] == "updated":
        return wait_updated(argv[2], argv[3], *argv[4:])
    if len(argv) == 3 and argv[1] == "shape":
        return shape(argv[2])
    if len(argv) == 4 and argv[1] == "click":
        return click(argv[2], argv[3])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
