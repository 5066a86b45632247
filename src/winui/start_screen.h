#pragma once
// The start screen: a frameless window as big as its picture, centred on
// the screen, naming the product and its version. At start it shows without
// a button for two seconds; as the About box it shows "&OK" and stays,
// modal, until that is pressed (or Alt+O).

#include "winui/drawn_elements.h"
#include "winui/fonts.h"
#include "winui/message_loop.h"

#include <windows.h>

namespace zz::winui {

class StartScreen : private KeyboardFilter {
public:
    // Created hidden; the OK button only for the About box.
    explicit StartScreen(bool withOkButton);
    ~StartScreen() override;
    StartScreen(const StartScreen &) = delete;
    StartScreen &operator=(const StartScreen &) = delete;

    // On screen and fully painted when this returns.
    void show();
    // The About box: until OK.
    void runModal();
    HWND window() const { return hwnd_; }

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool filterKey(const MSG &message) override;
    void place(int dpi);
    void paint(HDC dc);

    HWND hwnd_ = nullptr;
    HWND okButton_ = nullptr;
    bool done_ = false;
    int dpi_ = 96;
    FontSet fonts_;
    PictureSet pictures_;
};

}  // namespace zz::winui
