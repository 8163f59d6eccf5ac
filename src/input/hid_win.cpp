#include "input/hid_win.h"

#include "platform/handles_win.h"
#include "platform/system_library_win.h"
#include "platform/wide_win.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <hidsdi.h>

#include <cwchar>

namespace vantrel {

namespace {

// {4D1E55B2-F16F-11CF-88CB-001111000030}: every HID collection's interface.
GUID HID_INTERFACE = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr USAGE GENERIC_DESKTOP = 0x01;
constexpr USAGE GAME_PAD = 0x05;
constexpr int LIST_ATTEMPTS = 3;  // the list can grow between asking its size and reading it

KernelHandle open_file(const std::u16string& path, DWORD access, DWORD flags) {
    HANDLE file = CreateFileW(std::wstring(as_wide(path)).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, flags, nullptr);
    return KernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// One open controller with its one outstanding read; the buffer and the
// OVERLAPPED live as long as the read does.
class WinHidDevice final : public HidDevice {
public:
    WinHidDevice(KernelHandle file, KernelHandle read_done, std::size_t report_bytes)
        : file_(std::move(file)), read_done_(std::move(read_done)), buffer_(report_bytes) {}

    ~WinHidDevice() override {
        if (!pending_) return;
        CancelIoEx(file_.get(), &overlapped_);
        DWORD got = 0;
        GetOverlappedResult(file_.get(), &overlapped_, &got, TRUE);
    }

    HidRead read(std::vector<std::uint8_t>& report, std::chrono::milliseconds timeout) override {
        if (!pending_) {
            overlapped_ = {};
            overlapped_.hEvent = read_done_.get();
            if (!ReadFile(file_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), nullptr, &overlapped_) &&
                GetLastError() != ERROR_IO_PENDING)
                return HidRead::Failed;
            pending_ = true;
        }
        // A read that outlasts the slice stays pending for the next call.
        DWORD waited = WaitForSingleObject(read_done_.get(), static_cast<DWORD>(timeout.count()));
        if (waited == WAIT_TIMEOUT) return HidRead::TimedOut;
        if (waited != WAIT_OBJECT_0) return HidRead::Failed;  // still pending: the destructor completes it
        pending_ = false;
        DWORD got = 0;
        if (!GetOverlappedResult(file_.get(), &overlapped_, &got, FALSE)) return HidRead::Failed;
        report.assign(buffer_.begin(), buffer_.begin() + got);
        return HidRead::Report;
    }

private:
    KernelHandle file_;
    KernelHandle read_done_;
    OVERLAPPED overlapped_{};
    std::vector<std::uint8_t> buffer_;
    bool pending_ = false;
};

class WinHidSystem final : public HidSystem {
public:
    bool load() {
        HMODULE cfgmgr = load_system_library(L"cfgmgr32.dll");
        HMODULE hid = load_system_library(L"hid.dll");
        return find_entry(cfgmgr, "CM_Get_Device_Interface_List_SizeW", list_size_) &&
               find_entry(cfgmgr, "CM_Get_Device_Interface_ListW", list_) &&
               find_entry(hid, "HidD_GetAttributes", attributes_) &&
               find_entry(hid, "HidD_GetPreparsedData", preparsed_) &&
               find_entry(hid, "HidD_FreePreparsedData", free_preparsed_) && find_entry(hid, "HidP_GetCaps", caps_);
    }

    std::vector<HidCandidate> enumerate() override {
        std::vector<HidCandidate> found;
        std::vector<wchar_t> list = interface_list();
        for (std::size_t at = 0; at < list.size() && list[at] != L'\0'; at += std::wcslen(&list[at]) + 1) {
            std::u16string path(as_utf16(&list[at]));
            // No access asked: enough for the ids, even of a device another program holds.
            KernelHandle device = open_file(path, 0, 0);
            HIDD_ATTRIBUTES attributes{};
            attributes.Size = sizeof attributes;
            if (device.valid() && attributes_(device.get(), &attributes))
                found.push_back({std::move(path), attributes.VendorID, attributes.ProductID});
        }
        return found;
    }

    std::unique_ptr<HidDevice> open(const std::u16string& path) override {
        KernelHandle file = open_file(path, GENERIC_READ, FILE_FLAG_OVERLAPPED);
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        if (!file.valid() || !preparsed_(file.get(), &preparsed)) return nullptr;
        HIDP_CAPS caps{};
        bool game_pad = caps_(preparsed, &caps) == HIDP_STATUS_SUCCESS && caps.UsagePage == GENERIC_DESKTOP &&
                        caps.Usage == GAME_PAD && caps.InputReportByteLength > 0;
        free_preparsed_(preparsed);
        if (!game_pad) return nullptr;
        KernelHandle read_done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!read_done.valid()) return nullptr;
        // Every read must hold the longest report.
        return std::make_unique<WinHidDevice>(std::move(file), std::move(read_done), caps.InputReportByteLength);
    }

private:
    std::vector<wchar_t> interface_list() {
        for (int attempt = 0; attempt < LIST_ATTEMPTS; ++attempt) {
            ULONG units = 0;
            if (list_size_(&units, &HID_INTERFACE, nullptr, CM_GET_DEVICE_INTERFACE_LIST_PRESENT) != CR_SUCCESS)
                return {};
            std::vector<wchar_t> list(units + 1, L'\0');  // one more: a list that ends early still ends
            CONFIGRET result = list_(&HID_INTERFACE, nullptr, list.data(), units, CM_GET_DEVICE_INTERFACE_LIST_PRESENT);
            if (result == CR_SUCCESS) return list;
            if (result != CR_BUFFER_SMALL) return {};
        }
        return {};
    }

    decltype(&CM_Get_Device_Interface_List_SizeW) list_size_ = nullptr;
    decltype(&CM_Get_Device_Interface_ListW) list_ = nullptr;
    decltype(&HidD_GetAttributes) attributes_ = nullptr;
    decltype(&HidD_GetPreparsedData) preparsed_ = nullptr;
    decltype(&HidD_FreePreparsedData) free_preparsed_ = nullptr;
    decltype(&HidP_GetCaps) caps_ = nullptr;
};

}  // namespace

std::unique_ptr<HidSystem> find_hid_system() {
    auto system = std::make_unique<WinHidSystem>();
    if (!system->load()) return nullptr;
    return system;
}

}  // namespace vantrel
