'''A scriptable stand-in for bluetoothd (BlueZ 5) for vontal's backend tests.

It serves org.bluez with what Qt Bluetooth uses for Bluetooth LE: the object manager, one adapter
(Adapter1), devices (Device1) and their GATT tables (GattService1, GattCharacteristic1,
GattDescriptor1). Tests script it through the org.vontal.BluezMock interface on "/" and read back
every operation a device received.

Template parameters (JSON): {"adapter": false} starts without an adapter.

SetSilent(true) makes it a bluetoothd that holds its name but does not answer GetManagedObjects.
Churn(period, times) makes it a bluetoothd that keeps crashing and being started again: it lets go
of its name and takes it back, every period milliseconds, the given number of times.

Behaviour that matters to the client, copied from bluetoothd:
- Device1.Connect sets Connected, then ServicesResolved in a later signal; Disconnect clears both.
- ReadValue answers with the value, and afterwards announces that value as a change of the Value
  property, as bluetoothd does after every read.
- WriteValue takes options["type"]: "request" is answered (and refused with org.bluez.Error.Failed
  when a password is set on the characteristic and the bytes differ); "command" fails only when
  the bytes do not fit the link (more than MTU - 3), with org.bluez.Error.Failed "Failed to
  initiate write". A "command" is answered once bluetoothd has queued it to the link; a test can
  make that answer slow (SetWriteDelay) and read how many waited at once (CommandWrites).
- Every characteristic carries the link's MTU (247 unless a test sets another).
- A characteristic that can notify carries a client characteristic configuration descriptor.
- Powering the adapter off drops every link and stops discovery.
'''

import dbus
from gi.repository import GLib

from dbusmock import OBJECT_MANAGER_IFACE, mockobject

BUS_NAME = 'org.bluez'
MAIN_OBJ = '/'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

CONTROL_IFACE = 'org.vontal.BluezMock'
AGENT_MANAGER_IFACE = 'org.bluez.AgentManager1'
PROFILE_MANAGER_IFACE = 'org.bluez.ProfileManager1'
ADAPTER_IFACE = 'org.bluez.Adapter1'
DEVICE_IFACE = 'org.bluez.Device1'
SERVICE_IFACE = 'org.bluez.GattService1'
CHAR_IFACE = 'org.bluez.GattCharacteristic1'
DESC_IFACE = 'org.bluez.GattDescriptor1'
CCCD_UUID = '00002902-0000-1000-8000-00805f9b34fb'

ADAPTER_PATH = '/org/bluez/hci0'

# What devices received, in order: (operation, device address, UUID, bytes, write type).
operations = []
# Characteristic path -> password bytes; a write request of anything else is refused.
passwords = {}
# Characteristic path -> error name for every write request (scripted failures).
write_errors = {}
# Device address -> whether Connect succeeds.
reachable = {}
# Object path -> next GATT handle, per device.
next_handle = {}
# Characteristic paths whose devices drop the link when the characteristic is written.
drop_on_write = set()
# Characteristic path ('' for every characteristic) -> milliseconds before a "command" write is
# answered.
command_delays = {}
# Device address -> [commands not answered yet, most not answered at once, last bytes written].
command_writes = {}


# The object on "/", which the object-manager signals come from.
main_object = None


def _objects():
    return mockobject.objects


def _record(operation, address, uuid='', value=b'', write_type=''):
    operations.append((operation, address, uuid, bytes(value), write_type))


def _device_path(address):
    return ADAPTER_PATH + '/dev_' + address.upper().replace(':', '_')


def _device_of(path):
    '''The Device1 object that a GATT object path belongs to.'''
    parts = path.split('/')
    return _objects()['/'.join(parts[:5])]


def _address_of(path):
    return str(_device_of(path).props[DEVICE_IFACE]['Address'])


def _byte_array(value):
    return dbus.Array([dbus.Byte(b) for b in bytes(value)], signature='y')


def _emit_added(path):
    main_object.EmitSignal(OBJECT_MANAGER_IFACE, 'InterfacesAdded', 'oa{sa{sv}}',
                    [dbus.ObjectPath(path), _objects()[path].props])


def _emit_removed(path):
    main_object.EmitSignal(OBJECT_MANAGER_IFACE, 'InterfacesRemoved', 'oas',
                    [dbus.ObjectPath(path), dbus.Array(list(_objects()[path].props.keys()),
                                                       signature='s')])


def _fail(name, message):
    return dbus.exceptions.DBusException(message, name='org.bluez.Error.' + name)


