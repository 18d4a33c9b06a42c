// TCarrelonCell: the content of one cell slot, or of every slot of a merged range. Attributes
// the cell does not set itself come from its column (the fixed-rows twin above FixedRows),
// and the column's unset colours from the grid.
//
// The public part is what an application uses. The raw record access (ReadF... / WriteF...)
// and the cell's placement fields are the control's own: they are private, and the control's
// classes that need them are friends. Cells are made and freed only by the grid's model.
#pragma once

#include <memory>

#include "grid/CarrelonCellProperties.h"
#include "grid/CarrelonCellValue.h"
#include "grid/CarrelonTypes.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TCarrelon;
class TCarrelonCol;
class TCarrelonPrivate;
class TFont;
class TGraphic;
class TPicture;

struct TFontMeasures;
class TCarrelonCell : public TObject {
public:
    AnsiString ClassName() const override { return "TCarrelonCell"; }

    TCarrelon* GetGrid() const;

    // ==== Placement ============================================================================
    // The top row and the last row of the cell.
    int GetRow() const { return Row; }
    int GetEndRow() const { return ReadFEndRow(); }
    // The start column object (leftmost absolute column of the cell) and the end column object
    // (the start column for a single column).
    TCarrelonCol* GetCol() const { return Col; }
    TCarrelonCol* GetEndColObject() const;
    // Visible indexes of the first and last column, skipping hidden columns inward; -1 when
    // every column of the cell is hidden.
    int GetStartCol() const;
    int GetEndCol() const;
    bool IsMerged() const;
    bool GetVisible() const;
    // In the fixed rows or the fixed columns.
    bool GetFixed() const;
    bool IsCurrentCell() const;
    // The A1 name of the top-left slot; empty for a heading while SpreadsheetHeaders is on.
    AnsiString GetA1Name() const;

    // ==== Value, text and formula ==============================================================
    Variant GetValue() const { return FValue.Get(); }
    // A string value sets the text; a value whose text cannot be formed is refused quietly.
    void SetValue(const Variant& V);
    // The display text of the value.
    AnsiString GetText() const;
    void SetText(const AnsiString& S);
    // The formula without its "=", upper-cased; empty for none.
    AnsiString GetFormula() const { return ReadFFormula(); }
    void SetFormula(const AnsiString& F);
    // Evaluates the formula again; true when the value changed.
    bool Recalculate();
    // No value, no formula and no picture.
    bool IsEmpty() const;

    // ==== Attributes ===========================================================================
    // Each getter gives the effective value: the cell's own, else the column's.
    TColor GetColor() const;
    void SetColor(TColor Value);
    TColor GetSelectedColor() const;
    void SetSelectedColor(TColor Value);
    TColor GetSelectedFontColor() const;
    void SetSelectedFontColor(TColor Value);
    // Own values are 0..65534; 65535 drops the own value, so the column's applies again.
    int GetMaxLength() const;
    void SetMaxLength(int Value);
    bool GetReadOnly() const;
    void SetReadOnly(bool Value);
    bool GetWordWrap() const;
    void SetWordWrap(bool Value);
    TAlignment GetTextAlignment() const;
    void SetTextAlignment(TAlignment Value);
    TTextLayout GetTextLayout() const;
    void SetTextLayout(TTextLayout Value);
    TAlignment GetGraphicAlignment() const;
    void SetGraphicAlignment(TAlignment Value);
    TTextLayout GetGraphicLayout() const;
    void SetGraphicLayout(TTextLayout Value);
    // A check box and a button exclude each other: turning one on turns the other off.
    bool GetCheckBox() const;
    void SetCheckBox(bool Value);
    bool GetButton() const;
    void SetButton(bool Value);
    bool GetCheckBoxChecked() const;
    void SetCheckBoxChecked(bool Value);
    TAlignment GetCheckBoxAlignment() const;
    void SetCheckBoxAlignment(TAlignment Value);
    AnsiString GetHint() const { return ReadFHint(); }
    void SetHint(const AnsiString& Value) { WriteFHint(Value); }
    // The object an application attached; replacing it never frees the previous one.
    TObject* GetObject() const { return ReadFObject(); }
    void SetObject(TObject* Value) { WriteFObject(Value); }

