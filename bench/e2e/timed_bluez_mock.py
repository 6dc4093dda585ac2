'''The BlueZ stand-in of the backend tests, with the time each write without response reached it.

For the end-to-end latency benchmark: every WriteValue of type "command" is stamped with
CLOCK_MONOTONIC twice, when the message is taken off the bus (a connection filter, the first
Python code to see it) and when the handler runs (after dbusmock's logging and its MethodCalled
signal). The benchmark reads the stamps afterwards, so reading them costs the measured path
nothing.

Extra methods on org.vontal.BluezMock:
- CommandTimes(u first) -> a(saytt): address, bytes, arrival and handler times of the writes
  without response from index `first` on.
- Clock() -> t: the arrival time of this very call, to measure the bus and dispatch on their own.
'''

import importlib.util
import os
import time

import dbus
import dbus.lowlevel

_BASE_PATH = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tests',
                          'support', 'bluez', 'bluez_mock.py')


def _load_base():
    module_location = importlib.util.spec_from_file_location('bluez_mock', _BASE_PATH)
    module = importlib.util.module_from_spec(module_location)
    module_location.loader.exec_module(module)
    return module


_base = _load_base()

BUS_NAME = _base.BUS_NAME
MAIN_OBJ = _base.MAIN_OBJ
SYSTEM_BUS = _base.SYSTEM_BUS
IS_OBJECT_MANAGER = _base.IS_OBJECT_MANAGER

# The scripting methods of the stand-in, unchanged.
for _name in dir(_base):
    if hasattr(getattr(_base, _name), '_dbus_interface'):
        globals()[_name] = getattr(_base, _name)

# (address, bytes, arrival ns, handler ns) of every write without response.
command_times = []
_arrival_ns = 0


def _now():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


def _stamp_arrival(_connection, _message):
    # libdbus runs the filters of a message right before handing it to its object, so when a
    # handler runs, this holds the arrival of the message it handles.
    global _arrival_ns  # pylint: disable=global-statement
    _arrival_ns = _now()
    return dbus.lowlevel.HANDLER_RESULT_NOT_YET_HANDLED


_recording_write = _base.char_write_value


def _timed_write(char, value, options):
    handled = _now()
    if str(options.get('type', '')) == 'command':
        command_times.append((_base._address_of(char.path), bytes(value), _arrival_ns, handled))
    return _recording_write(char, value, options)


# Characteristics added from now on take this handler.
_base.char_write_value = _timed_write


@dbus.service.method(_base.CONTROL_IFACE, in_signature='u', out_signature='a(saytt)')
def CommandTimes(_main, first):
    return dbus.Array([(address, _base._byte_array(value), dbus.UInt64(arrival),
                        dbus.UInt64(handled))
                       for address, value, arrival, handled in command_times[first:]],
                      signature='(saytt)')


@dbus.service.method(_base.CONTROL_IFACE, in_signature='', out_signature='t')
def Clock(_main):
    return dbus.UInt64(_arrival_ns)


def load(mock, parameters):
    _base.load(mock, parameters)
    mock.connection.add_message_filter(_stamp_arrival)
