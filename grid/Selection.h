// TCarrelonSelection: the grid's list of selected cell objects (a merged range listed once),
// distinct from the base grid's selection rectangle. Painting, the clipboard, clearing and the
// bulk attribute setters work on this list.
#pragma once

#include <functional>
#include <vector>

#include "grid/CarrelonTypes.h"
#include "grid/IndexCoverage.h"
#include "grid/SelectedCellList.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TCarrelon;
class TCarrelonCell;
class TCarrelonPrivate;
class TFont;

// Asks whether the current cell may move to (ACol, ARow); CanSelect starts True.
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;

class TCarrelonSelection : public TObject {
public:
    ~TCarrelonSelection() override;
    AnsiString ClassName() const override { return "TCarrelonSelection"; }

    // The listed cell at Index; an index outside 0..Count-1 raises the list's index error.
    TCarrelonCell* GetCells(int Index) const;
    int GetCount() const { return FList.Count(); }

    // The extent of the listed cells: min start column and row, max end column and end row;
    // (-1,-1,-1,-1) when the list is empty. Right and Bottom are inclusive cell indexes.
    TRect GetRect() const;
    int GetLeft() const { return GetRect().Left; }
    int GetTop() const { return GetRect().Top; }
    int GetRight() const { return GetRect().Right; }
    int GetBottom() const { return GetRect().Bottom; }

    bool Contains(const TCarrelonCell* ACell) const { return FList.Contains(ACell); }
    // Repaints every listed cell (nothing while the grid's update lock is held).
    void Invalidate();
    // Appends and repaints a cell that is not listed yet; no event.
    void Add(TCarrelonCell* ACell);
    // Takes a listed cell out, repaints it and fires OnCellDeselected with its top-left slot.
    void Remove(TCarrelonCell* ACell);
    // True when a listed cell covers row ARow or column ACol.
    bool IsColRowSelected(int ACol, int ARow) const;
    // Empties the contents of the listed cells; False when the editor cannot close or a
    // read-only cell was skipped.
    bool Clear(bool IgnoreReadOnly);

    // Puts the listed cells on the clipboard (one cell as that cell's copy); False when the list
    // is empty or the editor stays open.
    bool CopyToClipboard();
    // Copies, then replaces every listed cell by empty cells, one per slot it covered; the list
    // then holds the current cell and the anchor moves onto it.
    bool CutToClipboard();

    // Bulk attribute setters: the cell's own setter on every listed cell, in list order.
    void SetColor(TColor Value);
    void SetFont(const TFont* Value);
    void SetReadOnly(bool Value);
    void SetWordWrap(bool Value);
    void SetTextAlignment(TAlignment Value);
    void SetTextLayout(TTextLayout Value);
    void SetGraphicAlignment(TAlignment Value);
    void SetGraphicLayout(TTextLayout Value);
    void SetButton(bool Value);
    void SetCheckBox(bool Value);
    void SetCheckBoxChecked(bool Value);
    void SetCheckBoxAlignment(TAlignment Value);

private:
    friend class TCarrelon;
    friend class TCarrelonPrivate;
    friend class TCarrelonExcelImport;
    friend class TCarrelonTestAccess;

    // For the grid: the raw list, changed without repaint or events.
    TSelectedCellList& List() { return FList; }
    const TSelectedCellList& List() const { return FList; }
    // A cell being freed leaves the list silently.
    void CellFreed(const TCarrelonCell* ACell) { FList.Remove(ACell); }
    TCarrelonPrivate& GridPrivate() const;

    explicit TCarrelonSelection(TCarrelon* AGrid);

    // Calls F on a snapshot of the list, since cell setters may repaint or refit rows.
    template <typename F>
    void ForEachListed(F&& Apply) {
        for (TCarrelonCell* c : FList.Snapshot())
            if (FList.Contains(c)) Apply(c);
    }

    TCarrelon* FGrid;  // not owned
    TSelectedCellList FList;
    // Rows and columns covered by listed cells, rebuilt when the list changed since.
    mutable TIndexCoverage FCoveredRows, FCoveredCols;
    mutable unsigned long long FCoverageVersion = ~0ULL;
};

}  // namespace carrelon
