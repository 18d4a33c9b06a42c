// TCarrelonCol: placement, width, lines, colours, fonts and the twin attribute setters.
#include "grid/CarrelonCol.h"

#include <algorithm>

#include "grid/CarrelonPrivate.h"
#include "grid/CarrelonTextRules.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

TCarrelonCol::Attributes::Attributes() : Color(clDefault) {}
TCarrelonCol::Attributes::~Attributes() = default;

TCarrelonCol::TCarrelonCol(TCarrelon* AGrid)
    : FGrid(AGrid),
      FCreationNumber(TCarrelonPrivate::Of(AGrid).FColumnCounter++),
      FGridLineColor(clDefault),
      FWidth(static_cast<Word>(std::clamp(AGrid->GetDefaultColWidth(), 0, 65535))) {
    FAttr[0].WordWrap = FAttr[1].WordWrap = AGrid->GetWordWrap();
}

TCarrelonCol::~TCarrelonCol() = default;

TCarrelonPrivate& TCarrelonCol::GridPrivate() const {
    return TCarrelonPrivate::Of(FGrid);
}

// ---- placement ----------------------------------------------------------------------------

int TCarrelonCol::GetCol() const {
    GridPrivate().FStore.Reindex();
    return FVisibleIndex;
}

int TCarrelonCol::GetAbsoluteNumber() const {
    GridPrivate().FStore.Reindex();
    return FAbsoluteIndex;
}

int TCarrelonCol::GetHiddenNumber() const {
    GridPrivate().FStore.Reindex();
    return FHiddenIndex;
}

TCarrelonCell* TCarrelonCol::GetCells(int i) const {
    if (i < 0 || i >= CellCount()) CarrelonListIndexError(i);
    return FCells[i];
}

AnsiString TCarrelonCol::GetA1Name() const {
    const int H = GridPrivate().FSpreadsheetHeaders ? 1 : 0;
    const int Abs = GetAbsoluteNumber();
    if (H == 1 && Abs == 0) return {};
    return CarrelonColumnLetters(static_cast<long long>(Abs) - H + 1);
}

TCarrelonCompareProc TCarrelonCol::GetCompareProc() const {
    return FCompareProc ? FCompareProc : FGrid->GetCompareProc();
}

// ---- visibility ---------------------------------------------------------------------------

bool TCarrelonCol::Hide() {
    if (!FVisible) return true;
    return FGrid->HideColumn(GetCol());
}

int TCarrelonCol::Show() {
    if (FVisible) return GetCol();
    return FGrid->ShowHiddenColumn(GetHiddenNumber());
}

void TCarrelonCol::SetVisible(bool V) {
    if (V == FVisible) return;
    if (V)
        Show();
    else
        Hide();
}

// ---- width --------------------------------------------------------------------------------

void TCarrelonCol::SetWidth(int W) {
    W = std::clamp(W, 0, 65535);
    if (W < FMinWidth) W = FMinWidth;
    if (FMaxWidth != 0 && W > FMaxWidth) W = FMaxWidth;
    if (W == FWidth) return;
    const int Old = FWidth;
    FWidth = static_cast<Word>(W);
    if (!FVisible) return;
    const int Index = GetCol();
    GridPrivate().AssignInheritedColWidths(Index, W);
    if (FGrid->OnColumnWidthChanged) FGrid->OnColumnWidthChanged(FGrid, Index, Old, W);
}

void TCarrelonCol::SetMinWidth(int W) {
    if (W < 0 || W > 65535 || W == FMinWidth) return;
    if (FMaxWidth != 0 && FMaxWidth < W) return;
    FMinWidth = static_cast<Word>(W);
    if (FWidth < W) SetWidth(W);
}

void TCarrelonCol::SetMaxWidth(int W) {
    if (W < 0 || W > 65535 || W == FMaxWidth) return;
    if (W != 0 && W < FMinWidth) return;
    FMaxWidth = static_cast<Word>(W);
    if (W != 0 && W < FWidth) SetWidth(W);
}

void TCarrelonCol::WriteFWidth(int W) {
    FWidth = static_cast<Word>(std::clamp(W, 0, 65535));
}

// ---- lines and colours --------------------------------------------------------------------

