// Formulas between the grid and a workbook, compared and written as expression trees: the grid's
// side comes from its compiled program, the workbook's from a small parser of its syntax.
#include "exchange/WorkbookFormulas.h"

#include <charconv>
#include <vector>

#include "formulas/A1Names.h"
#include "formulas/FormulaProgram.h"
#include "formulas/Functions.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

namespace {

// Deeper trees are not carried over (the workbook limits nesting far below this).
constexpr int MaxDepth = 256;

struct TNode {
    enum TKind : std::uint8_t { Number, Cell, Range, Negate, Binary, Call };
    TKind Kind = Number;
    TToken Op = tokenStart;
    int Function = -1;  // index into FormulaFunctions()
    long double Value = 0;
    std::int64_t Col = 0, Row = 0, Col2 = 0, Row2 = 0;  // A1 numbers
    std::vector<TNode> Args;
};

// ---- the grid's side -------------------------------------------------------------------------

bool ProgramToTree(const TFormulaProgram& P, TNode& Out) {
    if (P.Code.size() > MaxWorkbookFormulaLength) return false;
    std::vector<TNode> stack;
    std::vector<std::vector<TNode>> lists;
    const auto pop = [&](TNode& N) {
        if (stack.empty()) return false;
        N = std::move(stack.back());
        stack.pop_back();
        return true;
    };
    for (const TFormulaInstruction& i : P.Code) {
        TNode n;
        switch (i.Op) {
            case TFormulaOp::Number:
                n.Value = i.Number;
                break;
            case TFormulaOp::Cell:
                n.Kind = TNode::Cell;
                n.Col = i.Col;
                n.Row = i.Row;
                break;
            case TFormulaOp::Negate:
                n.Kind = TNode::Negate;
                n.Args.resize(1);
                if (!pop(n.Args[0])) return false;
                break;
            case TFormulaOp::Binary:
                n.Kind = TNode::Binary;
                n.Op = i.Operator;
                n.Args.resize(2);
                if (!pop(n.Args[1]) || !pop(n.Args[0])) return false;
                break;
            case TFormulaOp::Call: {
                n.Kind = TNode::Call;
                n.Function = i.Function;
                const int k = FormulaFunctions()[static_cast<std::size_t>(i.Function)].Kind;
                n.Args.resize(static_cast<std::size_t>(k));
                for (int a = k; a-- > 0;)
                    if (!pop(n.Args[static_cast<std::size_t>(a)])) return false;
                break;
            }
            case TFormulaOp::ListOpen:
                lists.emplace_back();
                continue;
            case TFormulaOp::ListValue: {
                if (lists.empty() || !pop(n)) return false;
                lists.back().push_back(std::move(n));
                continue;
            }
            case TFormulaOp::ListRange: {
                // A range adds its cells to the value of its first corner: it carries over only
                // when that value is the first corner itself.
                if (lists.empty() || lists.back().empty()) return false;
                TNode& first = lists.back().back();
                if (first.Kind != TNode::Cell || first.Col != i.Col || first.Row != i.Row)
                    return false;
                first.Kind = TNode::Range;
                first.Col2 = i.Col2;
                first.Row2 = i.Row2;
                continue;
            }
            case TFormulaOp::ListCall:
                if (lists.empty()) return false;
                n.Kind = TNode::Call;
                n.Function = i.Function;
                n.Args = std::move(lists.back());
                lists.pop_back();
                break;
            case TFormulaOp::Raise:
                return false;
        }
        stack.push_back(std::move(n));
    }
    if (stack.size() != 1 || !lists.empty()) return false;
    Out = std::move(stack[0]);
    return true;
}

// ---- writing the workbook's syntax
// ---------------------------------------------------------------

const char* OperatorText(TToken Op) {
    switch (Op) {
        case tokenPlus:
            return "+";
        case tokenMinus:
            return "-";
        case tokenTimes:
            return "*";
        case tokenDiv:
            return "/";
        case tokenPower:
            return "^";
        case tokenEquality:
            return "=";
        case tokenLessThan:
            return "<";
        case tokenGreaterThan:
            return ">";
        case tokenGreaterThanOrEqualTo:
            return ">=";
        case tokenLessThanOrEqualTo:
            return "<=";
        case tokenInequality:
            return "<>";
        default:
            return nullptr;
    }
}

// The workbook's name of a grid function.
AnsiString WorkbookFunctionName(int Function) {
    const AnsiString& name = FormulaFunctions()[static_cast<std::size_t>(Function)].Name;
    return name == "cotan" ? AnsiString("COT") : AnsiUpperCase(name);
}

class TWorkbookWriter {
public:
    explicit TWorkbookWriter(const TWorkbookColumnMap& Map) : FMap(Map) {}

