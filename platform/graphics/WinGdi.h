// The Win32 drawing functions the component calls, on HDC = TCanvas*.
#pragma once

#include <memory>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

using COLORREF = TColor;
using HINSTANCE = void*;

// DrawEdge
constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned BDR_OUTER = 0x3;
constexpr unsigned BDR_INNER = 0xC;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr unsigned BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_MIDDLE = 0x800;
constexpr unsigned BF_SOFT = 0x1000;
constexpr unsigned BF_ADJUST = 0x2000;
constexpr unsigned BF_FLAT = 0x4000;
constexpr unsigned BF_MONO = 0x8000;

// DrawFrameControl
constexpr unsigned DFC_CAPTION = 1;
constexpr unsigned DFC_MENU = 2;
constexpr unsigned DFC_SCROLL = 3;
constexpr unsigned DFC_BUTTON = 4;
constexpr unsigned DFCS_BUTTONCHECK = 0x0;
constexpr unsigned DFCS_BUTTONRADIOIMAGE = 0x1;
constexpr unsigned DFCS_BUTTONRADIOMASK = 0x2;
constexpr unsigned DFCS_BUTTONRADIO = 0x4;
constexpr unsigned DFCS_BUTTON3STATE = 0x8;
constexpr unsigned DFCS_BUTTONPUSH = 0x10;
constexpr unsigned DFCS_INACTIVE = 0x100;
constexpr unsigned DFCS_PUSHED = 0x200;
constexpr unsigned DFCS_CHECKED = 0x400;
constexpr unsigned DFCS_TRANSPARENT = 0x800;
constexpr unsigned DFCS_HOT = 0x1000;
constexpr unsigned DFCS_ADJUSTRECT = 0x2000;
constexpr unsigned DFCS_FLAT = 0x4000;
constexpr unsigned DFCS_MONO = 0x8000;

// Region kinds returned by the clipping functions.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// GetDeviceCaps
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;

// System bitmaps of LoadBitmapA.
constexpr int OBM_CHECKBOXES = 32759;

struct TEXTMETRIC {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
    int tmWeight = 0;
    int tmOverhang = 0;
    int tmDigitizedAspectX = 0;
    int tmDigitizedAspectY = 0;
    char tmFirstChar = 0;
    char tmLastChar = 0;
    char tmDefaultChar = 0;
    char tmBreakChar = 0;
    Byte tmItalic = 0;
    Byte tmUnderlined = 0;
    Byte tmStruckOut = 0;
    Byte tmPitchAndFamily = 0;
    Byte tmCharSet = 0;
};
using TTextMetric = TEXTMETRIC;

// A 3-D edge: outer and inner one-pixel rings in the button shades. With BF_ADJUST the
// rectangle shrinks by the drawn width; BF_MIDDLE fills the inside with the button face.
bool DrawEdge(HDC DC, TRect& Rect, unsigned Edge, unsigned Flags);
// A button face (DFCS_BUTTONPUSH) or a check box (DFCS_BUTTONCHECK) in the given state.
bool DrawFrameControl(HDC DC, TRect& Rect, unsigned Type, unsigned State);
// A dotted frame drawn by inverting pixels: drawing it twice restores the picture.
bool DrawFocusRect(HDC DC, const TRect& Rect);
int ExcludeClipRect(HDC DC, int Left, int Top, int Right, int Bottom);
int IntersectClipRect(HDC DC, int Left, int Top, int Right, int Bottom);
// The previous value is returned.
int SetBkMode(HDC DC, int Mode);
int GetBkMode(HDC DC);
COLORREF SetTextColor(HDC DC, COLORREF Color);
COLORREF SetBkColor(HDC DC, COLORREF Color);
bool GetTextMetricsA(HDC DC, TEXTMETRIC* Metrics);
inline bool GetTextMetrics(HDC DC, TEXTMETRIC* Metrics) {
    return GetTextMetricsA(DC, Metrics);
}
// LOGPIXELSX/Y: 96 on the screen and bitmaps, the printer's resolution on printer canvases.
int GetDeviceCaps(HDC DC, int Index);
// OBM_CHECKBOXES gives the 4-by-3 sheet of 13-by-13 check-box images (row 0: unchecked,
// checked, pushed unchecked, pushed checked; row 1 the radio buttons; row 2 the three-state
// and inactive boxes). Other identifiers give nullptr.
std::unique_ptr<TBitmap> LoadBitmapA(HINSTANCE Instance, int Id);
inline std::unique_ptr<TBitmap> LoadBitmap(HINSTANCE Instance, int Id) {
    return LoadBitmapA(Instance, Id);
}
// A canvas compatible with the screen, for measuring (Window is ignored: always the screen).
HDC GetDC(const void* Window);
int ReleaseDC(const void* Window, HDC DC);

}  // namespace carrelon