TColor TCarrelonCol::GetGridLineColor() const {
    if (FGridLineColor != clDefault) return FGridLineColor;
    const int v = GetCol();
    const TCarrelonPrivate& P = GridPrivate();
    return v >= 0 && v < FGrid->GetFixedCols() ? P.FFixedGridLineColor : P.FGridLineColor;
}

void TCarrelonCol::SetGridLineColor(TColor C) {
    if (C == FGridLineColor) return;
    FGridLineColor = C;
    Invalidate();
}

int TCarrelonCol::GetGridLineWidth() const {
    return FGridLineWidth != 255 ? FGridLineWidth : FGrid->GetGridLineWidth();
}

void TCarrelonCol::SetGridLineWidth(int W) {
    // 255 is the stored "inherit" marker, so own widths are 0..254.
    if (W < 0 || W > 254 || W == GetGridLineWidth()) return;
    if (FWidth - 2 * FGrid->GetBorderForText() < W) return;
    GridPrivate().MeasuresChanged();
    FGridLineWidth = static_cast<Byte>(W);
    Invalidate();
}

TColor TCarrelonCol::GetColor() const {
    if (FAttr[0].Color != clDefault) return FAttr[0].Color;
    return GetAbsoluteNumber() < GridPrivate().FAbsoluteFixedCols ? FGrid->GetFixedColor()
                                                                  : FGrid->GetColor();
}

TColor TCarrelonCol::GetFixedColor() const {
    return FAttr[1].Color != clDefault ? FAttr[1].Color : FGrid->GetFixedColor();
}

// ---- twin setters -------------------------------------------------------------------------

void TCarrelonCol::TwinRows(bool Fixed, int& First, int& Last) const {
    const int FR = std::min(GridPrivate().FOwnFixedRows, CellCount());
    if (Fixed) {
        First = GridPrivate().FSpreadsheetHeaders ? 1 : 0;
        Last = FR - 1;
    } else {
        First = FR;
        Last = CellCount() - 1;
    }
}

template <typename F>
void TCarrelonCol::ForEachTwinCell(bool Fixed, F&& Fn) {
    int First, Last;
    TwinRows(Fixed, First, Last);
    for (int r = First; r <= Last; ++r)
        if (FCells[r] != nullptr) Fn(FCells[r], r);
}

bool TCarrelonCol::CurrentCellInTwin(bool Fixed) const {
    const int Row = FGrid->GetRow();
    if (Row < 0 || !FVisible || FGrid->GetCol() != GetCol()) return false;
    int First, Last;
    TwinRows(Fixed, First, Last);
    return Row >= First && Row <= Last;
}

void TCarrelonCol::EditorReaction(bool Fixed, bool CloseEditor) {
    if (!CurrentCellInTwin(Fixed)) return;
    if (CloseEditor)
        FGrid->SetEditorMode(false);
    else
        GridPrivate().CheckAlwaysShowEditor();
}

void TCarrelonCol::DoSetColor(bool Fixed, TColor Value) {
    FAttr[Fixed].Color = Value;
    ForEachTwinCell(Fixed, [](TCarrelonCell* c, int) { c->WriteFColor(clDefault); });
    Invalidate();
}

void TCarrelonCol::DoSetTextAlignment(bool Fixed, TAlignment Value) {
    FAttr[Fixed].TextAlignment = Value;
    ForEachTwinCell(Fixed, [](TCarrelonCell* c, int) { c->WriteFTextAlignment({}); });
    Invalidate();
}

void TCarrelonCol::DoSetGraphicAlignment(bool Fixed, TAlignment Value) {
    FAttr[Fixed].GraphicAlignment = Value;
    ForEachTwinCell(Fixed, [](TCarrelonCell* c, int) { c->WriteFGraphicAlignment({}); });
    Invalidate();
}

void TCarrelonCol::DoSetTextGraphicLayout(bool Text, bool Fixed, TTextLayout Value) {
    GridPrivate().MeasuresChanged();
    const TCarrelonOptions O = FGrid->GetOptions();
    const bool MayRemeasure =
        FVisible && GridPrivate().FUpdateCount == 0 &&
        (O.Contains(cloAutoIncreaseRowHeights) || O.Contains(cloAutoDecreaseRowHeights));
    bool Due = false;
    if (MayRemeasure)
        ForEachTwinCell(Fixed, [&](TCarrelonCell* c, int) {
            if (Due || c->GetGraphic() == nullptr) return;
            Due = (Text ? c->GetTextLayout() : c->GetGraphicLayout()) != Value;
        });
    (Text ? FAttr[Fixed].TextLayout : FAttr[Fixed].GraphicLayout) = Value;
    ForEachTwinCell(Fixed, [Text](TCarrelonCell* c, int) {
        if (Text)
            c->WriteFTextLayout({});
        else
            c->WriteFGraphicLayout({});
    });
    if (Due && GridPrivate().TryDisableControls()) {
        FGrid->EnableControls();
    } else {
        Invalidate();
    }
}

