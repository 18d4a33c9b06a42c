// TCarrelonCell: value, text and formula, effective attributes, fonts, picture, borders and the
// extents of a merged range.
#include "grid/CarrelonCell.h"

#include "grid/CarrelonCellPool.h"
#include "grid/CarrelonPrivate.h"
#include "grid/CarrelonTextRules.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

static_assert(sizeof(TCarrelonCell) <= 40, "a cell must stay within 40 bytes");

void* TCarrelonCell::operator new(std::size_t Size) {
    return CarrelonCellPool().Allocate(Size);
}

void TCarrelonCell::operator delete(void* P, std::size_t Size) noexcept {
    CarrelonCellPool().Free(P, Size);
}

long long TCarrelonCell::LiveCount() {
    return CarrelonCellPool().Live();
}

TCarrelonCell::TCarrelonCell(TCarrelonCol* ACol, int ARow) : Col(ACol), Row(ARow) {}

TCarrelonCell::~TCarrelonCell() {
    TCarrelon* G = GetGrid();
    if (G != nullptr) TCarrelonPrivate::Of(G).CellFreed(this);
    if (FProperties) {
        if (FProperties->FFont) FProperties->FFont->OnChange = nullptr;
        if (FProperties->FObject != nullptr && G != nullptr &&
            G->GetOptions().Contains(cloFreeCellObjects))
            delete FProperties->FObject;
    }
}

TCarrelon* TCarrelonCell::GetGrid() const {
    return Col != nullptr ? Col->GetGrid() : nullptr;
}

TCarrelonPrivate& TCarrelonCell::GridPrivate() const {
    return TCarrelonPrivate::Of(Col->GetGrid());
}

bool TCarrelonCell::InFixedRows() const {
    return Row < GridPrivate().FOwnFixedRows;
}

// ---- record -------------------------------------------------------------------------------

void TCarrelonCell::CreateProperties() {
    if (!FProperties) FProperties = std::make_unique<TCarrelonCellProperties>();
}

void TCarrelonCell::CheckProperties() {
    if (FProperties && FProperties->IsDefault()) FProperties.reset();
}

template <typename T>
void TCarrelonCell::WriteEntry(T TCarrelonCellProperties::*Field, T Value) {
    if (Value == T{}) {
        if (!FProperties) return;
        (*FProperties).*Field = Value;
        CheckProperties();
        return;
    }
    CreateProperties();
    (*FProperties).*Field = Value;
}

