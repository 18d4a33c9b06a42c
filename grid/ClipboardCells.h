// The records that carry cells through the clipboard's component format: TCarrelonClipboardCell
// holds one copied cell with every attribute it shows, TCarrelonClipboardCells several of them
// as its children. Both stream every property (none has a default), in the order declared here;
// the attached object is not streamed, so it never survives the clipboard.
#pragma once

#include <memory>
#include <vector>

#include "platform/controls/Component.h"
#include "platform/controls/TextAlign.h"
#include "platform/rtl/Variant.h"

namespace carrelon {

class TFont;
class TGraphic;
class TPicture;

class TCarrelonClipboardCell : public TComponent {
public:
    explicit TCarrelonClipboardCell(TComponent* AOwner);
    ~TCarrelonClipboardCell() override;
    AnsiString ClassName() const override { return "TCarrelonClipboardCell"; }

    // The copied cell's start column and row.
    int GetCol() const { return FCol; }
    void SetCol(int Value) { FCol = Value; }
    int GetRow() const { return FRow; }
    void SetRow(int Value) { FRow = Value; }
    const Variant& GetValue() const { return FValue; }
    void SetValue(const Variant& Value) { FValue = Value; }
    // Without the "=".
    const AnsiString& GetFormula() const { return FFormula; }
    void SetFormula(const AnsiString& Value) { FFormula = Value; }
    const AnsiString& GetHint() const { return FHint; }
    void SetHint(const AnsiString& Value) { FHint = Value; }
    // Owned; the setters copy.
    TPicture* GetPicture() const { return FPicture.get(); }
    void SetPicture(const TPicture* Value);
    TFont* GetFont() const { return FFont.get(); }
    void SetFont(const TFont* Value);
    // The picture's graphic, nil for none.
    TGraphic* GetGraphic() const;
    void SetGraphic(const TGraphic* Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TAlignment GetTextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TAlignment Value) { FTextAlignment = Value; }
    TTextLayout GetTextLayout() const { return FTextLayout; }
    void SetTextLayout(TTextLayout Value) { FTextLayout = Value; }
    TAlignment GetGraphicAlignment() const { return FGraphicAlignment; }
    void SetGraphicAlignment(TAlignment Value) { FGraphicAlignment = Value; }
    TTextLayout GetGraphicLayout() const { return FGraphicLayout; }
    void SetGraphicLayout(TTextLayout Value) { FGraphicLayout = Value; }
    Word GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(Word Value) { FMaxLength = Value; }
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value) { FWordWrap = Value; }
    bool GetCheckBox() const { return FCheckBox; }
    void SetCheckBox(bool Value) { FCheckBox = Value; }
    bool GetCheckBoxChecked() const { return FCheckBoxChecked; }
    void SetCheckBoxChecked(bool Value) { FCheckBoxChecked = Value; }
    TAlignment GetCheckBoxAlignment() const { return FCheckBoxAlignment; }
    void SetCheckBoxAlignment(TAlignment Value) { FCheckBoxAlignment = Value; }
    // 0 when the cell has no such border.
    Byte GetInnerBorderWidth() const { return FInnerBorderWidth; }
    void SetInnerBorderWidth(Byte Value) { FInnerBorderWidth = Value; }
    TColor GetInnerBorderColor() const { return FInnerBorderColor; }
    void SetInnerBorderColor(TColor Value) { FInnerBorderColor = Value; }
    Byte GetOuterBorderWidth() const { return FOuterBorderWidth; }
    void SetOuterBorderWidth(Byte Value) { FOuterBorderWidth = Value; }
    TColor GetOuterBorderColor() const { return FOuterBorderColor; }
    void SetOuterBorderColor(TColor Value) { FOuterBorderColor = Value; }
    bool GetButton() const { return FButton; }
    void SetButton(bool Value) { FButton = Value; }
    // The cell's own values, clDefault when it has none.
    TColor GetSelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(TColor Value) { FSelectedColor = Value; }
    TColor GetSelectedFontColor() const { return FSelectedFontColor; }
    void SetSelectedFontColor(TColor Value) { FSelectedFontColor = Value; }
    // Not streamed.
    TObject* GetCellObject() const { return FCellObject; }
    void SetCellObject(TObject* Value) { FCellObject = Value; }

    void DefineProperties(TFiler& Filer) override;
    void SetParentComponent(TComponent* Value) override;

private:
    int FCol = 0;
    int FRow = 0;
    Variant FValue;
    AnsiString FFormula;
    AnsiString FHint;
    std::unique_ptr<TPicture> FPicture;
    std::unique_ptr<TFont> FFont;
    TColor FColor = 0;
    TAlignment FTextAlignment = taLeftJustify;
    TTextLayout FTextLayout = tlTop;
    TAlignment FGraphicAlignment = taLeftJustify;
    TTextLayout FGraphicLayout = tlTop;
    Word FMaxLength = 0;
    bool FReadOnly = false;
    bool FWordWrap = false;
    bool FCheckBox = false;
    bool FCheckBoxChecked = false;
    TAlignment FCheckBoxAlignment = taLeftJustify;
    Byte FInnerBorderWidth = 0;
    TColor FInnerBorderColor = 0;
    Byte FOuterBorderWidth = 0;
    TColor FOuterBorderColor = 0;
    bool FButton = false;
    TColor FSelectedColor = 0;
    TColor FSelectedFontColor = 0;
    TObject* FCellObject = nullptr;
};

class TCarrelonClipboardCells : public TComponent {
public:
    explicit TCarrelonClipboardCells(TComponent* AOwner);
    ~TCarrelonClipboardCells() override;
    AnsiString ClassName() const override { return "TCarrelonClipboardCells"; }

    // The smallest Col and Row of the cells.
    int GetMinCol() const { return FMinCol; }
    void SetMinCol(int Value) { FMinCol = Value; }
    int GetMinRow() const { return FMinRow; }
    void SetMinRow(int Value) { FMinRow = Value; }

    // The cells, in the order they were added (the selection's order).
    int GetCellCount() const { return static_cast<int>(FCells.size()); }
    TCarrelonClipboardCell* GetCell(int Index) const {
        return FCells[static_cast<std::size_t>(Index)];
    }
    // A new cell owned by this record.
    TCarrelonClipboardCell* AddCell();

    void DefineProperties(TFiler& Filer) override;
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TCarrelonClipboardCell;
    // A cell read from a stream joins its record. While reading, only the reader's limit on
    // components bounds their number; the paste refuses a record naming more cells than the
    // grid's cell budget once it has been read.
    void Adopt(TCarrelonClipboardCell* Cell);

    int FMinCol = 0;
    int FMinRow = 0;
    std::vector<TCarrelonClipboardCell*> FCells;  // owned as components
};

// Registers both classes for component streaming (once; reading the clipboard needs it). This
// runs when the component's code is loaded.
void RegisterClipboardClasses();

}  // namespace carrelon