    // ==== Font, picture and borders ============================================================
    // The effective font, without making an own one.
    TFont* CalcFont() const;
    // The cell's own font, made from the effective one on first use; it stays valid for its
    // holder after the cell drops it.
    std::shared_ptr<TFont> GetFont();
    void SetFont(const TFont* F);
    // The picture's graphic, or nil.
    TGraphic* GetGraphic() const;
    // Stores a copy of the graphic; a picture wider than the cell widens its first visible
    // column. Nil removes the picture.
    void SetGraphic(TGraphic* G);
    TPicture* GetPicture() const { return ReadFPicture(); }
    // Created on first access and kept for the cell's life.
    TCarrelonCellInnerBorder* GetInnerBorder();
    TCarrelonCellOuterBorder* GetOuterBorder();

    // Undoes a merge: the top-left slot keeps this cell, every other slot gets a new empty
    // cell. False when the cell is not merged or the editor stays open.
    bool Split();

    // ==== Clipboard ============================================================================
    // Puts the cell on the clipboard with its formatting, as text and, when it holds a picture
    // that is not an icon, as that picture.
    bool CopyToClipboard();
    // Copies, then empties the cell: a merge is split first and the cell falls back to its
    // column's attributes; OnCellCut follows. False when the copy failed, the editor stays open
    // or the split was refused.
    bool CutToClipboard();
    // Pastes the clipboard into this cell: a copied cell with its formatting (also over a
    // read-only cell), else text, else a picture.
    bool PasteFromClipboard();
    // Stores pasted text as the cell's value (a string, also when empty) after OnPastePlainText;
    // false when the handler refused.
    bool DoPasteText(AnsiString& AText);
    // Stores a copy of a pasted picture after OnPasteGraphics; false when the handler refused.
    bool DoPasteGraphic(TGraphic* AGraphic);

    // ==== Selection and repaint ================================================================
    bool GetSelected() const;
    void SetSelected(bool Value);
    // Repaints every visible slot of the cell (held back by the update lock).
    void Invalidate();

private:
    friend class TCarrelon;
    friend class TCarrelonPrivate;
    friend class TCarrelonCol;
    friend class TCarrelonColumnStore;
    friend class TCarrelonSelection;
    friend class TCarrelonCellOuterBorder;
    friend class TCarrelonFormulas;
    friend class TCarrelonPrintRun;
    friend class TCarrelonIniWriter;
    friend class TCarrelonIniLoader;
    friend class TCarrelonWordExport;
    friend class TCarrelonExcelExport;
    friend class TCarrelonExcelImport;
    friend class TCarrelonTestAccess;

    // Made and freed by the column store.
    TCarrelonCell(TCarrelonCol* ACol, int ARow);
    ~TCarrelonCell() override;

    // Cells are many and small: they come from a pool of fixed-size blocks.
    static void* operator new(std::size_t Size);
    static void operator delete(void* P, std::size_t Size) noexcept;
    // Live cells made from the pool (tests use it to find leaks in the normal build too).
    static long long LiveCount();

    // Stores V as the value without any of SetValue's reactions (for recalculation, loads).
    void StoreValue(const Variant& V);
    bool ValueIsUnassigned() const { return FValue.IsUnassigned(); }

    // The row height the cell's content needs: its text in its columns' width, its picture
    // and the line below it; never less than DefaultRowHeight. EditorHeight (-1: none) is the
    // height an open editor asks for.
    int CalcHeight(int EditorHeight) const;
    // The height the cell would need holding Text (the editor aside).
    int NeedOfText(const AnsiString& Text) const;
    // The need of a cell without own attributes, from its column's needs for an empty text
    // and for one line, when its text is surely one line in the column's font (Measures) and
    // text width; -1 when it must be measured.
    int QuickNeed(int Empty, int Line, const TFontMeasures& Measures, int Width, bool Wrap) const;
    // Drops an own font that was only read, never changed; true when the font stays.
    bool FontUsed();