AnsiString TCarrelonCell::ReadFFormula() const {
    return FProperties ? FProperties->FFormula : AnsiString();
}
void TCarrelonCell::WriteFFormula(const AnsiString& V) {
    WriteEntry(&TCarrelonCellProperties::FFormula, V);
    if (GetGrid() != nullptr) GridPrivate().FormulaWritten(this, !V.empty());
}
AnsiString TCarrelonCell::ReadFHint() const {
    return FProperties ? FProperties->FHint : AnsiString();
}
void TCarrelonCell::WriteFHint(const AnsiString& V) {
    WriteEntry(&TCarrelonCellProperties::FHint, V);
}
TFont* TCarrelonCell::ReadFFont() const {
    return FProperties ? FProperties->FFont.get() : nullptr;
}
void TCarrelonCell::WriteFFont(std::shared_ptr<TFont> F) {
    if (GetGrid() != nullptr) GridPrivate().RowContentChanged(Row);
    if (FProperties && FProperties->FFont && FProperties->FFont != F)
        FProperties->FFont->OnChange = nullptr;  // a font handed out earlier no longer reports here
    if (!F) {
        if (!FProperties) return;
        FProperties->FFont.reset();
        CheckProperties();
        return;
    }
    CreateProperties();
    FProperties->FFont = std::move(F);
}
TPicture* TCarrelonCell::ReadFPicture() const {
    return FProperties ? FProperties->FPicture.get() : nullptr;
}
void TCarrelonCell::WriteFPicture(std::unique_ptr<TPicture> P) {
    if (GetGrid() != nullptr) GridPrivate().RowContentChanged(Row);
    if (!P) {
        if (!FProperties) return;
        FProperties->FPicture.reset();
        CheckProperties();
        return;
    }
    CreateProperties();
    FProperties->FPicture = std::move(P);
}
TCarrelonCellInnerBorder* TCarrelonCell::ReadFInnerBorder() const {
    return FProperties ? FProperties->FInnerBorder.get() : nullptr;
}
TCarrelonCellOuterBorder* TCarrelonCell::ReadFOuterBorder() const {
    return FProperties ? FProperties->FOuterBorder.get() : nullptr;
}
void TCarrelonCell::WriteFInnerBorder(std::unique_ptr<TCarrelonCellInnerBorder> B) {
    if (!B) {
        if (!FProperties) return;
        FProperties->FInnerBorder.reset();
        CheckProperties();
        return;
    }
    CreateProperties();
    FProperties->FInnerBorder = std::move(B);
}
void TCarrelonCell::WriteFOuterBorder(std::unique_ptr<TCarrelonCellOuterBorder> B) {
    if (!B) {
        if (!FProperties) return;
        FProperties->FOuterBorder.reset();
        CheckProperties();
        return;
    }
    CreateProperties();
    FProperties->FOuterBorder = std::move(B);
}
TObject* TCarrelonCell::ReadFObject() const {
    return FProperties ? FProperties->FObject : nullptr;
}
void TCarrelonCell::WriteFObject(TObject* O) {
    WriteEntry(&TCarrelonCellProperties::FObject, O);
}
TCarrelonCol* TCarrelonCell::ReadFEndCol() const {
    return FProperties ? FProperties->FEndCol : nullptr;
}
void TCarrelonCell::WriteFEndCol(TCarrelonCol* C) {
    if (GetGrid() != nullptr) GridPrivate().MeasuresChanged();
    WriteEntry(&TCarrelonCellProperties::FEndCol, C == Col ? nullptr : C);
}
int TCarrelonCell::ReadFEndRow() const {
    if (!FProperties || FProperties->FEndRow == 0) return Row;
    return FProperties->FEndRow - 1;
}
void TCarrelonCell::WriteFEndRow(int EndRow) {
    if (GetGrid() != nullptr) GridPrivate().MeasuresChanged();
    WriteEntry(&TCarrelonCellProperties::FEndRow, EndRow == Row ? 0 : EndRow + 1);
}
TColor TCarrelonCell::ReadFColor() const {
    return FProperties ? FProperties->FColor.Value() : clDefault;
}
void TCarrelonCell::WriteFColor(TColor V) {
    WriteEntry(&TCarrelonCellProperties::FColor, TCellOwnColor::Of(V));
}
TColor TCarrelonCell::ReadFSelectedColor() const {
    return FProperties ? FProperties->FSelectedColor.Value() : clDefault;
}
void TCarrelonCell::WriteFSelectedColor(TColor V) {
    WriteEntry(&TCarrelonCellProperties::FSelectedColor, TCellOwnColor::Of(V));
}
TColor TCarrelonCell::ReadFSelectedFontColor() const {
    return FProperties ? FProperties->FSelectedFontColor.Value() : clDefault;
}
void TCarrelonCell::WriteFSelectedFontColor(TColor V) {
    WriteEntry(&TCarrelonCellProperties::FSelectedFontColor, TCellOwnColor::Of(V));
}

// Entries marked Measured change the height the cell needs: the row forgets what fitting knew.
#define CARRELON_RAW_SMALL(Type, Name, Measured)                                    \
    Type TCarrelonCell::ReadF##Name() const {                                       \
        return FProperties ? FProperties->F##Name : Type{};                         \
    }                                                                               \
    void TCarrelonCell::WriteF##Name(Type V) {                                      \
        WriteEntry(&TCarrelonCellProperties::F##Name, V);                           \
        if (Measured && GetGrid() != nullptr) GridPrivate().RowContentChanged(Row); \
    }
