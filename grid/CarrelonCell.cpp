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
    return Row < GetGrid()->GetFixedRows();
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

// Colours keep 0 for "inherit"; clBlack, whose value is 0, is kept as clDefault's value.
static TColor EncodeColor(TColor C) {
    if (C == clDefault) return 0;
    if (C == clBlack) return clDefault;
    return C;
}
static TColor DecodeColor(TColor Stored) {
    if (Stored == 0) return clDefault;
    if (Stored == clDefault) return clBlack;
    return Stored;
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
    WriteEntry(&TCarrelonCellProperties::FEndCol, C == Col ? nullptr : C);
}
int TCarrelonCell::ReadFEndRow() const {
    if (!FProperties || FProperties->FEndRow == 0) return Row;
    return FProperties->FEndRow - 1;
}
void TCarrelonCell::WriteFEndRow(int EndRow) {
    WriteEntry(&TCarrelonCellProperties::FEndRow, EndRow == Row ? 0 : EndRow + 1);
}
TColor TCarrelonCell::ReadFColor() const {
    return DecodeColor(FProperties ? FProperties->FColor : 0);
}
void TCarrelonCell::WriteFColor(TColor V) {
    WriteEntry(&TCarrelonCellProperties::FColor, EncodeColor(V));
}
TColor TCarrelonCell::ReadFSelectedColor() const {
    return DecodeColor(FProperties ? FProperties->FSelectedColor : 0);
}
void TCarrelonCell::WriteFSelectedColor(TColor V) {
    WriteEntry(&TCarrelonCellProperties::FSelectedColor, EncodeColor(V));
}
TColor TCarrelonCell::ReadFSelectedFontColor() const {
    return DecodeColor(FProperties ? FProperties->FSelectedFontColor : 0);
}
void TCarrelonCell::WriteFSelectedFontColor(TColor V) {
    WriteEntry(&TCarrelonCellProperties::FSelectedFontColor, EncodeColor(V));
}

#define CARRELON_RAW_SMALL(Type, Name)                      \
    Type TCarrelonCell::ReadF##Name() const {               \
        return FProperties ? FProperties->F##Name : Type{}; \
    }                                                       \
    void TCarrelonCell::WriteF##Name(Type V) {              \
        WriteEntry(&TCarrelonCellProperties::F##Name, V);   \
    }
CARRELON_RAW_SMALL(Word, MaxLength)
CARRELON_RAW_SMALL(Byte, ReadOnly)
CARRELON_RAW_SMALL(Byte, WordWrap)
CARRELON_RAW_SMALL(Byte, CheckBox)
CARRELON_RAW_SMALL(Byte, CheckBoxChecked)
CARRELON_RAW_SMALL(Byte, Button)
CARRELON_RAW_SMALL(Byte, CheckBoxAlignment)
CARRELON_RAW_SMALL(Byte, TextAlignment)
CARRELON_RAW_SMALL(Byte, GraphicAlignment)
CARRELON_RAW_SMALL(Byte, TextLayout)
CARRELON_RAW_SMALL(Byte, GraphicLayout)
CARRELON_RAW_SMALL(bool, FontUsed)
CARRELON_RAW_SMALL(bool, ButtonPushed)
CARRELON_RAW_SMALL(bool, Error)
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
    TCarrelon* G = GetGrid();
    return ReadFEndRow() < G->GetFixedRows() ||
           GetEndColObject()->GetAbsoluteNumber() < GridPrivate().FAbsoluteFixedCols;
}

bool TCarrelonCell::GetSelected() const {
    TCarrelon* G = GetGrid();
    return G->GetSelectedCells() != nullptr && G->GetSelectedCells()->Contains(this);
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
    const bool Highlight = G->GetSpreadsheetHeaders() &&
                           G->GetSpreadsheetOptions().Contains(soExcelStyleHeadingHighlight);
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
    if (P.FUpdateCount != 0 || !GetVisible()) return;
    if (!P.ResizeRow(Row)) Invalidate();
}

// ---- value, text, formula -----------------------------------------------------------------

AnsiString TCarrelonCell::GetText() const {
    if (FValue.IsString()) return FValue.StringValue();
    if (FValue.IsUnassigned()) return {};
    return CarrelonValueText(FValue.Get());
}

