#pragma once
// Records every title the main window is given, in order, by watching
// WM_SETTEXT on its way to the window.
#include <string>
#include <vector>

#include "base/win32.h"

namespace orva::testing {

class TitleRecorder {
public:
    explicit TitleRecorder(HWND window);
    ~TitleRecorder();
    TitleRecorder(const TitleRecorder&) = delete;
    TitleRecorder& operator=(const TitleRecorder&) = delete;

    std::vector<std::string> titles;

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    HWND window_;
    WNDPROC previous_;
};

}  // namespace orva::testing
