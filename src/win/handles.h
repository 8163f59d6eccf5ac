// Move-only owners for the Windows handle kinds the shell uses.
#pragma once

#include <windows.h>

#include <utility>

namespace vantrel {

template <typename Handle, auto Release>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    Owned& operator=(Owned&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (handle_) Release(handle_);
    }
    Handle get() const { return handle_; }
    Handle* out() { return &handle_; }

private:
    Handle handle_{};
};

using RegistryKey = Owned<HKEY, RegCloseKey>;
using PopupMenu = Owned<HMENU, DestroyMenu>;
using KernelHandle = Owned<HANDLE, CloseHandle>;

}  // namespace vantrel
