"""OvroBus: an endpoint of the virtual CAN bus for python-can.

The endpoint binds one AF_UNIX datagram socket in the bus folder, sends each
frame to every other socket there and drains its own socket on a reader
thread into a receive queue of 16384 frames, counting what it loses, as the
bus's contract asks of every endpoint.
"""

import collections
import errno
import os
import select
import socket
import struct
import threading
import time

import can

EFF_FLAG = 0x80000000
RTR_FLAG = 0x40000000
ERR_FLAG = 0x20000000
SFF_MASK = 0x000007FF
EFF_MASK = 0x1FFFFFFF

FRAME_SIZE = 20
QUEUE_FRAMES = 16384
_WIRE = struct.Struct("<IB3x8sI")

# A peer whose queue stays full this long misses the frame.
_FULL_PEER_RETRY = 0.002
# A refusing peer counts as gone only when it still refuses after this pause
# and its file is still the one that refused.
_REFUSED_GRACE = 0.0003

_counter = 0
_counter_lock = threading.Lock()


def bus_directory(name):
    """The folder of bus `name` ("" or None: "default")."""
    name = name or "default"
    if name in (".", "..") or "/" in name:
        raise ValueError("bad bus name %r" % name)
    root = os.environ.get("OVRO_CANBUS_DIR") or "/tmp/ovro-canbus-%d" % os.getuid()
    return os.path.join(root.rstrip("/") or "/", name)


def encode(msg, bitrate):
    """The 20-byte datagram of a python-can message."""
    if msg.is_extended_id:
        word = (msg.arbitration_id & EFF_MASK) | EFF_FLAG
    else:
        word = msg.arbitration_id & SFF_MASK
    if msg.is_remote_frame:
        word |= RTR_FLAG
    if msg.is_error_frame:
        word = ERR_FLAG | (msg.arbitration_id & EFF_MASK)
    dlc = msg.dlc
    if dlc > 8 or getattr(msg, "is_fd", False):
        raise can.CanOperationError("the virtual bus carries classic frames of up to 8 bytes")
    data = b"" if msg.is_remote_frame else bytes(msg.data[:dlc])
    return _WIRE.pack(word, dlc, data.ljust(8, b"\0"), bitrate)


def decode(datagram, channel=None, timestamp=None):
    """(message, bitrate) of a datagram, or None when it is no frame."""
    if len(datagram) != FRAME_SIZE:
        return None
    word, dlc, data, bitrate = _WIRE.unpack(datagram)
    if dlc > 8:
        return None
    error = bool(word & ERR_FLAG)
    extended = bool(word & EFF_FLAG) and not error
    remote = bool(word & RTR_FLAG) and not error
    if error:
        ident = word & EFF_MASK  # the error classes
    else:
        ident = word & (EFF_MASK if extended else SFF_MASK)
    msg = can.Message(
        timestamp=time.time() if timestamp is None else timestamp,
        arbitration_id=ident,
        is_extended_id=extended,
        is_remote_frame=remote,
        is_error_frame=error,
        dlc=dlc,
        data=None if remote else data[:dlc],
        channel=channel,
        check=False,
    )
    return msg, bitrate


def _file_id(path):
    try:
        st = os.lstat(path)
    except OSError:
        return None
    return (st.st_dev, st.st_ino)