def _adapter():
    return _objects().get(ADAPTER_PATH)


def _powered():
    adapter = _adapter()
    return adapter is not None and bool(adapter.props[ADAPTER_IFACE]['Powered'])


def _set_link(device, up):
    props = device.props[DEVICE_IFACE]
    if bool(props['Connected']) == up:
        return
    if up:
        device.UpdateProperties(DEVICE_IFACE, {'Connected': dbus.Boolean(True)})
        # bluetoothd resolves services after the link is up and says so separately.
        GLib.idle_add(_resolve_services, device)
    else:
        for path, obj in list(_objects().items()):
            if path.startswith(device.path + '/') and CHAR_IFACE in obj.props:
                if obj.props[CHAR_IFACE]['Notifying']:
                    obj.UpdateProperties(CHAR_IFACE, {'Notifying': dbus.Boolean(False)})
        device.UpdateProperties(DEVICE_IFACE, {'ServicesResolved': dbus.Boolean(False),
                                               'Connected': dbus.Boolean(False)})


def _resolve_services(device):
    if device.path in _objects() and device.props[DEVICE_IFACE]['Connected']:
        device.UpdateProperties(DEVICE_IFACE, {'ServicesResolved': dbus.Boolean(True)})
    return False


# Adapter1 ---------------------------------------------------------------------------------------

def adapter_start_discovery(adapter):
    _record('StartDiscovery', '')
    if not adapter.props[ADAPTER_IFACE]['Powered']:
        raise _fail('NotReady', 'Resource Not Ready')
    adapter.UpdateProperties(ADAPTER_IFACE, {'Discovering': dbus.Boolean(True)})


def adapter_stop_discovery(adapter):
    _record('StopDiscovery', '')
    if not adapter.props[ADAPTER_IFACE]['Discovering']:
        raise _fail('Failed', 'No discovery started')
    adapter.UpdateProperties(ADAPTER_IFACE, {'Discovering': dbus.Boolean(False)})


def adapter_set_discovery_filter(_adapter_obj, _filter):
    _record('SetDiscoveryFilter', '')


def adapter_get_discovery_filters(_adapter_obj):
    return dbus.Array(['UUIDs', 'RSSI', 'Pathloss', 'Transport', 'DuplicateData'], signature='s')


def adapter_remove_device(_adapter_obj, path):
    if path not in _objects():
        raise _fail('DoesNotExist', 'Does Not Exist')
    _remove_tree(str(path))


def _remove_tree(root):
    for path in sorted((p for p in _objects() if p == root or p.startswith(root + '/')),
                       key=len, reverse=True):
        _emit_removed(path)
        _objects()[path].remove_from_connection()
        del _objects()[path]


# Device1 ----------------------------------------------------------------------------------------

def device_connect(device):
    address = str(device.props[DEVICE_IFACE]['Address'])
    _record('Connect', address)
    if not _powered():
        raise _fail('NotReady', 'Resource Not Ready')
    if not reachable.get(address, True):
        raise _fail('Failed', 'le-connection-abort-by-local')
    _set_link(device, True)


def device_disconnect(device):
    address = str(device.props[DEVICE_IFACE]['Address'])
    _record('Disconnect', address)
    _set_link(device, False)


# GattCharacteristic1 ----------------------------------------------------------------------------

def _require_link(obj):
    if not _device_of(obj.path).props[DEVICE_IFACE]['Connected']:
        raise _fail('NotConnected', 'Not Connected')


def char_read_value(char, _options):
    props = char.props[CHAR_IFACE]
    _record('ReadValue', _address_of(char.path), str(props['UUID']))
    _require_link(char)
    value = bytes(props['Value'])

    def announce():
        if char.path in _objects():
            char.UpdateProperties(CHAR_IFACE, {'Value': _byte_array(value)})
        return False

    # bluetoothd answers first and announces the new Value property from its idle loop.
    GLib.idle_add(announce)
    return _byte_array(value)


def char_write_value(char, value, options):
    props = char.props[CHAR_IFACE]
    write_type = str(options.get('type', ''))
    _record('WriteValue', _address_of(char.path), str(props['UUID']), bytes(value), write_type)
    _require_link(char)
    if char.path in drop_on_write:
        _set_link(_device_of(char.path), False)
        raise _fail('NotConnected', 'Not Connected')
    if write_type == 'command':
        if len(value) > int(props['MTU']) - 3:
            raise _fail('Failed', 'Failed to initiate write')
        return
    if char.path in write_errors:
        raise dbus.exceptions.DBusException('Operation failed with ATT error: 0x0e',
                                            name=write_errors[char.path])
    if char.path in passwords and bytes(value) != passwords[char.path]:
        raise _fail('Failed', 'Operation failed with ATT error: 0x80')


