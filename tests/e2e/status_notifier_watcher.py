'''A stand-in for the desktop's tray host (org.kde.StatusNotifierWatcher) on a test's session bus.

It accepts item registrations, says a host is there, and keeps each registration in dbusmock's
call log, where a test reads the item's bus name (GetMethodCalls("RegisterStatusNotifierItem")).
'''

import dbus

BUS_NAME = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
SYSTEM_BUS = False


def load(mock, _parameters):
    mock.AddProperties(MAIN_IFACE, {
        'RegisteredStatusNotifierItems': dbus.Array([], signature='s'),
        'IsStatusNotifierHostRegistered': dbus.Boolean(True),
        'ProtocolVersion': dbus.Int32(0),
    })
    mock.AddMethods(MAIN_IFACE, [
        ('RegisterStatusNotifierItem', 's', '',
         f'items = list(self.Get("{MAIN_IFACE}", "RegisteredStatusNotifierItems")) + [args[0]]\n'
         f'self.Set("{MAIN_IFACE}", "RegisteredStatusNotifierItems", '
         'dbus.Array(items, signature="s"))\n'
         f'self.EmitSignal("{MAIN_IFACE}", "StatusNotifierItemRegistered", "s", [args[0]])'),
        ('RegisterStatusNotifierHost', 's', '', ''),
    ])