class OvroBus(can.BusABC):
    """python-can bus on the virtual CAN bus of Ovro-QVT.

    :param channel: bus name (a folder under $OVRO_CANBUS_DIR), default "default"
    :param bitrate: bit/s; frames of other rates are not heard; 0 hears all
        and sends as "any rate"
    """

    def __init__(self, channel="default", bitrate=0, can_filters=None, **kwargs):
        global _counter
        self._name = channel or "default"
        self._bitrate = int(bitrate or 0)
        self._dir = bus_directory(self._name)
        os.makedirs(self._dir, mode=0o700, exist_ok=True)
        if not os.path.isdir(self._dir):
            raise can.CanInitializationError("%s is no folder" % self._dir)
        self._sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self._sock.setblocking(False)
        self._own = None
        for _ in range(1000):
            with _counter_lock:
                _counter += 1
                count = _counter
            name = "%d-py%d-%s.sock" % (os.getpid(), count, os.urandom(8).hex())
            try:
                self._sock.bind(os.path.join(self._dir, name))
            except OSError as exc:
                if exc.errno == errno.EADDRINUSE:
                    continue
                self._sock.close()
                raise can.CanInitializationError("cannot join bus %r: %s" % (self._name, exc)) from exc
            self._own = name
            break
        if self._own is None:
            self._sock.close()
            raise can.CanInitializationError("cannot find a free socket name on bus %r" % self._name)
        self._queue = collections.deque()
        self._lost = 0
        self._ready = threading.Condition()
        self._stop_r, self._stop_w = os.pipe()
        self._closed = False
        self._reader = threading.Thread(target=self._drain, name="ovro-can reader", daemon=True)
        self._reader.start()
        self.channel_info = "Ovro-QVT virtual CAN bus %r%s" % (
            self._name, " at %d bit/s" % self._bitrate if self._bitrate else "")
        super().__init__(channel=self._name, can_filters=can_filters, **kwargs)

    # -- receiving -------------------------------------------------------
    def _drain(self):
        while True:
            try:
                ready, _, _ = select.select([self._sock, self._stop_r], [], [])
            except InterruptedError:
                continue
            except (OSError, ValueError):
                return
            if self._stop_r in ready:
                return
            batch = []
            while True:
                try:
                    datagram = self._sock.recv(64)
                except (BlockingIOError, InterruptedError):
                    break
                except OSError:
                    return
                decoded = decode(datagram, self._name)
                if decoded is None:
                    continue
                msg, rate = decoded
                if self._bitrate and rate and rate != self._bitrate:
                    continue
                batch.append(msg)
            if batch:
                with self._ready:
                    room = QUEUE_FRAMES - len(self._queue)
                    self._queue.extend(batch[:room])
                    self._lost += max(0, len(batch) - room)
                    self._ready.notify_all()

    def _recv_internal(self, timeout):
        with self._ready:
            if not self._queue:
                self._ready.wait_for(lambda: self._queue or self._closed, timeout)
            if not self._queue:
                return None, False
            return self._queue.popleft(), False

    def take_lost(self):
        """Frames lost since the last call because the queue was full."""
        with self._ready:
            lost, self._lost = self._lost, 0
        return lost

    # -- sending ---------------------------------------------------------
    def send(self, msg, timeout=None):
        if self._closed:
            raise can.CanOperationError("the bus is shut down")
        datagram = encode(msg, self._bitrate)
        retry = []
        try:
            names = os.listdir(self._dir)
        except OSError as exc:
            raise can.CanOperationError("bus %r is gone: %s" % (self._name, exc)) from exc
        for name in names:
            if not name.endswith(".sock") or name == self._own:
                continue
            peer = [os.path.join(self._dir, name), None, None]  # path, refused at, refused file
            state = self._try_send(datagram, peer)
            if state != "done":
                retry.append(peer)
        deadline = time.monotonic() + _FULL_PEER_RETRY
        while retry:
            time.sleep(0.00002)
            now = time.monotonic()
            still = []
            for peer in retry:
                state = self._try_send(datagram, peer)
                if state == "full" and now < deadline:
                    still.append(peer)
                elif state == "refused" and self._keep_refused(peer, now, deadline):
                    still.append(peer)
            retry = still

    def _try_send(self, datagram, peer):
        try:
            self._sock.sendto(datagram, peer[0])
            return "done"
        except (BlockingIOError, InterruptedError):
            peer[1] = None
            return "full"
        except FileNotFoundError:
            return "done"
        except ConnectionRefusedError:
            if peer[1] is None:
                peer[1] = time.monotonic()
                peer[2] = _file_id(peer[0])
                if peer[2] is None:
                    return "done"
            return "refused"
        except OSError as exc:
            if exc.errno == errno.ENOBUFS:
                return "full"
            return "done"  # not a socket of the bus: leave it alone

    @staticmethod
    def _keep_refused(peer, now, deadline):
        if now - peer[1] < _REFUSED_GRACE:
            return True
        current = _file_id(peer[0])
        if current is None:
            return False
        if current == peer[2]:
            try:
                os.unlink(peer[0])  # its owner is gone
            except OSError:
                pass
            return False
        # Another socket has the name now: never remove that one.
        peer[1], peer[2] = now, current
        return now < deadline

    # -- closing ---------------------------------------------------------
    def shutdown(self):
        if self._closed:
            return
        # The file goes first, so that senders find no peer instead of a dead one.
        try:
            os.unlink(os.path.join(self._dir, self._own))
        except OSError:
            pass
        with self._ready:
            self._closed = True
            self._ready.notify_all()
        os.write(self._stop_w, b"x")
        self._reader.join()
        self._sock.close()
        os.close(self._stop_r)
        os.close(self._stop_w)
        super().shutdown()

    @staticmethod
    def _detect_available_configs():
        root = os.environ.get("OVRO_CANBUS_DIR") or "/tmp/ovro-canbus-%d" % os.getuid()
        try:
            names = sorted(os.listdir(root))
        except OSError:
            return []
        return [{"interface": "ovro", "channel": name} for name in names
                if os.path.isdir(os.path.join(root, name))]