    bool Write(const TNode& N, AnsiString& Out, int Depth) {
        if (Depth > MaxDepth || Out.size() > MaxWorkbookFormulaLength) return false;
        switch (N.Kind) {
            case TNode::Number: {
                char buf[64];
                const auto r = std::to_chars(buf, buf + sizeof buf, N.Value);
                if (r.ec != std::errc()) return false;
                for (char* c = buf; c != r.ptr; ++c)
                    Out += *c == 'e' ? 'E' : *c;
                return true;
            }
            case TNode::Cell: {
                std::int64_t col = 0;
                if (!Column(N.Col, col)) return false;
                Out += ColNumberToName(col) + std::to_string(N.Row);
                return true;
            }
            case TNode::Range: {
                std::int64_t c1 = 0, c2 = 0;
                // A reversed range means its first corner in the grid, the whole rectangle in
                // the workbook; a hidden column inside it would drop out of the sum.
                if (N.Col2 < N.Col || N.Row2 < N.Row || !Column(N.Col, c1) || !Column(N.Col2, c2) ||
                    c2 - c1 != N.Col2 - N.Col)
                    return false;
                Out += ColNumberToName(c1) + std::to_string(N.Row) + ":" + ColNumberToName(c2) +
                       std::to_string(N.Row2);
                return true;
            }
            case TNode::Negate:
                Out += '-';
                return Operand(N.Args[0], Out, Depth);
            case TNode::Binary:
                if (N.Op == tokenAnd || N.Op == tokenOr) {
                    Out += N.Op == tokenAnd ? "AND(" : "OR(";
                    if (!Write(N.Args[0], Out, Depth + 1)) return false;
                    Out += ',';
                    if (!Write(N.Args[1], Out, Depth + 1)) return false;
                    Out += ')';
                    return true;
                }
                if (OperatorText(N.Op) == nullptr || !Operand(N.Args[0], Out, Depth)) return false;
                Out += OperatorText(N.Op);
                return Operand(N.Args[1], Out, Depth);
            case TNode::Call:
                Out += WorkbookFunctionName(N.Function) + "(";
                for (std::size_t a = 0; a < N.Args.size(); ++a) {
                    if (a > 0) Out += ',';
                    if (!Write(N.Args[a], Out, Depth + 1)) return false;
                }
                Out += ')';
                return true;
        }
        return false;
    }

private:
    // A compound operand goes in parentheses, so that no precedence rule of either side decides.
    bool Operand(const TNode& N, AnsiString& Out, int Depth) {
        const bool compound = N.Kind == TNode::Negate ||
                              (N.Kind == TNode::Binary && N.Op != tokenAnd && N.Op != tokenOr) ||
                              (N.Kind == TNode::Number && N.Value < 0);
        if (compound) Out += '(';
        if (!Write(N, Out, Depth + 1)) return false;
        if (compound) Out += ')';
        return true;
    }
    bool Column(std::int64_t GridColumn, std::int64_t& SheetColumn) const {
        if (!FMap) {
            SheetColumn = GridColumn;
            return true;
        }
        return FMap(GridColumn, SheetColumn) && SheetColumn >= 1;
    }

    const TWorkbookColumnMap& FMap;
};

// ---- reading the workbook's syntax
// ---------------------------------------------------------------

// A parser of the part of the workbook's formula language the grid shares. Anything else (texts,
// Booleans, names, other sheets, "&", "%", arrays, unknown functions) fails.
class TWorkbookParser {
public:
    explicit TWorkbookParser(const AnsiString& Text) : S(Text) {}

