// The one measure of the height a cell's content needs: its text wrapped in its columns' width,
// its picture, and the line below it. Row fitting and the editor ask it.
#include <algorithm>
#include <cstdint>

#include "grid/CarrelonInplaceEditor.h"
#include "grid/CarrelonPrivate.h"
#include "platform/controls/StdCtrls.h"
#include "platform/graphics/DrawText.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Locale.h"

namespace carrelon {

bool TCarrelonPrivate::TextBox(const TCarrelonCell* Cell, int& Width, unsigned& Flags) {
    const int startCol = Cell->GetStartCol();
    const int endCol = Cell->GetEndCol();
    std::int64_t width = 0;
    if (startCol >= 0)
        for (int c = startCol; c <= endCol; ++c)
            width += q->GetColWidths(c);
    if (width == 0) return false;
    width -= 2 * static_cast<int>(FBorderForText);
    if (endCol >= 0) width -= VertLineWidth(Cell->GetFixed(), FCols[endCol]);
    Width = static_cast<int>(std::clamp<std::int64_t>(width, 0, INT32_MAX));
    Flags = DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX;
    if (Cell->GetWordWrap()) Flags |= DT_WORDBREAK | DT_EDITCONTROL;
    return true;
}

// Height of Text drawn in this cell's columns with the cell's font and wrapping, borders
// included; 0 for an empty text.
int TCarrelonPrivate::MeasureCellText(const TCarrelonCell* Cell, AnsiString Text) {
    if (Text.empty()) return 0;
    // A final line break still starts a line of its own.
    if (Text.size() > 1 && Text.ends_with("\r\n")) Text += ' ';
    int width = 0;
    unsigned flags = 0;
    if (!TextBox(Cell, width, flags)) return -1;
    const int h =
        MeasureTextHeight(q->GetCanvas()->GetHandle(), *Cell->CalcFont(), Text, width, flags);
    return h + 2 * static_cast<int>(FBorderForText);
}

int TCarrelonCell::CalcHeight(int EditorHeight) const {
    TCarrelon* G = GetGrid();
    TCarrelonPrivate& P = GridPrivate();
    const int defaultHeight = G->GetDefaultRowHeight();
    int h = 0;
    if (P.FEditorShowing && IsCurrentCell()) {
        // The open editor decides: the height it asks for, else what its text needs.
        if (EditorHeight != -1) {
            h = EditorHeight;
        } else if (P.FEditControl) {
            // An edit's text is measured; a spin edit and other controls give their height.
            const auto* Edit = dynamic_cast<const TCustomEdit*>(P.FEditControl);
            if (Edit == nullptr || Edit->ClassName() == "TCSpinEdit") {
                h = P.FEditControl->GetHeight();
            } else {
                h = P.MeasureCellText(this, Edit->GetText());
                if (h < 0) return defaultHeight;
            }
        } else {
            h = P.MeasureCellText(this, P.EditorCurrentText());
            if (h < 0) return defaultHeight;
        }
    } else {
        // An unwrapped line is one line high whatever its characters: a number needs no
        // formatting to be measured.
        const bool OneLine = FValue.IsNumber() && DecimalSeparator > ' ' &&
                             DecimalSeparator < '\x7f' && !GetWordWrap();
        return NeedOfText(OneLine ? AnsiString("0") : GetText());
    }
    h += P.HorzLineWidth(GetFixed());
    return std::max(h, defaultHeight);
}

int TCarrelonCell::NeedOfText(const AnsiString& Text) const {
    TCarrelon* G = GetGrid();
    TCarrelonPrivate& P = GridPrivate();
    const int defaultHeight = G->GetDefaultRowHeight();
    int h = P.MeasureCellText(this, Text);
    if (h < 0) return defaultHeight;  // every column of the cell is hidden or 0 wide
    const TGraphic* Graphic = GetGraphic();
    if (Graphic && !P.FCarrelonOptions.Contains(cloStretchImages)) {
        const TTextLayout text = GetTextLayout();
        const TTextLayout graphic = GetGraphicLayout();
        const bool opposite =
            (text == tlTop && graphic == tlBottom) || (text == tlBottom && graphic == tlTop);
        if (h != 0 && opposite)
            h += Graphic->GetHeight();
        else
            h = std::max(h, Graphic->GetHeight());
    }
    h += P.HorzLineWidth(GetFixed());
    return std::max(h, defaultHeight);
}

int TCarrelonCell::QuickNeed(int Empty, int Line, const TFontMeasures& Measures, int Width,
                             bool Wrap) const {
    if (FValue.IsUnassigned()) return Empty;
    if (FValue.IsString()) {
        const std::string_view T = FValue.StringView();
        if (T.empty()) return Empty;
        return SurelyOneLine(Measures, T, Width, Wrap) ? Line : -1;
    }
    if (FValue.IsNumber()) {
        // Unwrapped, a number is one line whatever its digits (as CalcHeight has it).
        if (!Wrap && DecimalSeparator > ' ' && DecimalSeparator < '\x7f') return Line;
        return SurelyOneLine(Measures, FValue.NumberText(), Width, Wrap) ? Line : -1;
    }
    return -1;
}

}  // namespace carrelon

namespace carrelon {

AnsiString TCarrelonPrivate::EditorCurrentText() const {
    if (FEditorShowing && FEditControl == nullptr && FInplaceEditor != nullptr)
        return FInplaceEditor->GetText();
    const int c = q->GetCol();
    const int r = q->GetRow();
    if (!FModel || c < 0 || r < 0) return {};
    return q->GetCells(c, r)->GetText();
}

}  // namespace carrelon
