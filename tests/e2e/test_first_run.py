"""The README's run command as a newcomer meets it: a brand-new Wine prefix."""
import os
import signal
import subprocess
import tempfile
import time
import unittest

from harness import (BUILD, TEST_DEADLINE_S, answering, page_recorder, pages_opened, past_deadline, port_free,
                     wait_for)
from wire import TRACKER_URL

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


class FirstRun(unittest.TestCase):
    def setUp(self):
        signal.signal(signal.SIGALRM, past_deadline)
        signal.alarm(TEST_DEADLINE_S)
        self.assertTrue(wait_for(port_free, 30), "port 47321 still held from an earlier test")
        self.home = tempfile.TemporaryDirectory(prefix="vantrel first run ")
        self.addCleanup(self.home.cleanup)
        bin_dir, self.opened_log = page_recorder(self.home.name)
        # A newcomer's terminal on a fresh machine has no display of its own.
        self.env = {name: value for name, value in os.environ.items() if name not in ("DISPLAY", "XAUTHORITY")}
        self.env.update(WINEPREFIX=os.path.join(self.home.name, "prefix"), WINEDEBUG="-all",
                        PATH=bin_dir + os.pathsep + os.environ["PATH"])
        self.addCleanup(self.end_prefix)

    def end_prefix(self):
        signal.alarm(0)
        try:
            subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass

    def opened_pages(self):
        return pages_opened(self.opened_log)

    def test_run_command_gives_window_page_and_clean_exit(self):
        run = subprocess.Popen([os.path.join(ROOT, "scripts", "run.sh")], env=self.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: run.poll() is None and run.kill())
        self.assertTrue(wait_for(answering, 180), "the program never answered")
        answered = time.monotonic()
        # A direct start opens the page once, about 3 s in; the port answers
        # from the first moments of the start.
        self.assertTrue(wait_for(self.opened_pages, 15), "the page was never opened")
        self.assertGreater(time.monotonic() - answered, 2)
        self.assertEqual(self.opened_pages(), [TRACKER_URL])
        # The close helper finds the window of class "Vantrel" or fails.
        close = [os.path.join(BUILD, "tests", "desktop_double.exe"), "close"]
        self.assertEqual(subprocess.run(["wine", *close], env=self.env, timeout=60).returncode, 0,
                         "no window of class Vantrel")
        self.assertEqual(run.wait(timeout=30), 0)
        self.assertTrue(port_free())


if __name__ == "__main__":
    unittest.main()