void TCarrelonCol::DoSetWordWrap(bool Fixed, bool Value) {
    GridPrivate().MeasuresChanged();
    FAttr[Fixed].WordWrap = Value;
    bool Differed = false;
    ForEachTwinCell(Fixed, [&](TCarrelonCell* c, int) {
        const TCellTriState Own = c->ReadFWordWrap();
        if (Own.IsSet() && Own.Value() != Value) Differed = true;
        c->WriteFWordWrap({});
    });
    if (FVisible && Differed && GridPrivate().TryDisableControls()) FGrid->EnableControls();
}

void TCarrelonCol::DoSetMaxLength(bool Fixed, int Value) {
    if (Value < 0 || Value > 65535) return;
    FAttr[Fixed].MaxLength = static_cast<Word>(Value);
    ForEachTwinCell(Fixed, [](TCarrelonCell* c, int) { c->WriteFMaxLength({}); });
}

void TCarrelonCol::DoSetReadOnly(bool Fixed, bool Value) {
    FAttr[Fixed].ReadOnly = Value;
    ForEachTwinCell(Fixed, [](TCarrelonCell* c, int) { c->WriteFReadOnly({}); });
    EditorReaction(Fixed, Value);
}

void TCarrelonCol::DoSetButtonCheckbox(bool Button, bool Fixed, bool Value) {
    GridPrivate().MeasuresChanged();
    Attributes& A = FAttr[Fixed];
    (Button ? A.Button : A.CheckBox) = Value;
    if (Value) (Button ? A.CheckBox : A.Button) = false;
    ForEachTwinCell(Fixed, [](TCarrelonCell* c, int) {
        c->WriteFButton({});
        c->WriteFCheckBox({});
    });
    EditorReaction(Fixed, Value);
    Invalidate();
}

void TCarrelonCol::DoSetCheckBoxAlignment(bool Fixed, TAlignment Value) {
    FAttr[Fixed].CheckBoxAlignment = Value;
    ForEachTwinCell(Fixed, [](TCarrelonCell* c, int) { c->WriteFCheckBoxAlignment({}); });
    if (FVisible && FAttr[Fixed].CheckBox) Invalidate();
}

void TCarrelonCol::DoSetCheckBoxChecked(bool Fixed, bool Value) {
    const bool Notify = FVisible && static_cast<bool>(FGrid->OnCheckBoxChanged);
    // Effective states before the change, one per slot of the twin's rows.
    std::vector<char> Before;
    if (Notify)
        ForEachTwinCell(Fixed,
                        [&](TCarrelonCell* c, int) { Before.push_back(c->GetCheckBoxChecked()); });
    FAttr[Fixed].CheckBoxChecked = Value;
    ForEachTwinCell(Fixed, [](TCarrelonCell* c, int) { c->WriteFCheckBoxChecked({}); });
    if (Notify) {
        const int Index = GetCol();
        std::size_t i = 0;
        TCarrelonCell* Previous = nullptr;
        ForEachTwinCell(Fixed, [&](TCarrelonCell* c, int r) {
            // A vertically merged cell reports once, at its first slot in the range.
            const bool Was = Before[i++] != 0;
            if (c != Previous && c->GetCheckBoxChecked() != Was)
                FGrid->OnCheckBoxChanged(FGrid, Index, r, c->GetCheckBoxChecked());
            Previous = c;
        });
    }
    if (FAttr[Fixed].CheckBox) Invalidate();
}

// ---- fonts --------------------------------------------------------------------------------

TFont* TCarrelonCol::CalcFont() const {
    return FAttr[0].Font ? FAttr[0].Font.get() : FGrid->GetFont();
}

TFont* TCarrelonCol::CalcFixedFont() const {
    return FAttr[1].Font ? FAttr[1].Font.get() : FGrid->GetFont();
}

