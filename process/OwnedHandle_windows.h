#pragma once
// A handle the system gave (a process, a thread, a snapshot), closed when it
// goes. Null and INVALID_HANDLE_VALUE, which calls give back on failure,
// both hold no handle.

#include <windows.h>

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~OwnedHandle()
    {
        if (handle_)
            ::CloseHandle(handle_);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HANDLE handle_;
};