CARRELON_RAW_SMALL(TCellOwnLength, MaxLength, false)
CARRELON_RAW_SMALL(TCellTriState, ReadOnly, false)
CARRELON_RAW_SMALL(TCellTriState, WordWrap, true)
CARRELON_RAW_SMALL(TCellTriState, CheckBox, false)
CARRELON_RAW_SMALL(TCellTriState, CheckBoxChecked, false)
CARRELON_RAW_SMALL(TCellTriState, Button, true)
CARRELON_RAW_SMALL(TCellOwnEnum<TAlignment>, CheckBoxAlignment, false)
CARRELON_RAW_SMALL(TCellOwnEnum<TAlignment>, TextAlignment, false)
CARRELON_RAW_SMALL(TCellOwnEnum<TAlignment>, GraphicAlignment, false)
CARRELON_RAW_SMALL(TCellOwnEnum<TTextLayout>, TextLayout, true)
CARRELON_RAW_SMALL(TCellOwnEnum<TTextLayout>, GraphicLayout, true)
CARRELON_RAW_SMALL(bool, FontUsed, false)
CARRELON_RAW_SMALL(bool, ButtonPushed, false)
CARRELON_RAW_SMALL(bool, Error, false)
#undef CARRELON_RAW_SMALL

// ---- extents ------------------------------------------------------------------------------

TCarrelonCol* TCarrelonCell::GetEndColObject() const {
    TCarrelonCol* E = ReadFEndCol();
    return E != nullptr ? E : Col;
}

bool TCarrelonCell::IsMerged() const {
    return ReadFEndCol() != nullptr || ReadFEndRow() != Row;
}

int TCarrelonCell::GetStartCol() const {
    if (!FProperties) return Col->GetCol();  // not merged
    TCarrelonCol* End = GetEndColObject();
    if (End == Col) return Col->GetCol();
    TCarrelon* G = GetGrid();
    const int First = Col->GetAbsoluteNumber();
    const int Last = End->GetAbsoluteNumber();
    for (int a = First; a <= Last; ++a) {
        const int v = G->GetAbsoluteCols(a)->GetCol();
        if (v >= 0) return v;
    }
    return -1;
}

int TCarrelonCell::GetEndCol() const {
    TCarrelonCol* End = GetEndColObject();
    if (End == Col) return Col->GetCol();
    TCarrelon* G = GetGrid();
    const int First = Col->GetAbsoluteNumber();
    const int Last = End->GetAbsoluteNumber();
    for (int a = Last; a >= First; --a) {
        const int v = G->GetAbsoluteCols(a)->GetCol();
        if (v >= 0) return v;
    }
    return -1;
}

bool TCarrelonCell::GetVisible() const {
    return GetStartCol() >= 0;
}

bool TCarrelonCell::GetFixed() const {
    const TCarrelonPrivate& P = GridPrivate();
    return ReadFEndRow() < P.FOwnFixedRows ||
           GetEndColObject()->GetAbsoluteNumber() < P.FAbsoluteFixedCols;
}

bool TCarrelonCell::GetSelected() const {
    const TCarrelonSelection* S = GridPrivate().FSelectedCells.get();
    return S != nullptr && S->Contains(this);
}

bool TCarrelonCell::IsEmpty() const {
    if (!FValue.IsUnassigned()) return false;
    if (!ReadFFormula().empty()) return false;
    return GetGraphic() == nullptr;
}

bool TCarrelonCell::IsCurrentCell() const {
    return GetGrid()->IsCurrentCell(this);
}

AnsiString TCarrelonCell::GetA1Name() const {
    TCarrelon* G = GetGrid();
    const int H = G->GetSpreadsheetHeaders() ? 1 : 0;
    const int Abs = Col->GetAbsoluteNumber();
    if (H == 1 && (Row == 0 || Abs == 0)) return {};
    return CarrelonColumnLetters(static_cast<long long>(Abs) - H + 1) +
           std::to_string(static_cast<long long>(Row) - H + 1);
}

// ---- repaint ------------------------------------------------------------------------------

void TCarrelonCell::Invalidate() {
    TCarrelon* G = GetGrid();
    if (!GridPrivate().CanRepaint()) return;
    const int First = GetStartCol();
    if (First < 0) return;
    const int Last = GetEndCol();
    const int EndRow = ReadFEndRow();
    const TCarrelonPrivate& P = GridPrivate();
    const bool Highlight =
        P.FSpreadsheetHeaders && P.FSpreadsheetOptions.Contains(soExcelStyleHeadingHighlight);
    for (int k = First; k <= Last; ++k)
        for (int r = Row; r <= EndRow; ++r) {
            G->InvalidateCell(k, r);
            if (Highlight) {
                if (r > 0) G->InvalidateCell(k, 0);
                if (k > 0) G->InvalidateCell(0, r);
            }
        }
}

