#include "support/title_recorder_win.h"

namespace orva::testing {

namespace {
TitleRecorder* gActive = nullptr;
WNDPROC gPrevious = nullptr;
}  // namespace

TitleRecorder::TitleRecorder(HWND window) : window_(window) {
    gActive = this;
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TitleRecorder::procedure)));
    gPrevious = previous_;
}

TitleRecorder::~TitleRecorder() {
    if (IsWindow(window_)) SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    gActive = nullptr;
}

LRESULT CALLBACK TitleRecorder::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT && gActive != nullptr) gActive->titles.emplace_back(reinterpret_cast<const char*>(lParam));
    return CallWindowProcA(gPrevious, window, message, wParam, lParam);
}

}  // namespace orva::testing
