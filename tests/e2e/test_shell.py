"""The desktop side of the real program: registration, auto-open, idle exit,
uninstall and the tray icon's click and menu."""
import os
import subprocess
import time
import unittest

from harness import Stream, VantrelTest, get, port_free, request, wait_for, wine_processes
from wire import ALLOWED, FORBIDDEN, HELLO, STREAM_HEAD, TRACKER_URL, cors, plain


class Registration(VantrelTest):
    def test_every_start_writes_the_scheme_for_the_exe_path(self):
        self.start()
        path = self.wine_path(self.exe)
        self.assertIn(" ", path)
        registry = self.registry()
        self.assertIsNotNone(registry)
        self.assertIn("HKEY_CURRENT_USER\\Software\\Classes\\zendry-chests\n"
                      "    (Default)    REG_SZ    URL:Vantrel\n"
                      "    URL Protocol    REG_SZ    \n", registry)
        self.assertIn("HKEY_CURRENT_USER\\Software\\Classes\\zendry-chests\\DefaultIcon\n"
                      f'    (Default)    REG_SZ    "{path}",0\n', registry)
        self.assertIn("HKEY_CURRENT_USER\\Software\\Classes\\zendry-chests\\shell\\open\\command\n"
                      f'    (Default)    REG_SZ    "{path}" "%1"\n', registry)


class AutoOpenAndIdle(VantrelTest):
    def test_direct_start_opens_the_page_once_and_quits_after_ninety_seconds(self):
        launched = time.monotonic()
        program = self.start()
        self.assertTrue(wait_for(lambda: self.opened_pages(), 15), "the page was never opened")
        opened_at = time.monotonic() - launched
        self.assertEqual(self.opened_pages(), [TRACKER_URL])
        self.assertGreaterEqual(opened_at, 3)
        time.sleep(max(0, 85 - (time.monotonic() - launched)))
        self.assertIsNone(program.poll(), "quit before 90 s")
        self.assertEqual(program.wait(timeout=40), 0)
        self.assertEqual(self.opened_pages(), [TRACKER_URL])

    def test_start_through_the_scheme_never_opens_the_page(self):
        self.start("zendry-chests://open")
        time.sleep(8)
        self.assertEqual(self.opened_pages(), [])

    def test_quits_twenty_seconds_after_the_last_subscriber_left(self):
        program = self.start()
        stream = Stream()
        stream.read_exactly(len(STREAM_HEAD.format(origin=ALLOWED)) + len(HELLO))
        time.sleep(5)  # past the auto-open window: a subscriber keeps the page closed
        stream.close()
        left = time.monotonic()
        time.sleep(17)
        self.assertIsNone(program.poll(), "quit before 20 s")
        self.assertEqual(program.wait(timeout=20), 0)
        self.assertGreater(time.monotonic() - left, 19)
        self.assertEqual(self.opened_pages(), [])


class Uninstall(VantrelTest):
    # Characters cmd.exe reads specially, and a "%i", which a FOR loop's
    # variable would take for itself. "%OS%" is left out: Wine's cmd, unlike
    # Windows', expands variables again inside a variable's value.
    program_folder = "Tools !x! & ^ \u00e9 50%icons"

    def test_uninstall_from_a_foreign_origin_changes_nothing(self):
        program = self.start()
        self.assertEqual(get("/uninstall", origin="https://evil.example", method="POST"),
                         FORBIDDEN)
        # An old browser's form post has no Origin header, but its body can look like one.
        self.assertEqual(request(f"POST /uninstall HTTP/1.1\r\nContent-Length: 27\r\n\r\nOrigin: {ALLOWED}\r\n"),
                         FORBIDDEN)
        time.sleep(3)
        self.assertIsNone(program.poll())
        self.assertIsNotNone(self.registry())
        self.assertTrue(os.path.exists(self.exe))

    def test_uninstall_from_the_page_removes_registration_and_file_once_nothing_holds_it(self):
        self.plant()
        program = self.start()
        self.assertIsNotNone(self.registry())
        # As a scanner would, or the program itself still ending on a slow PC.
        holder = self.helper("hold", self.wine_path(self.exe), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             text=True)
        self.addCleanup(holder.stdout.close)
        self.addCleanup(holder.kill)
        self.assertEqual(holder.stdout.readline(), "held\n")
        self.assertEqual(get("/uninstall", origin=ALLOWED, method="POST"),
                         plain("204 No Content", cors(ALLOWED), ""))
        self.assertEqual(program.wait(timeout=10), 0)
        self.assertIsNone(self.registry())
        time.sleep(5)
        self.assertTrue(os.path.exists(self.exe))
        holder.stdin.close()
        holder.wait(timeout=10)
        self.assertTrue(wait_for(lambda: not os.path.exists(self.exe), 25),
                        "the exe was not deleted; still running:\n" + wine_processes())
        self.assertEqual(self.planted_runs(), [])