void TCarrelonCell::Remeasure() {
    TCarrelonPrivate& P = GridPrivate();
    if (P.FUpdateCount != 0) P.RowContentChanged(Row);
    if (P.FUpdateCount != 0 || !GetVisible()) return;
    if (!P.ResizeRowForCell(this)) Invalidate();
}

void TCarrelonCell::StoreValue(const Variant& V) {
    FValue.Assign(V);
    GridPrivate().RowContentChanged(Row);
}

// ---- value, text, formula -----------------------------------------------------------------

AnsiString TCarrelonCell::GetText() const {
    if (FValue.IsString()) return FValue.StringValue();
    if (FValue.IsUnassigned()) return {};
    return CarrelonValueText(FValue.Get());
}

void TCarrelonCell::SetText(const AnsiString& S) {
    TCarrelon* G = GetGrid();
    // Most texts are stored as they are: no copy is made for them.
    AnsiString Normalised;
    const bool Normal = CarrelonCellTextIsNormal(S);
    if (!Normal) Normalised = CarrelonNormaliseCellText(S);
    const AnsiString& T = Normal ? S : Normalised;
    const bool HasFormula = FProperties && !FProperties->FFormula.empty();
    if (!HasFormula) {
        if (T.empty() && FValue.IsUnassigned()) return;
        if (FValue.EqualsString(S)) return;
    }
    TCarrelonPrivate::TEditRecalculation Recalc(GridPrivate(), this);
    const bool Notify = static_cast<bool>(G->OnCellTextChanged);
    AnsiString Old;
    if (Notify) Old = GetText();
    if (HasFormula) WriteFFormula({});
    if (T.empty())
        FValue.Clear();
    else
        FValue.AssignText(T);
    TCarrelonPrivate& P = TCarrelonPrivate::Of(G);
    if (GetVisible()) {
        if (Notify) {
            AnsiString New = GetText();
            if (Old != New) G->OnCellTextChanged(G, GetStartCol(), Row, Old, New);
        }
        if (P.FUpdateCount != 0)
            P.RowContentChanged(Row);
        else if (!P.ResizeRowForCell(this))
            Invalidate();
    }
    if (P.FSpreadsheetEnabled) Recalc.Run();
}

void TCarrelonCell::SetValue(const Variant& V) {
    if (CarrelonIsStringVariant(V)) {
        SetText(CarrelonVariantString(V));
        return;
    }
    const bool HasFormula = !ReadFFormula().empty();
    if (!HasFormula && CarrelonSameVariant(FValue.Get(), V)) return;
    Variant Old = FValue.Get();
    FValue.Assign(V);
    if (FValue.TextMayFail()) {
        try {
            (void)GetText();
        } catch (const std::exception&) {
            FValue.Assign(Old);
            return;
        }
    }
    TCarrelonPrivate::TEditRecalculation Recalc(GridPrivate(), this);
    if (HasFormula) WriteFFormula({});
    Remeasure();
    if (GridPrivate().FSpreadsheetEnabled) Recalc.Run();
}

void TCarrelonCell::SetFormula(const AnsiString& F) {
    const AnsiString T = CarrelonTrim(CarrelonUpperCase(F));
    if (T == ReadFFormula()) return;
    TCarrelonPrivate::TEditRecalculation Recalc(GridPrivate(), this);
    WriteFFormula(T);
    if (GridPrivate().FSpreadsheetEnabled) {
        if (!T.empty()) {
            GridPrivate().AnalyzeExpression(this);
        } else {
            FValue.Clear();
            Remeasure();
        }
        Recalc.Run();
    } else {
        FValue.Clear();
        Remeasure();
    }
}

bool TCarrelonCell::Recalculate() {
    return GridPrivate().AnalyzeExpression(this);
}

// ---- effective attributes -----------------------------------------------------------------

