#include "layout/panel_layout.h"

#include <algorithm>
#include <array>

namespace zz::layout::panel {

namespace {

using namespace colour;
using face::kArial;
using face::kMediumPoints;
using face::kSansSerif;
using face::kSymbol;

constexpr Face kUnitFace{kSymbol, 12};                       // the units, the presets
constexpr Face kEntryFace{kSansSerif, kMediumPoints, true};  // the entry box and its label
constexpr Face kReadoutFace{kArial, 48};

constexpr std::string_view kInstructions =
    "'Dial' up a value, enter a value directly or select a preset value.";

// The wheels: the up arrows' and down arrows' lefts by index 1..6 (the down
// arrow of digit 6 sits 15 twips further left than its up arrow).
constexpr int kUpTop = 840, kDownTop = 1905, kWheelWidth = 450, kWheelHeight = 630;
// The readout panel and, inside it, the digits.
constexpr int kReadoutLeft = 915, kReadoutTop = 1170, kReadoutWidth = 3840, kReadoutHeight = 1050;
constexpr int kDigitWidth = 555;
constexpr int kPresetTop = 3465, kPresetHeight = 480;

constexpr Element up(std::string_view name, int index, int left, int tab) {
    return {name, Kind::UpArrow, left, kUpTop, kWheelWidth, kWheelHeight, {}, {}, {},
            {},   tab,           index};
}
constexpr Element down(std::string_view name, int index, int left, int tab) {
    return {name, Kind::DownArrow, left, kDownTop, kWheelWidth, kWheelHeight, {}, {}, {}, {}, tab,
            index};
}
constexpr Element digit(std::string_view name, int index, int left, Rgb colour, int tab) {
    return {name, Kind::ReadoutLabel, left,   0,      kDigitWidth, kReadoutHeight,
            "0",  kReadoutFace,       colour, kWhite, tab,         index};
}
constexpr Element preset(std::string_view name, int index, int left, int width,
                         std::string_view caption, int tab) {
    return {name,    Kind::Button, left, kPresetTop, width, kPresetHeight,
            caption, kUnitFace,    {},   {},         tab,   index};
}

// Bottom to top.
constexpr std::array kElements = {
    // Beneath everything; the picture and the border take the window's
    // outer size after creation.
    Element{kBorder, Kind::Rectangle, 0, 0, 0, 0, {}, {}, kDesktop},
    Element{kBackground, Kind::Picture, 0, 0, 0, 0, "pictures/panel_background.jpg"},
    // The thin grey rules between the strips.
    Element{"Line6", Kind::Rule, 180, 45, 5200 - 180, 0, {}, {}, kGrey},
    Element{"Line4", Kind::Rule, 180, 570, 5200 - 180, 0, {}, {}, kGrey},
    Element{"Line3", Kind::Rule, 180, 2775, 5835 - 180, 0, {}, {}, kGrey},
    Element{"Line1", Kind::Rule, 180, 3375, 5835 - 180, 0, {}, {}, kGrey},
    Element{"Line2", Kind::Rule, 195, 4035, 5835 - 195, 0, {}, {}, kGrey},
    // The readout's colour key, and the frame around the readout panel (no
    // colour: the platform's border colour).
    Element{"Shape3", Kind::Rectangle, 2790, 195, 360, 210, {}, {}, kNavy, kNavy},
    Element{"Shape2", Kind::Rectangle, 3645, 195, 360, 210, {}, {}, kDarkRed, kDarkRed},
    Element{"Shape1", Kind::Rectangle, 4470, 195, 360, 210, {}, {}, kGreen, kGreen},
    Element{"Shape4", Kind::Rectangle, 885, 1155, 3915, 1080},
    // The labels, all clear.
    Element{"Label7", Kind::Label, 165, 105, 2535, 435, kInstructions, {}, kBlack, {}, 37},
    Element{"Label5", Kind::Label, 3195, 150, 300, 360, "kW", kUnitFace, {}, {}, 35},
    Element{"Label4", Kind::Label, 4065, 150, 300, 360, "W", kUnitFace, {}, {}, 34},
    Element{"Label6", Kind::Label, 4875, 180, 300, 360, "m", {kArial, kMediumPoints}, {}, {}, 36},
    Element{"Label3", Kind::Label, 5055, 150, 300, 360, "W", kUnitFace, {}, {}, 33},
    Element{"Label8", Kind::Label, 4830, 1215, 660, 1050, "W", {kSymbol, 39.75}, {}, {}, 21},
    Element{
        "Label1", Kind::Label, 165, 2955, 1395, 255, "Enter a value", kEntryFace, kBlack, {}, 28},
    Element{"Label2", Kind::Label, 3285, 2925, 300, 360, "W", kUnitFace, kBlack, {}, 29},
    Element{"Label9",
            Kind::Label,
            1100,
            4200,
            1800,
            375,
            "MODEL 6175",
            {kArial, 14.25, true},
            kFooterBlue,
            {},
            39},
    Element{"Label10",
            Kind::Label,
            1100,
            4530,
            1845,
            255,
            "Virtual Panel",
            {kArial, 9, true, true},
            kFooterBlue,
            {},
            40},
    Element{"Image1", Kind::Picture, 180, 4125, 720, 720, "icons/logo48.png"},
    // The wheels, then the readout panel over their inner halves.
    up("AdjUp6", 6, 1080, 0),
    up("AdjUp5", 5, 1635, 1),
    up("AdjUp4", 4, 2190, 2),
    up("AdjUp3", 3, 2730, 3),
    up("AdjUp2", 2, 3285, 4),
    up("AdjUp1", 1, 4170, 5),
    down("AdjDown6", 6, 1065, 6),
    down("AdjDown5", 5, 1635, 7),
    down("AdjDown4", 4, 2190, 8),
    down("AdjDown3", 3, 2730, 9),
    down("AdjDown2", 2, 3285, 10),
    down("AdjDown1", 1, 4170, 11),
    Element{"SSPanel1",
            Kind::Readout,
            kReadoutLeft,
            kReadoutTop,
            kReadoutWidth,
            kReadoutHeight,
            {},
            {},
            {},
            kWhite,
            13},
    digit("DigitLab6", 6, 120, kNavy, 20),
    digit("DigitLab5", 5, 675, kNavy, 19),
    digit("DigitLab4", 4, 1230, kDarkRed, 18),
    digit("DigitLab3", 3, 1785, kDarkRed, 17),
    digit("DigitLab2", 2, 2340, kDarkRed, 16),
    digit("DigitLab1", 1, 3210, kGreen, 15),
    Element{"Label11", Kind::ReadoutLabel, 2895, 0, 315, kReadoutHeight, ".", kReadoutFace, kBlack,
            kWhite, 14},
    // The buttons and the entry row.
    Element{"RanBut0", Kind::Button, 180, 1170, 645, 1065, "ZERO", {}, {}, {}, 12, 0},
    preset("RanBut1", 1, 165, 700, "0.1W", 38),
    preset("RanBut2", 2, 990, 700, "1W", 32),
    preset("RanBut3", 3, 1815, 700, "10W", 23),
    preset("RanBut4", 4, 2625, 700, "100W", 24),
    preset("RanBut5", 5, 3435, 700, "1kW", 25),
    preset("RanBut6", 6, 4260, 700, "10kW", 26),
    preset("RanBut7", 7, 5085, 795, "100kW", 27),
    Element{"ManText", Kind::EntryBox, 1800, 2895, 1410, 360, {}, kEntryFace, {}, {}, 22},
    Element{"SetBut", Kind::Button, 4245, 2895, 1590, 375, "&Set Value", {}, {}, {}, 31},
    Element{"ExitBut", Kind::Button, 4320, 4335, 1515, 405, "&Exit", {}, {}, {}, 30},
    // The link lamp in the footer's free space between the caption and Exit;
    // it takes no focus (click it, or F5).
    Element{"LinkLamp", Kind::LinkLamp, 3090, 4245, 1185, 570, {}, {kSansSerif, 7}},
};

constexpr std::array<std::string_view, 7> kDigitNames = {
    "", "DigitLab1", "DigitLab2", "DigitLab3", "DigitLab4", "DigitLab5", "DigitLab6"};
constexpr std::array<std::string_view, 7> kUpNames = {"",       "AdjUp1", "AdjUp2", "AdjUp3",
                                                      "AdjUp4", "AdjUp5", "AdjUp6"};
constexpr std::array<std::string_view, 7> kDownNames = {
    "", "AdjDown1", "AdjDown2", "AdjDown3", "AdjDown4", "AdjDown5", "AdjDown6"};
constexpr std::array<std::string_view, 8> kPresetNames = {
    "RanBut0", "RanBut1", "RanBut2", "RanBut3", "RanBut4", "RanBut5", "RanBut6", "RanBut7"};

bool takesFocus(const Element &e) {
    switch (e.kind) {
        case Kind::Button:
        case Kind::EntryBox:
        case Kind::ComboBox:
        case Kind::UpArrow:
        case Kind::DownArrow:
            return e.tab != kNoTab;
        default:
            return false;
    }
}

}  // namespace

std::span<const Element> elements() {
    return kElements;
}

const Element &element(std::string_view name) {
    return findElement(kElements, name);
}

std::vector<const Element *> tabOrder() {
    std::vector<const Element *> order;
    for (const Element &e : kElements)
        if (takesFocus(e)) order.push_back(&e);
    std::sort(order.begin(), order.end(),
              [](const Element *a, const Element *b) { return a->tab < b->tab; });
    return order;
}

std::string_view digitName(int i) {
    return kDigitNames.at(static_cast<size_t>(i));
}
std::string_view upArrowName(int i) {
    return kUpNames.at(static_cast<size_t>(i));
}
std::string_view downArrowName(int i) {
    return kDownNames.at(static_cast<size_t>(i));
}
std::string_view presetName(int n) {
    return kPresetNames.at(static_cast<size_t>(n));
}

}  // namespace zz::layout::panel
