#include "view/messages.h"

#include "platform/modal_ui.h"
#include "view/window_title.h"

namespace orva {

namespace {
// Text for an ...A entry point: the UTF-8 bytes in the ANSI code page. When
// even that conversion cannot be made, the bytes go as they are.
template <class Use>
void withAnsi(Viewer& state, std::string_view utf8, const char* terminated, Use&& use) {
    if (state.allocator != nullptr) {
        if (auto ansi = toAnsi(*state.allocator, utf8)) {
            use(ansi->data());
            return;
        }
    }
    use(terminated);
}
}  // namespace

void updateWindowTitle(Viewer& state) {
    const FixedText<512> title = composeWindowTitle(state);
    if (!title.fits()) return;
    withAnsi(state, title.view(), title.c_str(), [&](const char* text) { SetWindowTextA(state.mainWindow, text); });
}

void showOpenError(Viewer& state, std::string_view path, ErrorCode code) {
    if (state.closing) return;
    const FixedText<1024> text = composeOpenErrorText(path, code);
    withAnsi(state, text.view(), text.c_str(), [&](const char* ansi) {
        modalUi().messageBox(state.mainWindow, ansi, "OrvaReader", MB_OK | MB_ICONERROR);
    });
}

void showMessage(Viewer& state, WindowHandle owner, std::string_view text, unsigned style) {
    if (state.closing) return;
    FixedText<1024> terminated;
    terminated.append(text);
    withAnsi(state, text, terminated.c_str(),
             [&](const char* ansi) { modalUi().messageBox(owner, ansi, "OrvaReader", MB_OK | style); });
}

}  // namespace orva
