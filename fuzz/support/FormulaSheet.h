// A small sheet for the formula targets: 16 x 16 slots of numbers, texts that read as numbers or
// not, dates, currency, booleans, unconvertible values, a merged range and formula cells, seen
// unmoved or moved by a few columns and rows. Slots and cells live in flat arrays, so a sheet is
// cheap to make for every input.
#pragma once

#include <cstdint>
#include <vector>

#include "formulas/FormulaEngine.h"

namespace carrelon::fuzz {

class TFormulaSheet : public TFormulaHost {
public:
    static constexpr int Size = 16;
    // Formula cells of the content refer only to rows and columns 5..12, so they stay inside the
    // sheet under any move of at most this many.
    static constexpr int MaxMove = 4;

    // The sheet seen moved by (DCol, DRow): slot (c, r) shows the content of slot (c - DCol,
    // r - DRow), its formula moved along; slots that show nothing of the content are empty.
    explicit TFormulaSheet(int DCol = 0, int DRow = 0);

    // Gives the content slot (Col, Row) a formula (moved along with the sheet); an empty text
    // leaves it a plain value.
    void SetFormula(int Col, int Row, const AnsiString& Formula);
    // The cell of content slot (Col, Row), wherever the sheet is seen.
    TFormulaCellId Cell(int Col, int Row) { return &FCells[Col * Size + Row]; }
    bool Error(int Col, int Row) const { return FErrors[Col * Size + Row]; }
    // Content slots holding formulas, row by row, as recalculation visits them.
    std::vector<std::pair<int, int>> FormulaSlots() const;
    const AnsiString& FormulaAt(int Col, int Row) const;

    // Error flags and generator state, to evaluate again from the same start.
    struct TState {
        std::vector<char> Errors;
        std::uint32_t Seed = 0;
    };
    TState Save() const { return {FErrors, FSeed}; }
    void Restore(const TState& State) {
        FErrors = State.Errors;
        FSeed = State.Seed;
    }

    // 1 puts the first names at slot 1, 1, as spreadsheet headings do.
    int Headings = 0;

    int GetHeadingOffset() override { return Headings; }
    int GetAbsoluteColCount() override { return Size; }
    int GetRowCount() override { return Size; }
    void ReadSlot(int AbsCol, int Row, TFormulaSlot& Slot) override;
    bool GetCellError(TFormulaCellId Id) override { return FErrors[Index(Id)]; }
    void SetCellError(TFormulaCellId Id, bool Error) override { FErrors[Index(Id)] = Error; }
    bool GetCellSeed(TFormulaCellId Id, std::uint32_t& Seed) override;
    std::uint32_t GetRandSeed() override { return FSeed; }
    void SetRandSeed(std::uint32_t Seed) override { FSeed = Seed; }
    Extended GetNow() override { return 45000.75L; }
    Extended GetToday() override { return 45000; }
    Extended GetRandom() override;

private:
    std::size_t Index(TFormulaCellId Id) const {
        return static_cast<std::size_t>(static_cast<const char*>(Id) - FCells.data());
    }

    int FDCol, FDRow;
    std::vector<char>
        FCells;  // one address per content slot and per empty slot, as cell identities
    std::vector<char> FErrors;
    std::vector<std::pair<int, AnsiString>> FFormulas;  // content slot index, formula as seen
    std::uint32_t FSeed = 12345;
};

}  // namespace carrelon::fuzz
