"""The real program as a plain HTTP client and a second copy see it."""
import os
import socket
import subprocess

from harness import ALLOWED, BUILD, HELLO, PORT, STREAM_HEAD, Stream, VantrelTest, answering, cors, get, plain


class Server(VantrelTest):
    def test_running_answer_and_preflight(self):
        self.start()
        self.assertEqual(get("/"), plain("200 OK", "", "Vantrel is running.\n"))
        self.assertEqual(get("/anything", method="OPTIONS", origin=ALLOWED),
                         plain("204 No Content", cors(ALLOWED) + "Access-Control-Allow-Methods: GET, POST\r\n", ""))
        self.assertEqual(get("/events"), plain("403 Forbidden", "", ""))

    def test_second_copy_ends_silently_and_the_first_keeps_answering(self):
        first = self.start()
        second = self.start(wait=False)
        self.assertEqual(second.wait(timeout=30), 0)
        self.assertIsNone(first.poll())
        self.assertTrue(answering())

    def test_copy_ends_silently_while_another_program_holds_the_port(self):
        with socket.socket() as squatter:
            squatter.bind(("127.0.0.1", PORT))
            squatter.listen()
            copy = self.start(wait=False)
            self.assertEqual(copy.wait(timeout=30), 0)

    def test_subscriber_gets_head_hello_and_controller_state(self):
        self.start()
        stream = Stream("button=1")
        expected = STREAM_HEAD.format(origin=ALLOWED) + HELLO + 'data: {"type":"pad","connected":false}\n\n'
        self.assertEqual(stream.read_exactly(len(expected)), expected)
        stream.close()

    def test_exe_imports_system_dlls_only(self):
        dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", os.path.join(BUILD, "vantrel.exe")],
                              capture_output=True, text=True, check=True).stdout
        imports = {line.split(":")[1].strip().lower() for line in dump.splitlines() if "DLL Name:" in line}
        self.assertTrue(imports)
        self.assertLessEqual(imports, {"kernel32.dll", "user32.dll", "shell32.dll", "advapi32.dll", "ws2_32.dll",
                                       "msvcrt.dll"})


if __name__ == "__main__":
    import unittest

    unittest.main()
