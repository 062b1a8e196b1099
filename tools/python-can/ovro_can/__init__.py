"""python-can interface for Ovro-QVT's virtual CAN bus.

    import can
    bus = can.Bus(interface="ovro", channel="demo", bitrate=500000)

A bus is the folder <root>/<channel> of Unix datagram sockets, the root
$OVRO_CANBUS_DIR or /tmp/ovro-canbus-<uid>; every frame is a 20-byte
datagram sent to every other socket of the folder (libs/canbus/README.md).
"""

from .bus import OvroBus, bus_directory, decode, encode

__all__ = ["OvroBus", "bus_directory", "decode", "encode"]
__version__ = "1.0"
