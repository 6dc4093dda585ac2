'''Owns the session-bus names given as arguments and never answers a call to them: a desktop
service that hangs (a Shell busy at login, a stuck KWin or tray watcher). Prints "ready" once it
owns them all.'''

import sys
import time

import dbus

bus = dbus.SessionBus()
for name in sys.argv[1:]:
    if bus.request_name(name, dbus.bus.NAME_FLAG_DO_NOT_QUEUE) != dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
        sys.exit(f'{name} is taken')
print('ready', flush=True)
# No main loop: calls queue up unread.
while True:
    time.sleep(3600)