@dbus.service.method(CHAR_IFACE, in_signature='aya{sv}', out_signature='',
                     async_callbacks=('reply', 'error'))
def char_write_value_async(char, value, options, reply, error):
    '''WriteValue with its answer sent later for a "command" (a write without response) when a
    delay is set: the write is taken and recorded now, its outcome told after the delay.'''
    write_type = str(options.get('type', ''))
    try:
        char_write_value(char, value, options)
        outcome = None
    except dbus.exceptions.DBusException as failure:
        outcome = failure
    if write_type != 'command':
        if outcome is None:
            reply()
        else:
            error(outcome)
        return
    stats = command_writes.setdefault(_address_of(char.path), [0, 0, b''])
    stats[0] += 1
    stats[1] = max(stats[1], stats[0])
    stats[2] = bytes(value)

    def answer():
        stats[0] -= 1
        if outcome is None:
            reply()
        else:
            error(outcome)
        return False

    delay = command_delays.get(char.path, command_delays.get('', 0))
    if delay > 0:
        GLib.timeout_add(delay, answer)
    else:
        answer()


def char_start_notify(char):
    props = char.props[CHAR_IFACE]
    _record('StartNotify', _address_of(char.path), str(props['UUID']))
    _require_link(char)
    if not props['Notifying']:
        char.UpdateProperties(CHAR_IFACE, {'Notifying': dbus.Boolean(True)})


def char_stop_notify(char):
    props = char.props[CHAR_IFACE]
    _record('StopNotify', _address_of(char.path), str(props['UUID']))
    if props['Notifying']:
        char.UpdateProperties(CHAR_IFACE, {'Notifying': dbus.Boolean(False)})


def desc_read_value(desc, _options):
    props = desc.props[DESC_IFACE]
    _record('ReadDescriptor', _address_of(desc.path), str(props['UUID']))
    return _byte_array(bytes(props['Value']))


def desc_write_value(desc, value, _options):
    props = desc.props[DESC_IFACE]
    _record('WriteDescriptor', _address_of(desc.path), str(props['UUID']), bytes(value))


# Scripting interface ----------------------------------------------------------------------------

@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='s')
def AddAdapter(main, address):
    '''Adds hci0 with the given address, powered on.'''
    if ADAPTER_PATH in _objects():
        raise _fail('AlreadyExists', 'Already Exists')
    main.AddObject(ADAPTER_PATH, ADAPTER_IFACE, {
        'Address': dbus.String(address.upper()),
        'AddressType': dbus.String('public'),
        'Name': dbus.String('vontal-mock'),
        'Alias': dbus.String('vontal-mock'),
        'Class': dbus.UInt32(0),
        'Powered': dbus.Boolean(True),
        'Discoverable': dbus.Boolean(False),
        'DiscoverableTimeout': dbus.UInt32(180),
        'Pairable': dbus.Boolean(True),
        'PairableTimeout': dbus.UInt32(0),
        'Discovering': dbus.Boolean(False),
        'UUIDs': dbus.Array([], signature='s'),
        'Modalias': dbus.String('usb:v1D6Bp0246d0541'),
    }, [
        ('StartDiscovery', '', '', adapter_start_discovery),
        ('StopDiscovery', '', '', adapter_stop_discovery),
        ('SetDiscoveryFilter', 'a{sv}', '', adapter_set_discovery_filter),
        ('GetDiscoveryFilters', '', 'as', adapter_get_discovery_filters),
        ('RemoveDevice', 'o', '', adapter_remove_device),
    ])
    _emit_added(ADAPTER_PATH)
    return ADAPTER_PATH


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='')
def RemoveAdapter(_main):
    '''Unplugs hci0 with everything below it.'''
    if ADAPTER_PATH in _objects():
        _remove_tree(ADAPTER_PATH)


@dbus.service.method(CONTROL_IFACE, in_signature='b', out_signature='')
def SetPowered(_main, powered):
    '''Switches the radio; switching it off drops every link and stops discovery.'''
    adapter = _adapter()
    if adapter is None:
        raise _fail('DoesNotExist', 'No adapter')
    if not powered:
        for path, obj in list(_objects().items()):
            if DEVICE_IFACE in obj.props:
                _set_link(obj, False)
        if adapter.props[ADAPTER_IFACE]['Discovering']:
            adapter.UpdateProperties(ADAPTER_IFACE, {'Discovering': dbus.Boolean(False)})
    adapter.UpdateProperties(ADAPTER_IFACE, {'Powered': dbus.Boolean(powered)})


