#include "layout/start_screen_layout.h"

#include "common/version.h"
#include "layout/pixels.h"

#include <array>
#include <cmath>

namespace zz::layout::start_screen {

namespace {

using colour::kTitleBlue;
constexpr Face kTitleFace{face::kArialBlack, 27.75};
constexpr Face kSubtitleFace{face::kArialBlack, 9};
constexpr int kTwipsPerPixel = kTwipsPerInch / kStandardDpi;

// Bottom to top, as they overlap: the big "6175" box reaches over the
// subtitle and its rules.
constexpr std::array kElements = {
    Element{"TitleLab0", Kind::Label, 975, 105, 4185, 1125, "6175", kTitleFace, kTitleBlue, {}, 4},
    Element{"TitleLine0", Kind::Rule, 1005, 795, 5350 - 1005, 0, {}, {}, kTitleBlue},
    Element{"TitleLine1", Kind::Rule, 1005, 1080, 5350 - 1005, 0, {}, {}, kTitleBlue},
    Element{"TitleLab1",
            Kind::Label,
            990,
            810,
            3990,
            255,
            "PROGRAMMABLE RESISTANCE BOX ZIZ",
            kSubtitleFace,
            kTitleBlue,
            {},
            5},
    Element{"VerLab",
            Kind::Label,
            150,
            1170,
            6495,
            195,
            common::kVersionText,
            kWindowFace,
            kTitleBlue,
            {},
            1},
    Element{"Image1", Kind::Picture, 150, 345, 720, 720, "icons/logo48.png"},
    // Hidden until the About box shows it.
    Element{kOkButton, Kind::Button, 6000, 4065, 1515, 405, "&OK", {}, {}, {}, 3},
};

}  // namespace

std::span<const Element> elements() {
    return kElements;
}

const Element &element(std::string_view name) {
    return findElement(kElements, name);
}

Origin centredOrigin(int screenWidthPixels, int screenHeightPixels) {
    const float left = (float(screenWidthPixels * kTwipsPerPixel) - float(kWidth)) / 2.0f;
    const float top = (float(screenHeightPixels * kTwipsPerPixel) - float(kHeight)) / 2.0f;
    return {int(std::lround(left / float(kTwipsPerPixel))),
            int(std::lround(top / float(kTwipsPerPixel)))};
}

}  // namespace zz::layout::start_screen
