// The one way the program owns an OS handle: move-only, and the handle is
// released when its owner goes or takes another.
#pragma once

#include <utility>

namespace vantrel {

template <typename Handle, auto Release, Handle EMPTY = Handle{}>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(EMPTY); }

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != EMPTY; }
    Handle release() { return std::exchange(handle_, EMPTY); }
    // For calls that hand a new handle back through a pointer.
    Handle* out() {
        reset(EMPTY);
        return &handle_;
    }

private:
    void reset(Handle handle) {
        if (handle_ != EMPTY) Release(handle_);
        handle_ = handle;
    }

    Handle handle_ = EMPTY;
};

}  // namespace vantrel
