#pragma once
// The main window with a document built in memory, and the means to drive
// its view as a person would: keys with modifiers held, wheel turns and
// clicks at client points, and a look at what each action asked to repaint.
#include <initializer_list>

#include "support/main_window_fixture_win.h"
#include "support/test_document.h"

namespace orva::testing {

class ViewTest : public MainWindowTest {
protected:
    // Closes the open document and installs `document` as an opened one: page 0 at `zoom`, the scroll bars,
    // the strip and the title brought up to date.
    void install(Document document, float zoom = 1.0f);

    // WM_KEYDOWN with `held` (VK_CONTROL, VK_SHIFT) down as GetKeyState sees them.
    void pressKey(WPARAM key, std::initializer_list<int> held = {});
    // WM_MOUSEWHEEL with the pointer at client point (x, y), and the
    // buttons and keys held as the message tells them (MK_CONTROL ...).
    void turnWheel(short delta, int x, int y, WORD keys = 0);
    void click(int x, int y);

    struct Repaint {
        bool invalidated;
        bool erased;
    };
    // Runs `action` on a fully validated window and reports what it left to
    // repaint, then repaints it.
    template <class Action>
    Repaint repaintAfter(Action&& action) {
        validate();
        action();
        return settle();
    }

    const PageImage& currentPage() const { return state().document.pages[state().currentPage]; }

private:
    void validate();
    Repaint settle();
};

}  // namespace orva::testing