    bool Parse(TNode& Out) {
        if (!Comparison(Out)) return false;
        Skip();
        return P == S.size();
    }

private:
    void Skip() {
        while (P < S.size() && (S[P] == ' ' || S[P] == '\r' || S[P] == '\n'))
            ++P;
    }
    char Peek() {
        Skip();
        return P < S.size() ? S[P] : '\0';
    }
    static TNode Binary(TToken Op, TNode A, TNode B) {
        TNode n;
        n.Kind = TNode::Binary;
        n.Op = Op;
        n.Args.push_back(std::move(A));
        n.Args.push_back(std::move(B));
        return n;
    }
    TToken ComparisonOperator() {
        const char c = Peek();
        const char d = P + 1 < S.size() ? S[P + 1] : '\0';
        switch (c) {
            case '=':
                P += 1;
                return tokenEquality;
            case '<':
                P += d == '=' || d == '>' ? 2 : 1;
                return d == '='   ? tokenLessThanOrEqualTo
                       : d == '>' ? tokenInequality
                                  : tokenLessThan;
            case '>':
                P += d == '=' ? 2 : 1;
                return d == '=' ? tokenGreaterThanOrEqualTo : tokenGreaterThan;
            default:
                return tokenStart;
        }
    }
    bool Comparison(TNode& Out) {
        if (!Additive(Out)) return false;
        for (TToken op; (op = ComparisonOperator()) != tokenStart;) {
            TNode r;
            if (!Additive(r)) return false;
            Out = Binary(op, std::move(Out), std::move(r));
        }
        return Peek() != '&';  // joining texts has no counterpart
    }
    bool Additive(TNode& Out) {
        if (!Multiplicative(Out)) return false;
        for (char c; (c = Peek()) == '+' || c == '-';) {
            ++P;
            TNode r;
            if (!Multiplicative(r)) return false;
            Out = Binary(c == '+' ? tokenPlus : tokenMinus, std::move(Out), std::move(r));
        }
        return true;
    }
    bool Multiplicative(TNode& Out) {
        if (!Power(Out)) return false;
        for (char c; (c = Peek()) == '*' || c == '/';) {
            ++P;
            TNode r;
            if (!Power(r)) return false;
            Out = Binary(c == '*' ? tokenTimes : tokenDiv, std::move(Out), std::move(r));
        }
        return true;
    }
    bool Power(TNode& Out) {
        if (!Unary(Out)) return false;
        while (Peek() == '^') {
            ++P;
            TNode r;
            if (!Unary(r)) return false;
            Out = Binary(tokenPower, std::move(Out), std::move(r));
        }
        return true;
    }
    bool Unary(TNode& Out) {
        if (++FDepth > MaxDepth) return false;
        const char c = Peek();
        bool ok;
        if (c == '-' || c == '+') {
            ++P;
            TNode operand;
            ok = Unary(operand);
            if (ok && c == '-') {
                Out = TNode();
                Out.Kind = TNode::Negate;
                Out.Args.push_back(std::move(operand));
            } else if (ok) {
                Out = std::move(operand);
            }
        } else {
            ok = Primary(Out) && Peek() != '%';
        }
        --FDepth;
        return ok;
    }
    bool Primary(TNode& Out) {
        const char c = Peek();
        if (c == '(') {
            ++P;
            if (!Comparison(Out) || Peek() != ')') return false;
            ++P;
            return true;
        }
        if ((c >= '0' && c <= '9') || c == '.') return Number(Out);
        if (c == '$' || IsFormulaLetter(c)) return Name(Out);
        return false;
    }
    bool Number(TNode& Out) {
        const std::size_t start = P;
        while (P < S.size() && ((S[P] >= '0' && S[P] <= '9') || S[P] == '.'))
            ++P;
        if (P < S.size() && (S[P] == 'e' || S[P] == 'E')) {
            ++P;
            if (P < S.size() && (S[P] == '+' || S[P] == '-')) ++P;
            while (P < S.size() && S[P] >= '0' && S[P] <= '9')
                ++P;
        }
        Out = TNode();
        return FormulaTextToFloat(S.substr(start, P - start), '.', Out.Value);
    }
    AnsiString Identifier() {
        const std::size_t start = P;
        while (P < S.size() && (S[P] == '$' || S[P] == '_' || S[P] == '.' ||
                                IsFormulaLetter(S[P]) || IsFormulaDigit(S[P])))
            ++P;
        return S.substr(start, P - start);
    }
    static bool Reference(const AnsiString& Name, std::int64_t& Col, std::int64_t& Row) {
        TCellNameParts parts;
        if (!SplitCellName(Name, parts)) return false;
        Col = parts.Col;
        Row = parts.Row;
        return true;
    }
    bool Name(TNode& Out) {
        const AnsiString name = Identifier();
        Out = TNode();
        if (P < S.size() && S[P] == '(') return Call(name, Out);
        if (!Reference(name, Out.Col, Out.Row)) return false;
        Out.Kind = TNode::Cell;
        if (Peek() != ':') return true;
        ++P;
        Skip();
        Out.Kind = TNode::Range;
        return Reference(Identifier(), Out.Col2, Out.Row2);
    }
    bool Call(const AnsiString& Name, TNode& Out) {
        AnsiString lower = AnsiLowerCase(Name);
        if (lower == "cot") lower = "cotan";
        if (lower == "cotan" && Name.size() == 5) return false;  // the workbook has no COTAN
        Out.Kind = TNode::Call;
        Out.Function = FindFormulaFunction(lower);
        if (Out.Function < 0) return false;
        ++P;  // "("
        if (Peek() == ')') {
            ++P;
            return true;
        }
        for (;;) {
            TNode arg;
            if (!Comparison(arg)) return false;
            Out.Args.push_back(std::move(arg));
            const char c = Peek();
            ++P;
            if (c == ')') return true;
            if (c != ',') return false;
        }
    }

