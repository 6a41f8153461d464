#!/usr/bin/python3
"""A stand-in for the XDG desktop portal's file chooser, for the file-dialog tests.

Owns org.freedesktop.portal.Desktop on the session bus it is given
(DBUS_SESSION_BUS_ADDRESS), serves org.freedesktop.portal.FileChooser's OpenFile
and SaveFile, writes every call it receives to the record file as one JSON line,
and answers each request on the Request object the portal protocol names, as the
--answer option says:

  uri:URI    response 0 with uris [URI] and the current filter it was given (or,
             with --pick-filter N, the N-th of the filters, counted from 0)
  cancel     response 1 (the user cancelled)
  end        response 2 (the portal ended the request itself)
  refuse     no request: the call fails with a D-Bus error
  hold       no answer at all, until the client calls the request's Close

A line {"ready": true, "pid": PID} is written once the name is owned; a Close is recorded as
{"closed": PATH}. The program ends when its bus goes.
"""
import argparse
import json
import os
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

INTERFACES = """
<node>
  <interface name="org.freedesktop.portal.FileChooser">
    <method name="OpenFile">
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="s" name="title" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <method name="SaveFile">
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="s" name="title" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <property name="version" type="u" access="read"/>
  </interface>
</node>
"""

REQUEST = """
<node>
  <interface name="org.freedesktop.portal.Request">
    <method name="Close"/>
    <signal name="Response">
      <arg type="u" name="response"/>
      <arg type="a{sv}" name="results"/>
    </signal>
  </interface>
</node>
"""


def plain(value):
    """A GVariant's value as JSON can hold it; byte strings become text."""
    if isinstance(value, dict):
        return {k: plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        if value and all(isinstance(b, int) and 0 <= b < 256 for b in value) and value[-1] == 0:
            return bytes(value[:-1]).decode("utf-8", "replace")
        return [plain(v) for v in value]
    if isinstance(value, bytes):
        return value.rstrip(b"\0").decode("utf-8", "replace")
    return value


class Portal:
    def __init__(self, bus, answer, record, pick_filter):
        self.bus = bus
        self.answer = answer
        self.pick_filter = pick_filter
        self.record = record
        self.requests = []
        chooser = Gio.DBusNodeInfo.new_for_xml(INTERFACES).interfaces[0]
        self.request_info = Gio.DBusNodeInfo.new_for_xml(REQUEST).interfaces[0]
        bus.register_object("/org/freedesktop/portal/desktop", chooser, self.on_call, self.on_property, None)

    def write(self, entry):
        with open(self.record, "a") as f:
            f.write(json.dumps(entry, ensure_ascii=False) + "\n")

    def on_property(self, connection, sender, path, interface, name):
        return GLib.Variant("u", 4)

    def on_call(self, connection, sender, path, interface, method, parameters, invocation):
        parent, title, options = parameters.unpack()
        self.write({"method": method, "sender": sender, "parent_window": parent, "title": title,
                    "options": plain(options)})
        if self.answer == "refuse":
            invocation.return_dbus_error("org.freedesktop.portal.Error.Failed", "refused by the test")
            return
        token = options.get("handle_token", "t%d" % len(self.requests))
        handle = "/org/freedesktop/portal/desktop/request/%s/%s" % (sender[1:].replace(".", "_"), token)
        registration = connection.register_object(handle, self.request_info, self.on_request_call, None, None)
        self.requests.append((handle, registration))
        invocation.return_value(GLib.Variant("(o)", (handle,)))
        if self.answer != "hold":
            # A moment later, as a chooser answers after the user.
            GLib.timeout_add(100, self.respond, sender, handle, options)

    def respond(self, sender, handle, options):
        results = {}
        if self.answer.startswith("uri:"):
            code = 0
            results["uris"] = GLib.Variant("as", [self.answer[4:]])
            chosen = options.get("current_filter")
            if self.pick_filter is not None:
                chosen = options["filters"][self.pick_filter]
            if chosen is not None:
                results["current_filter"] = GLib.Variant("(sa(us))", chosen)
        else:
            code = 1 if self.answer == "cancel" else 2
        self.bus.emit_signal(sender, handle, "org.freedesktop.portal.Request", "Response",
                             GLib.Variant("(ua{sv})", (code, results)))
        return False

    def on_request_call(self, connection, sender, path, interface, method, parameters, invocation):
        self.write({"closed": path})
        invocation.return_value(None)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--answer", required=True)
    parser.add_argument("--record", required=True)
    parser.add_argument("--pick-filter", type=int)
    args = parser.parse_args()

    loop = GLib.MainLoop()
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)  # the program ends with it
    portal = Portal(bus, args.answer, args.record, args.pick_filter)

    def acquired(connection, name):
        portal.write({"ready": True, "pid": os.getpid()})

    def lost(connection, name):
        loop.quit()

    Gio.bus_own_name_on_connection(bus, "org.freedesktop.portal.Desktop", Gio.BusNameOwnerFlags.NONE,
                                   acquired, lost)
    loop.run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
