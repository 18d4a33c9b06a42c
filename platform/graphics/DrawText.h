// DrawTextA: formatted text in a rectangle, laid out the same way for measuring and drawing.
#pragma once

#include <string_view>
#include <vector>

#include "platform/graphics/Graphics.h"

namespace carrelon {

constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_TABSTOP = 0x80;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_EXTERNALLEADING = 0x200;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_INTERNAL = 0x1000;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_MODIFYSTRING = 0x10000;
constexpr unsigned DT_RTLREADING = 0x20000;
constexpr unsigned DT_WORD_ELLIPSIS = 0x40000;

// One line as DrawTextA places it.
struct TDrawnLine {
    AnsiString Text;  // as drawn: prefixes removed, tabs expanded, ellipsis added
    int X = 0;        // left edge
    int Y = 0;        // top edge
    int Width = 0;
    bool Ellipsized = false;
};

struct TDrawTextLayout {
    std::vector<TDrawnLine> Lines;
    int LineHeight = 0;
    TRect Bounds;         // the rectangle the lines fill (what DT_CALCRECT reports)
    int Result = 0;       // DrawTextA's return value
    AnsiString Modified;  // the text with an ellipsized line shortened (DT_MODIFYSTRING)
};

// The layout DrawTextA would use for Text in Rect with Format on DC's current font.
//  - Lines break at CR LF, lone CR and lone LF (not with DT_SINGLELINE); a break at the very end
//    starts no further line. DT_WORDBREAK breaks at spaces; a word wider than the rectangle is
//    broken between characters with DT_EDITCONTROL, else it overflows on a line of its own.
//  - "&" marks a prefix (removed; "&&" draws one "&") unless DT_NOPREFIX.
//  - DT_END_ELLIPSIS shortens a line wider than the rectangle to fit with "...".
//  - DT_EDITCONTROL leaves out lines that would show only partly below the rectangle (the
//    first line always shows); with DT_END_ELLIPSIS the last line shown then ends in "...".
//  - DT_VCENTER and DT_BOTTOM place a single line; DT_CENTER and DT_RIGHT each line.
//  - DT_CALCRECT reports the rectangle from Rect's top-left corner: the widest line by the
//    height of all lines.
TDrawTextLayout LayoutText(HDC DC, const AnsiString& Text, const TRect& Rect, unsigned Format);

// Draws (or with DT_CALCRECT measures, updating Rect) and returns the height of the text; with
// DT_VCENTER or DT_BOTTOM the distance from Rect's top to the bottom of the text. Clips to
// Rect unless DT_NOCLIP; fills the line backgrounds when the background mode is OPAQUE. With
// DT_MODIFYSTRING and Modified given, Modified receives the text as drawn.
int DrawTextA(HDC DC, const AnsiString& Text, TRect& Rect, unsigned Format,
              AnsiString* Modified = nullptr);
// The buffer form: Count bytes of Text (-1: up to the terminator). With DT_MODIFYSTRING the
// shortened text is written back into the buffer, which must hold Count + 4 more bytes.
int DrawTextA(HDC DC, char* Text, int Count, TRect* Rect, unsigned Format);
inline int DrawText(HDC DC, const AnsiString& Text, TRect& Rect, unsigned Format,
                    AnsiString* Modified = nullptr) {
    return DrawTextA(DC, Text, Rect, Format, Modified);
}
inline int DrawText(HDC DC, char* Text, int Count, TRect* Rect, unsigned Format) {
    return DrawTextA(DC, Text, Count, Rect, Format);
}

}  // namespace carrelon

namespace carrelon {

// The height DrawTextA reports with DT_CALCRECT for Text in a rectangle Width pixels wide, as if
// Font were selected into DC. Line breaks are counted and an unwrapped line is one line high,
// without laying the text out; a wrapped paragraph of plain ASCII is one line when a safe bound
// of its width fits. Everything else is laid out as DrawTextA does (Font is then selected).
// Per-font metrics are made once and kept. Format may hold DT_WORDBREAK, DT_EDITCONTROL,
// DT_NOPREFIX and DT_NOCLIP; other flags always take the full layout.
int MeasureTextHeight(HDC DC, const TFont& Font, const AnsiString& Text, int Width,
                      unsigned Format);
// What MeasureTextHeight knows of one font on one device, made once and kept.
struct TFontMeasures;
// The measures MeasureTextHeight uses for Font on DC with Format; null when it would lay every
// text out there.
const TFontMeasures* FontMeasuresOf(HDC DC, const TFont& Font, unsigned Format);
// True when MeasureTextHeight with these measures surely gives one line for Text: printable
// ASCII, and when Wrap, a safe bound of its width stays within Width pixels.
bool SurelyOneLine(const TFontMeasures& Measures, std::string_view Text, int Width, bool Wrap);

}  // namespace carrelon