namespace {

using TCellProps = TCarrelonCellProperties;
constexpr TCellInheritedAttribute<TCellOwnColor, TColor> kColor{
    &TCellProps::FColor, &TCarrelonCol::GetColor, &TCarrelonCol::GetFixedColor};
constexpr TCellInheritedAttribute<TCellOwnLength, int> kMaxLength{
    &TCellProps::FMaxLength, &TCarrelonCol::GetMaxLength, &TCarrelonCol::GetFixedMaxLength};
constexpr TCellInheritedAttribute<TCellTriState, bool> kReadOnly{
    &TCellProps::FReadOnly, &TCarrelonCol::GetReadOnly, &TCarrelonCol::GetFixedReadOnly};
constexpr TCellInheritedAttribute<TCellTriState, bool> kWordWrap{
    &TCellProps::FWordWrap, &TCarrelonCol::GetWordWrap, &TCarrelonCol::GetFixedWordWrap};
constexpr TCellInheritedAttribute<TCellOwnEnum<TAlignment>, TAlignment> kTextAlignment{
    &TCellProps::FTextAlignment, &TCarrelonCol::GetTextAlignment,
    &TCarrelonCol::GetFixedTextAlignment};
constexpr TCellInheritedAttribute<TCellOwnEnum<TTextLayout>, TTextLayout> kTextLayout{
    &TCellProps::FTextLayout, &TCarrelonCol::GetTextLayout, &TCarrelonCol::GetFixedTextLayout};
constexpr TCellInheritedAttribute<TCellOwnEnum<TAlignment>, TAlignment> kGraphicAlignment{
    &TCellProps::FGraphicAlignment, &TCarrelonCol::GetGraphicAlignment,
    &TCarrelonCol::GetFixedGraphicAlignment};
constexpr TCellInheritedAttribute<TCellOwnEnum<TTextLayout>, TTextLayout> kGraphicLayout{
    &TCellProps::FGraphicLayout, &TCarrelonCol::GetGraphicLayout,
    &TCarrelonCol::GetFixedGraphicLayout};
constexpr TCellInheritedAttribute<TCellTriState, bool> kCheckBox{
    &TCellProps::FCheckBox, &TCarrelonCol::GetCheckBox, &TCarrelonCol::GetFixedCheckBox};
constexpr TCellInheritedAttribute<TCellTriState, bool> kButton{
    &TCellProps::FButton, &TCarrelonCol::GetButton, &TCarrelonCol::GetFixedButton};
constexpr TCellInheritedAttribute<TCellTriState, bool> kCheckBoxChecked{
    &TCellProps::FCheckBoxChecked, &TCarrelonCol::GetCheckBoxChecked,
    &TCarrelonCol::GetFixedCheckBoxChecked};
constexpr TCellInheritedAttribute<TCellOwnEnum<TAlignment>, TAlignment> kCheckBoxAlignment{
    &TCellProps::FCheckBoxAlignment, &TCarrelonCol::GetCheckBoxAlignment,
    &TCarrelonCol::GetFixedCheckBoxAlignment};

}  // namespace

template <typename Own, typename T>
T TCarrelonCell::Effective(const TCellInheritedAttribute<Own, T>& A) const {
    if (FProperties) {
        const Own Value = (*FProperties).*A.Field;
        if (Value.IsSet()) return Value.Value();
    }
    return (Col->*(InFixedRows() ? A.Fixed : A.Scrollable))();
}

template <typename Own, typename T>
bool TCarrelonCell::StoreOwn(const TCellInheritedAttribute<Own, T>& A, T Value) {
    if (Value == Effective(A)) return false;
    WriteEntry(A.Field, Own::Of(Value));
    return true;
}

bool TCarrelonCell::InHeadingRow() const {
    return Row == 0 && InFixedRows() && GridPrivate().FSpreadsheetHeaders;
}

TColor TCarrelonCell::GetColor() const {
    return Effective(kColor);
}

void TCarrelonCell::SetColor(TColor Value) {
    if (StoreOwn(kColor, Value)) Invalidate();
}

// The selected colours fall back to the grid's and are stored even when unchanged.
TColor TCarrelonCell::GetSelectedColor() const {
    const TColor Own = ReadFSelectedColor();
    return Own != clDefault ? Own : GridPrivate().FSelectionColor;
}

void TCarrelonCell::SetSelectedColor(TColor Value) {
    WriteFSelectedColor(Value);
    if (GetSelected()) Invalidate();
}

TColor TCarrelonCell::GetSelectedFontColor() const {
    const TColor Own = ReadFSelectedFontColor();
    return Own != clDefault ? Own : GridPrivate().FSelectionFontColor;
}