@dbus.service.method(CONTROL_IFACE, in_signature='ssas', out_signature='s')
def AddDevice(main, address, name, service_uuids):
    '''Adds an LE device that advertises the given services and is in range.'''
    path = _device_path(address)
    main.AddObject(path, DEVICE_IFACE, {
        'Address': dbus.String(address.upper()),
        'AddressType': dbus.String('random'),
        'Name': dbus.String(name),
        'Alias': dbus.String(name),
        'Adapter': dbus.ObjectPath(ADAPTER_PATH),
        'Paired': dbus.Boolean(False),
        'Bonded': dbus.Boolean(False),
        'Trusted': dbus.Boolean(False),
        'Blocked': dbus.Boolean(False),
        'LegacyPairing': dbus.Boolean(False),
        'Connected': dbus.Boolean(False),
        'ServicesResolved': dbus.Boolean(False),
        'UUIDs': dbus.Array([str(u).lower() for u in service_uuids], signature='s'),
        'RSSI': dbus.Int16(-52),
        'TxPower': dbus.Int16(4),
    }, [
        ('Connect', '', '', device_connect),
        ('Disconnect', '', '', device_disconnect),
    ])
    reachable[address.upper()] = True
    next_handle[path] = 1
    _emit_added(path)
    return path


def _take_handle(device_path, count=1):
    handle = next_handle[device_path]
    next_handle[device_path] = handle + count
    return handle


@dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='s')
def AddGattService(main, address, uuid):
    '''Adds a primary service to a device.'''
    device_path = _device_path(address)
    handle = _take_handle(device_path)
    path = f'{device_path}/service{handle:04x}'
    main.AddObject(path, SERVICE_IFACE, {
        'UUID': dbus.String(uuid.lower()),
        'Device': dbus.ObjectPath(device_path),
        'Primary': dbus.Boolean(True),
        'Includes': dbus.Array([], signature='o'),
        'Handle': dbus.UInt16(handle),
    }, [])
    _emit_added(path)
    return path


@dbus.service.method(CONTROL_IFACE, in_signature='ssasay', out_signature='s')
def AddGattCharacteristic(main, service_path, uuid, flags, value):
    '''Adds a characteristic; one that can notify or indicate also gets its CCC descriptor.'''
    device_path = '/'.join(service_path.split('/')[:5])
    handle = _take_handle(device_path, 2)
    path = f'{service_path}/char{handle:04x}'
    main.AddObject(path, CHAR_IFACE, {
        'UUID': dbus.String(uuid.lower()),
        'Service': dbus.ObjectPath(service_path),
        'Value': _byte_array(value),
        'Notifying': dbus.Boolean(False),
        'Flags': dbus.Array([str(f) for f in flags], signature='s'),
        'Handle': dbus.UInt16(handle + 1),
        'MTU': dbus.UInt16(247),
    }, [
        ('ReadValue', 'a{sv}', 'ay', char_read_value),
        ('WriteValue', 'aya{sv}', '', char_write_value),
        ('StartNotify', '', '', char_start_notify),
        ('StopNotify', '', '', char_stop_notify),
    ])
    # dbusmock's own methods answer at once; WriteValue must be able to answer later.
    methods = _objects()[path].methods[CHAR_IFACE]
    methods['WriteValue'] = methods['WriteValue'][:3] + (char_write_value_async,)
    _emit_added(path)
    if 'notify' in flags or 'indicate' in flags:
        desc_handle = _take_handle(device_path)
        desc_path = f'{path}/desc{desc_handle:04x}'
        main.AddObject(desc_path, DESC_IFACE, {
            'UUID': dbus.String(CCCD_UUID),
            'Characteristic': dbus.ObjectPath(path),
            'Value': _byte_array(b'\x00\x00'),
            'Flags': dbus.Array(['read', 'write'], signature='s'),
            'Handle': dbus.UInt16(desc_handle),
        }, [
            ('ReadValue', 'a{sv}', 'ay', desc_read_value),
            ('WriteValue', 'aya{sv}', '', desc_write_value),
        ])
        _emit_added(desc_path)
    return path


