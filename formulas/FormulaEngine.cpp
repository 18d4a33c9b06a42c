#include "formulas/FormulaEngine.h"

#include <optional>

#include "formulas/FormulaErrors.h"
#include "formulas/FormulaMath.h"
#include "formulas/Functions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"

namespace carrelon {

namespace fm = formula_math;

namespace {

// Where NA takes part in a comparison it counts as this number.
constexpr Extended NANumber = 1.1e4932L;

[[noreturn]] void RaiseFormulaError(int Code) {
    throw Exception(FormulaErrorText(Code));
}

// Keeps the program cache from growing without bound when formulas keep changing.
constexpr std::size_t MaxCachedPrograms = 200000;

}  // namespace

// The clock is read once per session, so that every cell of one recalculation sees the same
// time and a pass cannot differ from the previous one by a clock tick.
class TFormulaEngine::TSessionEnvironment : public TFormulaEnvironment {
public:
    explicit TSessionEnvironment(TFormulaHost& Host) : FHost(Host) {}
    Extended GetNow() override {
        if (!FNow) FNow = FHost.GetNow();
        return *FNow;
    }
    Extended GetToday() override {
        if (!FToday) FToday = FHost.GetToday();
        return *FToday;
    }
    Extended GetRandom() override { return FHost.GetRandom(); }
    void Reset() {
        FNow.reset();
        FToday.reset();
    }

private:
    TFormulaHost& FHost;
    std::optional<Extended> FNow, FToday;
};

struct TFormulaEngine::TFrame {
    TFormulaCellId Cell = nullptr;
    TCellState* State = nullptr;
    const TFormulaProgram* Program = nullptr;  // owned by State
    std::size_t Pc = 0;
    std::size_t StackBase = 0;
    TCarrelonExpressionType Type = etDontCare;
    bool Clean = true;  // no cyclic hit in this evaluation or below: its result may be kept
    bool RangeActive = false;
    std::int64_t RangeK = 0, RangeR = 0;
    bool Reseeded = false;
    std::uint32_t SavedSeed = 0;
};

TFormulaEngine::TFormulaEngine(TFormulaHost& Host)
    : FHost(Host), FEnvironment(std::make_unique<TSessionEnvironment>(Host)) {}

TFormulaEngine::~TFormulaEngine() = default;

std::shared_ptr<const TFormulaProgram> TFormulaEngine::Program(const AnsiString& Text) {
    TFormulaSeparators separators{DecimalSeparator, ListSeparator};
    if (!(separators == FCacheSeparators)) {
        // Other separators, other programs: those the cells hold are stale too.
        FPrograms.clear();
        FCacheSeparators = separators;
        ++FProgramEpoch;
    } else if (FPrograms.size() >= MaxCachedPrograms) {
        // The cells keep the programs they hold, which stay right.
        FPrograms.clear();
    }
    auto it = FPrograms.find(Text);
    if (it != FPrograms.end()) return it->second;
    auto program = CompileFormula(Text, separators);
    FPrograms.emplace(Text, program);
    return program;
}

void TFormulaEngine::BeginSession() {
    if ((FSessionDepth == 0 && FKeepDepth == 0) || FHandlerDepth > 0) Invalidate();
    if (FSessionDepth == 0) FEnvironment->Reset();
    ++FSessionDepth;
}

void TFormulaEngine::EndSession() {
    if (--FSessionDepth == 0 && FKeepDepth == 0) Invalidate();
}

void TFormulaEngine::Discard(TFormulaCellId Cell) {
    auto it = FStates.find(Cell);
    if (it != FStates.end()) it->second.HasKept = false;
}

void TFormulaEngine::Invalidate() {
    ++FGeneration;
}

TFormulaEngine::TCellState& TFormulaEngine::StateOf(TFormulaCellId Cell) {
    TCellState& state = FStates[Cell];
    if (state.Generation != FGeneration) {
        state.Generation = FGeneration;
        state.HasKept = false;
        state.Active = false;
        state.Readers.clear();
    }
    return state;
}

void TFormulaEngine::CellErrorChanged(TFormulaCellId Cell) {
    std::vector<TFormulaCellId> pending{Cell};
    while (!pending.empty()) {
        auto it = FStates.find(pending.back());
        pending.pop_back();
        if (it == FStates.end() || it->second.Generation != FGeneration) continue;
        std::vector<TFormulaCellId> readers;
        readers.swap(it->second.Readers);
        for (TFormulaCellId r : readers) {
            auto reader = FStates.find(r);
            if (reader != FStates.end() && reader->second.Generation == FGeneration &&
                reader->second.HasKept) {
                reader->second.HasKept = false;
                pending.push_back(r);
            }
        }
    }
}

void TFormulaEngine::Keep(TCellState& State, const AnsiString& Text, const TFormulaResult& Result) {
    State.HasKept = true;
    State.KeptText = Text;
    State.Kept = Result;
}

TFormulaResult TFormulaEngine::Evaluate(const AnsiString& Text, TFormulaCellId Cell) {
    struct TSessionGuard {
        TFormulaEngine& E;
        explicit TSessionGuard(TFormulaEngine& e) : E(e) { E.BeginSession(); }
        ~TSessionGuard() { E.EndSession(); }
    } guard(*this);

    FHost.SetCellError(Cell, false);
    TFormulaResult result;
    TCellState& state = StateOf(Cell);
    if (state.HasKept && state.KeptText == Text) {
        result = state.Kept;
    } else {
        FOrigin = Cell;
        PushFrame(Cell, state, Text);
        // The origin's own seed is the caller's.
        if (FFrames.back().Reseeded) {
            FHost.SetRandSeed(FFrames.back().SavedSeed);
            FFrames.back().Reseeded = false;
        }
        Run(result);
        FOrigin = nullptr;
    }
    if (!result.Ok) FHost.SetCellError(Cell, true);
    return result;
}

void TFormulaEngine::Run(TFormulaResult& Result) {
    auto unwind = [&](const AnsiString* Text) {
        // The failure ends every evaluation under way; each clean one keeps the error.
        while (!FFrames.empty()) {
            TFrame& f = FFrames.back();
            if (f.Reseeded) FHost.SetRandSeed(f.SavedSeed);
            f.State->Active = false;
            if (Text && f.Clean)
                Keep(*f.State, f.State->KeptText, TFormulaResult{false, {}, etDontCare, *Text});
            bool clean = f.Clean;
            FFrames.pop_back();
            if (!clean && !FFrames.empty()) FFrames.back().Clean = false;
        }
        FStack.clear();
        FListValues.clear();
        FListStarts.clear();
    };
    try {
        while (!FFrames.empty()) {
            TFrame& f = FFrames.back();
            if (f.Pc >= f.Program->Code.size())
                FinishFrame(Result);
            else
                Execute(f, f.Program->Code[f.Pc]);
        }
    } catch (const Exception& e) {
        unwind(&e.Message);
        Result = TFormulaResult{false, {}, etDontCare, e.Message};
    } catch (...) {
        unwind(nullptr);
        throw;
    }
}

void TFormulaEngine::FinishFrame(TFormulaResult& Result) {
    TFrame& top = FFrames.back();
    if (FStack.size() != top.StackBase + 1) RaiseFormulaError(feInvalidExpression);
    TFormulaValue v = FStack.back();
    FStack.pop_back();
    if (v.Kind == TFormulaValue::fvEmpty) v = TFormulaValue{};
    if (top.Reseeded) FHost.SetRandSeed(top.SavedSeed);
    top.State->Active = false;
    TFormulaResult r{true, v, top.Type, {}};
    if (top.Clean) Keep(*top.State, top.State->KeptText, r);
    bool clean = top.Clean;
    FFrames.pop_back();
    if (FFrames.empty()) {
        Result = std::move(r);
        return;
    }
    TFrame& parent = FFrames.back();
    if (!clean) parent.Clean = false;
    if (r.Type != etDontCare) parent.Type = r.Type;
    // The parent waits in a cell reference or in a range.
    if (parent.Program->Code[parent.Pc].Op == TFormulaOp::Cell) {
        FStack.push_back(v);
        ++parent.Pc;
    } else {
        AddListValue(v);
    }
}

void TFormulaEngine::AddListValue(const TFormulaValue& Value) {
    // Empty cells and NA drop out of lists; what remains is taken in double precision.
    if (Value.Kind == TFormulaValue::fvNumber)
        FListValues.push_back(static_cast<double>(Value.Number));
}

void TFormulaEngine::PushFrame(TFormulaCellId Cell, TCellState& State, const AnsiString& Formula) {
    // KeptText names the formula the frame evaluates, so that its result is kept for it.
    State.HasKept = false;
    State.KeptText = Formula;
    // The cache check reads the locale, so a changed separator still recompiles.
    TFormulaSeparators separators{DecimalSeparator, ListSeparator};
    if (!State.Program || State.ProgramEpoch != FProgramEpoch || State.ProgramText != Formula ||
        !(separators == FCacheSeparators)) {
        State.Program = Program(Formula);
        State.ProgramText = Formula;
        State.ProgramEpoch = FProgramEpoch;
    }
    State.Active = true;
    TFrame f;
    f.Cell = Cell;
    f.State = &State;
    f.Program = State.Program.get();
    f.StackBase = FStack.size();
    std::uint32_t seed = 0;
    if (f.Program->UsesRand && FHost.GetCellSeed(Cell, seed)) {
        f.SavedSeed = FHost.GetRandSeed();
        f.Reseeded = true;
        FHost.SetRandSeed(seed);
    }
    FFrames.push_back(f);
}

TFormulaEngine::TLookup TFormulaEngine::Reference(TFrame& Frame, std::int64_t Col, std::int64_t Row,
                                                  TFormulaValue& Value) {
    const std::int64_t h = FHost.GetHeadingOffset();
    const std::int64_t absCol = Col + h - 1, row = Row + h - 1;
    if (absCol < 0 || absCol >= FHost.GetAbsoluteColCount() || row < 0 ||
        row >= FHost.GetRowCount())
        RaiseFormulaError(feInvalidCellReference);
    FHost.ReadSlot(static_cast<int>(absCol), static_cast<int>(row), FSlot);
    if (FSlot.Cell == FOrigin) {
        Frame.Clean = false;
        RaiseFormulaError(feCyclicReference);
    }
    if (!FSlot.Formula.empty()) {
        TCellState& state = StateOf(FSlot.Cell);
        state.Readers.push_back(Frame.Cell);
        if (FHost.GetCellError(FSlot.Cell)) RaiseFormulaError(feReferenceToError);
        if (state.Active) {
            // A loop that does not pass through the originating cell.
            Frame.Clean = false;
            RaiseFormulaError(feCyclicReference);
        }
        if (state.HasKept && state.KeptText == FSlot.Formula) {
            const TFormulaResult& r = state.Kept;
            if (!r.Ok) throw Exception(r.ErrorText);
            if (r.Type != etDontCare) Frame.Type = r.Type;
            Value = r.Value;
            return TLookup::Value;
        }
        PushFrame(FSlot.Cell, state, FSlot.Formula);
        return TLookup::Nested;
    }
    if (!FSlot.IsHome) {
        Value = {TFormulaValue::fvNA, 0};
        return TLookup::Value;
    }
    ReadPlainValue(Frame, FSlot, Value);
    return TLookup::Value;
}

void TFormulaEngine::ReadPlainValue(TFrame& Frame, const TFormulaSlot& Slot, TFormulaValue& Value) {
    const TFormulaCellValue& v = Slot.Value;
    switch (v.Kind) {
        case TFormulaCellValue::cvEmpty:
            Value = {TFormulaValue::fvEmpty, 0};
            return;
        case TFormulaCellValue::cvBoolean:
        case TFormulaCellValue::cvNumber:
            Value = {TFormulaValue::fvNumber, v.Number};
            return;
        case TFormulaCellValue::cvDate:
            Frame.Type = etDate;
            Value = {TFormulaValue::fvNumber, v.Number};
            return;
        case TFormulaCellValue::cvCurrency:
            Frame.Type = etCurrency;
            Value = {TFormulaValue::fvNumber, v.Number};
            return;
        case TFormulaCellValue::cvText: {
            Extended number = 0;
            TCarrelonExpressionType type = etDontCare;
            if (FormulaTextToNumber(v.Text, number, type)) {
                if (type != etDontCare) Frame.Type = type;
                Value = {TFormulaValue::fvNumber, number};
            } else {
                Value = {TFormulaValue::fvNA, 0};
            }
            return;
        }
        case TFormulaCellValue::cvUnconvertible:
            Value = {TFormulaValue::fvNA, 0};
            return;
    }
}

bool TFormulaEngine::StepRange(TFrame& Frame, const TFormulaInstruction& In) {
    if (In.Col2 < In.Col || In.Row2 < In.Row) return true;  // reversed: the first corner only
    if (!Frame.RangeActive) {
        Frame.RangeActive = true;
        Frame.RangeK = In.Col;
        Frame.RangeR = In.Row;
    }
    for (;;) {
        // The state is the cell visited last; the first corner was the argument itself.
        if (++Frame.RangeR > In.Row2) {
            Frame.RangeR = In.Row;
            ++Frame.RangeK;
        }
        if (Frame.RangeK > In.Col2) {
            Frame.RangeActive = false;
            return true;
        }
        TFormulaValue v;
        if (Reference(Frame, Frame.RangeK, Frame.RangeR, v) == TLookup::Nested) return false;
        AddListValue(v);
    }
}

namespace {

// The steps below run for every instruction of every formula; they are forced inline so that
// naming them costs the evaluation loop nothing.
constexpr TFormulaValue NoValue{TFormulaValue::fvNA, 0};

[[gnu::always_inline]] inline TFormulaValue NumberValue(Extended X) {
    return {TFormulaValue::fvNumber, X};
}

[[gnu::always_inline]] inline TFormulaValue Negated(const TFormulaValue& V) {
    return V.Kind == TFormulaValue::fvNA ? NoValue : NumberValue(-V.Number);
}

// A binary operator on two operands. An operand without a value makes arithmetic and "or" give
// no value (without computing); "and" and the comparisons use NANumber in its place.
[[gnu::always_inline]] inline TFormulaValue ApplyBinary(TToken Operator, const TFormulaValue& L,
                                                        const TFormulaValue& R) {
    const bool na = L.Kind == TFormulaValue::fvNA || R.Kind == TFormulaValue::fvNA;
    const Extended a = L.Kind == TFormulaValue::fvNA ? NANumber : L.Number;
    const Extended b = R.Kind == TFormulaValue::fvNA ? NANumber : R.Number;
    switch (Operator) {
        case tokenPlus:
            return na ? NoValue : NumberValue(fm::Add(a, b));
        case tokenMinus:
            return na ? NoValue : NumberValue(fm::Subtract(a, b));
        case tokenTimes:
            return na ? NoValue : NumberValue(fm::Multiply(a, b));
        case tokenDiv:
            return na ? NoValue : NumberValue(fm::Divide(a, b));
        case tokenPower:
            return na ? NoValue : NumberValue(fm::Power(a, b));
        case tokenOr:
            return na ? NoValue : NumberValue(a != 0 || b != 0 ? 1 : 0);
        case tokenAnd:
            return NumberValue(a != 0 && b != 0 ? 1 : 0);
        case tokenEquality:
            return NumberValue(a == b ? 1 : 0);
        case tokenLessThan:
            return NumberValue(a < b ? 1 : 0);
        case tokenGreaterThan:
            return NumberValue(a > b ? 1 : 0);
        case tokenGreaterThanOrEqualTo:
            return NumberValue(a >= b ? 1 : 0);
        case tokenLessThanOrEqualTo:
            return NumberValue(a <= b ? 1 : 0);
        case tokenInequality:
            return NumberValue(a != b ? 1 : 0);
        default:
            RaiseFormulaError(feInvalidExpression);
    }
}

}  // namespace

[[gnu::always_inline]] inline TFormulaValue TFormulaEngine::PopOperand() {
    TFormulaValue v = FStack.back();
    FStack.pop_back();
    if (v.Kind == TFormulaValue::fvEmpty) v = TFormulaValue{};  // an empty cell counts as 0
    return v;
}

void TFormulaEngine::CallFunction(TFrame& Frame, int Index) {
    const TFunction& fn = FormulaFunctions()[Index];
    if (fn.ResultType != etDontCare) Frame.Type = fn.ResultType;
    if (fn.Kind == 0) {
        FStack.push_back(NumberValue(fn.Routine0(*FEnvironment)));
        return;
    }
    TFormulaValue args[3];
    bool na = false;
    for (int i = fn.Kind - 1; i >= 0; --i) {
        args[i] = PopOperand();
        na = na || args[i].Kind == TFormulaValue::fvNA;
    }
    if (na)
        FStack.push_back(NoValue);
    else if (fn.Kind == 1)
        FStack.push_back(NumberValue(fn.Routine1(args[0].Number)));
    else if (fn.Kind == 2)
        FStack.push_back(NumberValue(fn.Routine2(args[0].Number, args[1].Number)));
    else
        FStack.push_back(NumberValue(fn.Routine3(args[0].Number, args[1].Number, args[2].Number)));
}

void TFormulaEngine::CallListFunction(TFrame& Frame, int Index) {
    const TFunction& fn = FormulaFunctions()[Index];
    if (fn.ResultType != etDontCare) Frame.Type = fn.ResultType;
    const std::size_t start = FListStarts.back();
    const std::size_t count = FListValues.size() - start;
    Extended result = 0;
    const bool na = count == 0 && fn.EmptyListIsNA;
    if (count != 0) result = fn.ListRoutine(FListValues.data() + start, count);
    FListValues.resize(start);
    FListStarts.pop_back();
    FStack.push_back(na ? NoValue : NumberValue(result));
}

void TFormulaEngine::Execute(TFrame& Frame, const TFormulaInstruction& In) {
    switch (In.Op) {
        case TFormulaOp::Number:
            FStack.push_back(NumberValue(In.Number));
            break;
        case TFormulaOp::Cell: {
            TFormulaValue v;
            if (Reference(Frame, In.Col, In.Row, v) == TLookup::Nested) return;
            FStack.push_back(v);
            break;
        }
        case TFormulaOp::Negate:
            FStack.push_back(Negated(PopOperand()));
            break;
        case TFormulaOp::Binary: {
            const TFormulaValue r = PopOperand();
            const TFormulaValue l = PopOperand();
            FStack.push_back(ApplyBinary(In.Operator, l, r));
            break;
        }
        case TFormulaOp::Call:
            CallFunction(Frame, In.Function);
            break;
        case TFormulaOp::ListOpen:
            FListStarts.push_back(FListValues.size());
            break;
        case TFormulaOp::ListValue: {
            const TFormulaValue v = FStack.back();
            FStack.pop_back();
            AddListValue(v);
            break;
        }
        case TFormulaOp::ListRange:
            if (!StepRange(Frame, In)) return;
            break;
        case TFormulaOp::ListCall:
            CallListFunction(Frame, In.Function);
            break;
        case TFormulaOp::Raise:
            RaiseFormulaError(In.Error);
    }
    ++Frame.Pc;
}

}  // namespace carrelon
