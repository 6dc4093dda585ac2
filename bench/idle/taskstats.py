'''Context switches of a whole process, the threads that have ended included, from the kernel's
taskstats interface (generic netlink). /proc/PID/status counts only the main thread, and
/proc/PID/task/* only the threads still alive; the kernel adds an ending thread's counts to its
process, and taskstats is the one place outside the process that reports that sum. Asking for
another process's figures needs CAP_NET_ADMIN.'''

import errno
import socket
import struct

NETLINK_GENERIC = 16
NLMSG_ERROR = 2
NLM_F_REQUEST = 1
GENL_ID_CTRL = 0x10
CTRL_CMD_GETFAMILY = 3
CTRL_ATTR_FAMILY_ID = 1
CTRL_ATTR_FAMILY_NAME = 2
TASKSTATS_CMD_GET = 1
TASKSTATS_CMD_ATTR_TGID = 2
TASKSTATS_TYPE_STATS = 3
TASKSTATS_TYPE_AGGR_TGID = 5
# Offsets in struct taskstats (linux/taskstats.h), which only ever grows at its end.
NVCSW_OFFSET = 272
NIVCSW_OFFSET = 280


def _attribute(kind, value):
    return struct.pack('HH', 4 + len(value), kind) + value + b'\0' * (-len(value) % 4)


def _attributes(data):
    found = {}
    while len(data) >= 4:
        length, kind = struct.unpack('HH', data[:4])
        if length < 4:
            break
        found[kind & 0x3fff] = data[4:length]
        data = data[(length + 3) & ~3:]
    return found


class ProcessSwitches:
    '''Reads the voluntary and involuntary context switches of a thread group.'''

    def __init__(self):
        self._socket = socket.socket(socket.AF_NETLINK, socket.SOCK_RAW, NETLINK_GENERIC)
        self._socket.bind((0, 0))
        self._sequence = 0
        family = self._ask(GENL_ID_CTRL, CTRL_CMD_GETFAMILY,
                           _attribute(CTRL_ATTR_FAMILY_NAME, b'TASKSTATS\0'))
        if CTRL_ATTR_FAMILY_ID not in family:
            raise OSError(errno.ENOENT, 'the kernel offers no taskstats')
        self._family = struct.unpack('H', family[CTRL_ATTR_FAMILY_ID][:2])[0]

    def close(self):
        self._socket.close()

    def _ask(self, family, command, payload):
        self._sequence += 1
        body = struct.pack('BBH', command, 1, 0) + payload
        self._socket.send(struct.pack('IHHII', 16 + len(body), family, NLM_F_REQUEST,
                                      self._sequence, 0) + body)
        while True:
            reply = self._socket.recv(65536)
            length, kind, _, sequence = struct.unpack('IHHI', reply[:12])
            if sequence != self._sequence:
                continue
            if kind == NLMSG_ERROR:
                code = -struct.unpack('i', reply[16:20])[0]
                raise OSError(code, 'taskstats: ' + errno.errorcode.get(code, str(code)))
            return _attributes(reply[20:length])

    def read(self, pid):
        '''(voluntary, involuntary) switches of every thread pid's process has had.'''
        reply = self._ask(self._family, TASKSTATS_CMD_GET,
                          _attribute(TASKSTATS_CMD_ATTR_TGID, struct.pack('I', pid)))
        stats = _attributes(reply.get(TASKSTATS_TYPE_AGGR_TGID, b'')).get(TASKSTATS_TYPE_STATS)
        if stats is None or len(stats) < NIVCSW_OFFSET + 8:
            raise OSError(errno.EPROTO, 'taskstats sent no process figures')
        return struct.unpack_from('QQ', stats, NVCSW_OFFSET)