void TCarrelonCell::SetText(const AnsiString& S) {
    TCarrelon* G = GetGrid();
    AnsiString T = S.empty() ? S : CarrelonNormaliseCellText(S);
    const bool HasFormula = FProperties && !FProperties->FFormula.empty();
    if (!HasFormula) {
        if (T.empty() && FValue.IsUnassigned()) return;
        if (FValue.EqualsString(S)) return;
    }
    const bool Notify = static_cast<bool>(G->OnCellTextChanged);
    AnsiString Old;
    if (Notify) Old = GetText();
    if (HasFormula) WriteFFormula({});
    if (T.empty())
        FValue.Clear();
    else
        FValue.AssignText(T);
    if (GetVisible()) {
        if (Notify) {
            AnsiString New = GetText();
            if (Old != New) G->OnCellTextChanged(G, GetStartCol(), Row, Old, New);
        }
        TCarrelonPrivate& P = GridPrivate();
        if (P.FUpdateCount == 0 && !P.ResizeRow(Row)) Invalidate();
    }
    if (G->GetSpreadsheetEnabled()) G->Recalculate(this);
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
    if (HasFormula) WriteFFormula({});
    Remeasure();
    TCarrelon* G = GetGrid();
    if (G->GetSpreadsheetEnabled()) G->Recalculate(this);
}

void TCarrelonCell::SetFormula(const AnsiString& F) {
    const AnsiString T = CarrelonTrim(CarrelonUpperCase(F));
    if (T == ReadFFormula()) return;
    WriteFFormula(T);
    TCarrelon* G = GetGrid();
    if (G->GetSpreadsheetEnabled()) {
        if (!T.empty()) {
            GridPrivate().AnalyzeExpression(this);
        } else {
            FValue.Clear();
            Remeasure();
        }
        G->Recalculate(this);
    } else {
        FValue.Clear();
        Remeasure();
    }
}

bool TCarrelonCell::Recalculate() {
    return GridPrivate().AnalyzeExpression(this);
}

// ---- effective attributes -----------------------------------------------------------------

TColor TCarrelonCell::GetColor() const {
    const TColor Own = ReadFColor();
    if (Own != clDefault) return Own;
    return InFixedRows() ? Col->GetFixedColor() : Col->GetColor();
}

void TCarrelonCell::SetColor(TColor Value) {
    if (Value == GetColor()) return;
    WriteFColor(Value);
    Invalidate();
}

TColor TCarrelonCell::GetSelectedColor() const {
    const TColor Own = ReadFSelectedColor();
    return Own != clDefault ? Own : GetGrid()->GetSelectionColor();
}

void TCarrelonCell::SetSelectedColor(TColor Value) {
    WriteFSelectedColor(Value);
    if (GetSelected()) Invalidate();
}

TColor TCarrelonCell::GetSelectedFontColor() const {
    const TColor Own = ReadFSelectedFontColor();
    return Own != clDefault ? Own : GetGrid()->GetSelectionFontColor();
}

void TCarrelonCell::SetSelectedFontColor(TColor Value) {
    WriteFSelectedFontColor(Value);
    if (GetSelected()) Invalidate();
}

int TCarrelonCell::GetMaxLength() const {
    const Word Own = ReadFMaxLength();
    if (Own != 0) return Own - 1;
    return InFixedRows() ? Col->GetFixedMaxLength() : Col->GetMaxLength();
}

void TCarrelonCell::SetMaxLength(int Value) {
    // Own values are 0..65534; the stored form is value + 1 in 16 bits.
    if (Value < 0 || Value > 65534) return;
    if (Value == GetMaxLength()) return;
    WriteFMaxLength(static_cast<Word>(Value + 1));
}

static Byte Tri(bool B) {
    return B ? triTrue : triFalse;
}

bool TCarrelonCell::GetReadOnly() const {
    const Byte Own = ReadFReadOnly();
    if (Own != triInherit) return Own == triTrue;
    return InFixedRows() ? Col->GetFixedReadOnly() : Col->GetReadOnly();
}

void TCarrelonCell::SetReadOnly(bool Value) {
    if (Value == GetReadOnly()) return;
    WriteFReadOnly(Tri(Value));
    TCarrelon* G = GetGrid();
    if (IsCurrentCell()) {
        if (Value)
            G->SetEditorMode(false);
        else
            GridPrivate().CheckAlwaysShowEditor();
    }
}

bool TCarrelonCell::GetWordWrap() const {
    const Byte Own = ReadFWordWrap();
    if (Own != triInherit) return Own == triTrue;
    return InFixedRows() ? Col->GetFixedWordWrap() : Col->GetWordWrap();
}

void TCarrelonCell::SetWordWrap(bool Value) {
    if (Value == GetWordWrap()) return;
    WriteFWordWrap(Tri(Value));
    Remeasure();
}

TAlignment TCarrelonCell::GetTextAlignment() const {
    const Byte Own = ReadFTextAlignment();
    if (Own != 0) return static_cast<TAlignment>(Own - 1);
    return InFixedRows() ? Col->GetFixedTextAlignment() : Col->GetTextAlignment();
}

