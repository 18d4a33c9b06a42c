// Small drawing helpers of the cell painter, shared by the run-time and design-time paths.
#pragma once

#include "platform/graphics/DrawText.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TGraphic;

namespace paint {

// Text flags for TextAlignment (left, right, centre) and TextLayout (top, centre, bottom).
inline constexpr unsigned AlignmentFlags[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};
inline constexpr unsigned LayoutFlags[3] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
// Column headings sit centred in the middle, row headings centred at the bottom.
inline constexpr unsigned HeadingColFlags =
    DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_CENTER;
inline constexpr unsigned HeadingRowFlags =
    DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_BOTTOM | DT_CENTER;
inline constexpr unsigned ButtonCaptionFlags =
    DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER;
// Room the sort triangle takes at the right of its heading's text.
inline constexpr int SortIndicatorSpace = 12;

// R grown by D pixels on every side (shrunk for negative D).
inline TRect Inflate(const TRect& R, int D) {
    return {R.Left - D, R.Top - D, R.Right + D, R.Bottom + D};
}

// Width one-pixel frames in Color, from R inwards or from just outside R outwards.
void FrameInward(TCanvas* C, TRect R, TColor Color, int Width);
void FrameOutward(TCanvas* C, TRect R, TColor Color, int Width);
// Selects Font into the canvas unless an identical one is selected already.
void SelectCellFont(TCanvas* C, const TFont* Font);
void SetBold(TCanvas* C);
// Heading text: transparent on devices of few colours, bold when highlighted.
void PrepareHeadingText(TCanvas* C, bool Highlight);
// Draws G stretched into R; an icon goes through a transparent bitmap of its own size first.
void StretchGraphic(TCanvas* C, const TGraphic* G, const TRect& R);
// The edges of a spreadsheet heading in heading style, over E grown by the fixed lines drawn
// (VertLine, HorzLine: 0 where none is): a raised frame when highlighted, one pixel larger to
// the left and top with GrowHighlight; else a raised inner edge on the left of a column heading,
// the top of a row heading, and both for the corner.
void DrawHeadingEdges(TCanvas* C, TRect E, int ACol, int ARow, int VertLine, int HorzLine,
                      bool Highlight, bool GrowHighlight);
// The raised edges of a fixed cell, over E grown by the one line its options leave out: a
// raised frame, one pixel larger to the left and top, when highlighted; else raised inner
// edges, right and bottom first, then left and top, each side only where its fixed line is
// drawn.
void DrawFixedCellEdges(TCanvas* C, TRect E, bool FixedVert, bool FixedHorz, int VertLine,
                        int HorzLine, bool Highlight);

}  // namespace paint
}  // namespace carrelon