@dbus.service.method(CONTROL_IFACE, in_signature='say', out_signature='')
def SetPassword(_main, char_path, password):
    '''Write requests of anything but these bytes to the characteristic are refused.'''
    passwords[str(char_path)] = bytes(password)


@dbus.service.method(CONTROL_IFACE, in_signature='ss', out_signature='')
def RefuseWrites(_main, char_path, error_name):
    '''Every write request to the characteristic fails with the given D-Bus error name.'''
    write_errors[str(char_path)] = str(error_name)


@dbus.service.method(CONTROL_IFACE, in_signature='say', out_signature='')
def SetValue(_main, char_path, value):
    '''Changes what the next read answers, without notifying.'''
    _objects()[char_path].props[CHAR_IFACE]['Value'] = _byte_array(value)


@dbus.service.method(CONTROL_IFACE, in_signature='say', out_signature='')
def Notify(_main, char_path, value):
    '''The device sends a notification (only heard while notifications are on).'''
    char = _objects()[char_path]
    char.props[CHAR_IFACE]['Value'] = _byte_array(value)
    if char.props[CHAR_IFACE]['Notifying']:
        char.UpdateProperties(CHAR_IFACE, {'Value': _byte_array(value)})


@dbus.service.method(CONTROL_IFACE, in_signature='sq', out_signature='')
def SetMtu(_main, address, mtu):
    '''The ATT MTU of the device's link, as every one of its characteristics tells it.'''
    prefix = _device_path(address) + '/'
    for path, obj in list(_objects().items()):
        if path.startswith(prefix) and CHAR_IFACE in obj.props:
            obj.UpdateProperties(CHAR_IFACE, {'MTU': dbus.UInt16(mtu)})


@dbus.service.method(CONTROL_IFACE, in_signature='sb', out_signature='')
def DropLinkOnWrite(_main, char_path, drops):
    '''Whether the device drops the link when the characteristic is written (the write fails).'''
    if drops:
        drop_on_write.add(str(char_path))
    else:
        drop_on_write.discard(str(char_path))


@dbus.service.method(CONTROL_IFACE, in_signature='su', out_signature='')
def SetWriteDelay(_main, char_path, milliseconds):
    '''How long a "command" write to the characteristic ('' for every one) waits for its answer.'''
    command_delays[str(char_path)] = int(milliseconds)


@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='uuay')
def CommandWrites(_main, address):
    '''Of the device's "command" writes: how many wait for their answer now, the most that ever
    waited at once, and the bytes of the last one.'''
    pending, most, last = command_writes.get(address.upper(), [0, 0, b''])
    return dbus.UInt32(pending), dbus.UInt32(most), _byte_array(last)


@dbus.service.method(CONTROL_IFACE, in_signature='s', out_signature='')
def DropLink(_main, address):
    '''The device goes away: the link is lost from the device's side.'''
    _set_link(_objects()[_device_path(address)], False)


@dbus.service.method(CONTROL_IFACE, in_signature='sn', out_signature='')
def SetRssi(_main, address, rssi):
    '''The device is heard again, with another signal strength.'''
    _objects()[_device_path(address)].UpdateProperties(DEVICE_IFACE, {'RSSI': dbus.Int16(rssi)})


@dbus.service.method(CONTROL_IFACE, in_signature='sb', out_signature='')
def SetReachable(_main, address, is_reachable):
    '''Whether Connect to the device succeeds.'''
    reachable[address.upper()] = bool(is_reachable)


# Addresses of the devices AdvertiseRotating added and has not removed yet, oldest first.
rotating = []
rotating_serial = [0]


@dbus.service.method(CONTROL_IFACE, in_signature='uuas', out_signature='as')
def AdvertiseRotating(main, count, keep, service_uuids):
    '''Devices that change their (resolvable private) address: adds `count` devices with new
    addresses advertising the services, then removes the oldest ones beyond `keep`, as bluetoothd
    drops a device it has not heard for a while (InterfacesRemoved). Connected devices stay.
    Returns the addresses added.'''
    added = []
    for _ in range(count):
        rotating_serial[0] += 1
        serial = rotating_serial[0]
        address = '4A:%02X:%02X:%02X:%02X:%02X' % (
            (serial >> 32) & 0xFF, (serial >> 24) & 0xFF, (serial >> 16) & 0xFF,
            (serial >> 8) & 0xFF, serial & 0xFF)
        AddDevice(main, address, 'Rotating', service_uuids)
        rotating.append(address)
        added.append(address)
    kept = []
    excess = len(rotating) - keep
    for address in rotating:
        path = _device_path(address)
        if excess > 0 and path in _objects() and \
                not _objects()[path].props[DEVICE_IFACE]['Connected']:
            _remove_tree(path)
            reachable.pop(address, None)
            next_handle.pop(path, None)
            excess -= 1
        elif path in _objects():
            kept.append(address)
    rotating[:] = kept
    return dbus.Array(added, signature='s')


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='a(sssays)')
def Operations(_main):
    '''Everything the devices and the adapter received, in order.'''
    return dbus.Array([(op, address, uuid, _byte_array(value), write_type)
                       for op, address, uuid, value, write_type in operations],
                      signature='(sssays)')


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='')
def ClearOperations(_main):
    del operations[:]


