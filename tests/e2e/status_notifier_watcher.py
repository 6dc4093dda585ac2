'''A stand-in for the desktop's tray host (org.kde.StatusNotifierWatcher) on a test's session bus.

It accepts item registrations and says a host is there. Like a panel, it notes when the item
announces a new tooltip, reads the registered item's tooltip and menu (com.canonical.dbusmenu),
clicks menu entries and activates the item; a test asks it to through org.vontal.TrayHost on the
watcher's object.
'''

import time

import dbus

BUS_NAME = 'org.kde.StatusNotifierWatcher'
MAIN_OBJ = '/StatusNotifierWatcher'
MAIN_IFACE = 'org.kde.StatusNotifierWatcher'
SYSTEM_BUS = False

HOST_IFACE = 'org.vontal.TrayHost'
ITEM_IFACE = 'org.kde.StatusNotifierItem'
MENU_IFACE = 'com.canonical.dbusmenu'
items = []
# When each registered item said its tooltip changed (NewToolTip), in seconds of a monotonic clock.
tooltip_changes = []


def load(mock, _parameters):
    mock.AddProperties(MAIN_IFACE, {
        'IsStatusNotifierHostRegistered': dbus.Boolean(True),
        'ProtocolVersion': dbus.Int32(0),
    })
    mock.AddMethods(MAIN_IFACE, [('RegisterStatusNotifierHost', 's', '', '')])


@dbus.service.method(MAIN_IFACE, in_signature='s', out_signature='')
def RegisterStatusNotifierItem(main, service):
    items.append(str(service))
    # A panel reads the tooltip again when the item says it changed.
    main.connection.add_signal_receiver(lambda *_: tooltip_changes.append(time.monotonic()),
                                        signal_name='NewToolTip', dbus_interface=ITEM_IFACE,
                                        bus_name=str(service))


def _item(main):
    return main.connection.get_object(items[-1], '/StatusNotifierItem')


def _menu(main):
    path = _item(main).Get(ITEM_IFACE, 'Menu', dbus_interface=dbus.PROPERTIES_IFACE)
    return main.connection.get_object(items[-1], path)


def _entries(layout):
    '''(id, label, enabled) of each visible entry of a dbusmenu layout node, depth first.'''
    _id, _properties, children = layout
    for child in children:
        child_id, child_properties, _ = child
        if child_properties.get('visible', True) and child_properties.get('label'):
            yield (child_id, str(child_properties['label']),
                   bool(child_properties.get('enabled', True)))
        yield from _entries(child)


@dbus.service.method(HOST_IFACE, in_signature='', out_signature='s')
def Item(_main):
    return items[-1] if items else ''


@dbus.service.method(HOST_IFACE, in_signature='', out_signature='ad')
def ToolTipChanges(_main):
    '''When the items announced a new tooltip so far, in seconds.'''
    return dbus.Array(tooltip_changes, signature='d')


@dbus.service.method(HOST_IFACE, in_signature='', out_signature='s')
def ToolTip(main):
    return _item(main).Get(ITEM_IFACE, 'ToolTip', dbus_interface=dbus.PROPERTIES_IFACE)[2]


def _layout(menu):
    return menu.GetLayout(0, -1, dbus.Array([], signature='s'), dbus_interface=MENU_IFACE)[1]


@dbus.service.method(HOST_IFACE, in_signature='', out_signature='as')
def MenuEntries(main):
    '''The menu's visible entries; one that does nothing is in parentheses.'''
    entries = _entries(_layout(_menu(main)))
    return [label if enabled else f'({label})' for _id, label, enabled in entries]


@dbus.service.method(HOST_IFACE, in_signature='s', out_signature='b')
def Click(main, label):
    menu = _menu(main)
    for entry_id, entry_label, _enabled in _entries(_layout(menu)):
        if entry_label == label:
            menu.Event(entry_id, 'clicked', dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                       dbus_interface=MENU_IFACE)
            return True
    return False


@dbus.service.method(HOST_IFACE, in_signature='', out_signature='')
def Activate(main):
    _item(main).Activate(0, 0, dbus_interface=ITEM_IFACE)
