"""The python-can interface "ovro": the wire contract of the virtual bus,
and python-can and the C endpoint (the canbus tool) hearing each other."""
import os
import shutil
import socket
import subprocess
import tempfile
import time
import unittest

import can

import ovro_can

CANBUS = os.environ.get("CANBUS_TOOL", "canbus")


class WireFormat(unittest.TestCase):
    def test_frames_are_20_bytes_in_the_socketcan_id_layout(self):
        cases = [
            ("standard", can.Message(arbitration_id=0x605, is_extended_id=False, data=[0x40, 0x08, 0x10]),
             bytes.fromhex("05060000" "03000000" "4008100000000000" "20a10700")),
            ("extended", can.Message(arbitration_id=0x18FF0001, is_extended_id=True, data=[0xAA]),
             bytes.fromhex("0100ff98" "01000000" "aa00000000000000" "20a10700")),
            ("remote", can.Message(arbitration_id=0x701, is_extended_id=False, is_remote_frame=True, dlc=1),
             bytes.fromhex("01070040" "01000000" "0000000000000000" "20a10700")),
            ("error", can.Message(arbitration_id=0x40, is_extended_id=False, is_error_frame=True, dlc=8, data=bytes(8)),
             bytes.fromhex("40000020" "08000000" "0000000000000000" "20a10700")),
        ]
        for name, msg, wire in cases:
            with self.subTest(name):
                self.assertEqual(ovro_can.encode(msg, 500000), wire)
                back, rate = ovro_can.decode(wire)
                self.assertEqual(rate, 500000)
                self.assertEqual(back.arbitration_id, msg.arbitration_id)
                self.assertEqual(back.is_extended_id, msg.is_extended_id)
                self.assertEqual(back.is_remote_frame, msg.is_remote_frame)
                self.assertEqual(back.is_error_frame, msg.is_error_frame)
                self.assertEqual(back.dlc, msg.dlc)

    def test_datagrams_that_are_no_frames_are_dropped(self):
        self.assertIsNone(ovro_can.decode(bytes(19)))
        self.assertIsNone(ovro_can.decode(bytes(21)))
        self.assertIsNone(ovro_can.decode(bytes.fromhex("05060000" "09000000") + bytes(12)))

    def test_bus_folder(self):
        os.environ["OVRO_CANBUS_DIR"] = "/tmp/some-root/"
        try:
            self.assertEqual(ovro_can.bus_directory("demo"), "/tmp/some-root/demo")
            self.assertEqual(ovro_can.bus_directory(""), "/tmp/some-root/default")
            with self.assertRaises(ValueError):
                ovro_can.bus_directory("../x")
        finally:
            del os.environ["OVRO_CANBUS_DIR"]


class OnTheBus(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="ovro-python-can-")
        os.environ["OVRO_CANBUS_DIR"] = self.root

    def tearDown(self):
        del os.environ["OVRO_CANBUS_DIR"]
        shutil.rmtree(self.root, ignore_errors=True)

    def sockets(self, bus):
        return [n for n in os.listdir(os.path.join(self.root, bus)) if n.endswith(".sock")]

    def test_python_can_finds_the_interface_by_its_entry_point(self):
        self.assertIn("ovro", can.interfaces.VALID_INTERFACES)
        with can.Bus(interface="ovro", channel="demo", bitrate=500000) as bus:
            self.assertEqual(len(self.sockets("demo")), 1)
            self.assertIn("demo", bus.channel_info)
            self.assertIn({"interface": "ovro", "channel": "demo"}, can.detect_available_configs("ovro"))
        self.assertEqual(self.sockets("demo"), [])  # its socket goes with it

    def test_the_canbus_tool_and_python_can_hear_each_other(self):
        with can.Bus(interface="ovro", channel="demo", bitrate=250000) as bus:
            subprocess.run([CANBUS, "--bitrate", "250k", "send", "demo", "123#DEADBEEF"], check=True)
            msg = bus.recv(timeout=2)
            self.assertIsNotNone(msg)
            self.assertEqual(msg.arbitration_id, 0x123)
            self.assertEqual(bytes(msg.data), bytes.fromhex("DEADBEEF"))
            # Another rate is not heard.
            subprocess.run([CANBUS, "--bitrate", "500k", "send", "demo", "124#01"], check=True)
            self.assertIsNone(bus.recv(timeout=0.1))

            log = os.path.join(self.root, "trace.log")
            dump = subprocess.Popen([CANBUS, "dump", "demo", "-l", log])
            try:
                deadline = time.time() + 5
                while len(self.sockets("demo")) < 2 and time.time() < deadline:
                    time.sleep(0.01)
                bus.send(can.Message(arbitration_id=0x18FF0001, is_extended_id=True, data=[1, 2]))
                deadline = time.time() + 5
                while time.time() < deadline and not (os.path.exists(log) and os.path.getsize(log) > 0):
                    time.sleep(0.01)
            finally:
                dump.terminate()
                dump.wait()
            with open(log) as f:
                text = f.read()
            self.assertTrue(text.endswith(" demo 18FF0001#0102\n"), text)

    def test_more_frames_than_the_socket_holds_wait_in_order_in_the_queue(self):
        # The kernel keeps about ten datagrams a socket; the reader moves
        # them into the endpoint's own queue, which holds thousands. (In
        # slices of eight, so that the sender's 2 ms retry never runs out
        # while both threads of this one process share the interpreter.)
        with can.Bus(interface="ovro", channel="demo") as rx, can.Bus(interface="ovro", channel="demo") as tx:
            for i in range(3000):
                tx.send(can.Message(arbitration_id=0x181, is_extended_id=False, data=i.to_bytes(2, "little")))
                if i % 8 == 7:
                    deadline = time.time() + 5
                    while len(rx._queue) < i + 1 and time.time() < deadline:
                        time.sleep(0.0002)
            self.assertEqual(len(rx._queue), 3000)
            got = []
            while True:
                msg = rx.recv(timeout=0.5)
                if msg is None:
                    break
                got.append(int.from_bytes(msg.data, "little"))
            self.assertEqual(got, list(range(3000)))
            self.assertEqual(rx.take_lost(), 0)

    def test_the_socket_of_a_gone_endpoint_is_removed(self):
        folder = os.path.join(self.root, "demo")
        os.makedirs(folder)
        stale = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        stale.bind(os.path.join(folder, "dead.sock"))
        stale.close()  # the file stays: its owner died
        with can.Bus(interface="ovro", channel="demo") as bus:
            bus.send(can.Message(arbitration_id=0x100, is_extended_id=False))
        self.assertNotIn("dead.sock", os.listdir(folder))


if __name__ == "__main__":
    unittest.main()
