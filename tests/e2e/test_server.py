"""The real program as a plain HTTP client and a second copy see it."""
import os
import re
import socket
import struct
import subprocess
from xml.etree import ElementTree

from harness import BUILD, PORT, Stream, VantrelTest, answering, get
from wire import ALLOWED, FORBIDDEN, HELLO, RUNNING, STREAM_HEAD, pad, preflight


# Every function the exe may import, each documented as present in Windows 10
# version 1507, the oldest the README names (the loader refuses an exe that
# imports what the system lacks). msvcrt.dll, the C runtime, is the system's
# own on every version.
IMPORTS = {
    "advapi32.dll": "CryptAcquireContextA CryptGenRandom CryptReleaseContext RegCloseKey RegCreateKeyExW "
                    "RegDeleteTreeW RegSetValueExW",
    "kernel32.dll": "AddVectoredExceptionHandler CancelIoEx CloseHandle CreateEventA CreateEventW CreateFileW "
                    "CreateProcessW CreateSemaphoreA CreateThread CreateWaitableTimerExW DeleteCriticalSection "
                    "DuplicateHandle EnterCriticalSection FileTimeToSystemTime FormatMessageA FormatMessageW "
                    "FreeLibrary GetCommandLineW GetCurrentProcess GetCurrentProcessId GetCurrentThread "
                    "GetCurrentThreadId GetHandleInformation GetLastError GetModuleFileNameW GetModuleHandleA "
                    "GetModuleHandleExW GetModuleHandleW GetOverlappedResult GetProcAddress GetProcessAffinityMask "
                    "GetProcessTimes GetStartupInfoA GetSystemDirectoryW GetSystemTimeAdjustment "
                    "GetSystemTimeAsFileTime GetThreadContext GetThreadPriority GetThreadTimes GetTickCount64 "
                    "InitializeCriticalSection IsDBCSLeadByteEx IsDebuggerPresent LeaveCriticalSection LoadLibraryExW "
                    "LoadLibraryW LocalFree MultiByteToWideChar OpenProcess OutputDebugStringA QueryPerformanceCounter "
                    "QueryPerformanceFrequency RaiseException ReadFile ReleaseSemaphore RemoveVectoredExceptionHandler "
                    "ResetEvent ResumeThread RtlCaptureContext RtlLookupFunctionEntry RtlUnwindEx RtlVirtualUnwind "
                    "SetDefaultDllDirectories SetEnvironmentVariableW SetEvent SetHandleInformation SetLastError "
                    "SetProcessAffinityMask SetSystemTime SetThreadContext SetThreadPriority "
                    "SetUnhandledExceptionFilter SetWaitableTimer Sleep SuspendThread TlsAlloc TlsGetValue TlsSetValue "
                    "TryEnterCriticalSection VirtualProtect VirtualQuery WaitForMultipleObjects WaitForSingleObject "
                    "WideCharToMultiByte __C_specific_handler",
    "ole32.dll": "CoInitializeEx",
    "shell32.dll": "ShellExecuteW Shell_NotifyIconW",
    "user32.dll": "AppendMenuW CreatePopupMenu CreateWindowExW DefWindowProcW DestroyIcon DestroyMenu DispatchMessageW "
                  "GetAsyncKeyState GetClassNameW GetCursorPos GetForegroundWindow GetMessageW GetSystemMetrics "
                  "GetWindowTextW LoadImageW PostMessageW PostQuitMessage RegisterClassExW RegisterWindowMessageW "
                  "SetForegroundWindow SetTimer TrackPopupMenu TranslateMessage",
    "ws2_32.dll": "WSADuplicateSocketW WSAGetLastError WSARecv WSASocketW WSAStartup accept bind closesocket connect "
                  "getsockname htonl htons listen ntohs recv send setsockopt shutdown",
    "msvcrt.dll": None,
}


class Server(VantrelTest):
    def test_running_answer_and_preflight(self):
        self.start()
        self.assertEqual(get("/"), RUNNING)
        self.assertEqual(get("/anything", method="OPTIONS", origin=ALLOWED), preflight(ALLOWED))
        self.assertEqual(get("/events"), FORBIDDEN)

    def test_second_copy_ends_silently_and_the_first_keeps_answering(self):
        first = self.start()
        second = self.start(wait=False)
        self.assertEqual(second.wait(timeout=30), 0)
        self.assertIsNone(first.poll())
        self.assertTrue(answering())

    def test_copy_ends_silently_while_another_program_holds_the_port(self):
        with socket.socket() as squatter:
            # Connections of earlier tests may linger in TIME_WAIT on the port.
            squatter.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            squatter.bind(("127.0.0.1", PORT))
            squatter.listen()
            copy = self.start(wait=False)
            self.assertEqual(copy.wait(timeout=30), 0)

    def test_subscriber_gets_head_hello_and_controller_state(self):
        self.start()
        stream = Stream("button=1")
        expected = STREAM_HEAD.format(origin=ALLOWED) + HELLO + pad(False)
        self.assertEqual(stream.read_exactly(len(expected)), expected)
        stream.close()

    def test_exe_imports_only_what_windows_10_version_1507_has(self):
        dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", os.path.join(BUILD, "vantrel.exe")],
                              capture_output=True, text=True, check=True).stdout
        imports, dll = [], None
        for line in dump.splitlines():
            if "DLL Name:" in line:
                dll = line.split(":")[1].strip().lower()
            elif dll and (entry := re.match(r"\t[0-9a-f]+\t\s+\d+\s+(\S+)", line)):
                imports.append((dll, entry.group(1)))
        self.assertIn(("user32.dll", "SetTimer"), imports)  # the dump was read
        unknown = [f"{dll} {name}" for dll, name in imports
                   if dll not in IMPORTS or (IMPORTS[dll] is not None and name not in IMPORTS[dll].split())]
        self.assertEqual(unknown, [], "check each one's minimum Windows in its documentation, then list it")

    def test_exe_declares_dpi_awareness_windows_10_and_as_invoker(self):
        # Wine scales the small-icon size with or without it, so only the exe shows it is there.
        text = manifest(os.path.join(BUILD, "vantrel.exe"))
        self.assertIsNotNone(text)
        ElementTree.fromstring(text)  # well-formed, or Windows refuses to start the program
        self.assertIn(">PerMonitorV2, PerMonitor</dpiAwareness>", text)
        self.assertIn('<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>', text)
        self.assertIn('<requestedExecutionLevel level="asInvoker" uiAccess="false"/>', text)


def manifest(exe):
    """The application manifest (resource type 24, id 1) of a PE file."""
    with open(exe, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional_size
    for i in range(sections):
        name, _, rva, _, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if name.rstrip(b"\0") == b".rsrc":
            break
    else:
        return None

    def entry(directory, wanted):  # the first entry, or the one with id `wanted`
        named, ids = struct.unpack_from("<HH", data, raw + directory + 12)
        for k in range(named + ids):
            key, target = struct.unpack_from("<II", data, raw + directory + 16 + 8 * k)
            if wanted is None or key == wanted:
                return target & 0x7FFFFFFF
        return None

    leaf = entry(entry(entry(0, 24), 1), None)
    data_rva, size = struct.unpack_from("<II", data, raw + leaf)
    return data[raw + data_rva - rva: raw + data_rva - rva + size].decode()


if __name__ == "__main__":
    import unittest

    unittest.main()
