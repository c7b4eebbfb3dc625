#pragma once
// Ownership of what the system hands out: one owner each, given back when the
// owner goes, on every way out.
//   UniqueHandle      a kernel handle (file, folder, process, thread, pipe, job)
//   FindHandle        a folder listing
//   GdiObject<T>      a pen, brush, font or bitmap (ScopedPen, ScopedBrush)
//   Selection         an object selected into a device context; the one it
//                     replaced is selected again when the selection goes
//   SavedDc           a device context's state, restored by scope
//   PaintDc           the device context of one WM_PAINT, ended by scope
//   HeldMutex         a mutex this thread owns: released, then closed
//   DroppedFiles      the files of one WM_DROPFILES, finished by scope
// Declare a GDI object before its selection: the selection then ends first,
// and the object is deleted only once no context holds it.
#include <utility>

#include "base/win32.h"

#include <shellapi.h>

namespace orva {

// A value of the system with one owner. Traits name the type, the value that
// means "none", which values count as real, and how a real one is given back.
template <class Traits>
class Scoped {
public:
    using Value = typename Traits::Value;

    Scoped() = default;
    explicit Scoped(Value value) : value_(Traits::valid(value) ? value : Traits::none()) {}
    Scoped(Scoped&& other) noexcept : value_(std::exchange(other.value_, Traits::none())) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = std::exchange(other.value_, Traits::none());
        }
        return *this;
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    ~Scoped() { reset(); }

    void reset() noexcept {
        if (value_ != Traits::none()) Traits::close(value_);
        value_ = Traits::none();
    }
    Value get() const noexcept { return value_; }
    Value release() noexcept { return std::exchange(value_, Traits::none()); }
    explicit operator bool() const noexcept { return value_ != Traits::none(); }

private:
    Value value_ = Traits::none();
};

struct KernelHandleTraits {
    using Value = HANDLE;
    static HANDLE none() { return nullptr; }
    static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};
using UniqueHandle = Scoped<KernelHandleTraits>;

struct FindHandleTraits {
    using Value = HANDLE;
    static HANDLE none() { return nullptr; }
    static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { FindClose(handle); }
};
using FindHandle = Scoped<FindHandleTraits>;

struct ChangeWatchTraits {
    using Value = HANDLE;
    static HANDLE none() { return nullptr; }
    static bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { FindCloseChangeNotification(handle); }
};
// A folder's change notification (FindFirstChangeNotificationW).
using ChangeWatch = Scoped<ChangeWatchTraits>;

template <class T>
struct GdiObjectTraits {
    using Value = T;
    static T none() { return nullptr; }
    static bool valid(T object) { return object != nullptr; }
    static void close(T object) { DeleteObject(object); }
};
template <class T>
using GdiObject = Scoped<GdiObjectTraits<T>>;
using ScopedPen = GdiObject<HPEN>;
using ScopedBrush = GdiObject<HBRUSH>;

class Selection {
public:
    // Nothing is selected for a null object.
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

class SavedDc {
public:
    explicit SavedDc(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDc() {
        if (saved_ != 0) RestoreDC(dc_, saved_);
    }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

private:
    HDC dc_;
    int saved_;
};

class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    // Null when the system gave no context; there is then nothing to draw on.
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

struct HeldMutexTraits {
    using Value = HANDLE;
    static HANDLE none() { return nullptr; }
    static bool valid(HANDLE handle) { return handle != nullptr; }
    static void close(HANDLE handle) {
        ReleaseMutex(handle);
        CloseHandle(handle);
    }
};
// Made from a handle whose wait this thread has just won.
using HeldMutex = Scoped<HeldMutexTraits>;

struct DroppedFilesTraits {
    using Value = HDROP;
    static HDROP none() { return nullptr; }
    static bool valid(HDROP drop) { return drop != nullptr; }
    static void close(HDROP drop) { DragFinish(drop); }
};
using DroppedFiles = Scoped<DroppedFilesTraits>;

}  // namespace orva