void TCarrelonCell::SetTextAlignment(TAlignment Value) {
    if (Value == GetTextAlignment()) return;
    WriteFTextAlignment(static_cast<Byte>(Value + 1));
    Invalidate();
}

TTextLayout TCarrelonCell::GetTextLayout() const {
    const Byte Own = ReadFTextLayout();
    if (Own != 0) return static_cast<TTextLayout>(Own - 1);
    return InFixedRows() ? Col->GetFixedTextLayout() : Col->GetTextLayout();
}

void TCarrelonCell::SetTextLayout(TTextLayout Value) {
    if (Value == GetTextLayout()) return;
    WriteFTextLayout(static_cast<Byte>(Value + 1));
    Remeasure();
}

TAlignment TCarrelonCell::GetGraphicAlignment() const {
    const Byte Own = ReadFGraphicAlignment();
    if (Own != 0) return static_cast<TAlignment>(Own - 1);
    return InFixedRows() ? Col->GetFixedGraphicAlignment() : Col->GetGraphicAlignment();
}

void TCarrelonCell::SetGraphicAlignment(TAlignment Value) {
    if (Value == GetGraphicAlignment()) return;
    WriteFGraphicAlignment(static_cast<Byte>(Value + 1));
    if (GetGraphic() != nullptr) Invalidate();
}

TTextLayout TCarrelonCell::GetGraphicLayout() const {
    const Byte Own = ReadFGraphicLayout();
    if (Own != 0) return static_cast<TTextLayout>(Own - 1);
    return InFixedRows() ? Col->GetFixedGraphicLayout() : Col->GetGraphicLayout();
}

void TCarrelonCell::SetGraphicLayout(TTextLayout Value) {
    if (Value == GetGraphicLayout()) return;
    WriteFGraphicLayout(static_cast<Byte>(Value + 1));
    if (GetGraphic() != nullptr) Remeasure();
}

bool TCarrelonCell::GetCheckBox() const {
    const Byte Own = ReadFCheckBox();
    if (Own != triInherit) return Own == triTrue;
    if (!InFixedRows()) return Col->GetCheckBox();
    if (Row == 0 && GetGrid()->GetSpreadsheetHeaders()) return false;
    return Col->GetFixedCheckBox();
}

bool TCarrelonCell::GetButton() const {
    const Byte Own = ReadFButton();
    if (Own != triInherit) return Own == triTrue;
    if (!InFixedRows()) return Col->GetButton();
    if (Row == 0 && GetGrid()->GetSpreadsheetHeaders()) return false;
    return Col->GetFixedButton();
}

// SetCheckBox and SetButton are one rule with the roles swapped: turning one on turns the other
// off, storing an explicit False when the column would still make it True.
void TCarrelonCell::SetCheckBox(bool Value) {
    if (Value == GetCheckBox()) return;
    WriteFCheckBox(Tri(Value));
    if (Value && GetButton()) {
        WriteFButton(triInherit);
        if (GetButton()) WriteFButton(triFalse);
    }
    if (IsCurrentCell() && GridPrivate().EditorReaction(Value)) return;
    Invalidate();
}

void TCarrelonCell::SetButton(bool Value) {
    if (Value == GetButton()) return;
    WriteFButton(Tri(Value));
    if (Value && GetCheckBox()) {
        WriteFCheckBox(triInherit);
        if (GetCheckBox()) WriteFCheckBox(triFalse);
    }
    if (IsCurrentCell() && GridPrivate().EditorReaction(Value)) return;
    Invalidate();
}

bool TCarrelonCell::GetCheckBoxChecked() const {
    const Byte Own = ReadFCheckBoxChecked();
    if (Own != triInherit) return Own == triTrue;
    return InFixedRows() ? Col->GetFixedCheckBoxChecked() : Col->GetCheckBoxChecked();
}

void TCarrelonCell::SetCheckBoxChecked(bool Value) {
    if (Value == GetCheckBoxChecked()) return;
    WriteFCheckBoxChecked(Tri(Value));
    if (GetCheckBox()) Invalidate();
    TCarrelon* G = GetGrid();
    if (G->OnCheckBoxChanged) G->OnCheckBoxChanged(G, GetStartCol(), Row, Value);
}

TAlignment TCarrelonCell::GetCheckBoxAlignment() const {
    const Byte Own = ReadFCheckBoxAlignment();
    if (Own != 0) return static_cast<TAlignment>(Own - 1);
    return InFixedRows() ? Col->GetFixedCheckBoxAlignment() : Col->GetCheckBoxAlignment();
}

void TCarrelonCell::SetCheckBoxAlignment(TAlignment Value) {
    if (Value == GetCheckBoxAlignment()) return;
    WriteFCheckBoxAlignment(static_cast<Byte>(Value + 1));
    if (GetCheckBox()) Invalidate();
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
