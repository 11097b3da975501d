"""Prints what the application's windows show, as the accessibility bus sees it: one line per showing object,
"role<TAB>name<TAB>x y w h" (screen coordinates). Usage: a11y_tree.py <pid of the application>. The application
runs on the private session bus with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1; its objects are read straight from its
connection to the a11y bus."""
import sys

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
ROOT = "/org/a11y/atspi/accessible/root"
STATE_SHOWING = 25
LIMIT = 5000  # objects read at most
TIMEOUT = 5  # seconds for each call


def a11y_bus():
    launcher = dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus")
    address = dbus.Interface(launcher, "org.a11y.Bus").GetAddress()
    return dbus.bus.BusConnection(str(address))


def showing(obj):
    states = dbus.Interface(obj, ACCESSIBLE).GetState(timeout=TIMEOUT)
    return bool(states[STATE_SHOWING // 32] & (1 << (STATE_SHOWING % 32)))


def walk(bus, name, path, out, depth=0):
    if len(out) >= LIMIT or depth > 60:
        return
    obj = bus.get_object(name, path, introspect=False)
    accessible = dbus.Interface(obj, ACCESSIBLE)
    if path != ROOT:
        if not showing(obj):
            return
        label = str(obj.Get(ACCESSIBLE, "Name", dbus_interface=dbus.PROPERTIES_IFACE, timeout=TIMEOUT))
        try:
            x, y, w, h = dbus.Interface(obj, "org.a11y.atspi.Component").GetExtents(dbus.UInt32(0), timeout=TIMEOUT)
        except dbus.DBusException:
            x = y = w = h = -1
        out.append(f"{accessible.GetRoleName(timeout=TIMEOUT)}\t{' '.join(label.split())}\t{x} {y} {w} {h}")
    for child_name, child_path in accessible.GetChildren(timeout=TIMEOUT):
        if child_name == name:
            walk(bus, name, child_path, out, depth + 1)


def main():
    pid = int(sys.argv[1])
    bus = a11y_bus()
    daemon = dbus.Interface(bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"), "org.freedesktop.DBus")
    out = []
    for name in daemon.ListNames():
        if name.startswith(":") and daemon.GetConnectionUnixProcessID(name) == pid:
            try:
                walk(bus, name, ROOT, out)
            except dbus.DBusException:
                continue  # a connection of the application that holds no tree
    print("\n".join(out))
    return 0 if out else 1


if __name__ == "__main__":
    sys.exit(main())
