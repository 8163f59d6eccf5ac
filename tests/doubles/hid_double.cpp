// Stands in for the system's HID libraries (built as both cfgmgr32.dll and
// hid.dll, installed in the test prefix's system folder): one HID interface,
// a DualShock 4 whose "device" is the named pipe that `desktop_double
// pad-pipe` serves, 64-byte USB reports.
#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

constexpr wchar_t PIPE[] = L"\\\\.\\pipe\\vantrel-test-pad";
constexpr ULONG LIST_UNITS = sizeof PIPE / sizeof PIPE[0] + 1;  // and the list's own end

struct Attributes {
    ULONG size;
    USHORT vendor, product, version;
};

struct Caps {
    USHORT usage, usage_page, input_length, output_length, feature_length, rest[27];
};

char preparsed;

}  // namespace

extern "C" {

__declspec(dllexport) DWORD WINAPI CM_Get_Device_Interface_List_SizeW(ULONG* units, GUID*, wchar_t*, ULONG) {
    *units = LIST_UNITS;
    return 0;
}

__declspec(dllexport) DWORD WINAPI CM_Get_Device_Interface_ListW(GUID*, wchar_t*, wchar_t* list, ULONG units, ULONG) {
    if (units < LIST_UNITS) return 0x1A;  // CR_BUFFER_SMALL
    std::memset(list, 0, units * sizeof(wchar_t));
    std::wcscpy(list, PIPE);
    return 0;
}

__declspec(dllexport) BOOLEAN WINAPI HidD_GetAttributes(HANDLE, Attributes* attributes) {
    attributes->vendor = 0x054C;
    attributes->product = 0x09CC;
    return TRUE;
}

__declspec(dllexport) BOOLEAN WINAPI HidD_GetPreparsedData(HANDLE, void** data) {
    *data = &preparsed;
    return TRUE;
}

__declspec(dllexport) BOOLEAN WINAPI HidD_FreePreparsedData(void*) { return TRUE; }

__declspec(dllexport) LONG WINAPI HidP_GetCaps(void*, Caps* caps) {
    *caps = {};
    caps->usage_page = 0x01;  // generic desktop
    caps->usage = 0x05;       // game pad
    caps->input_length = 64;
    return 0x00110000;  // HIDP_STATUS_SUCCESS
}

}  // extern "C"