void TCarrelonCell::SetSelectedFontColor(TColor Value) {
    WriteFSelectedFontColor(Value);
    if (GetSelected()) Invalidate();
}

int TCarrelonCell::GetMaxLength() const {
    return Effective(kMaxLength);
}

void TCarrelonCell::SetMaxLength(int Value) {
    if (Value < 0 || Value > TCellOwnLength::Max + 1) return;
    // 65535 is the stored form's inherit marker: the cell takes its column's limit again.
    if (Value == TCellOwnLength::Max + 1)
        WriteEntry(kMaxLength.Field, TCellOwnLength());
    else
        StoreOwn(kMaxLength, Value);
}

bool TCarrelonCell::GetReadOnly() const {
    return Effective(kReadOnly);
}

void TCarrelonCell::SetReadOnly(bool Value) {
    if (!StoreOwn(kReadOnly, Value) || !IsCurrentCell()) return;
    if (Value)
        GetGrid()->SetEditorMode(false);
    else
        GridPrivate().CheckAlwaysShowEditor();
}

bool TCarrelonCell::GetWordWrap() const {
    return Effective(kWordWrap);
}

void TCarrelonCell::SetWordWrap(bool Value) {
    if (StoreOwn(kWordWrap, Value)) Remeasure();
}

TAlignment TCarrelonCell::GetTextAlignment() const {
    return Effective(kTextAlignment);
}

void TCarrelonCell::SetTextAlignment(TAlignment Value) {
    if (StoreOwn(kTextAlignment, Value)) Invalidate();
}

TTextLayout TCarrelonCell::GetTextLayout() const {
    return Effective(kTextLayout);
}

void TCarrelonCell::SetTextLayout(TTextLayout Value) {
    if (StoreOwn(kTextLayout, Value)) Remeasure();
}

TAlignment TCarrelonCell::GetGraphicAlignment() const {
    return Effective(kGraphicAlignment);
}

void TCarrelonCell::SetGraphicAlignment(TAlignment Value) {
    if (StoreOwn(kGraphicAlignment, Value) && GetGraphic() != nullptr) Invalidate();
}

TTextLayout TCarrelonCell::GetGraphicLayout() const {
    return Effective(kGraphicLayout);
}

void TCarrelonCell::SetGraphicLayout(TTextLayout Value) {
    if (StoreOwn(kGraphicLayout, Value) && GetGraphic() != nullptr) Remeasure();
}

bool TCarrelonCell::GetCheckBox() const {
    if (!ReadFCheckBox().IsSet() && InHeadingRow()) return false;
    return Effective(kCheckBox);
}

bool TCarrelonCell::GetButton() const {
    if (!ReadFButton().IsSet() && InHeadingRow()) return false;
    return Effective(kButton);
}

// SetCheckBox and SetButton are one rule with the roles swapped: turning one on turns the other
// off, storing an explicit False when the column would still make it True.
void TCarrelonCell::SetCheckBox(bool Value) {
    if (Value == GetCheckBox()) return;
    WriteFCheckBox(TCellTriState::Of(Value));
    if (Value && GetButton()) {
        WriteFButton({});
        if (GetButton()) WriteFButton(TCellTriState::Of(false));
    }
    if (IsCurrentCell() && GridPrivate().EditorReaction(Value)) return;
    Invalidate();
}

void TCarrelonCell::SetButton(bool Value) {
    if (Value == GetButton()) return;
    WriteFButton(TCellTriState::Of(Value));
    if (Value && GetCheckBox()) {
        WriteFCheckBox({});
        if (GetCheckBox()) WriteFCheckBox(TCellTriState::Of(false));
    }
    if (IsCurrentCell() && GridPrivate().EditorReaction(Value)) return;
    Invalidate();
}

bool TCarrelonCell::GetCheckBoxChecked() const {
    return Effective(kCheckBoxChecked);
}

void TCarrelonCell::SetCheckBoxChecked(bool Value) {
    if (!StoreOwn(kCheckBoxChecked, Value)) return;
    if (GetCheckBox()) Invalidate();
    TCarrelon* G = GetGrid();
    if (G->OnCheckBoxChanged) G->OnCheckBoxChanged(G, GetStartCol(), Row, Value);
}

