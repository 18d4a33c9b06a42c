// TCarrelonCol: one column. It holds one cell per row, its width and limits, and the default
// cell attributes twice: for the scrollable rows and for the fixed rows (the twin).
//
// The public part is what an application uses; the slot list and the raw fields are the
// control's own (private, with the control's classes as friends). Columns are made and freed
// only by the grid's model.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "grid/CarrelonTypes.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TCarrelon;
class TCarrelonCell;
class TCarrelonPrivate;
class TFont;

// Text comparison used by sorting; returns <0, 0 or >0.
using TCarrelonCompareProc = std::function<int(const AnsiString& S1, const AnsiString& S2)>;

class TCarrelonCol : public TObject {
public:
    AnsiString ClassName() const override { return "TCarrelonCol"; }

    TCarrelon* GetGrid() const { return FGrid; }

    // Placement in the grid's lists: visible index (-1 hidden), absolute number, hidden number.
    int GetCol() const;
    int GetAbsoluteNumber() const;
    int GetHiddenNumber() const;
    int GetCreationNumber() const { return FCreationNumber; }

    // The cell in row i; a bad index raises the list's index error.
    TCarrelonCell* GetCells(int i) const;

    AnsiString GetA1Name() const;
    TCarrelonCompareProc GetCompareProc() const;
    void SetCompareProc(TCarrelonCompareProc P) { FCompareProc = std::move(P); }

    // Visibility.
    bool Hide();
    int Show();
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool V);

    bool GetMovable() const { return FMovable; }
    void SetMovable(bool V) { FMovable = V; }
    bool GetResizable() const { return FResizable; }
    void SetResizable(bool V) { FResizable = V; }
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool V) { FTabStop = V; }

    // Width and its limits. Widths are 16-bit; larger values are clamped to 65535.
    int GetWidth() const { return FWidth; }
    void SetWidth(int W);
    int GetMinWidth() const { return FMinWidth; }
    void SetMinWidth(int W);
    int GetMaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int W);

    // Lines: clDefault and 255 inherit the grid's colour and width.
    TColor GetGridLineColor() const;
    void SetGridLineColor(TColor C);
    int GetGridLineWidth() const;
    void SetGridLineWidth(int W);

    // Colours: clDefault inherits the grid's.
    TColor GetColor() const;
    void SetColor(TColor C) { DoSetColor(false, C); }
    TColor GetFixedColor() const;
    void SetFixedColor(TColor C) { DoSetColor(true, C); }

    // Fonts: CalcFont never allocates; GetFont makes the column's own font on first access.
    TFont* CalcFont() const;
    TFont* CalcFixedFont() const;
    TFont* GetFont();
    TFont* GetFixedFont();
    void SetFont(const TFont* F) { DoSetFont(false, F); }
    void SetFixedFont(const TFont* F) { DoSetFont(true, F); }

    // The twin attributes: assigning one resets the cells' own values in the rows it governs.
    int GetMaxLength() const { return FAttr[0].MaxLength; }
    void SetMaxLength(int V) { DoSetMaxLength(false, V); }
    int GetFixedMaxLength() const { return FAttr[1].MaxLength; }
    void SetFixedMaxLength(int V) { DoSetMaxLength(true, V); }
    bool GetReadOnly() const { return FAttr[0].ReadOnly; }
    void SetReadOnly(bool V) { DoSetReadOnly(false, V); }
    bool GetFixedReadOnly() const { return FAttr[1].ReadOnly; }
    void SetFixedReadOnly(bool V) { DoSetReadOnly(true, V); }
    bool GetWordWrap() const { return FAttr[0].WordWrap; }
    void SetWordWrap(bool V) { DoSetWordWrap(false, V); }
    bool GetFixedWordWrap() const { return FAttr[1].WordWrap; }
    void SetFixedWordWrap(bool V) { DoSetWordWrap(true, V); }
    TAlignment GetTextAlignment() const { return FAttr[0].TextAlignment; }
    void SetTextAlignment(TAlignment V) { DoSetTextAlignment(false, V); }
    TAlignment GetFixedTextAlignment() const { return FAttr[1].TextAlignment; }
    void SetFixedTextAlignment(TAlignment V) { DoSetTextAlignment(true, V); }
    TTextLayout GetTextLayout() const { return FAttr[0].TextLayout; }
    void SetTextLayout(TTextLayout V) { DoSetTextGraphicLayout(true, false, V); }
    TTextLayout GetFixedTextLayout() const { return FAttr[1].TextLayout; }
    void SetFixedTextLayout(TTextLayout V) { DoSetTextGraphicLayout(true, true, V); }
    TAlignment GetGraphicAlignment() const { return FAttr[0].GraphicAlignment; }
    void SetGraphicAlignment(TAlignment V) { DoSetGraphicAlignment(false, V); }
    TAlignment GetFixedGraphicAlignment() const { return FAttr[1].GraphicAlignment; }
    void SetFixedGraphicAlignment(TAlignment V) { DoSetGraphicAlignment(true, V); }
    TTextLayout GetGraphicLayout() const { return FAttr[0].GraphicLayout; }
    void SetGraphicLayout(TTextLayout V) { DoSetTextGraphicLayout(false, false, V); }
    TTextLayout GetFixedGraphicLayout() const { return FAttr[1].GraphicLayout; }
    void SetFixedGraphicLayout(TTextLayout V) { DoSetTextGraphicLayout(false, true, V); }
    bool GetButton() const { return FAttr[0].Button; }
    void SetButton(bool V) { DoSetButtonCheckbox(true, false, V); }
    bool GetFixedButton() const { return FAttr[1].Button; }
    void SetFixedButton(bool V) { DoSetButtonCheckbox(true, true, V); }
    bool GetCheckBox() const { return FAttr[0].CheckBox; }
    void SetCheckBox(bool V) { DoSetButtonCheckbox(false, false, V); }
    bool GetFixedCheckBox() const { return FAttr[1].CheckBox; }
    void SetFixedCheckBox(bool V) { DoSetButtonCheckbox(false, true, V); }
    bool GetCheckBoxChecked() const { return FAttr[0].CheckBoxChecked; }
    void SetCheckBoxChecked(bool V) { DoSetCheckBoxChecked(false, V); }
    bool GetFixedCheckBoxChecked() const { return FAttr[1].CheckBoxChecked; }
    void SetFixedCheckBoxChecked(bool V) { DoSetCheckBoxChecked(true, V); }
    TAlignment GetCheckBoxAlignment() const { return FAttr[0].CheckBoxAlignment; }
    void SetCheckBoxAlignment(TAlignment V) { DoSetCheckBoxAlignment(false, V); }
    TAlignment GetFixedCheckBoxAlignment() const { return FAttr[1].CheckBoxAlignment; }
    void SetFixedCheckBoxAlignment(TAlignment V) { DoSetCheckBoxAlignment(true, V); }

    void Invalidate();

