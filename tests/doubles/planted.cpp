// Plays a file that a download left beside the program: cmd.exe, or a
// controller library. The program must never run it; if it does, it leaves
// "<its own path>.ran" beside itself for the test to find.
#include <windows.h>

#include <string>

namespace {

void leave_marker(HMODULE self) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring marker = std::wstring(path) + L".ran";
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

}  // namespace

#ifdef PLANTED_LIBRARY
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) leave_marker(self);
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI XInputGetState(DWORD, void*) { return ERROR_DEVICE_NOT_CONNECTED; }
#else
int main() {
    leave_marker(nullptr);
    return 0;
}
#endif