TAlignment TCarrelonCell::GetCheckBoxAlignment() const {
    return Effective(kCheckBoxAlignment);
}

void TCarrelonCell::SetCheckBoxAlignment(TAlignment Value) {
    if (StoreOwn(kCheckBoxAlignment, Value) && GetCheckBox()) Invalidate();
}

// ---- fonts --------------------------------------------------------------------------------

TFont* TCarrelonCell::CalcFont() const {
    if (TFont* Own = ReadFFont()) return Own;
    return InFixedRows() ? Col->CalcFixedFont() : Col->CalcFont();
}

void TCarrelonCell::BindFont() {
    FProperties->FFont->OnChange = [this](TObject*) { FontChanged(); };
}

std::shared_ptr<TFont> TCarrelonCell::GetFont() {
    if (!ReadFFont()) {
        auto F = std::make_shared<TFont>();
        F->Assign(CalcFont());
        WriteFFont(F);
        BindFont();
    }
    return FProperties->FFont;
}

void TCarrelonCell::FontChanged() {
    WriteFFontUsed(true);
    TCarrelonPrivate& P = GridPrivate();
    P.RowContentChanged(Row);
    if (P.FUpdateCount == 0 && !P.ResizeRow(Row)) Invalidate();
}

void TCarrelonCell::SetFont(const TFont* F) {
    if (!ReadFFont()) WriteFFont(std::make_shared<TFont>());
    TFont* Own = FProperties->FFont.get();
    Own->OnChange = nullptr;
    if (F != nullptr) Own->Assign(F);
    BindFont();
    WriteFFontUsed(true);
    Remeasure();
}

bool TCarrelonCell::FontUsed() {
    if (!ReadFFont()) return false;
    if (ReadFFontUsed()) return true;
    WriteFFont(nullptr);
    return false;
}

// ---- picture ------------------------------------------------------------------------------

TGraphic* TCarrelonCell::GetGraphic() const {
    TPicture* P = ReadFPicture();
    return P != nullptr ? P->GetGraphic() : nullptr;
}

void TCarrelonCell::SetGraphic(TGraphic* G) {
    TCarrelon* Grid = GetGrid();
    if (G == nullptr) {
        if (!ReadFPicture()) return;
        WriteFPicture(nullptr);
        Remeasure();
        return;
    }
    if (!ReadFPicture()) WriteFPicture(std::make_unique<TPicture>());
    ReadFPicture()->SetGraphic(G);
    if (Grid->GetOptions().Contains(cloStretchImages)) {
        Invalidate();
        return;
    }
    // The picture must fit the visible width of the cell's columns; a too-wide one widens the
    // first visible column of the cell (a hidden start column would widen invisibly).
    const int First = Col->GetAbsoluteNumber();
    TCarrelonCol* End = GetEndColObject();
    const int Last = End->GetAbsoluteNumber();
    long long W = 0;
    for (int a = First; a <= Last; ++a) {
        TCarrelonCol* C = Grid->GetAbsoluteCols(a);
        if (C->GetVisible()) W += C->GetWidth();
    }
    const int Start = GetStartCol();
    const bool FixedCell = InFixedRows() || Start < Grid->GetFixedCols();
    if (Grid->GetOptions().Contains(FixedCell ? cloFixedVertLine : cloVertLine))
        W -= End->GetGridLineWidth();
    const long long PW = ReadFPicture()->GetWidth();
    if (PW > W && Start >= 0) {
        TCarrelonCol* Widen = Grid->GetCols(Start);
        Widen->SetWidth(static_cast<int>(std::min<long long>(Widen->GetWidth() + (PW - W), 65535)));
    }
    Remeasure();
}

// ---- borders ------------------------------------------------------------------------------

TCarrelonCellInnerBorder* TCarrelonCell::GetInnerBorder() {
    if (!ReadFInnerBorder()) WriteFInnerBorder(std::make_unique<TCarrelonCellInnerBorder>(this));
    return ReadFInnerBorder();
}

TCarrelonCellOuterBorder* TCarrelonCell::GetOuterBorder() {
    if (!ReadFOuterBorder()) WriteFOuterBorder(std::make_unique<TCarrelonCellOuterBorder>(this));
    return ReadFOuterBorder();
}

}  // namespace carrelon
