// Stands in for the controller library in end-to-end tests, installed in the
// system folder of the test's Wine prefix. Its state comes from pad.txt
// beside the DLL, which the test rewrites: "<slot> <buttons>"
// for a controller answering in that slot, anything else for none.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring state_file() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&state_file), &self);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring file(path);
    return file.substr(0, file.find_last_of(L"\\/") + 1) + L"pad.txt";
}

}  // namespace

struct PadRecord {
    DWORD packet;
    WORD buttons;
    BYTE left_trigger, right_trigger;
    SHORT lx, ly, rx, ry;
};

extern "C" __declspec(dllexport) DWORD WINAPI XInputGetState(DWORD slot, PadRecord* state) {
    static const std::wstring file = state_file();
    FILE* in = _wfopen(file.c_str(), L"r");
    if (!in) return ERROR_DEVICE_NOT_CONNECTED;
    unsigned answering = 0, buttons = 0;
    int fields = std::fscanf(in, "%u %u", &answering, &buttons);
    std::fclose(in);
    if (fields != 2 || answering != slot) return ERROR_DEVICE_NOT_CONNECTED;
    state->buttons = static_cast<WORD>(buttons);
    return ERROR_SUCCESS;
}
