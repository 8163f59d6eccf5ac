"""Controller change to bytes on the wire, on the real exe under Wine.

The test controller's state flips at a random phase every 40 to 100 ms; each
flip's `down` or `up` message is timestamped on arrival. Prints p50, p90,
p99 and max in ms, and the number of flips later than 100 ms.

    VANTREL_BUILD=build/win xvfb-run -a python3 bench/wine_latency.py [flips]
"""
import os
import random
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Stream, VantrelTest  # noqa: E402

BUTTON_A = 0x1000


class Run(VantrelTest):
    with_controller = True

    def runTest(self):
        flips = int(sys.argv[1]) if len(sys.argv) > 1 else 400
        self.set_pad(0, 0)
        self.start("zendry-chests:")
        stream = Stream("button=0")
        self.assertIn("retry: 2000", stream.next_message())  # the head
        self.assertIn("hello", stream.next_message())
        self.assertIn('"connected":true', stream.next_message())
        late = []
        for n in range(flips):
            time.sleep(random.uniform(0.04, 0.1))
            down = n % 2 == 0
            self.set_pad(0, BUTTON_A if down else 0)
            changed = time.monotonic()
            message = stream.next_message(timeout=5)
            late.append((time.monotonic() - changed) * 1000)
            self.assertIn('"down"' if down else '"up"', message)
        stream.close()
        late.sort()
        at = lambda q: late[min(len(late) - 1, int(q * len(late)))]  # noqa: E731
        print(f"flips {len(late)}: p50 {at(0.5):.1f} ms, p90 {at(0.9):.1f} ms, p99 {at(0.99):.1f} ms, "
              f"max {late[-1]:.1f} ms, over 100 ms: {sum(1 for v in late if v > 100)}")


if __name__ == "__main__":
    result = unittest.TextTestRunner(verbosity=0).run(Run())
    sys.exit(0 if result.wasSuccessful() else 1)
