#pragma once
// The rows of the windows' layout tables, in plain data: every element's
// object name, kind, box in twips, caption as stored, typeface and colours,
// and its place in the tab order. Each face (the Qt windows on Linux, the
// Win32 windows on Windows) builds its windows from these rows alone, so
// both show the same places, texts and colours.

#include "layout/pixels.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zz::layout {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

namespace colour {

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kNavy{0, 0, 128};
inline constexpr Rgb kDarkRed{192, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};
// The start screen's title, its rules and the version line.
inline constexpr Rgb kTitleBlue{0, 97, 165};
// The model name and "Virtual Panel" at the foot of the panel.
inline constexpr Rgb kFooterBlue{19, 101, 159};
// The desktop colour around the panel's background picture; the picture
// covers it anyway.
inline constexpr Rgb kDesktop{0, 128, 128};

}  // namespace colour

namespace face {

inline constexpr std::string_view kSansSerif = "MS Sans Serif";
inline constexpr std::string_view kArial = "Arial";
inline constexpr std::string_view kArialBlack = "Arial Black";
// A symbol face: its "W" is drawn as the ohm sign (see readableCaption).
inline constexpr std::string_view kSymbol = "Symbol";

// Every window's own text, and the next size up.
inline constexpr double kDefaultPoints = 8.25;
inline constexpr double kMediumPoints = 9.75;

}  // namespace face

struct Face {
    std::string_view family = face::kSansSerif;
    double points = face::kDefaultPoints;
    bool bold = false;
    bool italic = false;
    friend constexpr bool operator==(const Face &, const Face &) = default;
};

enum class Kind {
    Label,         // drawn text; clear unless it has a fill
    Rule,          // a one-pixel horizontal line from (left, top) over width
    Rectangle,     // filled with `fill`, or a hollow frame without one
    Picture,       // a picture at its own size from the box's top left
    Button,        // a push button
    EntryBox,      // a single-line text box
    ComboBox,      // a drop-down box with editable text
    Readout,       // the raised panel that holds the readout labels
    ReadoutLabel,  // a label inside the readout panel (its box is the panel's)
    UpArrow,       // a digit's spin control, only its up arrow acting
    DownArrow,     // the same, only its down arrow acting
    LinkLamp,      // the lamp with its caption
};

// No place in the tab order: the element takes no focus.
inline constexpr int kNoTab = -1;

struct Element {
    std::string_view name;  // the object name ("DigitLab6", "RanBut0")
    Kind kind = Kind::Label;
    int left = 0, top = 0, width = 0, height = 0;  // twips
    std::string_view caption = {};                 // as stored, UTF-8
    Face face = {};
    std::optional<Rgb> text = {};  // text colour; none: the platform's
    std::optional<Rgb> fill = {};  // background or fill; none: clear
    int tab = kNoTab;              // its place in the designed tab order
    int index = 0;                 // its index in a control array (DigitLab(3): 3)
};

// The caption as the operator reads it: in a symbol face "W" is drawn as
// the ohm sign, so "kW" reads "kΩ". A face without the symbol face shows
// this text in a text face instead.
std::string readableCaption(const Element &element);

// The row of that object name in a table; the program's own tables hold
// every name asked for, so an unknown one is a programming error (it aborts).
const Element &findElement(std::span<const Element> table, std::string_view name);

// Where an element lies in pixels, from its window's client area (a readout
// label: from the readout panel). A rule is one pixel high and ends where
// its end point's pixel begins.
PixelRect pixelBox(const Element &element, int dpi = kStandardDpi);

}  // namespace zz::layout
