"""Every route and method against every kind of origin, on the real exe."""
import os
import time
import unittest

from harness import Stream, VantrelTest, get
from wire import FORBIDDEN, HELLO, RUNNING, STREAM_HEAD, cors, plain, preflight

ALLOWED = ["https://zendry.gg", "http://localhost:3000", "http://127.0.0.1:3000"]
NEAR_MISSES = [
    "https://zendry.gg/", "https://Zendry.gg", "http://zendry.gg", "https://zendry.gg:443", "https://zendry.gg.evil.example",
    "http://localhost:3000/", "http://Localhost:3000", "http://localhost:3001", "http://localhost", "https://localhost:3000",
    "http://127.0.0.1:3000/", "http://127.0.0.1:3001", "http://127.0.0.1", "http://127.0.0.2:3000",
]
REFUSED = [None, "null", "", "https://evil.example"] + NEAR_MISSES
ROUTES = ["/", "/events", "/uninstall", "/x"]
METHODS = ["GET", "POST", "OPTIONS", "PUT"]


class OriginMatrix(VantrelTest):
    def test_only_exact_allowed_origins_get_cross_origin_answers(self):
        program = self.start()
        registry = self.registry()
        tried = 0
        for origin in REFUSED:
            for method in METHODS:
                for route in ROUTES:
                    expected = RUNNING if (method, route) == ("GET", "/") else FORBIDDEN
                    self.assertEqual(get(route, origin=origin, method=method), expected, (origin, method, route))
                    tried += 1
        for origin in ALLOWED:
            for method in METHODS:
                for route in ROUTES:
                    if (method, route) in (("GET", "/events"), ("POST", "/uninstall")):
                        continue
                    if method == "OPTIONS":
                        expected = preflight(origin)
                    else:
                        expected = plain("404 Not Found", cors(origin), "")
                    self.assertEqual(get(route, origin=origin, method=method), expected, (origin, method, route))
                    tried += 1
            stream = Stream(origin=origin)
            head = STREAM_HEAD.format(origin=origin) + HELLO
            self.assertEqual(stream.read_exactly(len(head)), head)
            stream.close()
            tried += 1
        self.assertGreater(tried, 300)
        time.sleep(2)  # a timer tick would have acted on any uninstall request
        self.assertIsNone(program.poll())
        self.assertEqual(self.registry(), registry)
        self.assertTrue(os.path.exists(self.exe))


if __name__ == "__main__":
    unittest.main()
