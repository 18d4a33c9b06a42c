// TCarrelonCell: the content of one cell slot, or of every slot of a merged range. Attributes
// the cell does not set itself come from its column (the fixed-rows twin above FixedRows).
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
class TFont;
class TGraphic;
class TPicture;

class TCarrelonCell : public TObject {
public:
    TCarrelonCell(TCarrelonCol* ACol, int ARow);
    ~TCarrelonCell() override;
    AnsiString ClassName() const override { return "TCarrelonCell"; }

    // Cells are many and small: they come from a pool of fixed-size blocks.
    static void* operator new(std::size_t Size);
    static void operator delete(void* P, std::size_t Size) noexcept;

    TCarrelon* GetGrid() const;

    // Value, text and formula.
    Variant GetValue() const { return FValue.Get(); }
    void SetValue(const Variant& V);
    // Stores V as the value without any of SetValue's reactions (for recalculation, loads).
    void StoreValue(const Variant& V) { FValue.Assign(V); }
    bool ValueIsUnassigned() const { return FValue.IsUnassigned(); }
    AnsiString GetText() const;
    void SetText(const AnsiString& S);
    void SetFormula(const AnsiString& F);
    bool Recalculate();

    // Effective attributes.
    TColor GetColor() const;
    void SetColor(TColor Value);
    TColor GetSelectedColor() const;
    void SetSelectedColor(TColor Value);
    TColor GetSelectedFontColor() const;
    void SetSelectedFontColor(TColor Value);
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
    bool GetCheckBox() const;
    void SetCheckBox(bool Value);
    bool GetButton() const;
    void SetButton(bool Value);
    bool GetCheckBoxChecked() const;
    void SetCheckBoxChecked(bool Value);
    TAlignment GetCheckBoxAlignment() const;
    void SetCheckBoxAlignment(TAlignment Value);

    // Fonts. CalcFont never allocates; GetFont makes an own font on first use.
    TFont* CalcFont() const;
    std::shared_ptr<TFont> GetFont();
    void SetFont(const TFont* F);
    bool FontUsed();

    // Picture.
    TGraphic* GetGraphic() const;
    void SetGraphic(TGraphic* G);
    TPicture* ReadFPicture() const;
    void WriteFPicture(std::unique_ptr<TPicture> P);

    // Borders: created on first access and kept for the cell's life.
    TCarrelonCellInnerBorder* GetInnerBorder();
    TCarrelonCellOuterBorder* GetOuterBorder();
    TCarrelonCellInnerBorder* ReadFInnerBorder() const;
    TCarrelonCellOuterBorder* ReadFOuterBorder() const;
    void WriteFInnerBorder(std::unique_ptr<TCarrelonCellInnerBorder> B);
    void WriteFOuterBorder(std::unique_ptr<TCarrelonCellOuterBorder> B);

    // Extents of a merged range: visible indexes (-1 when every column of it is hidden), the
    // last row, and the end column object (never nil; the start column for a single column).
    int GetStartCol() const;
    int GetEndCol() const;
    int GetEndRow() const { return ReadFEndRow(); }
    TCarrelonCol* GetEndColObject() const;
    bool IsMerged() const;

    bool GetVisible() const;
    bool GetFixed() const;
    bool GetSelected() const;
    void SetSelected(bool Value);
    bool IsEmpty() const;
    AnsiString GetA1Name() const;
    bool IsCurrentCell() const;

    // The row height the cell's content needs: its text in its columns' width, its picture
    // and the line below it; never less than DefaultRowHeight. EditorHeight (-1: none) is the
    // height an open editor asks for.
    int CalcHeight(int EditorHeight) const;

    // Repaints every visible slot of the cell (held back by the update lock).
    void Invalidate();

    // Raw record access. Writing a default value may free the record; writing nil into an
    // owned object frees it.
    AnsiString ReadFFormula() const;
    void WriteFFormula(const AnsiString& V);
    AnsiString ReadFHint() const;
    void WriteFHint(const AnsiString& V);
    TFont* ReadFFont() const;
    void WriteFFont(std::shared_ptr<TFont> F);
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
    Word ReadFMaxLength() const;
    void WriteFMaxLength(Word V);
    Byte ReadFReadOnly() const;
    void WriteFReadOnly(Byte V);
    Byte ReadFWordWrap() const;
    void WriteFWordWrap(Byte V);
    Byte ReadFCheckBox() const;
    void WriteFCheckBox(Byte V);
    Byte ReadFCheckBoxChecked() const;
    void WriteFCheckBoxChecked(Byte V);
    Byte ReadFButton() const;
    void WriteFButton(Byte V);
    Byte ReadFCheckBoxAlignment() const;
    void WriteFCheckBoxAlignment(Byte V);
    Byte ReadFTextAlignment() const;
    void WriteFTextAlignment(Byte V);
    Byte ReadFGraphicAlignment() const;
    void WriteFGraphicAlignment(Byte V);
    Byte ReadFTextLayout() const;
    void WriteFTextLayout(Byte V);
    Byte ReadFGraphicLayout() const;
    void WriteFGraphicLayout(Byte V);
    bool ReadFFontUsed() const;
    void WriteFFontUsed(bool V);
    bool ReadFButtonPushed() const;
    void WriteFButtonPushed(bool V);
    bool ReadFError() const;
    void WriteFError(bool V);

    bool HasProperties() const { return FProperties != nullptr; }
    const TCarrelonCellProperties* Properties() const { return FProperties.get(); }
    void CreateProperties();
    void CheckProperties();

    // Live cells made from the pool (tests use it to find leaks in the normal build too).
    static long long LiveCount();

    TCarrelonCol* Col;  // start column: leftmost absolute column of the cell

private:
    bool InFixedRows() const;
    // Writes a raw entry, creating the record for a non-default value and freeing it again
    // when a default leaves it all-default.
    template <typename T>
    void WriteEntry(T TCarrelonCellProperties::*Field, T Value);
    void Remeasure();
    void FontChanged();
    void BindFont();

    std::unique_ptr<TCarrelonCellProperties> FProperties;
    TCarrelonCellValue FValue;

public:
    int Row;  // top row (declared last: the fields pack into 40 bytes)
};

}  // namespace carrelon
