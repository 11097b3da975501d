#!/usr/bin/python3
# A small MPRIS player for tests: owns org.mpris.MediaPlayer2.<name>, announces status and track changes (never
# Position, given only on request), logs each call to --log; --vanish-on-getall leaves the bus when read;
# --refuse answers every playback command with an error (logged "<command> refused");
# --repeat N sends the title and artist N times over; --hostile SHAPE answers GetAll with a malformed Metadata (or map) and sends it again every 100 ms.
# --log-reads logs each read asked for once flooded (a Get of Position, a GetAll); --stall-reads N leaves the first N
# of those unanswered; org.tavimor.Test.Flood(n, names) announces n status changes in a burst, the position set to
# 1, 2 … n s along them; when names are given, each change lists them as invalidated instead.
import argparse
import sys
import time
import dbus
import dbus.exceptions
import dbus.lowlevel
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PLAYER = "org.mpris.MediaPlayer2.Player"
PROPS = "org.freedesktop.DBus.Properties"
parser = argparse.ArgumentParser()
for option, default in [("name", None), ("title", ""), ("artist", ""), ("art-url", ""), ("status", "Playing"),
                        ("log", "/dev/null")]:
    parser.add_argument("--" + option, default=default)
for option, default in [("length-us", 0), ("position-us", 0), ("volume", 0.5), ("repeat", 1), ("stall-reads", 0)]:
    parser.add_argument("--" + option, type=type(default), default=default)
parser.add_argument("--vanish-on-getall", action="store_true")
parser.add_argument("--refuse", action="store_true")
parser.add_argument("--log-reads", action="store_true")
parser.add_argument("--hostile", choices=["metadata-ints", "metadata-iv", "changed-ss", "invalidated-ints"])
args = parser.parse_args()


class Player(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/mpris/MediaPlayer2")
        self.status, self.volume, self.track = args.status, args.volume, 1
        self.position, self.since = args.position_us, time.monotonic()
        self.flooded = False

    def log(self, line):
        with open(args.log, "a") as out:
            out.write(line + "\n")

    def metadata(self):
        title = args.title if self.track == 1 else "%s %d" % (args.title, self.track)
        return dbus.Dictionary({"mpris:trackid": dbus.ObjectPath("/track/%d" % self.track),
                                "xesam:title": title * args.repeat,
                                "xesam:artist": dbus.Array([args.artist * args.repeat], signature="s"), "xesam:album": "Album",
                                "mpris:length": dbus.Int64(args.length_us), "mpris:artUrl": args.art_url},
                               signature="sv")

    def current_position(self):
        return self.position + (int((time.monotonic() - self.since) * 1e6) if self.status == "Playing" else 0)

    def hostile_properties(self):
        if args.hostile == "changed-ss":
            return dbus.Dictionary({"PlaybackStatus": "Playing", "Metadata": "x"}, signature="ss")
        metadata = {"metadata-ints": dbus.Array([1, 2, 3], signature="i"),
                    "metadata-iv": dbus.Dictionary({1: "x"}, signature="iv")}.get(args.hostile, self.metadata())
        return dbus.Dictionary({"PlaybackStatus": self.status, "Metadata": metadata}, signature="sv")

    def send_hostile(self):
        message = dbus.lowlevel.SignalMessage("/org/mpris/MediaPlayer2", PROPS, "PropertiesChanged")
        properties = self.hostile_properties()
        invalidated = dbus.Array([7], signature="i") if args.hostile == "invalidated-ints" else dbus.Array(
            [], signature="s")
        message.append(PLAYER, properties, invalidated,
                       signature="sa{%s}a%s" % (properties.signature, invalidated.signature))
        self.connection.send_message(message)
        return True

    def change(self, **changed):
        self.PropertiesChanged(PLAYER, changed, [])

    def command(self, name):
        self.log(name + (" refused" if args.refuse else ""))
        if args.refuse:
            raise dbus.exceptions.DBusException("not now", name="org.freedesktop.DBus.Error.NotSupported")

    def set_status(self, status):
        self.position, self.since, self.status = self.current_position(), time.monotonic(), status
        self.change(PlaybackStatus=status)

    def properties(self):
        if args.hostile:
            return self.hostile_properties()
        return dbus.Dictionary({"PlaybackStatus": self.status, "Metadata": self.metadata(), "Volume": dbus.Double(self.volume),
                "Position": dbus.Int64(self.current_position())}, signature="sv")

    def answer_read(self, what, value, reply):
        if self.flooded and args.log_reads:
            self.log(what)
        if self.flooded and args.stall_reads > 0:
            args.stall_reads -= 1
            return
        reply(value)

    # The answer's signature is the dictionary's own.
    @dbus.service.method(PROPS, in_signature="s", async_callbacks=("reply", "error"))
    def GetAll(self, interface, reply, error):
        if args.vanish_on_getall:
            self.log("vanish")
            sys.exit(0)
        self.answer_read("GetAll", self.properties(), reply)

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v", async_callbacks=("reply", "error"))
    def Get(self, interface, name, reply, error):
        if name == "Position":
            self.answer_read("Get Position", self.properties()[name], reply)
        else:
            reply(self.properties()[name])

    @dbus.service.method("org.tavimor.Test", in_signature="ias")
    def Flood(self, count, invalidated):
        self.flooded = True
        for second in range(1, count + 1):
            self.position, self.since = second * 1000000, time.monotonic()
            if invalidated:
                self.PropertiesChanged(PLAYER, dbus.Dictionary({}, signature="sv"), invalidated)
            else:
                self.change(PlaybackStatus=self.status)

    @dbus.service.method(PROPS, in_signature="ssv")
    def Set(self, interface, name, value):
        self.log("Set %s %.2f" % (name, float(value)))
        self.volume = float(value)
        self.change(Volume=dbus.Double(self.volume))

    @dbus.service.signal(PROPS, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    @dbus.service.method(PLAYER)
    def Pause(self):
        self.command("Pause")
        self.set_status("Paused")

    @dbus.service.method(PLAYER)
    def PlayPause(self):
        self.command("PlayPause")
        self.set_status("Paused" if self.status == "Playing" else "Playing")

    @dbus.service.method(PLAYER)
    def Next(self):
        self.command("Next")
        self.track, self.position, self.since = self.track + 1, 0, time.monotonic()
        self.change(Metadata=self.metadata())


DBusGMainLoop(set_as_default=True)
player = Player(dbus.SessionBus())
name = dbus.service.BusName("org.mpris.MediaPlayer2." + args.name, dbus.SessionBus())
if args.hostile:
    GLib.timeout_add(100, player.send_hostile)
GLib.MainLoop().run()