    // Raw record access. Writing a default value may free the record; writing nil into an
    // owned object frees it.
    AnsiString ReadFFormula() const;
    void WriteFFormula(const AnsiString& V);
    AnsiString ReadFHint() const;
    void WriteFHint(const AnsiString& V);
    TFont* ReadFFont() const;
    void WriteFFont(std::shared_ptr<TFont> F);
    TPicture* ReadFPicture() const;
    void WriteFPicture(std::unique_ptr<TPicture> P);
    TCarrelonCellInnerBorder* ReadFInnerBorder() const;
    TCarrelonCellOuterBorder* ReadFOuterBorder() const;
    void WriteFInnerBorder(std::unique_ptr<TCarrelonCellInnerBorder> B);
    void WriteFOuterBorder(std::unique_ptr<TCarrelonCellOuterBorder> B);
    TObject* ReadFObject() const;
    void WriteFObject(TObject* O);
    TCarrelonCol* ReadFEndCol() const;
    void WriteFEndCol(TCarrelonCol* C);
    int ReadFEndRow() const;  // the last row
    void WriteFEndRow(int EndRow);
    TColor ReadFColor() const;
    void WriteFColor(TColor V);
    TColor ReadFSelectedColor() const;
    void WriteFSelectedColor(TColor V);
    TColor ReadFSelectedFontColor() const;
    void WriteFSelectedFontColor(TColor V);
    TCellOwnLength ReadFMaxLength() const;
    void WriteFMaxLength(TCellOwnLength V);
    TCellTriState ReadFReadOnly() const;
    void WriteFReadOnly(TCellTriState V);
    TCellTriState ReadFWordWrap() const;
    void WriteFWordWrap(TCellTriState V);
    TCellTriState ReadFCheckBox() const;
    void WriteFCheckBox(TCellTriState V);
    TCellTriState ReadFCheckBoxChecked() const;
    void WriteFCheckBoxChecked(TCellTriState V);
    TCellTriState ReadFButton() const;
    void WriteFButton(TCellTriState V);
    TCellOwnEnum<TAlignment> ReadFCheckBoxAlignment() const;
    void WriteFCheckBoxAlignment(TCellOwnEnum<TAlignment> V);
    TCellOwnEnum<TAlignment> ReadFTextAlignment() const;
    void WriteFTextAlignment(TCellOwnEnum<TAlignment> V);
    TCellOwnEnum<TAlignment> ReadFGraphicAlignment() const;
    void WriteFGraphicAlignment(TCellOwnEnum<TAlignment> V);
    TCellOwnEnum<TTextLayout> ReadFTextLayout() const;
    void WriteFTextLayout(TCellOwnEnum<TTextLayout> V);
    TCellOwnEnum<TTextLayout> ReadFGraphicLayout() const;
    void WriteFGraphicLayout(TCellOwnEnum<TTextLayout> V);
    bool ReadFFontUsed() const;
    void WriteFFontUsed(bool V);
    bool ReadFButtonPushed() const;
    void WriteFButtonPushed(bool V);
    bool ReadFError() const;
    void WriteFError(bool V);

    bool HasProperties() const { return FProperties != nullptr; }
    void CreateProperties();
    void CheckProperties();

    // The grid's private part.
    TCarrelonPrivate& GridPrivate() const;
    bool InFixedRows() const;
    // Row 0 while it holds the spreadsheet headings: it shows no check box or button of its
    // column's.
    bool InHeadingRow() const;
    // The effective value of an attribute: the cell's own, else its column's for its rows.
    template <typename Own, typename T>
    T Effective(const TCellInheritedAttribute<Own, T>& A) const;
    // Stores Value as the cell's own unless it is the effective value already; true when it
    // stored.
    template <typename Own, typename T>
    bool StoreOwn(const TCellInheritedAttribute<Own, T>& A, T Value);
    // Writes a raw entry, creating the record for a non-default value and freeing it again
    // when a default leaves it all-default.
    template <typename T>
    void WriteEntry(T TCarrelonCellProperties::*Field, T Value);
    void Remeasure();
    void FontChanged();
    void BindFont();

    TCarrelonCol* Col;  // start column: leftmost absolute column of the cell
    std::unique_ptr<TCarrelonCellProperties> FProperties;
    int Row;  // top row
    // Last, after Row: the fields pack into 40 bytes, and the pointer a long text keeps in the
    // value's payload lies on an 8-byte boundary, where a leak checker looks for pointers.
    TCarrelonCellValue FValue;
};

}  // namespace carrelon