private:
    friend class TCarrelon;
    friend class TCarrelonPrivate;
    friend class TCarrelonColumnStore;
    friend class TCarrelonIniWriter;
    friend class TCarrelonIniLoader;
    friend class TCarrelonTestAccess;

    // Made with its cells by the column store.
    explicit TCarrelonCol(TCarrelon* AGrid);
    ~TCarrelonCol() override;

    // The grid's private part.
    TCarrelonPrivate& GridPrivate() const;
    int CellCount() const { return static_cast<int>(FCells.size()); }
    // The slot list itself, for the grid's structural work.
    std::vector<TCarrelonCell*>& CellList() { return FCells; }
    const std::vector<TCarrelonCell*>& CellList() const { return FCells; }
    // Marks the column without moving it between lists (the grid's structural code does that).
    void WriteFVisible(bool V) { FVisible = V; }
    // Stores the width without clamping or event (the grid's loading of streamed widths).
    void WriteFWidth(int W);
    TColor ReadFGridLineColor() const { return FGridLineColor; }
    Byte ReadFGridLineWidth() const { return FGridLineWidth; }
    void WriteFGridLineWidth(Byte W) { FGridLineWidth = W; }
    TColor ReadFColor() const { return FAttr[0].Color; }
    TColor ReadFFixedColor() const { return FAttr[1].Color; }
    // The font was assigned or changed (its twin's font-set flag).
    bool GetFontSet() const { return FAttr[0].FontSet; }
    bool GetFixedFontSet() const { return FAttr[1].FontSet; }
    TFont* ReadFFont() const { return FAttr[0].Font.get(); }
    TFont* ReadFFixedFont() const { return FAttr[1].Font.get(); }

    // One twin of the column's cell defaults; index 0 is the scrollable rows, 1 the fixed rows.
    struct Attributes {
        TColor Color;
        Word MaxLength = 0;
        bool ReadOnly = false;
        bool WordWrap = true;
        TAlignment TextAlignment = taLeftJustify;
        TTextLayout TextLayout = tlTop;
        TAlignment GraphicAlignment = taLeftJustify;
        TTextLayout GraphicLayout = tlTop;
        bool Button = false;
        bool CheckBox = false;
        bool CheckBoxChecked = false;
        TAlignment CheckBoxAlignment = taCenter;
        bool FontSet = false;
        std::unique_ptr<TFont> Font;
        std::unique_ptr<TFont> FontShadow;
        Attributes();
        ~Attributes();
    };

    // The rows a twin's setters reset: scrollable FixedRows..RowCount-1, fixed H..FixedRows-1
    // (the heading row keeps its own values).
    void TwinRows(bool Fixed, int& First, int& Last) const;
    template <typename F>
    void ForEachTwinCell(bool Fixed, F&& Fn);
    bool CurrentCellInTwin(bool Fixed) const;
    void EditorReaction(bool Fixed, bool CloseEditor);

    void DoSetColor(bool Fixed, TColor Value);
    void DoSetTextAlignment(bool Fixed, TAlignment Value);
    void DoSetGraphicAlignment(bool Fixed, TAlignment Value);
    void DoSetTextGraphicLayout(bool Text, bool Fixed, TTextLayout Value);
    void DoSetWordWrap(bool Fixed, bool Value);
    void DoSetMaxLength(bool Fixed, int Value);
    void DoSetReadOnly(bool Fixed, bool Value);
    void DoSetButtonCheckbox(bool Button, bool Fixed, bool Value);
    void DoSetCheckBoxAlignment(bool Fixed, TAlignment Value);
    void DoSetCheckBoxChecked(bool Fixed, bool Value);
    void DoSetFont(bool Fixed, const TFont* F);
    TFont* DoGetFont(bool Fixed);
    void DoFontChanged(bool Fixed);
    void BindFont(bool Fixed);

    TCarrelon* FGrid;
    std::vector<TCarrelonCell*> FCells;
    TCarrelonCompareProc FCompareProc;
    Attributes FAttr[2];
    int FCreationNumber;
    TColor FGridLineColor;
    Word FWidth;
    Word FMinWidth = 0;
    Word FMaxWidth = 0;
    Byte FGridLineWidth = 255;
    bool FVisible = true;
    bool FMovable = true;
    bool FResizable = true;
    bool FTabStop = true;
    // Positions in the grid's lists, refreshed by the column store when its lists change.
    mutable int FVisibleIndex = -1;
    mutable int FAbsoluteIndex = -1;
    mutable int FHiddenIndex = -1;
};

}  // namespace carrelon
