"""Runs the real vantrel.exe under Wine for end-to-end tests.

Each test gets the program copied into a fresh folder whose path holds a
space, an xdg-open stand-in that records every page the program opens, and
helpers to speak HTTP and SSE to it as a tracker page would.

No test may hang: each one has a deadline, and each ends by killing every
process left in the Wine prefix, so one stuck test cannot stall the rest.
"""
import contextlib
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

from wire import ALLOWED, RUNNING

BUILD = os.environ["VANTREL_BUILD"]
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PORT = 47321
SCHEME_KEY = r"HKCU\Software\Classes\zendry-chests"
TEST_DEADLINE_S = 240  # the longest test waits out the 90 s idle exit


def wine_env(extra=None):
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(BUILD, "wineprefix"))
    env["WINEDEBUG"] = "-all"
    if extra:
        env.update(extra)
    return env


def ensure_prefix():
    """The scripts' own prefix set-up, on the tests' display."""
    subprocess.run([os.path.join(ROOT, "scripts", "wine-prefix.sh")], env=wine_env(), check=True, timeout=300)


def end_wine():
    """Kills every process in the prefix and waits, boundedly, for the server to go."""
    env = wine_env()
    for command in (["wineserver", "-k"], ["wineserver", "-w"]):
        try:
            subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass


def wine_processes():
    """The Wine processes still alive: the best clue to why a test hung or waited in vain."""
    ps = subprocess.run(["ps", "-eo", "pid,stat,etime,args"], capture_output=True, text=True, timeout=30).stdout
    return "\n".join(line for line in ps.splitlines() if ".exe" in line or "wine" in line)


def past_deadline(signum, frame):
    print("\nprocesses at the deadline:\n" + wine_processes(), file=sys.stderr)
    raise TimeoutError(f"test ran past its {TEST_DEADLINE_S} s deadline")


def port_free():
    with socket.socket() as probe:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            probe.bind(("127.0.0.1", PORT))
            return True
        except OSError:
            return False


