// The INI load: the gate, the store, phase 1 (decode and check, exchange/IniDecode.cpp), then
// under the lock the reset and phase 2, and the clean-up that every load ends with.
#include "exchange/IniLoad.h"

#include "exchange/CarrelonIniFile.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/WinUser.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/TempFiles.h"

namespace carrelon {

void TCarrelonIniLoader::Apply() {
    Reset();
    ApplyGrid();
    ApplyPrint();
    ApplyCounts();
    ApplyColumns();
    ApplyRows();
    if (S.Grid.Older) ApplyOlderCells();
    ApplyCells();
    HideColumns();
}

// Nothing of the grid's columns survives: every hidden column is shown so that the counts can
// drop it, then the last column is replaced by a new one.
void TCarrelonIniLoader::Reset() {
    while (G->GetHiddenColCount() >= 1)
        if (G->ShowHiddenColumn(0) < 0) break;
    G->SetColCount(1);
    G->SetRowCount(1);
    if (!G->GetTabStops(0)) G->SetTabStops(0, true);
}

void TCarrelonIniLoader::ApplyGrid() {
    const TIniGridStage& g = S.Grid;
    G->SetVisible(g.Visible);
    G->SetConstraints(g.Constraints);
    G->SetBounds(G->GetLeft(), G->GetTop(), g.Width, g.Height);
    G->SetEnabled(g.Enabled);
    G->SetTabStop(g.TabStop);
    G->SetHint(g.Hint);
    G->SetShowHint(g.ShowHint);
    G->SetTag(static_cast<std::intptr_t>(g.Tag));
    G->SetCursor(g.Cursor);
    G->SetDragMode(g.DragMode);
    G->SetDragCursor(g.DragCursor);
    G->SetDragKind(g.DragKind);
    G->SetBorderStyle(g.BorderStyle);
    G->SetCtl3D(g.Ctl3D);
    G->SetScrollBars(g.ScrollBars);
    G->SetPopupMenu(nullptr);
    if (!g.PopupMenu.empty())
        if (TCustomForm* Form = GetParentForm(G))
            if (auto* Menu = dynamic_cast<TPopupMenu*>(Form->FindComponent(g.PopupMenu)))
                G->SetPopupMenu(Menu);
    G->TCustomGrid::SetDefaultColWidth(g.DefaultColWidth);
    G->TCustomGrid::SetDefaultRowHeight(g.DefaultRowHeight);
    G->TCustomGrid::SetGridLineWidth(g.GridLineWidth);
    G->SetColor(g.Color);
    G->SetFixedColor(g.FixedColor);

    // The base grid's option word keeps its other bits (tabs among them).
    d.FCarrelonOptions = g.Options;
    d.ApplyBaseOptions(g.Options);

    d.FEditorOptions = g.EditorOptions;
    d.FEditControlOptions = g.EditControlOptions;
    d.FTabOptions = g.TabOptions;
    d.FPrintOptions = g.PrintOptions;
    d.FSpreadsheetOptions = g.SpreadsheetOptions;
    d.FLoadedEvents = g.LoadedEvents;
    d.FWordWrap = g.WordWrap;
    d.FHideSelection = g.HideSelection;
    d.FBorderForText = g.BorderForText;
    d.FEditColor = g.EditColor;
    d.FEditFontColor = g.EditFontColor;
    d.FSelectionColor = g.SelectionColor;
    d.FSelectionFontColor = g.SelectionFontColor;
    d.FGridLineColor = g.GridLineColor;
    d.FFixedGridLineColor = g.FixedGridLineColor;
    d.FExportTag = g.ExportTag;
    d.FSortDescending = g.SortDescending;
    d.FSortIndicator = g.SortIndicator;
    d.FSortOnDblClick = g.SortOnDblClick;
    d.FSortOnClick = g.SortOnClick;
    d.FInplaceScrollBar = g.InplaceScrollBar;
    d.FSpreadsheetHeaders = g.SpreadsheetHeaders;
    d.FSortColumn = g.SortColumn;
    d.FSortIndicatorColor = g.SortIndicatorColor;
    G->SetFont(g.Font.get());
    d.FFontShadow->Assign(G->GetFont());
}

void TCarrelonIniLoader::ApplyPrint() {
    TCarrelonPrintMargins& M = *d.FPrintMargins;
    // From zero, so that each margin is measured against its opposite as staged.
    M.SetLeft(0);
    M.SetTop(0);
    M.SetRight(0);
    M.SetBottom(0);
    M.SetLeft(S.Grid.Margins[0]);
    M.SetTop(S.Grid.Margins[1]);
    M.SetRight(S.Grid.Margins[2]);
    M.SetBottom(S.Grid.Margins[3]);
    TCarrelonPrintHeaderFooter* Parts[2] = {d.FPrintHeader.get(), d.FPrintFooter.get()};
    for (int i = 0; i < 2; ++i) {
        const TIniPrintStage& p = S.Grid.Print[i];
        Parts[i]->SetDistance(0);
        Parts[i]->SetDistance(p.Distance);
        Parts[i]->SetFont(p.Font.get());
        Parts[i]->SetAlignment(p.Alignment);
        TStrings& Lines = *Parts[i]->GetLines();
        Lines.Clear();
        for (const AnsiString& line : p.Lines)
            Lines.Add(line);
    }
}

// A fresh first column, then the counts. Until the columns are hidden at the end, absolute and
// visible indexes are the same.
void TCarrelonIniLoader::ApplyCounts() {
    d.FStore.Clear();
    d.FColumnCounter = 0;
    if (!d.FStore.Grow(1, 1)) throw EOutOfMemory(SOutOfMemory);
    d.MeasuresChanged();
    G->SetColCount(S.Grid.ColCount);
    if (G->GetColCount() != S.Grid.ColCount) throw EOutOfMemory(SOutOfMemory);
    G->SetFixedCols(S.Grid.FixedCols);
}

void TCarrelonIniLoader::ApplyColumns() {
    auto Col = [&](int Index) { return d.FCols[Index]; };
    for (int c : S.ColumnPresent[ickMovable])
        Col(c)->FMovable = false;
    for (int c : S.ColumnPresent[ickResizable])
        Col(c)->FResizable = false;
    for (int c : S.ColumnPresent[ickTabStop])
        Col(c)->FTabStop = false;
    for (const TIniColumnInt& v : S.ColumnValues[ickWidth]) {
        Col(v.Col)->WriteFWidth(v.Value);
        d.AssignInheritedColWidths(v.Col, v.Value);
    }
    for (const TIniColumnInt& v : S.ColumnValues[ickMinWidth])
        Col(v.Col)->FMinWidth = static_cast<Word>(v.Value);
    for (const TIniColumnInt& v : S.ColumnValues[ickMaxWidth])
        Col(v.Col)->FMaxWidth = static_cast<Word>(v.Value);
    for (const TIniColumnInt& v : S.ColumnValues[ickGridLineColor])
        Col(v.Col)->FGridLineColor = v.Value;
    for (const TIniColumnInt& v : S.ColumnValues[ickGridLineWidth])
        Col(v.Col)->WriteFGridLineWidth(static_cast<Byte>(v.Value));
    for (int fixed = 0; fixed < 2; ++fixed) {
        auto Twin = [&](int Index) -> TCarrelonCol::Attributes& {
            return Col(Index)->FAttr[fixed];
        };
        for (const TIniColumnInt& v : S.TwinValues[fixed][itkColor])
            Twin(v.Col).Color = v.Value;
        for (int c : S.TwinPresent[fixed][itkReadOnly])
            Twin(c).ReadOnly = true;
        for (int c : S.TwinPresent[fixed][itkCheckBox])
            Twin(c).CheckBox = true;
        for (int c : S.TwinPresent[fixed][itkCheckBoxChecked])
            Twin(c).CheckBoxChecked = true;
        // A check box and a button exclude each other: the check box wins.
        for (int c : S.TwinPresent[fixed][itkButton])
            Twin(c).Button = !Twin(c).CheckBox;
        for (int c : S.TwinPresent[fixed][itkWordWrap])
            Twin(c).WordWrap = !d.FWordWrap;
        for (const TIniColumnInt& v : S.TwinValues[fixed][itkMaxLength])
            Twin(v.Col).MaxLength = static_cast<Word>(v.Value);
        for (const TIniColumnInt& v : S.TwinValues[fixed][itkTextAlignment])
            Twin(v.Col).TextAlignment = static_cast<TAlignment>(v.Value);
        for (const TIniColumnInt& v : S.TwinValues[fixed][itkGraphicAlignment])
            Twin(v.Col).GraphicAlignment = static_cast<TAlignment>(v.Value);
        for (const TIniColumnInt& v : S.TwinValues[fixed][itkTextLayout])
            Twin(v.Col).TextLayout = static_cast<TTextLayout>(v.Value);
        for (const TIniColumnInt& v : S.TwinValues[fixed][itkGraphicLayout])
            Twin(v.Col).GraphicLayout = static_cast<TTextLayout>(v.Value);
        for (const TIniColumnInt& v : S.TwinValues[fixed][itkCheckBoxAlignment])
            Twin(v.Col).CheckBoxAlignment = static_cast<TAlignment>(v.Value);
    }
    // Column fonts: the grid font with the attributes the text gives.
    for (int fixed = 0; fixed < 2; ++fixed)
        for (const auto& [c, stage] : S.ColumnFonts[fixed]) {
            TFont font;
            font.Assign(G->GetFont());
            stage.ApplyTo(font);
            if (fixed)
                Col(c)->SetFixedFont(&font);
            else
                Col(c)->SetFont(&font);
        }
    d.MeasuresChanged();
}

void TCarrelonIniLoader::ApplyRows() {
    G->SetRowCount(S.Grid.RowCount);
    if (G->GetRowCount() != S.Grid.RowCount) throw EOutOfMemory(SOutOfMemory);
    G->SetFixedRows(S.Grid.FixedRows);
    for (const TIniCellPair& u : S.Unions)
        G->MergeRect({u.Col, u.Row, u.First, u.Second}, true, "", "");
    for (const TIniColumnInt& h : S.RowHeights)
        G->TCustomGrid::SetRowHeights(h.Col, h.Value);
}

void TCarrelonIniLoader::ApplyOlderCells() {
    for (const TIniOlderCell& o : S.OlderCells) {
        if (o.Formula)
            Cell(o.Col, o.Row)->WriteFFormula(o.Text);
        else
            Cell(o.Col, o.Row)->StoreValue(Variant(o.Text));
    }
}

void TCarrelonIniLoader::ApplyCells() {
    const bool older = S.Grid.Older;
    for (const TIniCellText& f : S.Texts[iccFormula])
        Cell(f.Col, f.Row)->WriteFFormula(f.Text);
    for (const TIniCellValue& v : S.Values)
        Cell(v.Col, v.Row)->StoreValue(v.Value);
    for (TIniCellGraphic& g : S.Graphics) {
        auto Picture = std::make_unique<TPicture>();
        Picture->SetGraphic(g.Graphic.get());
        Cell(g.Col, g.Row)->WriteFPicture(std::move(Picture));
    }
    // Colours arrive in their stored form: clDefault's value stands for black.
    for (const TIniCellInt& v : S.Numbers[iccColor]) {
        TCarrelonCell* C = Cell(v.Col, v.Row);
        const TColor colour = TCellOwnColor::FromStored(v.Value).Value();
        if (!older || colour != C->GetColor()) C->WriteFColor(colour);
    }
    for (const TIniCellInt& v : S.Numbers[iccSelectedColor])
        Cell(v.Col, v.Row)->WriteFSelectedColor(TCellOwnColor::FromStored(v.Value).Value());
    for (const TIniCellInt& v : S.Numbers[iccSelectedFontColor])
        Cell(v.Col, v.Row)->WriteFSelectedFontColor(TCellOwnColor::FromStored(v.Value).Value());
    // Older texts keep ordinals and plain Booleans: one less than the stored forms.
    const int shift = older ? 1 : 0;
    auto Stored = [&](TIniCellKey Key, auto Write) {
        for (const TIniCellInt& v : S.Numbers[Key])
            Write(Cell(v.Col, v.Row), v.Value + shift);
    };
    using Align = TCellOwnEnum<TAlignment>;
    using Layout = TCellOwnEnum<TTextLayout>;
    Stored(iccTextAlignment,
           [](TCarrelonCell* C, int V) { C->WriteFTextAlignment(Align::FromStored(V)); });
    Stored(iccTextLayout,
           [](TCarrelonCell* C, int V) { C->WriteFTextLayout(Layout::FromStored(V)); });
    Stored(iccGraphicAlignment,
           [](TCarrelonCell* C, int V) { C->WriteFGraphicAlignment(Align::FromStored(V)); });
    Stored(iccGraphicLayout,
           [](TCarrelonCell* C, int V) { C->WriteFGraphicLayout(Layout::FromStored(V)); });
    Stored(iccMaxLength, [](TCarrelonCell* C, int V) {
        C->WriteFMaxLength(TCellOwnLength::FromStored(static_cast<Word>(V)));
    });
    Stored(iccReadOnly,
           [](TCarrelonCell* C, int V) { C->WriteFReadOnly(TCellTriState::FromStored(V)); });
    Stored(iccWordWrap,
           [](TCarrelonCell* C, int V) { C->WriteFWordWrap(TCellTriState::FromStored(V)); });
    if (older) {
        for (const TIniCellPair& b : S.OlderCheckBoxes) {
            TCarrelonCell* C = Cell(b.Col, b.Row);
            C->WriteFCheckBox(TCellTriState::Of(true));
            C->WriteFCheckBoxAlignment(Align::FromStored(static_cast<Byte>(b.Second + 1)));
            C->WriteFCheckBoxChecked(TCellTriState::Of(b.First == 1));
        }
    } else {
        for (const TIniCellInt& v : S.Numbers[iccCheckBox])
            Cell(v.Col, v.Row)->WriteFCheckBox(TCellTriState::FromStored(v.Value));
        for (const TIniCellInt& v : S.Numbers[iccCheckBoxChecked])
            Cell(v.Col, v.Row)->WriteFCheckBoxChecked(TCellTriState::FromStored(v.Value));
        for (const TIniCellInt& v : S.Numbers[iccCheckBoxAlignment])
            Cell(v.Col, v.Row)->WriteFCheckBoxAlignment(Align::FromStored(v.Value));
    }
    for (const TIniCellInt& v : S.Numbers[iccButton]) {
        TCarrelonCell* C = Cell(v.Col, v.Row);
        C->WriteFButton(TCellTriState::FromStored(v.Value));
        // A check box and a button exclude each other: the check box wins.
        if (C->GetButton() && C->GetCheckBox()) {
            C->WriteFButton({});
            if (C->GetButton()) C->WriteFButton(TCellTriState::Of(false));
        }
    }
    // Fonts: each attribute set on the cell's own font, which then counts as in use.
    std::vector<TCarrelonCell*> fontCells;
    auto Font = [&](int Col, int Row) {
        TCarrelonCell* C = Cell(Col, Row);
        fontCells.push_back(C);
        return C->GetFont();
    };
    for (const TIniCellText& f : S.Texts[iccFontName])
        Font(f.Col, f.Row)->SetName(f.Text);
    for (const TIniCellInt& v : S.Numbers[iccFontPitch])
        Font(v.Col, v.Row)->SetPitch(static_cast<TFontPitch>(v.Value));
    for (const TIniCellInt& v : S.Numbers[iccFontCharset])
        Font(v.Col, v.Row)->SetCharset(static_cast<TFontCharset>(v.Value));
    for (const TIniCellInt& v : S.Numbers[iccFontSize])
        Font(v.Col, v.Row)->SetSize(v.Value);
    for (const TIniCellInt& v : S.Numbers[iccFontStyle])
        Font(v.Col, v.Row)->SetStyle(TFontStyles::FromInt(static_cast<std::uint32_t>(v.Value)));
    for (const TIniCellInt& v : S.Numbers[iccFontColor])
        Font(v.Col, v.Row)->SetColor(v.Value);
    for (TCarrelonCell* C : fontCells)
        C->WriteFFontUsed(true);
    for (const TIniCellText& h : S.Texts[iccHint])
        Cell(h.Col, h.Row)->WriteFHint(h.Text);
    for (const TIniCellPair& b : S.Borders[1]) {
        TCarrelonCell* C = Cell(b.Col, b.Row);
        C->WriteFOuterBorder(std::make_unique<TCarrelonCellOuterBorder>(C));
        C->ReadFOuterBorder()->SetColor(b.First);
        C->ReadFOuterBorder()->SetWidth(static_cast<Byte>(b.Second));
    }
    for (const TIniCellPair& b : S.Borders[0]) {
        TCarrelonCell* C = Cell(b.Col, b.Row);
        C->WriteFInnerBorder(std::make_unique<TCarrelonCellInnerBorder>(C));
        C->ReadFInnerBorder()->SetColor(b.First);
        C->ReadFInnerBorder()->SetWidth(static_cast<Byte>(b.Second));
    }
}

// The very last step: hidden columns go only after every cell of them was filled.
void TCarrelonIniLoader::HideColumns() {
    for (int a : S.ColumnPresent[ickVisible]) {
        TCarrelonCol* C = d.FAbsoluteCols[a];
        if (C->GetVisible()) C->SetVisible(false);
    }
}

// ---- the operations -----------------------------------------------------------------------

bool TCarrelon::LoadFromIniFile(const AnsiString& FileName) {
    if (!FileExists(FileName)) return false;
    return DoLoadFromIniFile(FileName, nullptr);
}

bool TCarrelon::LoadFromIniStrings(TStrings* Strings) {
    if (Strings == nullptr) return false;
    return DoLoadFromIniFile("", Strings);
}

bool TCarrelon::DoLoadFromIniFile(const AnsiString& FileName, TStrings* Strings) {
    if (d->CheckEditorMode()) return false;
    TScopeExit Reopen([this] { d->CheckAlwaysShowEditor(); });
    // Phase 1: the whole text read and checked; an error leaves the grid as it was.
    TIniStage Stage;
    {
        TCarrelonIniFile Ini(Strings != nullptr ? AnsiString() : FileName);
        if (Strings != nullptr) Ini.SetStrings(*Strings);
        Ini.SetSorted(true);
        TCarrelonIniDecoder(this, Ini, Stage).Decode();
    }
    if (!d->FModel) return false;

    // Phase 2, under the lock, with the loading flag on and spreadsheet mode off.
    ++d->FUpdateCount;
    bool Locked = false;
    if (TWinControl* P = GetParent(); P != nullptr && P->HandleAllocated())
        Locked = LockWindowUpdate(P->GetHandle());
    const bool Spreadsheet = d->FSpreadsheetEnabled;
    d->FSpreadsheetEnabled = false;
    d->FSelectedCells->List().Clear();
    d->FIniLoading = true;
    // The clean-up every load ends with; a failed one (only a failed allocation can fail
    // here) keeps what was applied and recalculates nothing.
    auto Finish = [&](bool SpreadsheetEnabled, bool Recalc) {
        d->FIniLoading = false;
        d->Initialize();
        d->FSpreadsheetEnabled = SpreadsheetEnabled;
        TScopeExit Unlock([&] {
            --d->FUpdateCount;
            Invalidate();
            if (Locked) LockWindowUpdate(nullptr);
        });
        if (SpreadsheetEnabled && Recalc) Recalculate(nullptr);
    };
    try {
        TCarrelonIniLoader(this, Stage).Apply();
    } catch (...) {
        Finish(Spreadsheet, false);
        throw;
    }
    Finish(Stage.Grid.SpreadsheetEnabled, true);
    return true;
}

}  // namespace carrelon
