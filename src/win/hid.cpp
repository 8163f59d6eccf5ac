#include "win/hid.h"

#include "win/handles.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <hidsdi.h>

#include <cwchar>
#include <memory>

namespace vantrel {

namespace {

// {4D1E55B2-F16F-11CF-88CB-001111000030}: every HID collection's interface.
GUID HID_INTERFACE = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr USAGE GENERIC_DESKTOP = 0x01;
constexpr USAGE GAME_PAD = 0x05;
constexpr int LIST_ATTEMPTS = 3;  // the list can grow between asking its size and reading it

// Filled once at start-up, before the reader thread exists; read-only after.
struct HidLibrary {
    decltype(&CM_Get_Device_Interface_List_SizeW) list_size = nullptr;
    decltype(&CM_Get_Device_Interface_ListW) list = nullptr;
    decltype(&HidD_GetAttributes) attributes = nullptr;
    decltype(&HidD_GetPreparsedData) preparsed = nullptr;
    decltype(&HidD_FreePreparsedData) free_preparsed = nullptr;
    decltype(&HidP_GetCaps) caps = nullptr;
};
HidLibrary hid_library;

template <typename Entry>
bool find_entry(HMODULE library, const char* name, Entry& entry) {
    entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return entry != nullptr;
}

KernelHandle open_file(const std::u16string& path, DWORD access, DWORD flags) {
    std::wstring wide(path.begin(), path.end());
    HANDLE file =
        CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
    return KernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

std::vector<wchar_t> interface_list() {
    for (int attempt = 0; attempt < LIST_ATTEMPTS; ++attempt) {
        ULONG units = 0;
        if (hid_library.list_size(&units, &HID_INTERFACE, nullptr, CM_GET_DEVICE_INTERFACE_LIST_PRESENT) != CR_SUCCESS)
            return {};
        std::vector<wchar_t> list(units + 1, L'\0');  // one more: a list that ends early still ends
        CONFIGRET result =
            hid_library.list(&HID_INTERFACE, nullptr, list.data(), units, CM_GET_DEVICE_INTERFACE_LIST_PRESENT);
        if (result == CR_SUCCESS) return list;
        if (result != CR_BUFFER_SMALL) return {};
    }
    return {};
}

std::vector<HidCandidate> enumerate_hid() {
    std::vector<HidCandidate> found;
    std::vector<wchar_t> list = interface_list();
    for (std::size_t at = 0; at < list.size() && list[at] != L'\0'; at += std::wcslen(&list[at]) + 1) {
        std::u16string path(reinterpret_cast<const char16_t*>(&list[at]));
        // No access asked: enough for the ids, even of a device another program holds.
        KernelHandle device = open_file(path, 0, 0);
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (device.valid() && hid_library.attributes(device.get(), &attributes))
            found.push_back({std::move(path), attributes.VendorID, attributes.ProductID});
    }
    return found;
}

// One open controller with its one outstanding read; the buffer and the
// OVERLAPPED live as long as the read does.
struct OpenHid {
    KernelHandle file;
    KernelHandle read_done;
    OVERLAPPED overlapped{};
    std::vector<std::uint8_t> buffer;
    bool pending = false;
};

std::optional<std::uintptr_t> open_hid(const std::u16string& path) {
    auto hid = std::make_unique<OpenHid>();
    hid->file = open_file(path, GENERIC_READ, FILE_FLAG_OVERLAPPED);
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!hid->file.valid() || !hid_library.preparsed(hid->file.get(), &preparsed)) return std::nullopt;
    HIDP_CAPS caps{};
    bool game_pad = hid_library.caps(preparsed, &caps) == HIDP_STATUS_SUCCESS && caps.UsagePage == GENERIC_DESKTOP &&
                    caps.Usage == GAME_PAD && caps.InputReportByteLength > 0;
    hid_library.free_preparsed(preparsed);
    if (!game_pad) return std::nullopt;
    hid->buffer.resize(caps.InputReportByteLength);  // every read must hold the longest report
    hid->read_done = KernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!hid->read_done.valid()) return std::nullopt;
    return reinterpret_cast<std::uintptr_t>(hid.release());
}

HidRead read_hid(std::uintptr_t device, std::vector<std::uint8_t>& report, std::chrono::milliseconds timeout) {
    auto* hid = reinterpret_cast<OpenHid*>(device);
    if (!hid->pending) {
        hid->overlapped = {};
        hid->overlapped.hEvent = hid->read_done.get();
        if (!ReadFile(hid->file.get(), hid->buffer.data(), static_cast<DWORD>(hid->buffer.size()), nullptr,
                      &hid->overlapped) &&
            GetLastError() != ERROR_IO_PENDING)
            return HidRead::Failed;
        hid->pending = true;
    }
    // A read that outlasts the slice stays pending for the next call.
    DWORD waited = WaitForSingleObject(hid->read_done.get(), static_cast<DWORD>(timeout.count()));
    if (waited == WAIT_TIMEOUT) return HidRead::TimedOut;
    if (waited != WAIT_OBJECT_0) return HidRead::Failed;
    hid->pending = false;
    DWORD got = 0;
    // A HID read always brings a report; an empty one would only spin.
    if (!GetOverlappedResult(hid->file.get(), &hid->overlapped, &got, FALSE) || got == 0) return HidRead::Failed;
    report.assign(hid->buffer.begin(), hid->buffer.begin() + got);
    return HidRead::Report;
}

void close_hid(std::uintptr_t device) {
    std::unique_ptr<OpenHid> hid(reinterpret_cast<OpenHid*>(device));
    if (hid->pending) {
        CancelIoEx(hid->file.get(), &hid->overlapped);
        DWORD got = 0;
        GetOverlappedResult(hid->file.get(), &hid->overlapped, &got, TRUE);
    }
}

}  // namespace

std::optional<HidCalls> find_hid_calls() {
    // From the system folder only, like the controller libraries.
    HMODULE cfgmgr = LoadLibraryExW(L"cfgmgr32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    HMODULE hid = LoadLibraryExW(L"hid.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!cfgmgr || !hid) return std::nullopt;
    if (!find_entry(cfgmgr, "CM_Get_Device_Interface_List_SizeW", hid_library.list_size) ||
        !find_entry(cfgmgr, "CM_Get_Device_Interface_ListW", hid_library.list) ||
        !find_entry(hid, "HidD_GetAttributes", hid_library.attributes) ||
        !find_entry(hid, "HidD_GetPreparsedData", hid_library.preparsed) ||
        !find_entry(hid, "HidD_FreePreparsedData", hid_library.free_preparsed) ||
        !find_entry(hid, "HidP_GetCaps", hid_library.caps))
        return std::nullopt;
    return HidCalls{enumerate_hid, open_hid, read_hid, close_hid};
}

}  // namespace vantrel