def wait_for(predicate, timeout, step=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def request(head, timeout=10):
    """Sends one request head and returns every byte until the server closes."""
    with socket.create_connection(("127.0.0.1", PORT), timeout=timeout) as conn:
        conn.sendall(head.encode())
        data = b""
        while True:
            chunk = conn.recv(65536)
            if not chunk:
                return data.decode()
            data += chunk


def get(path, origin=None, method="GET"):
    head = f"{method} {path} HTTP/1.1\r\nHost: 127.0.0.1:{PORT}\r\n"
    if origin is not None:
        head += f"Origin: {origin}\r\n"
    return request(head + "\r\n")


def answering():
    try:
        return get("/") == RUNNING
    except OSError:
        return False


class Stream:
    """An event-stream subscription read as raw bytes."""

    def __init__(self, query="", origin=ALLOWED):
        self.conn = socket.create_connection(("127.0.0.1", PORT), timeout=10)
        path = "/events" + ("?" + query if query else "")
        self.conn.sendall(f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1\r\nOrigin: {origin}\r\n\r\n".encode())
        self.buffer = b""

    def read_exactly(self, count, timeout=10):
        self.conn.settimeout(timeout)
        while len(self.buffer) < count:
            chunk = self.conn.recv(65536)
            if not chunk:
                break
            self.buffer += chunk
        data, self.buffer = self.buffer[:count], self.buffer[count:]
        return data.decode()

    def next_message(self, timeout=10):
        """The next SSE message (text up to and including its blank line), keep-alives skipped."""
        deadline = time.monotonic() + timeout
        while True:
            end = self.buffer.find(b"\n\n")
            if end >= 0:
                message, self.buffer = self.buffer[: end + 2], self.buffer[end + 2:]
                if message.startswith(b":"):
                    continue
                return message.decode()
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError("no message")
            self.conn.settimeout(remaining)
            chunk = self.conn.recv(65536)
            if not chunk:
                raise EOFError("stream ended")
            self.buffer += chunk

    def close(self):
        self.conn.close()


def page_recorder(folder):
    """An xdg-open stand-in in folder/bin that records every page the program
    opens, one a line; returns that bin folder and the record's path."""
    bin_dir = os.path.join(folder, "bin")
    os.makedirs(bin_dir)
    log = os.path.join(folder, "opened.txt")
    with open(os.path.join(bin_dir, "xdg-open"), "w") as stub:
        stub.write(f'#!/bin/sh\nprintf "%s\\n" "$1" >> "{log}"\n')
    os.chmod(os.path.join(bin_dir, "xdg-open"), 0o755)
    return bin_dir, log


def pages_opened(log):
    try:
        with open(log) as record:
            return record.read().split()
    except FileNotFoundError:
        return []


def system_folder():
    return os.path.join(wine_env()["WINEPREFIX"], "drive_c", "windows", "system32")


class VantrelTest(unittest.TestCase):
    """Starts each test with a fresh copy of the exe in a folder with a space."""

    with_controller = False  # the test controller, in the prefix's system folder
    with_hid = False  # the test HID libraries, for the program only; see hid_double.cpp
    program_folder = "Program Files"

    def setUp(self):
        self.processes = []
        self.dir = None
        self.addCleanup(self.clean_up)
        signal.signal(signal.SIGALRM, past_deadline)
        signal.alarm(TEST_DEADLINE_S)
        end_wine()  # anything a run killed from outside left behind
        ensure_prefix()
        self.assertTrue(wait_for(port_free, 30), "port 47321 still held from an earlier test")
        self.dir = tempfile.mkdtemp(prefix="vantrel e2e ")
        self.exe = os.path.join(self.dir, self.program_folder, "vantrel.exe")
        os.makedirs(os.path.dirname(self.exe))
        shutil.copy(os.path.join(BUILD, "vantrel.exe"), self.exe)
        if self.with_controller:
            shutil.copy(os.path.join(BUILD, "tests", "xinput1_4.dll"), system_folder())
            self.set_pad(None)
        self.bin, self.opened_log = page_recorder(self.dir)
        self.env = wine_env({"PATH": self.bin + os.pathsep + os.environ["PATH"],
                             "WINEDLLOVERRIDES": "xinput1_4=n,b" if self.with_controller else ""})
        if self.with_hid:
            self.swap_hid_libraries("hid_double")

    def clean_up(self):
        signal.alarm(0)
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
            for stream in (process.stdin, process.stdout):
                if stream:
                    stream.close()
        end_wine()
        if self.with_controller:
            for name in ("xinput1_4.dll", "pad.txt"):
                with contextlib.suppress(FileNotFoundError):  # set-up may have stopped before
                    os.remove(os.path.join(system_folder(), name))
        if self.with_hid and hasattr(self, "env"):
            self.swap_hid_libraries("saved")
        if self.dir:
            shutil.rmtree(self.dir, ignore_errors=True)

    def swap_hid_libraries(self, to):
        """Puts the test HID libraries in the system folder, loaded natively by
        vantrel.exe alone (Wine's own programs keep theirs), or puts Wine's back."""
        key = r"HKCU\Software\Wine\AppDefaults\vantrel.exe\DllOverrides"
        for name in ("hid", "cfgmgr32"):
            system = os.path.join(system_folder(), name + ".dll")
            saved = os.path.join(BUILD, "tests", name + ".saved")
            if to == "saved":
                with contextlib.suppress(FileNotFoundError):  # set-up may have stopped before
                    os.replace(saved, system)
            else:
                shutil.copy(system, saved)
                shutil.copy(os.path.join(BUILD, "tests", "hid_double", name + ".dll"), system)
                self.wine_output(["wine", "reg", "add", key, "/v", name, "/d", "native,builtin", "/f"])
        if to == "saved":
            self.wine_output(["wine", "reg", "delete", key, "/f"])

    def wine_output(self, command):
        """Runs a Wine tool and returns its exit code and output. The output goes
        through a file, not a pipe: a Wine daemon the tool starts could inherit
        a pipe and keep it open long after the tool is done."""
        with tempfile.TemporaryFile() as out:
            code = subprocess.run(command, env=self.env, stdout=out, stderr=subprocess.DEVNULL, timeout=60).returncode
            out.seek(0)
            return code, out.read().decode(errors="replace").replace("\r", "")

    def wine_path(self, path):
        return self.wine_output(["winepath", "-w", path])[1].strip()

    def start(self, *args, wait=True):
        process = subprocess.Popen(["wine", self.exe, *args], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        if wait:
            self.assertTrue(wait_for(answering, 60), "the program never answered")
        return process

    def post_close(self):
        """Posts a close message to the program's window, once it exists."""
        self.assertTrue(wait_for(lambda: self.helper("close").wait(timeout=30) == 0, 30, step=0.5),
                        "the program's window never appeared")

    def plant(self):
        """Leaves a cmd.exe and a controller library beside the exe, as a
        download could; each leaves a marker if it is ever run."""
        for name in ("cmd.exe", "xinput1_4.dll"):
            shutil.copy(os.path.join(BUILD, "tests", "planted", name), os.path.dirname(self.exe))
        self.env["WINEDLLOVERRIDES"] = "xinput1_4=n,b"  # a native library beside the exe would win

    def planted_runs(self):
        return [name for name in os.listdir(os.path.dirname(self.exe)) if name.endswith(".ran")]

    def helper(self, *args, **kwargs):
        return subprocess.Popen(["wine", os.path.join(BUILD, "tests", "desktop_double.exe"), *args], env=self.env,
                                **kwargs)

    def set_pad(self, slot, buttons=0):
        # Replaced whole: rewritten in place, the controller could read it
        # empty, report no controller and cost the program its 1 s rescan.
        path = os.path.join(system_folder(), "pad.txt")
        with open(path + ".new", "w") as state:
            state.write("none" if slot is None else f"{slot} {buttons}")
        os.replace(path + ".new", path)

    def opened_pages(self):
        return pages_opened(self.opened_log)

    def registry(self):
        code, output = self.wine_output(["wine", "reg", "query", SCHEME_KEY, "/s"])
        return output if code == 0 else None
