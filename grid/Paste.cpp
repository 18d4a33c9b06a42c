// Pasting the clipboard into the grid: copied cells, foreign text and pictures.
//
// The component stream on the clipboard may come from any program: it is read and checked whole
// before any cell changes, and the growth a paste needs is checked against the largest count and
// the cell budget first, so a paste that cannot be done changes nothing. Handlers may change the
// grid while a paste runs: every target is fetched again after they ran and skipped when gone.
#include <algorithm>
#include <climits>
#include <cmath>

#include "grid/CarrelonPrivate.h"
#include "grid/CarrelonTextRules.h"
#include "grid/ClipboardText.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Streaming.h"
#include "platform/devices/Clipboard.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

// ---- checking what was read ---------------------------------------------------------------

namespace {

// An RGB colour, clNone, clDefault or a system colour.
bool SoundColor(TColor C) {
    const auto U = static_cast<std::uint32_t>(C);
    return U <= 0x00FFFFFFu || C == clNone || C == clDefault || (U & 0xFFFFFF00u) == 0x80000000u;
}

// A value a cell can hold and show.
bool SoundValue(const Variant& V) {
    switch (V.Type()) {
        case varEmpty:
            return true;
        case varSmallint:
        case varInteger:
        case varSingle:
        case varDouble:
        case varCurrency:
        case varDate:
        case varBoolean:
        case varShortInt:
        case varByte:
        case varWord:
        case varLongWord:
        case varInt64:
            break;
        default:
            if (!CarrelonIsStringVariant(V)) return false;
            break;
    }
    try {
        (void)CarrelonValueText(V);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool SoundCell(const TCarrelonClipboardCell& S) {
    return S.GetComponentCount() == 0 && SoundValue(S.GetValue()) &&
           SoundColor(S.GetFont()->GetColor()) && SoundColor(S.GetColor()) &&
           SoundColor(S.GetInnerBorderColor()) && SoundColor(S.GetOuterBorderColor()) &&
           SoundColor(S.GetSelectedColor()) && SoundColor(S.GetSelectedFontColor());
}

}  // namespace

std::unique_ptr<TComponent> TCarrelonPrivate::ReadClipboardComponent(bool& Bad) {
    Bad = true;
    std::unique_ptr<TComponent> Read;
    try {
        // Only the two clipboard classes are made: a stream naming any other class, even one
        // the application registered, is refused before anything of it is built.
        Read.reset(Clipboard()->GetComponent(
            q, nullptr, {ClassOf<TCarrelonClipboardCell>(), ClassOf<TCarrelonClipboardCells>()}));
    } catch (const std::exception&) {
        // A malformed stream, a class not accepted, a picture that does not decode or a stream
        // too large to hold: nothing was read.
        return nullptr;
    }
    if (!Read) return nullptr;
    if (auto* S = dynamic_cast<TCarrelonClipboardCell*>(Read.get())) {
        if (!SoundCell(*S)) return nullptr;
    } else if (auto* L = dynamic_cast<TCarrelonClipboardCells*>(Read.get())) {
        // Every owned component must be one of its cells, and no list may name more cells than
        // the grid may hold.
        if (L->GetComponentCount() != L->GetCellCount() || L->GetCellCount() > FCellBudget)
            return nullptr;
        for (int i = 0; i < L->GetCellCount(); ++i)
            if (!SoundCell(*L->GetCell(i))) return nullptr;
    }
    Bad = false;
    return Read;
}

// ---- applying a clipboard cell ------------------------------------------------------------

void TCarrelonPrivate::ApplyClipboardCell(const TCarrelonClipboardCell& S, TCarrelonCell* T,
                                          bool ThroughValue) {
    TCellWatch Target(FWatchedCells, T);
    if (!S.GetFormula().empty()) {
        AnsiString F;
        AdjustPastedFormula(S.GetFormula(), S.GetCol(), S.GetRow(), T->GetStartCol(), T->Row, F);
        T->SetFormula(F);
    } else if (ThroughValue) {
        T->SetValue(S.GetValue());
    } else {
        T->WriteFFormula("");
        T->StoreValue(S.GetValue());
    }
    if (!Target.Alive()) return;
    T->WriteFHint(S.GetHint());
    if (S.GetGraphic() != nullptr || T->ReadFPicture() != nullptr) T->SetGraphic(S.GetGraphic());
    T->SetFont(S.GetFont());
    T->SetColor(S.GetColor());
    T->SetTextAlignment(S.GetTextAlignment());
    T->SetTextLayout(S.GetTextLayout());
    T->SetGraphicAlignment(S.GetGraphicAlignment());
    T->SetGraphicLayout(S.GetGraphicLayout());
    T->SetMaxLength(S.GetMaxLength());
    T->SetReadOnly(S.GetReadOnly());
    T->SetWordWrap(S.GetWordWrap());
    T->SetCheckBox(S.GetCheckBox());
    T->SetCheckBoxChecked(S.GetCheckBoxChecked());
    if (!Target.Alive()) return;
    T->SetCheckBoxAlignment(S.GetCheckBoxAlignment());
    T->SetButton(S.GetButton());
    T->SetSelectedColor(S.GetSelectedColor());
    T->SetSelectedFontColor(S.GetSelectedFontColor());
    // The grid owns attached objects under cloFreeCellObjects: one that is replaced goes.
    TObject* Old = T->ReadFObject();
    T->WriteFObject(S.GetCellObject());
    if (Old != nullptr && Old != S.GetCellObject() && q->GetOptions().Contains(cloFreeCellObjects))
        delete Old;
    if (S.GetInnerBorderWidth() != 0 || T->ReadFInnerBorder() != nullptr) {
        TCarrelonCellInnerBorder* B = T->GetInnerBorder();
        B->SetColor(S.GetInnerBorderColor());
        B->SetWidth(S.GetInnerBorderWidth());
    }
    if (S.GetOuterBorderWidth() != 0 || T->ReadFOuterBorder() != nullptr) {
        TCarrelonCellOuterBorder* B = T->GetOuterBorder();
        B->SetColor(S.GetOuterBorderColor());
        B->SetWidth(S.GetOuterBorderWidth());
    }
}

// ---- a cell's own paste -------------------------------------------------------------------

bool TCarrelonCell::DoPasteText(AnsiString& AText) {
    TCarrelon* G = GetGrid();
    TCarrelonPrivate& P = GridPrivate();
    TCellWatch Self(P.FWatchedCells, this);
    bool CanPaste = true;
    if (G->OnPastePlainText) G->OnPastePlainText(G, GetStartCol(), Row, AText, CanPaste);
    if (!CanPaste || !Self.Alive()) return false;
    WriteFFormula("");
    FValue.AssignText(AText);
    P.RowContentChanged(Row);
    if (ReadFPicture() != nullptr) WriteFPicture(nullptr);
    return true;
}

bool TCarrelonCell::DoPasteGraphic(TGraphic* AGraphic) {
    TCarrelon* G = GetGrid();
    TCarrelonPrivate& P = GridPrivate();
    TCellWatch Self(P.FWatchedCells, this);
    bool CanPaste = true;
    if (G->OnPasteGraphics) G->OnPasteGraphics(G, GetStartCol(), Row, AGraphic, CanPaste);
    if (!CanPaste || !Self.Alive()) return false;
    FValue.Clear();
    WriteFFormula("");
    SetGraphic(AGraphic);
    if (Self.Alive() && G->GetSpreadsheetEnabled()) G->Recalculate(this);
    return true;
}

namespace {

// A picture of the clipboard's as a graphic of type T; nil when it holds none that decodes.
template <typename T>
std::unique_ptr<T> ClipboardPicture() {
    auto Graphic = std::make_unique<T>();
    try {
        Graphic->Assign(Clipboard());
    } catch (const std::exception&) {
        return nullptr;
    }
    return Graphic;
}

}  // namespace

bool TCarrelonCell::PasteFromClipboard() {
    TCarrelon* G = GetGrid();
    TCarrelonPrivate& P = GridPrivate();
    TClipboard* C = Clipboard();
    TCellWatch Self(P.FWatchedCells, this);
    if (C->HasFormat(CF_COMPONENT)) {
        bool Bad = false;
        std::unique_ptr<TComponent> Read = P.ReadClipboardComponent(Bad);
        auto* S = dynamic_cast<TCarrelonClipboardCell*>(Read.get());
        if (S == nullptr) return false;
        bool CanPaste = true;
        if (G->OnPaste) G->OnPaste(G, GetStartCol(), Row, S, CanPaste);
        if (!CanPaste || !Self.Alive()) return false;
        P.ApplyClipboardCell(*S, this, true);
        return true;
    }
    if (GetReadOnly()) return false;
    if (C->HasFormat(CF_TEXT)) {
        AnsiString Text = UnquoteClipboardField(C->GetAsText());
        const std::size_t Break = Text.find("\r\n");
        if (Break != AnsiString::npos && Break + 2 == Text.size()) Text.resize(Break);
        if (!DoPasteText(Text)) return false;
        if (P.FUpdateCount == 0 && !P.ResizeRow(Row)) Invalidate();
        if (Self.Alive() && G->GetSpreadsheetEnabled()) G->Recalculate(this);
        return true;
    }
    if (C->HasFormat(CF_BITMAP)) {
        std::unique_ptr<TBitmap> B = ClipboardPicture<TBitmap>();
        return B != nullptr && DoPasteGraphic(B.get());
    }
    if (C->HasFormat(CF_METAFILEPICT)) {
        std::unique_ptr<TMetafile> M = ClipboardPicture<TMetafile>();
        return M != nullptr && DoPasteGraphic(M.get());
    }
    if (C->HasFormat(CF_PICTURE)) {
        std::unique_ptr<TPicture> Pic = ClipboardPicture<TPicture>();
        return Pic != nullptr && Pic->GetGraphic() != nullptr && DoPasteGraphic(Pic->GetGraphic());
    }
    return false;
}

// ---- the grid's paste ---------------------------------------------------------------------

bool TCarrelonPrivate::PasteIntoListedCells() {
    const std::vector<TCarrelonCell*> Cells = FSelectedCells->List().Snapshot();
    if (Cells.empty()) return false;
    bool Result = true;
    for (TCarrelonCell* c : Cells) {
        // A cell freed by a handler has left the list.
        if (!FSelectedCells->Contains(c)) {
            Result = false;
            continue;
        }
        if (!c->PasteFromClipboard()) Result = false;
    }
    return Result;
}

bool TCarrelonPrivate::GrowForPaste(long long LastCol, long long LastRow) {
    const int OldCols = q->GetColCount();
    const int OldRows = q->GetRowCount();
    long long Cols = OldCols;
    long long Rows = OldRows;
    if (LastCol >= Cols && FCarrelonOptions.Contains(cloAddColsOnPaste)) Cols = LastCol + 1;
    if (LastRow >= Rows && FCarrelonOptions.Contains(cloAddRowsOnPaste)) Rows = LastRow + 1;
    if (Cols == OldCols && Rows == OldRows) return true;
    if (Cols > TCarrelon::MaxCount || Rows > TCarrelon::MaxCount) return false;
    const long long Absolute = static_cast<long long>(FAbsoluteCols.size()) + (Cols - OldCols);
    if (!WithinBudget(Absolute, Rows)) {
        ShowOutOfMemory();
        return false;
    }
    q->SetColCount(static_cast<int>(Cols));
    if (q->GetColCount() != Cols) {
        if (q->GetColCount() > OldCols) q->SetColCount(OldCols);
        return false;
    }
    q->SetRowCount(static_cast<int>(Rows));
    if (q->GetRowCount() != Rows) {
        if (q->GetRowCount() > OldRows) q->SetRowCount(OldRows);
        if (q->GetColCount() > OldCols) q->SetColCount(OldCols);
        return false;
    }
    return true;
}

namespace {

// Switches redraw off for a paste and back on at its end, however it ends, with one repaint.
class TPasteRedraw {
public:
    explicit TPasteRedraw(TCarrelonPrivate& P) : FP(P), FOff(P.CanRepaint()) {
        if (FOff) FP.SetRedraw(false);
    }
    ~TPasteRedraw() {
        if (!FOff) return;
        FP.SetRedraw(true);
        FP.ValidateClient();
        FP.FSkipErase = true;
        FP.q->Invalidate();
    }
    TPasteRedraw(const TPasteRedraw&) = delete;
    TPasteRedraw& operator=(const TPasteRedraw&) = delete;

private:
    TCarrelonPrivate& FP;
    bool FOff;
};

}  // namespace

bool TCarrelonPrivate::PasteCellList(TCarrelonClipboardCells& L) {
    const int Col0 = q->GetCol();
    const int Row0 = q->GetRow();
    if (Col0 < 0 || Row0 < 0) return false;
    if (L.GetCellCount() == 0) return true;
    // The offsets come from the cells themselves, not from the minima the stream states.
    long long MinCol = LLONG_MAX, MinRow = LLONG_MAX, MaxCol = 0, MaxRow = 0;
    for (int i = 0; i < L.GetCellCount(); ++i) {
        const TCarrelonClipboardCell* S = L.GetCell(i);
        MinCol = std::min<long long>(MinCol, S->GetCol());
        MinRow = std::min<long long>(MinRow, S->GetRow());
        MaxCol = std::max<long long>(MaxCol, S->GetCol());
        MaxRow = std::max<long long>(MaxRow, S->GetRow());
    }
    L.SetMinCol(static_cast<int>(MinCol));
    L.SetMinRow(static_cast<int>(MinRow));
    if (!GrowForPaste(Col0 + (MaxCol - MinCol), Row0 + (MaxRow - MinRow))) return false;

    TPasteRedraw Redraw(*this);
    const bool Spreadsheet = FSpreadsheetEnabled;
    bool Restored = false;
    TScopeExit RestoreMode([&] {
        if (!Restored) FSpreadsheetEnabled = Spreadsheet;
    });
    FSpreadsheetEnabled = false;
    // The cells' setters re-measure nothing while the pasted cells are placed: each row that
    // received a cell is fitted once at the end.
    ++FUpdateCount;
    bool Locked = true;
    TScopeExit Unlock([&] {
        if (Locked) --FUpdateCount;
    });
    std::vector<int> Rows;
    Rows.reserve(static_cast<std::size_t>(L.GetCellCount()));
    const bool AddCols = FCarrelonOptions.Contains(cloAddColsOnPaste);
    const bool AddRows = FCarrelonOptions.Contains(cloAddRowsOnPaste);
    bool Result = true;
    for (int i = 0; i < L.GetCellCount(); ++i) {
        TCarrelonClipboardCell* S = L.GetCell(i);
        const long long TargetCol = Col0 + (S->GetCol() - MinCol);
        const long long TargetRow = Row0 + (S->GetRow() - MinRow);
        // A handler may have shrunk the grid: the options grow it again, else the cell is left
        // out; growth that does not happen makes the result False.
        if (TargetCol >= q->GetColCount()) {
            if (!AddCols) continue;
            q->SetColCount(
                static_cast<int>(std::min<long long>(TargetCol + 1, TCarrelon::MaxCount)));
        }
        if (TargetRow >= q->GetRowCount()) {
            if (!AddRows) continue;
            q->SetRowCount(
                static_cast<int>(std::min<long long>(TargetRow + 1, TCarrelon::MaxCount)));
        }
        if (TargetCol >= q->GetColCount() || TargetRow >= q->GetRowCount()) {
            Result = false;
            continue;
        }
        const int K = static_cast<int>(TargetCol);
        const int R = static_cast<int>(TargetRow);
        TCarrelonCell* T = q->GetCells(K, R);
        bool CanPaste = true;
        if (q->OnPaste) q->OnPaste(q, T->GetStartCol(), T->Row, S, CanPaste);
        if (!CanPaste) {
            Result = false;
            continue;
        }
        if (K >= q->GetColCount() || R >= q->GetRowCount()) {
            Result = false;
            continue;
        }
        ApplyClipboardCell(*S, q->GetCells(K, R), false);
        Rows.push_back(R);
    }
    --FUpdateCount;
    Locked = false;
    FSpreadsheetEnabled = Spreadsheet;
    Restored = true;
    if (Spreadsheet) q->Recalculate(nullptr);
    if (FUpdateCount == 0) {
        std::sort(Rows.begin(), Rows.end());
        Rows.erase(std::unique(Rows.begin(), Rows.end()), Rows.end());
        for (int R : Rows)
            if (R < q->GetRowCount()) ResizeRow(R);
    }
    return Result;
}

bool TCarrelonPrivate::PasteTextShape(const AnsiString& Text) {
    const TPasteText Split = SplitPasteText(Text);
    if (Split.Shape == TPasteShape::Plain) return PasteIntoListedCells();
    const int Col0 = q->GetCol();
    const int Row0 = q->GetRow();
    if (Col0 < 0 || Row0 < 0) return false;

    TPasteRedraw Redraw(*this);
    FPasting = true;
    TScopeExit EndPasting([this] { FPasting = false; });
    const bool AddCols = FCarrelonOptions.Contains(cloAddColsOnPaste);
    const bool AddRows = FCarrelonOptions.Contains(cloAddRowsOnPaste);
    const long long Lines = static_cast<long long>(Split.Lines.size());
    // Columns grow only for the lines that are placed: without row growth, the lines below the
    // last row are dropped.
    const long long Placed =
        AddRows ? Lines
                : std::min<long long>(Lines, q->GetRowCount() - static_cast<long long>(Row0));
    std::size_t Widest = 0;
    for (long long k = 0; k < Placed; ++k)
        Widest = std::max(Widest, Split.Lines[static_cast<std::size_t>(k)].size());
    if (!GrowForPaste(Col0 + static_cast<long long>(Widest) - 1, Row0 + Lines - 1)) return false;

    bool Result = true;
    // The slot must exist: the options grow the grid by one where a handler shrank it.
    // Returns false when the slot is not there.
    auto Reach = [&](long long K, long long R, bool Grow) {
        if (K >= q->GetColCount()) {
            if (!Grow || !AddCols) return false;
            q->SetColCount(static_cast<int>(std::min<long long>(K + 1, TCarrelon::MaxCount)));
        }
        if (R >= q->GetRowCount()) {
            if (!Grow || !AddRows) return false;
            q->SetRowCount(static_cast<int>(std::min<long long>(R + 1, TCarrelon::MaxCount)));
        }
        return K < q->GetColCount() && R < q->GetRowCount();
    };
    auto PasteField = [&](long long K, long long R, std::string_view Field) {
        TCarrelonCell* T = q->GetCells(static_cast<int>(K), static_cast<int>(R));
        if (T->GetReadOnly()) {
            Result = false;
            return;
        }
        AnsiString Value = UnquoteClipboardField(Field);
        if (!T->DoPasteText(Value)) Result = false;
    };
    for (long long k = 0; k < Lines; ++k) {
        const std::vector<std::string_view>& Fields = Split.Lines[static_cast<std::size_t>(k)];
        const long long R = Row0 + k;
        if (!Reach(Col0, R, true)) {
            // Rows that cannot be had end the paste; without the option that is no failure.
            if (AddRows || R < q->GetRowCount()) Result = false;
            break;
        }
        for (std::size_t j = 0; j < Fields.size(); ++j) {
            const long long K = Col0 + static_cast<long long>(j);
            if (!Reach(K, R, true)) {
                if (AddCols) Result = false;
                break;
            }
            PasteField(K, R, Fields[j]);
        }
    }
    FPasting = false;
    if (FSpreadsheetEnabled) q->Recalculate(nullptr);
    return Result;
}

bool TCarrelon::PasteFromClipboard() {
    if (!d->FModel || d->CheckEditorMode()) return false;
    TScopeExit Reopen([this] { d->CheckAlwaysShowEditor(); });
    TClipboard* C = Clipboard();
    if (C->HasFormat(CF_COMPONENT)) {
        bool Bad = false;
        std::unique_ptr<TComponent> Read = d->ReadClipboardComponent(Bad);
        if (dynamic_cast<TCarrelonClipboardCell*>(Read.get()) != nullptr) {
            Read.reset();
            return d->PasteIntoListedCells();
        }
        if (auto* L = dynamic_cast<TCarrelonClipboardCells*>(Read.get()))
            return d->PasteCellList(*L);
        return false;
    }
    if (C->HasFormat(CF_TEXT)) return d->PasteTextShape(C->GetAsText());
    if (GetRow() < 0) return false;
    return GetCells(GetCol(), GetRow())->PasteFromClipboard();
}

}  // namespace carrelon
