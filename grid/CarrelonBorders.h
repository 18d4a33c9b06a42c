// Per-cell border objects: the inner border is drawn inside the cell, the outer one outside it
// (over the neighbours' edges, which therefore repaint with it).
#pragma once

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TCarrelonCell;

class TCarrelonCellInnerBorder : public TObject {
public:
    explicit TCarrelonCellInnerBorder(TCarrelonCell* ACell) : FCell(ACell) {}
    AnsiString ClassName() const override { return "TCarrelonCellInnerBorder"; }

    TCarrelonCell* GetCell() const { return FCell; }
    TColor GetColor() const { return FColor; }
    Byte GetWidth() const { return FWidth; }
    virtual void SetColor(TColor Value);
    virtual void SetWidth(Byte Value);

protected:
    TCarrelonCell* FCell;
    TColor FColor = 0;  // clBlack
    Byte FWidth = 1;
};

class TCarrelonCellOuterBorder : public TCarrelonCellInnerBorder {
public:
    using TCarrelonCellInnerBorder::TCarrelonCellInnerBorder;
    AnsiString ClassName() const override { return "TCarrelonCellOuterBorder"; }

    void SetColor(TColor Value) override;
    void SetWidth(Byte Value) override;

private:
    // Repaints the cell and its neighbours, whatever the update lock says.
    void InvalidateWithNeighbours();
};

}  // namespace carrelon
