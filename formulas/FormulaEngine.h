// Evaluation of compiled formulas against a TFormulaHost. A referenced formula cell is evaluated
// anew (its stored value is never read), but within one session each result is kept and reused
// until an error flag it read changes, so a chain of formulas costs linear time. Nested
// evaluations run on an explicit frame stack: a long chain cannot exhaust the call stack, and a
// cell met again while its own evaluation is under way is a cyclic reference.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "formulas/FormulaHost.h"
#include "formulas/FormulaProgram.h"
#include "platform/rtl/Types.h"

namespace carrelon {

// A value on the evaluation stack: a number, or one of the two markers.
struct TFormulaValue {
    enum TKind : std::uint8_t { fvNumber, fvNA, fvEmpty };
    TKind Kind = fvNumber;
    Extended Number = 0;
};

struct TFormulaResult {
    bool Ok = false;
    TFormulaValue Value;  // Empty never leaves an evaluation: it is returned as 0
    TCarrelonExpressionType Type = etDontCare;
    AnsiString ErrorText;
};

class TFormulaEngine {
public:
    explicit TFormulaEngine(TFormulaHost& Host);
    ~TFormulaEngine();
    TFormulaEngine(const TFormulaEngine&) = delete;
    TFormulaEngine& operator=(const TFormulaEngine&) = delete;

    // Evaluates Text as the formula of Cell: clears Cell's error flag first and sets it on
    // failure.
    TFormulaResult Evaluate(const AnsiString& Text, TFormulaCellId Cell);

    // Kept results live for one session; sessions nest. A session opened from an event
    // handler drops them, as the handler may have changed any cell.
    void BeginSession();
    void EndSession();
    // While keeping, results outlive sessions: the caller knows which cells an edit makes
    // stale and discards their results itself.
    void BeginKeeping() { ++FKeepDepth; }
    void EndKeeping() { --FKeepDepth; }
    void Discard(TFormulaCellId Cell);
    void BeginHandler() { ++FHandlerDepth; }
    void EndHandler() { --FHandlerDepth; }
    // Drops kept results that read Cell's error flag, after it changed.
    void CellErrorChanged(TFormulaCellId Cell);
    // Drops every kept result (cell contents changed outside evaluation).
    void Invalidate();
    // Makes room for the records of this many formula cells, sparing rehashing in a pass.
    void Reserve(std::size_t Cells) {
        // Reserving less than is held would rehash every record.
        if (Cells > FStates.size()) FStates.reserve(Cells);
    }
    // Forgets a cell that is being freed.
    void Forget(TFormulaCellId Cell) { FStates.erase(Cell); }

    std::shared_ptr<const TFormulaProgram> Program(const AnsiString& Text);

private:
    struct TFrame;
    // What the engine knows of one formula cell during a session: its kept result (with the
    // formula text it belongs to), whether its evaluation is under way, and which cells read
    // it. One record per cell keeps each reference to a single lookup.
    struct TCellState {
        std::uint64_t Generation = 0;  // the record is stale unless it matches the engine's
        bool HasKept = false;
        bool Active = false;
        AnsiString KeptText;
        TFormulaResult Kept;
        // The compiled formula, reused across sessions while the text and the program cache
        // stay the same.
        std::shared_ptr<const TFormulaProgram> Program;
        AnsiString ProgramText;
        std::uint64_t ProgramEpoch = 0;
        std::vector<TFormulaCellId> Readers;
    };
    class TSessionEnvironment;

    enum class TLookup { Value, Nested };
    TLookup Reference(TFrame& Frame, std::int64_t Col, std::int64_t Row, TFormulaValue& Value);
    void ReadPlainValue(TFrame& Frame, const TFormulaSlot& Slot, TFormulaValue& Value);
    void PushFrame(TFormulaCellId Cell, TCellState& State, const AnsiString& Formula);
    bool StepRange(TFrame& Frame, const TFormulaInstruction& In);
    void Run(TFormulaResult& Result);
    // Runs one instruction of Frame's program; it stays on an instruction whose cell reference
    // started a nested evaluation.
    void Execute(TFrame& Frame, const TFormulaInstruction& In);
    TFormulaValue PopOperand();
    void CallFunction(TFrame& Frame, int Index);
    void CallListFunction(TFrame& Frame, int Index);
    void FinishFrame(TFormulaResult& Result);
    void AddListValue(const TFormulaValue& Value);
    static void Keep(TCellState& State, const AnsiString& Text, const TFormulaResult& Result);
    TCellState& StateOf(TFormulaCellId Cell);

    TFormulaHost& FHost;
    std::unique_ptr<TSessionEnvironment> FEnvironment;
    TFormulaSeparators FCacheSeparators;
    std::unordered_map<AnsiString, std::shared_ptr<const TFormulaProgram>> FPrograms;
    std::uint64_t FProgramEpoch = 1;  // advances when the separators change

    int FSessionDepth = 0;
    int FHandlerDepth = 0;
    int FKeepDepth = 0;
    // Records outlive sessions so that their memory is reused; a new generation makes them all
    // stale at once.
    std::unordered_map<TFormulaCellId, TCellState> FStates;
    std::uint64_t FGeneration = 1;

    // Evaluation state of the running Evaluate.
    TFormulaCellId FOrigin = nullptr;
    std::vector<TFrame> FFrames;
    std::vector<TFormulaValue> FStack;
    std::vector<double> FListValues;
    std::vector<std::size_t> FListStarts;
    TFormulaSlot FSlot;
};

// Converts the display text of a text cell to a number the way formulas read text: a number in
// the locale's format, with thousands separators or the currency symbol; a time, date or date and
// time (setting Type); or the number left after dropping every character that is no part of one
// ("12abc" is 12). False when nothing numeric remains.
bool FormulaTextToNumber(const AnsiString& S, Extended& Value, TCarrelonExpressionType& Type);

}  // namespace carrelon