# A bluetoothd that holds its name but does not answer: while set, GetManagedObjects calls are
# held; they are answered once it is cleared, as a stuck bluetoothd that recovers would.
silent = [False]
held_questions = []


@dbus.service.method(OBJECT_MANAGER_IFACE, in_signature='', out_signature='a{oa{sa{sv}}}',
                     async_callbacks=('reply', 'error'))
def get_managed_objects_async(main, reply, error):
    if silent[0]:
        main.log('GetManagedObjects held')
        held_questions.append((reply, error))
        return
    reply(mockobject.DBusMockObject.mock_method(main, OBJECT_MANAGER_IFACE, 'GetManagedObjects',
                                                ''))


@dbus.service.method(CONTROL_IFACE, in_signature='b', out_signature='')
def SetSilent(main, is_silent):
    '''Whether GetManagedObjects goes unanswered (held until this is cleared).'''
    silent[0] = bool(is_silent)
    if not silent[0]:
        for reply, _error in held_questions:
            get_managed_objects_async(main, reply, _error)
        del held_questions[:]


# A bluetoothd that keeps dying and being started again: its name goes and comes back. Going, it
# takes every link with it, as the kernel drops the connections of a bluetoothd that exits; its
# devices and adapter are there again when it comes back, as a restarted bluetoothd finds them.
churn_steps = [0]
name_held = [True]


def _churn_step(main, period):
    if churn_steps[0] <= 0:
        return False
    churn_steps[0] -= 1
    if name_held[0]:
        for obj in list(_objects().values()):
            if DEVICE_IFACE in obj.props:
                _set_link(obj, False)
        adapter = _adapter()
        if adapter is not None and adapter.props[ADAPTER_IFACE]['Discovering']:
            adapter.UpdateProperties(ADAPTER_IFACE, {'Discovering': dbus.Boolean(False)})
        main.connection.release_name(BUS_NAME)
        name_held[0] = False
    else:
        main.connection.request_name(BUS_NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
        name_held[0] = True
    if churn_steps[0] > 0:
        return True
    # However it went, it ends up running.
    if not name_held[0]:
        main.connection.request_name(BUS_NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
        name_held[0] = True
    return False


@dbus.service.method(CONTROL_IFACE, in_signature='uu', out_signature='')
def Churn(main, period, times):
    '''Lets go of org.bluez and takes it back, every period ms, times times (going and coming
    back each count once); the mock holds the name again at the end. Scripted by its unique name
    meanwhile.'''
    churn_steps[0] = int(times)
    GLib.timeout_add(int(period), _churn_step, main, int(period))


@dbus.service.method(CONTROL_IFACE, in_signature='', out_signature='b')
def Churning(_main):
    '''Whether a churn is still going on.'''
    return churn_steps[0] > 0


def load(mock, parameters):
    global main_object  # pylint: disable=global-statement
    main_object = mock
    # dbusmock answers its own methods at once; GetManagedObjects must be able to hang.
    methods = mock.methods[OBJECT_MANAGER_IFACE]
    methods['GetManagedObjects'] = methods['GetManagedObjects'][:3] + (get_managed_objects_async,)
    mock.AddObject('/org/bluez', AGENT_MANAGER_IFACE, {}, [
        ('RegisterAgent', 'os', '', ''),
        ('RequestDefaultAgent', 'o', '', ''),
        ('UnregisterAgent', 'o', '', ''),
    ])
    _objects()['/org/bluez'].AddMethods(PROFILE_MANAGER_IFACE, [
        ('RegisterProfile', 'osa{sv}', '', ''),
        ('UnregisterProfile', 'o', '', ''),
    ])
    if parameters.get('adapter', True):
        AddAdapter(mock, parameters.get('adapter_address', '00:1A:7D:DA:71:13'))
