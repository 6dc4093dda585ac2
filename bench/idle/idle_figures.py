#!/usr/bin/python3
'''What vontal costs while nothing happens: CPU time per minute, wake-ups per second and peak
resident memory of the real program against the BlueZ stand-in, with two connected devices and with
no adapter. Run by hand, not by ctest:

    tests/support/bluez/run_with_system_bus.sh bench/idle/idle_figures.py <vontal> [seconds=60]

Every figure is the whole process's, the threads that have ended included: vontal's worker
threads (Qt's and GLib's pools) start and end while it is idle, so a sum over the threads alive
at two moments loses the ones that ended in between. CPU time is the process's CPU-time clock (what
clock_gettime(CLOCK_PROCESS_CPUTIME_ID) gives inside it); wake-ups are its voluntary context
switches, each one sleep that ended, from the kernel's taskstats, which needs root
(CAP_NET_ADMIN). The first seconds after the devices are paired are left out of the window.'''

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

import dbus

from taskstats import ProcessSwitches

HERE = os.path.dirname(os.path.abspath(__file__))
MOCK = os.path.join(HERE, '..', '..', 'tests', 'support', 'bluez', 'bluez_mock.py')
SERVICE = '837084C2-C091-41FF-A39F-4C43873CE2D5'
PASSWORD = 'B549B710-BFDE-44AB-A496-B8DFA77D606A'
DATA = '86EA8D4D-D290-41CB-83EF-172B10165725'
NAME = '5E3C0A0C-9F7B-4BDE-8F62-6E8E0C6E3A01'
DEVICES = [('C0:FF:EE:00:00:01', 'Desk'), ('C0:FF:EE:00:00:02', 'Pad')]


def wait_for(check, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if check():
            return
        time.sleep(0.05)
    raise SystemExit('timed out waiting for ' + what)


def control(bus):
    return dbus.Interface(bus.get_object('org.bluez', '/'), 'org.vontal.BluezMock')


def start_mock(with_adapter, log):
    mock = subprocess.Popen(['/usr/bin/python3', '-m', 'dbusmock', '--system', '-t', MOCK, '-p',
                             json.dumps({'adapter': with_adapter})],
                            stdout=subprocess.DEVNULL, stderr=log)
    bus = dbus.SystemBus()

    def up():
        try:
            control(bus).Operations()
            return True
        except dbus.exceptions.DBusException:
            return False
    wait_for(up, 10, 'the BlueZ stand-in')
    return mock, control(bus)


def add_devices(mock_control):
    for address, name in DEVICES:
        mock_control.AddDevice(address, name, [SERVICE])
        service = mock_control.AddGattService(address, SERVICE)
        password = mock_control.AddGattCharacteristic(service, PASSWORD, ['write'], b'')
        mock_control.AddGattCharacteristic(
            service, DATA, ['read', 'write', 'write-without-response', 'notify'], b'\x00')
        mock_control.AddGattCharacteristic(service, NAME, ['read', 'notify'], b'')
        mock_control.SetPassword(password, dbus.ByteArray(b'sesame'))


def paired(mock_control):
    notified = {str(op[1]) for op in mock_control.Operations()
                if op[0] == 'StartNotify' and str(op[2]).upper() == DATA}
    return all(address in notified for address, _ in DEVICES)


def cpu_ns(pid):
    # The CPU-time clock of another process (clock_getcpuclockid): nanoseconds, every thread's
    # that has ever run in it, where /proc/PID/stat's utime and stime count in 10 ms ticks.
    return time.clock_gettime_ns(((~pid) << 3) | 2)


def wakeups(switches, pid):
    voluntary, _ = switches.read(pid)
    return voluntary


def peak_rss_kib(pid):
    with open(f'/proc/{pid}/status') as status:
        for line in status:
            if line.startswith('VmHWM'):
                return int(line.split()[1])
    return 0


def measure(program, seconds, with_devices, switches):
    root = tempfile.mkdtemp(prefix='vontal-idle.')
    log = open(os.path.join(root, 'mock.log'), 'w')
    mock, mock_control = start_mock(with_devices, log)
    vontal = None
    try:
        config = os.path.join(root, 'config')
        runtime = os.path.join(root, 'runtime')
        os.makedirs(os.path.join(config, 'vontal'), mode=0o700)
        os.makedirs(runtime, mode=0o700)
        if with_devices:
            add_devices(mock_control)
            settings = {f'00000000-0000-0000-0000-{a.replace(":", "")}': 'sesame'
                        for a, _ in DEVICES}
            with open(os.path.join(config, 'vontal', 'vontal.json'), 'w') as f:
                json.dump(settings, f)
        env = {k: v for k, v in os.environ.items()
               if k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'XDG_SESSION_TYPE',
                            'DBUS_SESSION_BUS_ADDRESS')}
        env.update({'HOME': root, 'XDG_CONFIG_HOME': config, 'XDG_RUNTIME_DIR': runtime,
                    'QT_QPA_PLATFORM': 'offscreen', 'BLUETOOTH_FORCE_DBUS_LE_VERSION': '5.66'})
        vontal = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        if with_devices:
            wait_for(lambda: paired(mock_control), 20, 'both devices to be paired')
        time.sleep(3)
        cpu0, sw0, t0 = cpu_ns(vontal.pid), wakeups(switches, vontal.pid), time.monotonic()
        time.sleep(seconds)
        cpu1, sw1, t1 = cpu_ns(vontal.pid), wakeups(switches, vontal.pid), time.monotonic()
        minutes = (t1 - t0) / 60
        return ((cpu1 - cpu0) / 1e6 / minutes, (sw1 - sw0) / (t1 - t0),
                peak_rss_kib(vontal.pid) / 1024)
    finally:
        if vontal:
            vontal.terminate()
            vontal.wait()
        mock.terminate()
        mock.wait()
        log.close()
        shutil.rmtree(root, ignore_errors=True)


def main():
    if len(sys.argv) < 2 or 'DBUS_SYSTEM_BUS_ADDRESS' not in os.environ:
        raise SystemExit(__doc__)
    program = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60
    try:
        switches = ProcessSwitches()
        switches.read(os.getpid())
    except OSError as error:
        raise SystemExit(f'cannot read whole-process context switches ({error}); run as root')
    print(f'{"situation":<28} {"CPU ms/min":>10} {"wake-ups/s":>10} {"peak RSS MiB":>12}')
    for label, with_devices in (('two connected devices', True), ('no adapter', False)):
        cpu, wakeups, rss = measure(program, seconds, with_devices, switches)
        print(f'{label:<28} {cpu:>10.1f} {wakeups:>10.2f} {rss:>12.1f}')


if __name__ == '__main__':
    main()