void TCarrelonCol::BindFont(bool Fixed) {
    FAttr[Fixed].Font->OnChange = [this, Fixed](TObject*) { DoFontChanged(Fixed); };
}

TFont* TCarrelonCol::DoGetFont(bool Fixed) {
    Attributes& A = FAttr[Fixed];
    if (!A.Font) {
        A.Font = std::make_unique<TFont>();
        A.Font->Assign(FGrid->GetFont());
        BindFont(Fixed);
    }
    if (!A.FontShadow) A.FontShadow = std::make_unique<TFont>();
    A.FontShadow->Assign(A.Font.get());
    return A.Font.get();
}

TFont* TCarrelonCol::GetFont() {
    return DoGetFont(false);
}

TFont* TCarrelonCol::GetFixedFont() {
    return DoGetFont(true);
}

void TCarrelonCol::DoSetFont(bool Fixed, const TFont* F) {
    GridPrivate().MeasuresChanged();
    Attributes& A = FAttr[Fixed];
    A.FontSet = true;
    const bool Locked = GridPrivate().TryDisableControls();
    int First = Fixed ? 0 : std::min(GridPrivate().FOwnFixedRows, CellCount());
    int Last = Fixed ? std::min(GridPrivate().FOwnFixedRows, CellCount()) - 1 : CellCount() - 1;
    for (int r = First; r <= Last; ++r) {
        TCarrelonCell* c = FCells[r];
        if (c != nullptr && c->ReadFFont() != nullptr) {
            c->WriteFFont(nullptr);
            c->WriteFFontUsed(false);
        }
    }
    if (!A.Font) A.Font = std::make_unique<TFont>();
    A.Font->OnChange = nullptr;
    if (F != nullptr) A.Font->Assign(F);
    BindFont(Fixed);
    if (!A.FontShadow) A.FontShadow = std::make_unique<TFont>();
    A.FontShadow->Assign(A.Font.get());
    if (Locked) FGrid->EnableControls();
}

void TCarrelonCol::DoFontChanged(bool Fixed) {
    GridPrivate().MeasuresChanged();
    Attributes& A = FAttr[Fixed];
    A.FontSet = true;
    TFont* Font = A.Font.get();
    TFont* Shadow = A.FontShadow.get();
    const bool ColorSame = Shadow == nullptr || Shadow->GetColor() == Font->GetColor();
    const bool Locked = FVisible && ColorSame && GridPrivate().TryDisableControls();
    int First = Fixed ? 0 : std::min(GridPrivate().FOwnFixedRows, CellCount());
    int Last = Fixed ? std::min(GridPrivate().FOwnFixedRows, CellCount()) - 1 : CellCount() - 1;
    if (Shadow != nullptr) {
        for (int r = First; r <= Last; ++r) {
            TCarrelonCell* c = FCells[r];
            if (c == nullptr || !c->FontUsed()) continue;
            CarrelonCopyFirstFontDifference(*Shadow, *Font, *c->ReadFFont());
        }
    }
    if (FVisible) {
        if (!ColorSame)
            Invalidate();
        else if (Locked)
            FGrid->EnableControls();
    }
    if (!A.FontShadow) A.FontShadow = std::make_unique<TFont>();
    A.FontShadow->Assign(Font);
}

// ---- repaint ------------------------------------------------------------------------------

void TCarrelonCol::Invalidate() {
    if (!FVisible || !GridPrivate().CanRepaint()) return;
    const int Index = GetCol();
    if (Index > FGrid->GetLeftCol() + FGrid->GetVisibleColCount()) return;
    FGrid->InvalidateCol(Index);
    // Cells merged across several visible columns repaint whole.
    auto RepaintMerged = [&](int r) {
        TCarrelonCell* c = FCells[r];
        if (c != nullptr && c->GetStartCol() != c->GetEndCol()) c->Invalidate();
    };
    const int FR = std::min(GridPrivate().FOwnFixedRows, CellCount());
    for (int r = 0; r < FR; ++r)
        RepaintMerged(r);
    const int Top = FGrid->GetTopRow();
    if (Top < 0) return;
    const int Bottom = std::min(Top + FGrid->GetVisibleRowCount(), CellCount() - 1);
    for (int r = Top; r <= Bottom; ++r)
        RepaintMerged(r);
}

}  // namespace carrelon
