#!/usr/bin/python3
"""Reads a drive's identity (0x1018) and device name (0x1008) by SDO with
python-can alone, on Ovro-QVT's virtual bus:

    /usr/bin/python3 read_identity.py [BUS [NODE-ID [BITRATE]]]
"""
import struct
import sys

import can

bus_name = sys.argv[1] if len(sys.argv) > 1 else "demo"
node = int(sys.argv[2], 0) if len(sys.argv) > 2 else 5
bitrate = int(sys.argv[3]) if len(sys.argv) > 3 else 500000

with can.Bus(interface="ovro", channel=bus_name, bitrate=bitrate) as bus:

    def request(data):
        bus.send(can.Message(arbitration_id=0x600 + node, is_extended_id=False, data=data))
        while True:
            answer = bus.recv(timeout=1.0)
            if answer is None:
                sys.exit("node %d does not answer" % node)
            if answer.arbitration_id == 0x580 + node:
                if answer.data[0] == 0x80:
                    sys.exit("abort %08X" % struct.unpack_from("<I", answer.data, 4))
                return answer.data

    def upload(index, sub):
        """An SDO upload, expedited or segmented: the object's bytes."""
        first = request([0x40, index & 0xFF, index >> 8, sub, 0, 0, 0, 0])
        if first[0] & 0x02:  # expedited
            return bytes(first[4:8 - ((first[0] >> 2) & 3 if first[0] & 1 else 0)])
        value, toggle = b"", 0
        while True:
            segment = request([0x60 | toggle, 0, 0, 0, 0, 0, 0, 0])
            value += bytes(segment[1:8 - ((segment[0] >> 1) & 7)])
            if segment[0] & 0x01:
                return value
            toggle ^= 0x10

    vendor, product, revision, serial = (
        struct.unpack("<I", upload(0x1018, sub).ljust(4, b"\0"))[0] for sub in (1, 2, 3, 4))
    name = upload(0x1008, 0).decode("latin-1")
    print("Device name: %s" % name)
    print("Vendor-ID 0x%08X, product code 0x%08X, revision 0x%08X, serial number %u"
          % (vendor, product, revision, serial))