class CloseMessage(VantrelTest):
    def test_close_message_ends_the_program_and_a_new_copy_serves_the_page_at_once(self):
        program = self.start("zendry-chests:")
        head = STREAM_HEAD.format(origin=ALLOWED) + HELLO
        stream = Stream()
        self.assertEqual(stream.read_exactly(len(head)), head)
        self.post_close()
        self.assertEqual(program.wait(timeout=10), 0)
        self.assertTrue(port_free())
        stream.close()
        self.start("zendry-chests:")
        again = Stream()
        self.assertEqual(again.read_exactly(len(head)), head)
        again.close()


class TrayIcon(VantrelTest):
    def test_left_click_opens_the_page_and_quit_ends_the_program(self):
        program = self.start()
        time.sleep(5)  # past the auto-open
        before = len(self.opened_pages())
        self.assertEqual(self.helper("tray", "0x0202").wait(timeout=30), 0)
        self.assertTrue(wait_for(lambda: len(self.opened_pages()) == before + 1, 15))
        self.assertEqual(self.opened_pages()[-1], TRACKER_URL)
        self.assertEqual(self.helper("menu-last").wait(timeout=30), 0)
        self.assertEqual(program.wait(timeout=15), 0)

    def test_other_tray_messages_do_nothing(self):
        program = self.start()
        time.sleep(5)
        before = self.opened_pages()
        for mouse in ("0x0200", "0x0201", "0x0203", "0x0204"):
            self.assertEqual(self.helper("tray", mouse).wait(timeout=30), 0)
        time.sleep(2)
        self.assertEqual(self.opened_pages(), before)
        self.assertIsNone(program.poll())


class ShellRestart(VantrelTest):
    def set_dpi(self, dpi):
        self.wine_output(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                          "/d", str(dpi), "/f"])

    def test_icon_is_added_again_when_a_new_shell_announces_itself(self):
        self.addCleanup(self.set_dpi, 96)  # the prefix is shared
        # At 150 % the tray must get the 24 px image, not a stretched 16 px one.
        for dpi, width in ((96, "16"), (144, "24")):
            with self.subTest(dpi=dpi):
                self.set_dpi(dpi)
                program = self.start("zendry-chests:")
                # The stand-in shell owns the tray window, broadcasts "TaskbarCreated"
                # as a restarted shell does, and prints each tray call it receives.
                shell = self.helper("fake-shell", "3000", stdout=subprocess.PIPE, text=True)
                calls = shell.communicate(timeout=60)[0].split()
                self.assertEqual(shell.returncode, 0)
                self.assertEqual(calls, ["tray", "0", width])  # exactly one NIM_ADD
                self.post_close()
                self.assertEqual(program.wait(timeout=10), 0)

    def test_icon_refused_by_a_busy_shell_at_start_arrives_on_a_later_tick(self):
        shell = self.helper("fake-shell", "15000", "busy", stdout=subprocess.PIPE, text=True)
        self.assertEqual(shell.stdout.readline().split(), ["ready"])
        program = self.start("zendry-chests:")
        calls = [(time.monotonic(), line.split()) for line in shell.stdout]
        self.assertEqual(shell.wait(timeout=30), 0)
        self.assertEqual([call for _, call in calls[:2]], [["refused", "0"], ["refused", "1"]])
        self.assertEqual(calls[2][1][:2], ["tray", "0"], calls)
        self.assertLess(calls[2][0] - calls[0][0], 2)
        self.assertEqual(len(calls), 3, calls)  # and nothing more once it is there
        self.post_close()
        self.assertEqual(program.wait(timeout=10), 0)


if __name__ == "__main__":
    unittest.main()
