"""The bytes the program must put on the wire, and the page it opens, written
out by hand once for every end-to-end test; the version is the build's."""
import os
import re

with open(os.path.join(os.environ["VANTREL_BUILD"], "generated", "version.h")) as header:
    VERSION = re.search(r'VANTREL_VERSION "(.+)"', header.read())[1]

TRACKER_URL = "https://zendry.gg/chests"
ALLOWED = "http://localhost:3000"
STREAM_HEAD = (
    "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\nConnection: keep-alive\r\n"
    "Access-Control-Allow-Origin: {origin}\r\nAccess-Control-Allow-Private-Network: true\r\nVary: Origin\r\n"
    "\r\nretry: 2000\n\n"
)
HELLO = f'data: {{"type":"hello","version":"{VERSION}"}}\n\n'


def cors(origin):
    return f"Access-Control-Allow-Origin: {origin}\r\nAccess-Control-Allow-Private-Network: true\r\nVary: Origin\r\n"


def plain(status, extra, body):
    return (f"HTTP/1.1 {status}\r\nContent-Type: text/plain\r\nContent-Length: {len(body.encode())}\r\n"
            f"Connection: close\r\n{extra}\r\n{body}")


RUNNING = plain("200 OK", "", "Vantrel is running.\n")
FORBIDDEN = plain("403 Forbidden", "", "")


def preflight(origin):
    return plain("204 No Content", cors(origin) + "Access-Control-Allow-Methods: GET, POST\r\n", "")


def pad(connected):
    return f'data: {{"type":"pad","connected":{"true" if connected else "false"}}}\n\n'


def event(kind, source):
    return f'data: {{"type":"{kind}","source":"{source}"}}\n\n'
