// A small grid for testing formula evaluation without the grid control: cells by absolute
// column and row, merged ranges sharing one cell, error flags, a fixed clock and a simple
// seeded generator.
#pragma once

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "formulas/FormulaEngine.h"

namespace carrelon::test {

struct FakeCell {
    AnsiString Formula;
    TFormulaCellValue Value;
    bool Error = false;
    int HomeCol = 0, HomeRow = 0;
    std::uint32_t Seed = 0;
    bool HasSeed = false;
};

class FakeFormulaGrid : public TFormulaHost {
public:
    FakeFormulaGrid(int Cols, int Rows) : FCols(Cols), FRows(Rows) {}

    int Headings = 0;
    Extended NowValue = 45000.75;  // 15 March 2023, 18:00
    std::uint32_t RandSeed = 1;
    int ReadSlotCalls = 0;

    FakeCell& At(int Col, int Row) {
        auto& slot = FSlots[{Col, Row}];
        if (!slot) {
            FCells.push_back(std::make_unique<FakeCell>());
            slot = FCells.back().get();
            slot->HomeCol = Col;
            slot->HomeRow = Row;
        }
        return *slot;
    }
    void SetNumber(int Col, int Row, Extended V) {
        At(Col, Row).Value = {TFormulaCellValue::cvNumber, V, {}};
    }
    void SetText(int Col, int Row, const AnsiString& S) {
        At(Col, Row).Value = {TFormulaCellValue::cvText, 0, S};
    }
    void SetKind(int Col, int Row, TFormulaCellValue::TKind Kind, Extended V) {
        At(Col, Row).Value = {Kind, V, {}};
    }
    void SetFormula(int Col, int Row, const AnsiString& F) { At(Col, Row).Formula = F; }
    // One cell object in every slot of the rectangle, at home in its top-left slot.
    void Merge(int Col1, int Row1, int Col2, int Row2) {
        FakeCell& home = At(Col1, Row1);
        for (int c = Col1; c <= Col2; ++c)
            for (int r = Row1; r <= Row2; ++r)
                FSlots[{c, r}] = &home;
    }

    int GetHeadingOffset() override { return Headings; }
    int GetAbsoluteColCount() override { return FCols; }
    int GetRowCount() override { return FRows; }
    void ReadSlot(int AbsCol, int Row, TFormulaSlot& Slot) override {
        ++ReadSlotCalls;
        FakeCell& c = At(AbsCol, Row);
        Slot.Cell = &c;
        Slot.Formula = c.Formula;
        Slot.IsHome = c.HomeCol == AbsCol && c.HomeRow == Row;
        Slot.Value = c.Value;
    }
    bool GetCellError(TFormulaCellId Cell) override {
        return static_cast<const FakeCell*>(Cell)->Error;
    }
    void SetCellError(TFormulaCellId Cell, bool Error) override {
        const_cast<FakeCell*>(static_cast<const FakeCell*>(Cell))->Error = Error;
    }
    bool GetCellSeed(TFormulaCellId Cell, std::uint32_t& Seed) override {
        auto* c = static_cast<const FakeCell*>(Cell);
        Seed = c->Seed;
        return c->HasSeed;
    }
    std::uint32_t GetRandSeed() override { return RandSeed; }
    void SetRandSeed(std::uint32_t Seed) override { RandSeed = Seed; }
    Extended GetNow() override { return NowValue; }
    Extended GetToday() override { return static_cast<Extended>(static_cast<long long>(NowValue)); }
    Extended GetRandom() override {
        RandSeed = RandSeed * 134775813u + 1u;
        return RandSeed / 4294967296.0L;
    }

private:
    int FCols, FRows;
    std::vector<std::unique_ptr<FakeCell>> FCells;
    std::map<std::pair<int, int>, FakeCell*> FSlots;
};

// Evaluates formulas on a fake grid as the formula of cell (Col, Row).
struct FormulaFixtureBase {
    FakeFormulaGrid Grid{10, 20};
    TFormulaEngine Engine{Grid};

    TFormulaResult Eval(const AnsiString& Formula, int Col = 9, int Row = 19) {
        return Engine.Evaluate(Formula, &Grid.At(Col, Row));
    }
    // Evaluates the stored formula of a cell, as recalculation does.
    TFormulaResult EvalCell(int Col, int Row) {
        FakeCell& c = Grid.At(Col, Row);
        return Engine.Evaluate(c.Formula, &c);
    }
};

}  // namespace carrelon::test
