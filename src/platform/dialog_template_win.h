#pragma once
// A dialog's template built in memory, for the program's small dialogs: the
// dialog's words and each control's, every control on a DWORD boundary as
// the system wants it, in the dialog font at 8 points.
#include <cstddef>

#include "base/win32.h"

namespace orva {

inline constexpr WORD kDialogButton = 0x0080;
inline constexpr WORD kDialogEdit = 0x0081;
inline constexpr WORD kDialogStatic = 0x0082;

class DialogTemplate {
public:
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_); }

    void begin(DWORD style, WORD items, short width, short height, const wchar_t* title) {
        putDword(style | DS_SETFONT);
        putDword(0);  // extended style
        put(items);
        put(0);  // x
        put(0);  // y
        put(static_cast<WORD>(width));
        put(static_cast<WORD>(height));
        put(0);  // no menu
        put(0);  // the dialog class
        putText(title);
        put(8);  // point size
        putText(L"MS Shell Dlg");
    }

    void item(DWORD style, short x, short y, short width, short height, WORD id, WORD windowClass,
              const wchar_t* text) {
        while (count_ % 2 != 0) put(0);
        putDword(style | WS_CHILD | WS_VISIBLE);
        putDword(0);
        put(static_cast<WORD>(x));
        put(static_cast<WORD>(y));
        put(static_cast<WORD>(width));
        put(static_cast<WORD>(height));
        put(id);
        put(0xFFFF);
        put(windowClass);
        putText(text);
        put(0);  // no creation data
    }

private:
    void put(WORD word) {
        if (count_ < kWords) words_[count_++] = word;
    }
    void putDword(DWORD value) {
        put(LOWORD(value));
        put(HIWORD(value));
    }
    void putText(const wchar_t* text) {
        do put(static_cast<WORD>(*text)); while (*text++ != 0);
    }

    static constexpr std::size_t kWords = 512;
    alignas(DWORD) WORD words_[kWords] = {};
    std::size_t count_ = 0;
};

}  // namespace orva
