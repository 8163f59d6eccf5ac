"""Controller, keyboard and game focus on the real program, with a test
controller library and a test game window."""
import contextlib
import subprocess
import time
import unittest

from harness import Stream, VantrelTest
from wire import ALLOWED, HELLO, STREAM_HEAD, event, pad


class Controller(VantrelTest):
    with_controller = True

    def open_stream(self, query):
        stream = Stream(query)
        head = STREAM_HEAD.format(origin=ALLOWED) + HELLO
        self.assertEqual(stream.read_exactly(len(head)), head)
        return stream

    def test_controller_in_slot_two_presses_and_unplugs(self):
        self.set_pad(2, 0)
        self.start()
        stream = self.open_stream("button=0")
        self.assertEqual(stream.next_message(), pad(True))
        self.set_pad(2, 0x1000)
        self.assertEqual(stream.next_message(), event("down", "pad"))
        self.set_pad(2, 0x0000)
        up = stream.next_message()
        self.assertRegex(up, r'^data: \{"type":"up","source":"pad","ms":\d+,"game":false\}\n\n$')
        self.set_pad(2, 0x1000)
        self.assertEqual(stream.next_message(), event("down", "pad"))
        self.set_pad(None)
        self.assertEqual(stream.next_message(), pad(False))
        self.assertRegex(stream.next_message(), r'^data: \{"type":"up","source":"pad","ms":\d+,"game":false\}\n\n$')
        stream.close()

    def test_other_buttons_are_not_reported(self):
        self.set_pad(0, 0)
        self.start()
        stream = self.open_stream("button=3")
        self.assertEqual(stream.next_message(), pad(True))
        self.set_pad(0, 0x1000 | 0x2000)
        with self.assertRaises(TimeoutError):
            stream.next_message(timeout=1.5)
        self.set_pad(0, 0x8000)
        self.assertEqual(stream.next_message(), event("down", "pad"))
        stream.close()


class PlayStationController(VantrelTest):
    with_hid = True
    NOTHING, CROSS = "01 80 80 80 80 08", "01 80 80 80 80 28"  # USB report 0x01: sticks, then the d-pad and buttons

    def test_dualshock4_presses_and_unplugs_like_any_controller(self):
        device = self.helper("pad-pipe", stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.processes.append(device)
        self.assertEqual(device.stdout.readline().strip(), "ready")

        def report(line):
            """Sends the report until a message comes, as a controller keeps reporting."""
            for _ in range(100):
                device.stdin.write(line + "\n")
                device.stdin.flush()
                self.assertEqual(device.stdout.readline().strip(), "ok")
                with contextlib.suppress(TimeoutError):
                    return stream.next_message(timeout=0.1)
            self.fail("no message")

        self.start("zendry-chests:")
        stream = Stream("button=0")
        head = STREAM_HEAD.format(origin=ALLOWED) + HELLO
        self.assertEqual(stream.read_exactly(len(head)), head)
        self.assertEqual(stream.next_message(), pad(True))  # found at start-up
        self.assertEqual(report(self.CROSS), event("down", "pad"))
        self.assertRegex(report(self.NOTHING), r'^data: \{"type":"up","source":"pad","ms":\d+,"game":false\}\n\n$')
        self.assertEqual(report(self.CROSS), event("down", "pad"))
        self.assertEqual(report("unplug"), pad(False))
        self.assertRegex(stream.next_message(), r'^data: \{"type":"up","source":"pad"')
        stream.close()


class KeyboardAndFocus(VantrelTest):
    def game(self, class_name, title):
        game = self.helper("game", class_name, title, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.processes.append(game)
        self.assertEqual(game.stdout.readline().strip(), "ready")
        return game

    def command(self, game, line):
        game.stdin.write(line + "\n")
        game.stdin.flush()
        self.assertEqual(game.stdout.readline().strip(), "ok")

    def hold_e(self, game, seconds):
        """Holds E far past the 400 ms threshold: Wine delays key state by
        unknown amounts, and a hold near the threshold would test those."""
        self.command(game, "down 45")
        time.sleep(seconds)
        self.command(game, "up 45")

    def open_stream(self):
        stream = Stream("key=e&hold=400")
        head = STREAM_HEAD.format(origin=ALLOWED) + HELLO + pad(False)
        self.assertEqual(stream.read_exactly(len(head)), head)
        return stream

    def assert_up(self, message, at_least_ms, game):
        prefix = 'data: {"type":"up","source":"key","ms":'
        self.assertTrue(message.startswith(prefix), message)
        ms = int(message[len(prefix):].split(",")[0])
        # Key state reaches the program with Wine's own delays, so the held
        # time is only bounded by what the program itself must have seen.
        self.assertGreaterEqual(ms, at_least_ms)
        self.assertTrue(message.endswith(f',"game":{"true" if game else "false"}}}\n\n'), message)

    def test_hold_with_the_game_in_front_is_a_chest(self):
        self.start("zendry-chests:")
        for class_name, title in (("UnrealWindow", "Game"), ("GameWindowClass", "  Fortnite  ")):
            game = self.game(class_name, title)
            stream = self.open_stream()
            self.hold_e(game, 1.5)
            self.assertEqual(stream.next_message(), event("down", "key"))
            self.assertEqual(stream.next_message(), event("chest", "key"))
            self.assert_up(stream.next_message(), 400, True)  # a chest means at least the threshold
            stream.close()
            game.stdin.close()
            game.wait(timeout=15)

    def test_hold_with_another_window_in_front_is_no_chest(self):
        self.start("zendry-chests:")
        game = self.game("Notepad", "Untitled - Notepad")
        stream = self.open_stream()
        self.hold_e(game, 1.5)
        self.assertEqual(stream.next_message(), event("down", "key"))
        self.assert_up(stream.next_message(), 1, False)  # down and up on different ticks
        stream.close()


if __name__ == "__main__":
    unittest.main()
