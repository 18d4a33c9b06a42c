// Recursive-descent parser of formulas that emits the instructions of TFormulaProgram in the
// order in which computing while parsing would perform them.
#include <limits>

#include "formulas/A1Names.h"
#include "formulas/FormulaErrors.h"
#include "formulas/FormulaProgram.h"
#include "formulas/Functions.h"

namespace carrelon {

namespace {

struct TParseStop {
    int Code;
};

class TFormulaCompiler {
public:
    TFormulaCompiler(const AnsiString& Text, TFormulaSeparators Separators)
        : FText(Text), FTokens(Text, Separators), FSeparators(Separators) {}

    std::shared_ptr<const TFormulaProgram> Compile() {
        FProgram = std::make_shared<TFormulaProgram>();
        try {
            if (FText.empty()) Fail(feEmptyExpression);
            Next();
            ParseExpression();
            if (FTokens.Token() != tokenEol) Fail(feInvalidExpression);
        } catch (const TParseStop& stop) {
            TFormulaInstruction raise;
            raise.Op = TFormulaOp::Raise;
            raise.Error = static_cast<std::uint8_t>(stop.Code);
            FProgram->Code.push_back(raise);
        }
        return FProgram;
    }

private:
    [[noreturn]] static void Fail(int Code) { throw TParseStop{Code}; }

    TToken Token() const { return FTokens.Token(); }
    void Next() {
        if (int error = FTokens.NextToken()) Fail(error);
    }
    void Emit(TFormulaOp Op) {
        TFormulaInstruction i;
        i.Op = Op;
        FProgram->Code.push_back(i);
    }

    void ParseExpression() {
        ParseTerm();
        while (Token() == tokenPlus || Token() == tokenMinus || Token() == tokenOr) {
            TToken op = Token();
            Next();
            ParseTerm();
            EmitBinary(op);
        }
    }

    static bool IsTermOperator(TToken t) {
        switch (t) {
            case tokenTimes:
            case tokenDiv:
            case tokenAnd:
            case tokenEquality:
            case tokenLessThan:
            case tokenGreaterThan:
            case tokenGreaterThanOrEqualTo:
            case tokenLessThanOrEqualTo:
            case tokenInequality:
                return true;
            default:
                return false;
        }
    }

    void ParseTerm() {
        ParsePower();
        while (IsTermOperator(Token())) {
            TToken op = Token();
            Next();
            ParsePower();
            EmitBinary(op);
        }
    }

    void ParsePower() {
        // Every way of nesting (parentheses, signs, powers, arguments) passes here.
        if (++FDepth > MaxFormulaNesting) Fail(feTooComplex);
        ParsePrimary();
        if (Token() == tokenPower) {
            Next();
            ParsePower();
            EmitBinary(tokenPower);
        }
        --FDepth;
    }

    void ParsePrimary() {
        switch (Token()) {
            case tokenNum: {
                TFormulaInstruction i;
                i.Op = TFormulaOp::Number;
                if (!FormulaTextToFloat(FTokens.TokenText(), FSeparators.Decimal, i.Number))
                    Fail(feFloatingPoint);
                FProgram->Code.push_back(i);
                Next();
                break;
            }
            case tokenIdent:
                ParseName();
                break;
            case tokenLeftPar:
                Next();
                ParseExpression();
                if (Token() != tokenRightPar) Fail(feInvalidExpression);
                Next();
                break;
            case tokenPlus:
            case tokenMinus: {
                bool negate = Token() == tokenMinus;
                Next();
                ParsePower();
                if (negate) Emit(TFormulaOp::Negate);
                break;
            }
            default:
                Fail(feOperandExpected);
        }
    }

    void EmitBinary(TToken Op) {
        TFormulaInstruction i;
        i.Op = TFormulaOp::Binary;
        i.Operator = Op;
        FProgram->Code.push_back(i);
    }

    // A cell name's A1 numbers; a row beyond int range names no cell.
    static void CellNumbers(const AnsiString& Name, std::int64_t& Col, std::int64_t& Row) {
        TCellNameParts parts;
        SplitCellName(Name, parts);
        if (parts.Row > std::numeric_limits<int>::max()) Fail(feInvalidCellReference);
        Col = parts.Col;
        Row = parts.Row;
    }

    void ParseName() {
        AnsiString name = FTokens.TokenText();
        Next();
        int index = FindFormulaFunction(name);
        if (index < 0) {
            if (!IsCellName(name)) Fail(feUnknownFunction);
            TFormulaInstruction i;
            i.Op = TFormulaOp::Cell;
            CellNumbers(name, i.Col, i.Row);
            FProgram->Code.push_back(i);
            return;
        }
        const TFunction& f = FormulaFunctions()[index];
        if (f.Kind < 0)
            ParseList();
        else
            ParseArguments(f.Kind);
        TFormulaInstruction call;
        call.Op = f.Kind < 0 ? TFormulaOp::ListCall : TFormulaOp::Call;
        call.Function = index;
        FProgram->Code.push_back(call);
        if (index == RandFunctionIndex()) FProgram->UsesRand = true;
        static const int Now = FindFormulaFunction("now"), Today = FindFormulaFunction("today");
        if (index == RandFunctionIndex() || index == Now || index == Today)
            FProgram->Volatile = true;
    }

    void ParseArguments(int Count) {
        if (Token() != tokenLeftPar) Fail(feLeftParenthesis);
        if (Count == 0) {
            Next();
            if (Token() != tokenRightPar) Fail(feRightParenthesis);
            Next();
            return;
        }
        for (int i = 0; i < Count; ++i) {
            Next();
            ParseExpression();
            if (i < Count - 1 && Token() != tokenListSeparator) Fail(feListSeparator);
        }
        if (Token() != tokenRightPar) Fail(feRightParenthesis);
        Next();
    }

    void ParseList() {
        if (Token() != tokenLeftPar) Fail(feLeftParenthesis);
        Emit(TFormulaOp::ListOpen);
        do {
            Next();
            AnsiString first = FTokens.TokenText();
            ParseExpression();
            Emit(TFormulaOp::ListValue);
            TToken t = Token();
            if (t != tokenRightPar && t != tokenListSeparator && t != tokenColon)
                Fail(feListSeparator);
            if (t == tokenColon) {
                Next();
                AnsiString last = FTokens.TokenText();
                if (!IsCellName(first) || !IsCellName(last)) Fail(feInvalidRange);
                TFormulaInstruction range;
                range.Op = TFormulaOp::ListRange;
                CellNumbers(first, range.Col, range.Row);
                CellNumbers(last, range.Col2, range.Row2);
                FProgram->Code.push_back(range);
                Next();
                if (Token() != tokenRightPar && Token() != tokenListSeparator)
                    Fail(feListSeparator);
            }
        } while (Token() != tokenRightPar);
        Next();
    }

    const AnsiString& FText;
    TFormulaTokenizer FTokens;
    TFormulaSeparators FSeparators;
    std::shared_ptr<TFormulaProgram> FProgram;
    int FDepth = 0;
};

}  // namespace

std::shared_ptr<const TFormulaProgram> CompileFormula(const AnsiString& Text,
                                                      TFormulaSeparators Separators) {
    return TFormulaCompiler(Text, Separators).Compile();
}

}  // namespace carrelon
