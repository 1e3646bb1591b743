#!/usr/bin/python3
"""Input sent through a Wayland compositor, as a user's comes: keys reach its own shortcuts and
clicks land on whatever it stacks on top, Wayland windows included. An X test event sent to
XWayland never leaves XWayland.

usage: desktop_input.py key alt+F4 [a space b Return...] | click X Y | pointer
GNOME's mutter takes it through its remote-desktop D-Bus service, KDE's KWin through its fake
input Wayland protocol (offered to every client when KWIN_WAYLAND_NO_PERMISSION_CHECKS=1, once
KWin can see the client's program: run it in KWin's namespaces, as in_desktop does). Under sway,
"pointer" holds a virtual pointer until the compositor ends."""
import os
import socket
import struct
import sys
import time

# name: (X keysym for mutter, evdev code for KWin)
KEYS = {"alt": (0xFFE9, 56), "ctrl": (0xFFE3, 29), "shift": (0xFFE1, 42), "F2": (0xFFBF, 60),
        "F4": (0xFFC1, 62), "Return": (0xFF0D, 28), "Tab": (0xFF09, 15), "space": (0x20, 57),
        "Escape": (0xFF1B, 1), "a": (0x61, 30), "b": (0x62, 48)}
BTN_LEFT = 0x110


def mutter(actions):
    from gi.repository import Gio, GLib

    bus = Gio.bus_get_sync(Gio.BusType.SESSION)

    def call(path, iface, method, args=None):
        return bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, iface, method, args, None,
                             Gio.DBusCallFlags.NONE, 5000, None)

    root = "org.gnome.Mutter.RemoteDesktop"
    session = call("/org/gnome/Mutter/RemoteDesktop", root, "CreateSession").unpack()[0]
    iface = root + ".Session"
    call(session, iface, "Start")
    # XWayland loses the first key of each new virtual keyboard: a Shift tap goes first.
    for action, *args in [("key", "shift", True), ("key", "shift", False)] + actions:
        if action == "key":
            call(session, iface, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (KEYS[args[0]][0], args[1])))
        elif action == "move":
            # Relative motion only: absolute motion needs a screen-cast stream. It is not
            # accelerated, and the far corner first makes it absolute.
            call(session, iface, "NotifyPointerMotionRelative", GLib.Variant("(dd)", (-10000.0, -10000.0)))
            call(session, iface, "NotifyPointerMotionRelative", GLib.Variant("(dd)", args))
        elif action == "button":
            call(session, iface, "NotifyPointerButton", GLib.Variant("(ib)", (BTN_LEFT, args[0])))
        time.sleep(0.05)
    call(session, iface, "Stop")


class Wayland:
    def __init__(self):
        path = os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ.get("WAYLAND_DISPLAY", "wayland-0"))
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.next_id = 2
        self.buffer = b""

    def send(self, obj, opcode, payload=b""):
        self.sock.sendall(struct.pack("<II", obj, (8 + len(payload)) << 16 | opcode) + payload)

    def new_id(self):
        self.next_id += 1
        return self.next_id - 1

    @staticmethod
    def string(text):
        data = text.encode() + b"\0"
        return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)

    def events(self):
        while True:
            while len(self.buffer) < 8 or len(self.buffer) < struct.unpack_from("<II", self.buffer)[1] >> 16:
                chunk = self.sock.recv(65536)
                if not chunk:
                    raise SystemExit("the compositor closed the connection")
                self.buffer += chunk
            obj, word = struct.unpack_from("<II", self.buffer)
            size = word >> 16
            yield obj, word & 0xFFFF, self.buffer[8:size]
            self.buffer = self.buffer[size:]

    def roundtrip(self, on_event=lambda *event: None):
        callback = self.new_id()
        self.send(1, 0, struct.pack("<I", callback))  # wl_display.sync
        for obj, opcode, payload in self.events():
            if obj == callback:
                return
            on_event(obj, opcode, payload)

    def bind_globals(self):
        """The compositor's globals, interface: (name, version)."""
        self.registry = self.new_id()
        self.send(1, 1, struct.pack("<I", self.registry))  # wl_display.get_registry
        found = {}

        def global_event(obj, opcode, payload):
            if obj == self.registry and opcode == 0:
                name, length = struct.unpack_from("<II", payload)
                interface = payload[8:8 + length - 1].decode()
                version = struct.unpack_from("<I", payload, 8 + length + (-length % 4))[0]
                found[interface] = (name, version)

        self.roundtrip(global_event)
        return found

    def bind(self, found, interface, version):
        obj = self.new_id()
        name, offered = found[interface]
        self.send(self.registry, 0, struct.pack("<I", name) + self.string(interface) +
                  struct.pack("<II", min(version, offered), obj))
        return obj


def kwin(actions):
    # KWin offers fake input a while after it manages windows: asked again for up to 10 s.
    for attempt in range(100):
        wl = Wayland()
        found = wl.bind_globals()
        if "org_kde_kwin_fake_input" in found:
            break
        wl.sock.close()
        time.sleep(0.1)
    else:
        raise SystemExit("the compositor offers no fake input")
    fake = wl.bind(found, "org_kde_kwin_fake_input", 4)
    wl.send(fake, 0, wl.string("tintel tests") + wl.string("end-to-end tests"))
    for action, *args in actions:
        if action == "key":
            wl.send(fake, 10, struct.pack("<II", KEYS[args[0]][1], int(args[1])))
        elif action == "move":
            wl.send(fake, 9, struct.pack("<ii", int(args[0] * 256), int(args[1] * 256)))
        elif action == "button":
            wl.send(fake, 2, struct.pack("<II", BTN_LEFT, int(args[0])))
        wl.roundtrip()
        time.sleep(0.05)


def hold_pointer():
    # sway gives its seat a pointer only while a pointer device exists, and without one XWayland
    # gets no clicks: a virtual pointer stays for the session.
    wl = Wayland()
    manager = wl.bind(wl.bind_globals(), "zwlr_virtual_pointer_manager_v1", 1)
    wl.send(manager, 0, struct.pack("<II", 0, wl.new_id()))  # create_virtual_pointer, any seat
    wl.roundtrip()
    print("ready", flush=True)
    for _ in wl.events():
        pass


def main():
    if sys.argv[1] == "pointer":
        return hold_pointer()
    if sys.argv[1] == "key":
        actions = []
        for chord in sys.argv[2:]:
            names = chord.split("+")
            actions += [("key", name, True) for name in names] + [("key", name, False) for name in reversed(names)]
    else:
        actions = [("move", float(sys.argv[2]), float(sys.argv[3])), ("button", True), ("button", False)]
    if os.environ.get("XSESSION_DESKTOP", "").startswith("gnome"):
        mutter(actions)
    else:
        kwin(actions)


main()
