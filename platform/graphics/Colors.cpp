#include "platform/graphics/Colors.h"

#include <array>

namespace carrelon {

namespace {

// The classic light scheme, indexed by system colour number (values 0x00BBGGRR).
constexpr std::array<TColor, 25> SystemScheme = {
    0xC8D0D4,  // clScrollBar
    0xA56E3A,  // clBackground
    0x6A240A,  // clActiveCaption
    0x808080,  // clInactiveCaption
    0xC0C0C0,  // clMenu
    0xFFFFFF,  // clWindow
    0x000000,  // clWindowFrame
    0x000000,  // clMenuText
    0x000000,  // clWindowText
    0xFFFFFF,  // clCaptionText
    0xC0C0C0,  // clActiveBorder
    0xC0C0C0,  // clInactiveBorder
    0x808080,  // clAppWorkSpace
    0x6A240A,  // clHighlight
    0xFFFFFF,  // clHighlightText
    0xC0C0C0,  // clBtnFace
    0x808080,  // clBtnShadow
    0x808080,  // clGrayText
    0x000000,  // clBtnText
    0xC0C0C0,  // clInactiveCaptionText
    0xFFFFFF,  // clBtnHighlight
    0x404040,  // cl3DDkShadow
    0xDFDFDF,  // cl3DLight
    0x000000,  // clInfoText
    0xE1FFFF,  // clInfoBk
};

}  // namespace

TColor ColorToRGB(TColor Color) {
    if (Color < 0) {
        const auto Index = static_cast<unsigned>(Color) & 0xFFu;
        return Index < SystemScheme.size() ? SystemScheme[Index] : 0;
    }
    if (Color == clNone) return clWhite;
    if (Color == clDefault) return clBlack;
    return Color & 0xFFFFFF;
}

}  // namespace carrelon