    const AnsiString& S;
    std::size_t P = 0;
    int FDepth = 0;
};

bool Same(const TNode& A, const TNode& B, int Depth) {
    if (Depth > MaxDepth || A.Kind != B.Kind || A.Args.size() != B.Args.size()) return false;
    switch (A.Kind) {
        case TNode::Number:
            if (A.Value != B.Value) return false;
            break;
        case TNode::Range:
            if (A.Col2 != B.Col2 || A.Row2 != B.Row2) return false;
            [[fallthrough]];
        case TNode::Cell:
            if (A.Col != B.Col || A.Row != B.Row) return false;
            break;
        case TNode::Binary:
            if (A.Op != B.Op) return false;
            break;
        case TNode::Call:
            if (A.Function != B.Function) return false;
            break;
        case TNode::Negate:
            break;
    }
    for (std::size_t i = 0; i < A.Args.size(); ++i)
        if (!Same(A.Args[i], B.Args[i], Depth + 1)) return false;
    return true;
}

}  // namespace

TFormulaExport GridFormulaToWorkbook(const AnsiString& Formula, TFormulaSeparators Separators,
                                     const TWorkbookColumnMap& MapColumn, AnsiString& Text) {
    Text.clear();
    const auto program = CompileFormula(Formula, Separators);
    if (!program->Code.empty() && program->Code.back().Op == TFormulaOp::Raise)
        return TFormulaExport::Unparsable;
    TNode tree;
    if (!ProgramToTree(*program, tree)) return TFormulaExport::Untranslatable;
    if (!TWorkbookWriter(MapColumn).Write(tree, Text, 0) ||
        Text.size() > MaxWorkbookFormulaLength) {
        Text.clear();
        return TFormulaExport::Untranslatable;
    }
    return TFormulaExport::Exported;
}

bool WorkbookFormulaReadsSame(const AnsiString& WorkbookText, const AnsiString& GridText,
                              TFormulaSeparators Separators) {
    if (WorkbookText.size() > MaxWorkbookFormulaLength) return false;
    TNode workbook, grid;
    if (!TWorkbookParser(WorkbookText).Parse(workbook)) return false;
    const auto program = CompileFormula(GridText, Separators);
    return ProgramToTree(*program, grid) && Same(workbook, grid, 0);
}

}  // namespace carrelon
