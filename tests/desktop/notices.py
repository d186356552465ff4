"""A stand-in for the desktop's notification service on the session bus: it
owns org.freedesktop.Notifications, writes each Notify call as a JSON line
to LOG, and clicks the last notice (ActionInvoked with its default action)
each time the file LOG.click appears, which it then removes.

Usage: notices.py LOG     (runs until ended; LOG.ready once the name is owned)
"""
import json
import os
import sys

from gi.repository import Gio, GLib

LOG = sys.argv[1]
INTERFACE = """
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg direction="in" type="s"/><arg direction="in" type="u"/><arg direction="in" type="s"/>
      <arg direction="in" type="s"/><arg direction="in" type="s"/><arg direction="in" type="as"/>
      <arg direction="in" type="a{sv}"/><arg direction="in" type="i"/><arg direction="out" type="u"/>
    </method>
    <method name="CloseNotification"><arg direction="in" type="u"/></method>
    <method name="GetCapabilities"><arg direction="out" type="as"/></method>
    <method name="GetServerInformation">
      <arg direction="out" type="s"/><arg direction="out" type="s"/>
      <arg direction="out" type="s"/><arg direction="out" type="s"/>
    </method>
    <signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
    <signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
  </interface>
</node>
"""
last = {"id": 0, "connection": None}


def called(connection, sender, path, interface, method, parameters, invocation):
    if method == "Notify":
        app, replaces, icon, summary, body, actions, hints, timeout = parameters.unpack()
        last["id"] += 1
        last["connection"] = connection
        with open(LOG, "a") as log:
            log.write(json.dumps({"id": last["id"], "app": app, "icon": icon, "summary": summary,
                                  "body": body, "actions": actions}) + "\n")
        invocation.return_value(GLib.Variant("(u)", (last["id"],)))
    elif method == "GetCapabilities":
        invocation.return_value(GLib.Variant("(as)", (["actions", "body"],)))
    elif method == "GetServerInformation":
        invocation.return_value(GLib.Variant("(ssss)", ("notices", "tests", "1", "1.2")))
    else:
        invocation.return_value(None)


def click():
    if os.path.exists(LOG + ".click") and last["connection"]:
        os.remove(LOG + ".click")
        last["connection"].emit_signal(None, "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                                       "ActionInvoked", GLib.Variant("(us)", (last["id"], "default")))
    return True


def acquired(connection, name):
    open(LOG + ".ready", "w").close()


def bus_acquired(connection, name):
    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    connection.register_object("/org/freedesktop/Notifications", node.interfaces[0], called, None, None)


Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.Notifications", Gio.BusNameOwnerFlags.NONE,
                 bus_acquired, acquired, lambda *_: sys.exit("the name is taken"))
GLib.timeout_add(200, click)
GLib.MainLoop().run()
