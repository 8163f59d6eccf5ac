"""Start-up of the real exe under Wine, against a trivial Winsock program.

Each round times, from the spawn, when the program first answers on its port
and when its tray icon reaches the stand-in shell (the last step of
start-up). The baseline, bench/winsock_probe.cpp, starts Winsock, listens on
the same port and answers one connection; it is timed until it answers. Rounds
alternate the programs; medians are printed. Further exes given on the
command line (an older build, say) are timed in the same rounds.

    VANTREL_BUILD=build/win xvfb-run -a python3 bench/wine_start.py [rounds] [vantrel.exe ...]
"""
import os
import socket
import statistics
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import BUILD, PORT, VantrelTest, port_free, wait_for  # noqa: E402


def answers():
    try:
        with socket.create_connection(("127.0.0.1", PORT), timeout=5) as client:
            client.sendall(b"GET / HTTP/1.1\r\n\r\n")
            return client.recv(64) != b""
    except OSError:
        return False


def until_answering(start):
    while not answers():
        time.sleep(0.001)
    return (time.monotonic() - start) * 1000


class Run(VantrelTest):
    def time_probe(self):
        start = time.monotonic()
        probe = subprocess.Popen(["wine", os.path.join(BUILD, "bench", "winsock_probe.exe")], env=self.env)
        port = until_answering(start)
        probe.wait(timeout=30)
        return port

    def time_program(self, exe):
        shell = self.helper("fake-shell", "10000", stdout=subprocess.PIPE, text=True)
        self.processes.append(shell)
        time.sleep(1)  # its window exists
        start = time.monotonic()
        program = subprocess.Popen(["wine", exe, "zendry-chests:"], env=self.env)
        self.processes.append(program)
        port = until_answering(start)
        self.assertEqual(shell.stdout.readline().split()[:2], ["tray", "0"])
        icon = (time.monotonic() - start) * 1000
        self.post_close()
        program.wait(timeout=30)
        shell.kill()
        shell.wait()
        return port, icon

    def runTest(self):
        rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 15
        programs = [self.exe] + [os.path.abspath(exe) for exe in sys.argv[2:]]
        probe, port, icon = [], {exe: [] for exe in programs}, {exe: [] for exe in programs}
        for _ in range(rounds):
            probe.append(self.time_probe())
            for exe in programs:
                self.assertTrue(wait_for(port_free, 30))
                at_port, at_icon = self.time_program(exe)
                port[exe].append(at_port)
                icon[exe].append(at_icon)
        base = statistics.median(probe)
        print(f"winsock_probe: answer {base:.0f} ms (median of {rounds})")
        for exe in programs:
            p, i = statistics.median(port[exe]), statistics.median(icon[exe])
            print(f"{exe}: answer {p:.0f} ms, icon {i:.0f} ms; icon / probe {i / base:.2f}")


if __name__ == "__main__":
    result = unittest.TextTestRunner(verbosity=0).run(Run())
    sys.exit(0 if result.wasSuccessful() else 1)
