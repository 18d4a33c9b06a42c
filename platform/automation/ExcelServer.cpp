// The platform's spreadsheet server: Application, Workbooks, Workbook, Worksheet, Range and
// their parts over the workbook model.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <unordered_map>

#include "platform/automation/ExcelAutomation.h"
#include "platform/automation/ExcelModel.h"
#include "platform/automation/NumberFormat.h"
#include "platform/automation/OleServer.h"
#include "platform/rtl/Locale.h"

namespace carrelon {

namespace {

using namespace carrelon::excel;
using xl::Book;
using xl::CellRec;
using xl::StyleRec;

const char* const Src = "Excel";

// Ranges bigger than this are refused for cell-by-cell work (a whole column is fine for widths).
constexpr long long MaxRangeSlots = 1'000'000;

class ExcelApp;

void CheckColor(const Variant& V, const char* What) {
    long long c = 0;
    try {
        c = V.AsInt64();
    } catch (const Exception&) {
        ole::Raise(Src, AnsiString("Unable to set the ") + What + " property: not a colour.");
    }
    if (c < 0 || c > 0xFFFFFF)
        ole::Raise(Src, AnsiString("Unable to set the ") + What + " property: colour " +
                            std::to_string(c) + " is out of range.");
}

std::uint32_t ColorOf(const Variant& V) {
    return static_cast<std::uint32_t>(V.AsInt64());
}

Variant AsOle(const Variant& V) {
    return V.Type() == varString ? Variant::MakeOleStr(V.AsString()) : V;
}

// The constant text that Formula answers for a value.
AnsiString ConstantText(const Variant& V) {
    switch (V.Type()) {
        case varEmpty:
        case varNull:
            return {};
        case varBoolean:
            return V.AsBoolean() ? "TRUE" : "FALSE";
        case varError:
            return xl::FormatValue(V, "General", false);
        case varString:
        case varOleStr:
            return V.AsString();
        default: {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.15G", V.AsDouble());
            return buf;
        }
    }
}

class RangeImpl;

class CommentImpl : public Comment {
public:
    explicit CommentImpl(AnsiString Text) : FText(std::move(Text)) {}
    AnsiString GetText() override {
        ole::Call("Excel.Comment.Text");
        return FText;
    }

private:
    AnsiString FText;
};

class RangeImpl : public Range {
public:
    RangeImpl(std::weak_ptr<ExcelApp> App, std::shared_ptr<Book> B, xl::Sheet* S, int R1, int C1,
              int R2, int C2)
        : FApp(std::move(App)), FBook(std::move(B)), FSheet(S) {
        FR1 = std::min(R1, R2);
        FR2 = std::max(R1, R2);
        FC1 = std::min(C1, C2);
        FC2 = std::max(C1, C2);
    }

    void Select() override;
    void Merge() override {
        ole::Call("Excel.Range.Merge");
        const xl::MergeRect rect{FR1, FC1, FR2, FC2};
        if (FR1 == FR2 && FC1 == FC2) return;
        CheckSize();
        FSheet->RemoveMergesOverlapping(rect);
        // Only the top-left cell keeps its content.
        for (int r = FR1; r <= FR2; ++r)
            for (int c = FC1; c <= FC2; ++c) {
                if (r == FR1 && c == FC1) continue;
                const xl::CellRec* cell = FSheet->Find(r, c);
                if (cell != nullptr) ClearContent(FSheet->At(r, c));
            }
        FSheet->AddMerge(rect);
    }
    void BorderAround(const Variant& LineStyle, const Variant& Weight, const Variant& ColorIndex,
                      const Variant& Color) override {
        ole::Call("Excel.Range.BorderAround", LineStyle, Weight, ColorIndex, Color);
        int weight = xlThin;
        if (!IsEmptyParam(Weight) && !Weight.IsEmpty()) weight = CheckWeight(Weight.AsInteger());
        if (!IsEmptyParam(LineStyle) && !LineStyle.IsEmpty() && LineStyle.AsInteger() == xlNone)
            weight = 0;
        std::uint32_t color = 0;
        if (!IsEmptyParam(Color) && !Color.IsEmpty()) {
            CheckColor(Color, "Color");
            color = ColorOf(Color);
        } else if (!IsEmptyParam(ColorIndex) && !ColorIndex.IsEmpty()) {
            color = PaletteColor(ColorIndex.AsInteger());
        }
        const xl::EdgeRec edge{weight, color};
        SetEdges(xlEdgeLeft, [&](xl::EdgeRec& e) { e = edge; });
        SetEdges(xlEdgeTop, [&](xl::EdgeRec& e) { e = edge; });
        SetEdges(xlEdgeRight, [&](xl::EdgeRec& e) { e = edge; });
        SetEdges(xlEdgeBottom, [&](xl::EdgeRec& e) { e = edge; });
    }
    CommentPtr AddComment(const AnsiString& Text) override {
        ole::Call("Excel.Range.AddComment", Text);
        const auto key = xl::Sheet::Key(FR1, FC1);
        if (FSheet->Comments.count(key)) ole::Raise(Src, "The cell already has a comment.");
        FSheet->Comments[key] = Text;
        return std::make_shared<CommentImpl>(Text);
    }
    BorderPtr Borders(int Index) override;
    InteriorPtr GetInterior() override;
    FontPtr GetFont() override;
    RangePtr GetMergeArea() override {
        ole::Call("Excel.Range.MergeArea");
        const xl::MergeRect* m = FSheet->MergeAt(FR1, FC1);
        if (m == nullptr) return Make(FR1, FC1, FR1, FC1);
        return Make(m->Row1, m->Col1, m->Row2, m->Col2);
    }
    CommentPtr GetComment() override {
        ole::Call("Excel.Range.Comment");
        const auto it = FSheet->Comments.find(xl::Sheet::Key(FR1, FC1));
        if (it == FSheet->Comments.end()) return nullptr;
        return std::make_shared<CommentImpl>(it->second);
    }
    void SetWrapText(bool Value) override {
        ole::Assign("Excel.Range.WrapText", Value);
        ApplyStyle([&](StyleRec& s) { s.Wrap = Value; });
    }
    Variant GetVerticalAlignment() override {
        ole::Call("Excel.Range.VerticalAlignment");
        return Uniform([](const StyleRec& s, const CellRec*) { return Variant(s.VAlign); });
    }
    void SetVerticalAlignment(int Value) override {
        ole::Assign("Excel.Range.VerticalAlignment", Value);
        if (Value != xlTop && Value != xlCenter && Value != xlBottom && Value != xlJustify &&
            Value != -4117)
            ole::Raise(Src,
                       "Unable to set the VerticalAlignment property: " + std::to_string(Value));
        ApplyStyle([&](StyleRec& s) { s.VAlign = Value; });
    }
    Variant GetHorizontalAlignment() override {
        ole::Call("Excel.Range.HorizontalAlignment");
        return Uniform([](const StyleRec& s, const CellRec*) { return Variant(s.HAlign); });
    }
    void SetHorizontalAlignment(int Value) override {
        ole::Assign("Excel.Range.HorizontalAlignment", Value);
        if (Value != xlGeneral && Value != xlLeft && Value != xlRight && Value != xlCenter &&
            Value != xlJustify && Value != xlFill && Value != xlCenterAcrossSelection &&
            Value != -4117)
            ole::Raise(Src,
                       "Unable to set the HorizontalAlignment property: " + std::to_string(Value));
        ApplyStyle([&](StyleRec& s) { s.HAlign = Value; });
    }
    Variant GetFormula() override {
        ole::Call("Excel.Range.Formula");
        return PerCell([&](const CellRec* c) -> Variant {
            if (c == nullptr) return Variant::MakeOleStr("");
            if (c->Formula != 0) return Variant::MakeOleStr("=" + FSheet->Formulas[c->Formula - 1]);
            return Variant::MakeOleStr(ConstantText(c->Value));
        });
    }
    void SetFormula(const Variant& Value) override {
        ole::Assign("Excel.Range.Formula", Value);
        Store(Value);
    }
    Variant GetValue() override {
        ole::Call("Excel.Range.Value");
        return PerCell([&](const CellRec* c) { return ValueOf(c); });
    }
    void SetValue(const Variant& Value) override {
        ole::Assign("Excel.Range.Value", Value);
        Store(Value);
    }
    Variant GetMergeCells() override {
        ole::Call("Excel.Range.MergeCells");
        if (FR1 == FR2 && FC1 == FC2) return Variant(FSheet->MergeAt(FR1, FC1) != nullptr);
        CheckSize();
        int merged = 0, total = 0;
        for (int r = FR1; r <= FR2; ++r)
            for (int c = FC1; c <= FC2; ++c, ++total)
                if (FSheet->MergeAt(r, c) != nullptr) ++merged;
        if (merged == 0) return Variant(false);
        return merged == total ? Variant(true) : Null;
    }
    Variant GetText() override {
        ole::Call("Excel.Range.Text");
        if (FR1 == FR2 && FC1 == FC2) return Variant::MakeOleStr(TextOf(Single()));
        Variant first;
        bool firstSet = false;
        CheckSize();
        for (int r = FR1; r <= FR2; ++r)
            for (int c = FC1; c <= FC2; ++c) {
                Variant t = Variant::MakeOleStr(TextOf(FSheet->Find(r, c)));
                if (!firstSet) {
                    first = t;
                    firstSet = true;
                } else if (!(first == t)) {
                    return Null;
                }
            }
        return first;
    }
    AnsiString GetAddress(bool RowAbsolute, bool ColumnAbsolute) override {
        ole::Call("Excel.Range.Address", RowAbsolute, ColumnAbsolute);
        const AnsiString rd = RowAbsolute ? "$" : "", cd = ColumnAbsolute ? "$" : "";
        if (FC1 == 1 && FC2 == xl::MaxCols)
            return rd + std::to_string(FR1) + ":" + rd + std::to_string(FR2);
        if (FR1 == 1 && FR2 == xl::MaxRows)
            return cd + xl::ColumnName(FC1) + ":" + cd + xl::ColumnName(FC2);
        const auto name = [&](int r, int c) {
            return cd + xl::ColumnName(c) + rd + std::to_string(r);
        };
        if (FR1 == FR2 && FC1 == FC2) return name(FR1, FC1);
        return name(FR1, FC1) + ":" + name(FR2, FC2);
    }
    Variant GetColumnWidth() override {
        ole::Call("Excel.Range.ColumnWidth");
        const double w = FSheet->ColumnWidth(FC1);
        for (int c = FC1 + 1; c <= FC2; ++c)
            if (FSheet->ColumnWidth(c) != w) return Null;
        return Variant(w);
    }
    void SetColumnWidth(double Value) override {
        ole::Assign("Excel.Range.ColumnWidth", Value);
        if (!(Value >= 0 && Value <= 255))
            ole::Raise(Src, "Unable to set the ColumnWidth property: " + xl::FormatGeneral(Value));
        // Stored as the whole pixels it shows as, as the spreadsheet does.
        const double shown = xl::PixelsToColumnWidth(xl::ColumnWidthToPixels(Value));
        for (int c = FC1; c <= FC2; ++c)
            FSheet->ColumnWidths[c] = shown;
    }
    double GetWidth() override {
        ole::Call("Excel.Range.Width");
        double points = 0;
        for (int c = FC1; c <= FC2; ++c)
            points += xl::ColumnWidthToPixels(FSheet->ColumnWidth(c)) * 0.75;
        return points;
    }
    RangePtr Find(const Variant& What, const RangePtr& After, const Variant& LookIn,
                  const Variant& LookAt, const Variant& SearchOrder,
                  const Variant& SearchDirection) override {
        ole::Call("Excel.Range.Find", What, After, LookIn, LookAt, SearchOrder, SearchDirection);
        const auto given = [](const Variant& V) { return !IsEmptyParam(V) && !V.IsEmpty(); };
        const auto number = [&](const Variant& V, int Default, const char* Name) {
            if (!given(V)) return Default;
            try {
                return V.AsInteger();
            } catch (const Exception&) {
                ole::Raise(Src, AnsiString("Find: ") + Name + " is not a number.",
                           DISP_E_TYPEMISMATCH);
            }
        };
        if (!What.IsString() || What.AsString() != "*")
            ole::Raise(Src, "Find: this server looks only for \"*\", any content.");
        const int lookIn = number(LookIn, xlFormulas, "LookIn");
        const int lookAt = number(LookAt, xlPart, "LookAt");
        const int order = number(SearchOrder, xlByRows, "SearchOrder");
        const int direction = number(SearchDirection, xlNext, "SearchDirection");
        if ((lookIn != xlFormulas && lookIn != xlValues) ||
            (lookAt != xlWhole && lookAt != xlPart) ||
            (order != xlByRows && order != xlByColumns) ||
            (direction != xlNext && direction != xlPrevious))
            ole::Raise(Src, "Method 'Find' of object 'Range' failed.", E_INVALIDARG);
        // Each slot's place in the search order, counted from the range's first cell.
        const long long width = FC2 - FC1 + 1, height = FR2 - FR1 + 1;
        const auto place = [&](int r, int c) {
            return order == xlByRows ? (r - FR1) * width + (c - FC1)
                                     : (c - FC1) * height + (r - FR1);
        };
        long long start = 0;
        if (After) {
            const auto a = std::dynamic_pointer_cast<RangeImpl>(After);
            if (!a || a->FSheet != FSheet || a->FR1 < FR1 || a->FR1 > FR2 || a->FC1 < FC1 ||
                a->FC1 > FC2)
                ole::Raise(Src, "Find: After is not a cell of the range.", E_INVALIDARG);
            start = place(a->FR1, a->FC1);
        }
        // Forwards: the nearest place after the start, else the first of all (round past
        // the end); backwards the other way.
        const bool forward = direction == xlNext;
        long long beyond = -1, round = -1;
        const CellRec* beyondCell = nullptr;
        const CellRec* roundCell = nullptr;
        for (const CellRec& cell : FSheet->Cells) {
            if (cell.Row < FR1 || cell.Row > FR2 || cell.Col < FC1 || cell.Col > FC2) continue;
            const bool holds = lookIn == xlFormulas
                                   ? cell.Formula != 0 || !ConstantText(cell.Value).empty()
                                   : !ValueOf(&cell).IsEmpty() &&
                                         !(cell.Value.IsString() && cell.Value.AsString().empty());
            if (!holds) continue;
            const long long k = place(cell.Row, cell.Col);
            const bool past = forward ? k > start : k < start;
            const auto better = [&](long long Best) {
                return Best < 0 || (forward ? k < Best : k > Best);
            };
            if (past && better(beyond)) {
                beyond = k;
                beyondCell = &cell;
            } else if (!past && better(round)) {
                round = k;
                roundCell = &cell;
            }
        }
        const CellRec* found = beyondCell != nullptr ? beyondCell : roundCell;
        if (found == nullptr) return nullptr;
        return Make(found->Row, found->Col, found->Row, found->Col);
    }

    // Shared with the parts.
    RangePtr Make(int R1, int C1, int R2, int C2) const {
        return std::make_shared<RangeImpl>(FApp, FBook, FSheet, R1, C1, R2, C2);
    }
    void CheckSize() const {
        if (static_cast<long long>(FR2 - FR1 + 1) * (FC2 - FC1 + 1) > MaxRangeSlots)
            ole::Raise(Src, "The range is too large for this operation.");
    }
    template <class Fn>
    void ApplyStyle(Fn&& Modify) {
        CheckSize();
        std::unordered_map<std::uint32_t, std::uint32_t> memo;
        for (int r = FR1; r <= FR2; ++r)
            for (int c = FC1; c <= FC2; ++c) {
                CellRec& cell = FSheet->At(r, c);
                const auto it = memo.find(cell.Style);
                if (it != memo.end()) {
                    cell.Style = it->second;
                    continue;
                }
                StyleRec s = FBook->Styles.Get(cell.Style);
                Modify(s);
                const std::uint32_t id = FBook->Styles.Intern(s);
                memo.emplace(cell.Style, id);
                cell.Style = id;
            }
    }
    // The cell of a one-cell range, found once (cells never move in the sheet's list).
    const CellRec* Single() const {
        if (FIndex < 0) {
            const auto it = FSheet->Index.find(xl::Sheet::Key(FR1, FC1));
            if (it == FSheet->Index.end()) return nullptr;
            FIndex = it->second;
        }
        return &FSheet->Cells[static_cast<size_t>(FIndex)];
    }
    // One cell's style for the given slot (the default for a missing cell).
    const StyleRec& StyleAt(const CellRec* C) const { return FBook->Styles.Get(C ? C->Style : 0); }
    template <class Fn>
    Variant Uniform(Fn&& Get) const {
        if (FR1 == FR2 && FC1 == FC2) {
            const CellRec* cell = Single();
            return Get(StyleAt(cell), cell);
        }
        CheckSize();
        Variant first;
        bool firstSet = false;
        for (int r = FR1; r <= FR2; ++r)
            for (int c = FC1; c <= FC2; ++c) {
                const CellRec* cell = FSheet->Find(r, c);
                Variant v = Get(StyleAt(cell), cell);
                if (v.IsNull()) return Null;
                if (!firstSet) {
                    first = std::move(v);
                    firstSet = true;
                } else if (!(first == v)) {
                    return Null;
                }
            }
        return first;
    }
    template <class Fn>
    Variant PerCell(Fn&& Get) const {
        if (FR1 == FR2 && FC1 == FC2) return Get(Single());
        CheckSize();
        Variant a = Variant::MakeArray(1, FR2 - FR1 + 1, 1, FC2 - FC1 + 1);
        for (const CellRec& cell : FSheet->Cells)
            if (cell.Row >= FR1 && cell.Row <= FR2 && cell.Col >= FC1 && cell.Col <= FC2)
                a.ArrayPut(Get(&cell), cell.Row - FR1 + 1, cell.Col - FC1 + 1);
        // Slots without a cell answer what an empty cell answers.
        const Variant empty = Get(nullptr);
        if (!empty.IsEmpty() || empty.IsString())
            for (int r = FR1; r <= FR2; ++r)
                for (int c = FC1; c <= FC2; ++c)
                    if (FSheet->Find(r, c) == nullptr) a.ArrayPut(empty, r - FR1 + 1, c - FC1 + 1);
        return a;
    }
    Variant ValueOf(const CellRec* C) const {
        if (C == nullptr) return Variant();
        const Variant& v = C->Value;
        if (v.Type() == varDouble) {
            const int kind = FBook->Styles.FormatKind(C->Style);
            if (kind != 0) {
                if (kind == 1)
                    return Variant(TDateTime(v.AsDouble() + (FBook->Date1904 ? 1462 : 0)));
                {
                    Currency cur;
                    if (Currency::TryFromExtended(v.AsExtended(), cur)) return Variant(cur);
                }
            }
        }
        return AsOle(v);
    }
    AnsiString TextOf(const CellRec* C) const {
        if (C == nullptr) return {};
        return xl::FormatValue(C->Value, FBook->Styles.Get(C->Style).NumFmt, FBook->Date1904);
    }
    static void ClearContent(CellRec& C) {
        C.Value = Variant();
        C.Formula = 0;
        C.Rich = 0;
    }
    // Writes Value into every cell of the range, as typed input would.
    void Store(const Variant& Value) {
        CheckSize();
        if (Value.IsArray()) ole::Raise(Src, "Arrays cannot be stored by this server.");
        for (int r = FR1; r <= FR2; ++r)
            for (int c = FC1; c <= FC2; ++c)
                StoreOne(FSheet->At(r, c), Value);
    }
    void StoreOne(CellRec& C, const Variant& Value) {
        ClearContent(C);
        StyleRec style = FBook->Styles.Get(C.Style);
        const StyleRec before = style;
        style.QuotePrefix = false;
        switch (Value.Type()) {
            case varEmpty:
            case varNull:
                break;
            case varString:
            case varOleStr: {
                const AnsiString text = Value.AsString();
                if (text.size() > 1 && text[0] == '=') {
                    FSheet->Formulas.push_back(text.substr(1));
                    C.Formula = static_cast<std::uint32_t>(FSheet->Formulas.size());
                } else if (!text.empty() && text[0] == '\'') {
                    C.Value = Variant(text.substr(1));
                    style.QuotePrefix = true;
                } else if (!text.empty()) {
                    C.Value = Variant(text);
                }
                break;
            }
            case varBoolean:
                C.Value = Variant(Value.AsBoolean());
                break;
            case varError:
                C.Value = Value;
                break;
            case varDate: {
                const double d = Value.AsDouble();
                C.Value = Variant(d - (FBook->Date1904 ? 1462 : 0));
                if (style.NumFmt == "General") {
                    const double whole = std::floor(d);
                    style.NumFmt =
                        d == whole ? "m/d/yyyy" : (whole == 0 ? "h:mm:ss" : "m/d/yyyy h:mm");
                }
                break;
            }
            case varCurrency:
                C.Value = Variant(Value.AsDouble());
                if (style.NumFmt == "General")
                    style.NumFmt = "#,##0.00 [$" + CurrencySymbol() + "]";
                break;
            default:
                C.Value = Variant(Value.AsDouble());
                break;
        }
        if (!(style == before)) C.Style = FBook->Styles.Intern(style);
    }
    static AnsiString CurrencySymbol();
    static int CheckWeight(int W) {
        if (W != xlHairline && W != xlThin && W != xlMedium && W != xlThick)
            ole::Raise(Src, "Unable to set the Weight property: " + std::to_string(W));
        return W;
    }
    static std::uint32_t PaletteColor(int Index);
    // Applies Fn to the matching edge of every cell the border index covers.
    template <class Fn>
    void SetEdges(int Index, Fn&& Edit) {
        CheckSize();
        const auto edit = [&](int r1, int c1, int r2, int c2, xl::TEdge e) {
            std::unordered_map<std::uint32_t, std::uint32_t> memo;
            for (int r = r1; r <= r2; ++r)
                for (int c = c1; c <= c2; ++c) {
                    CellRec& cell = FSheet->At(r, c);
                    const auto it = memo.find(cell.Style);
                    if (it != memo.end()) {
                        cell.Style = it->second;
                        continue;
                    }
                    StyleRec s = FBook->Styles.Get(cell.Style);
                    Edit(s.Edges[e]);
                    const std::uint32_t id = FBook->Styles.Intern(s);
                    memo.emplace(cell.Style, id);
                    cell.Style = id;
                }
        };
        switch (Index) {
            case xlEdgeLeft:
                edit(FR1, FC1, FR2, FC1, xl::edLeft);
                break;
            case xlEdgeTop:
                edit(FR1, FC1, FR1, FC2, xl::edTop);
                break;
            case xlEdgeBottom:
                edit(FR2, FC1, FR2, FC2, xl::edBottom);
                break;
            case xlEdgeRight:
                edit(FR1, FC2, FR2, FC2, xl::edRight);
                break;
            case xlInsideVertical:
                if (FC2 > FC1) {
                    edit(FR1, FC1, FR2, FC2 - 1, xl::edRight);
                    edit(FR1, FC1 + 1, FR2, FC2, xl::edLeft);
                }
                break;
            case xlInsideHorizontal:
                if (FR2 > FR1) {
                    edit(FR1, FC1, FR2 - 1, FC2, xl::edBottom);
                    edit(FR1 + 1, FC1, FR2, FC2, xl::edTop);
                }
                break;
            default:
                ole::Raise(Src,
                           "Unable to get the Borders property: index " + std::to_string(Index),
                           DISP_E_BADINDEX);
        }
    }

    std::weak_ptr<ExcelApp> FApp;
    std::shared_ptr<Book> FBook;
    xl::Sheet* FSheet;
    int FR1, FC1, FR2, FC2;
    mutable long long FIndex = -1;
};

AnsiString RangeImpl::CurrencySymbol() {
    const AnsiString s = CurrencyString;
    return s.empty() ? AnsiString("$") : s;
}

std::uint32_t RangeImpl::PaletteColor(int Index) {
    // ColorIndex 1..56 is the palette after the basic eight; automatic and xlNone are black.
    return Index >= 1 && Index <= 56 ? xl::IndexedColor(Index + 7) : 0;
}

class BorderImpl : public Border {
public:
    BorderImpl(std::shared_ptr<RangeImpl> R, int Index) : FRange(std::move(R)), FIndex(Index) {}
    void SetLineStyle(int Value) override {
        ole::Assign("Excel.Border.LineStyle", Value);
        if (Value == xlNone)
            FRange->SetEdges(FIndex, [](xl::EdgeRec& e) { e = {}; });
        else
            FRange->SetEdges(FIndex, [](xl::EdgeRec& e) {
                if (e.Weight == 0) e.Weight = xlThin;
            });
    }
    void SetColor(const Variant& Value) override {
        ole::Assign("Excel.Border.Color", Value);
        CheckColor(Value, "Color");
        const std::uint32_t color = ColorOf(Value);
        FRange->SetEdges(FIndex, [color](xl::EdgeRec& e) {
            if (e.Weight == 0) e.Weight = xlThin;
            e.Color = color;
        });
    }
    void SetWeight(int Value) override {
        ole::Assign("Excel.Border.Weight", Value);
        const int w = RangeImpl::CheckWeight(Value);
        FRange->SetEdges(FIndex, [w](xl::EdgeRec& e) { e.Weight = w; });
    }

private:
    std::shared_ptr<RangeImpl> FRange;
    int FIndex;
};

class InteriorImpl : public Interior {
public:
    explicit InteriorImpl(std::shared_ptr<RangeImpl> R) : FRange(std::move(R)) {}
    Variant GetColor() override {
        ole::Call("Excel.Interior.Color");
        return FRange->Uniform([](const StyleRec& s, const CellRec*) {
            return Variant(static_cast<int>(s.Fill == xl::NoFill ? 0xFFFFFF : s.Fill));
        });
    }
    void SetColor(const Variant& Value) override {
        ole::Assign("Excel.Interior.Color", Value);
        CheckColor(Value, "Color");
        const std::uint32_t color = ColorOf(Value);
        FRange->ApplyStyle([color](StyleRec& s) { s.Fill = color; });
    }

private:
    std::shared_ptr<RangeImpl> FRange;
};

class FontImpl : public Font {
public:
    explicit FontImpl(std::shared_ptr<RangeImpl> R) : FRange(std::move(R)) {}

    Variant GetName() override {
        ole::Call("Excel.Font.Name");
        return Get([](const xl::FontRec& f) { return Variant::MakeOleStr(f.Name); });
    }
    void SetName(const Variant& Value) override {
        ole::Assign("Excel.Font.Name", Value);
        const AnsiString name = Value.AsString();
        if (name.empty() || name.size() > 31) ole::Raise(Src, "Unable to set the Name property.");
        Set([&](xl::FontRec& f) { f.Name = name; });
    }
    Variant GetSize() override {
        ole::Call("Excel.Font.Size");
        return Get([](const xl::FontRec& f) { return Variant(f.Size); });
    }
    void SetSize(const Variant& Value) override {
        ole::Assign("Excel.Font.Size", Value);
        const double size = Value.AsDouble();
        if (!(size >= 1 && size <= 409)) ole::Raise(Src, "Unable to set the Size property.");
        Set([&](xl::FontRec& f) { f.Size = size; });
    }
    Variant GetColor() override {
        ole::Call("Excel.Font.Color");
        return Get([](const xl::FontRec& f) {
            return Variant(static_cast<int>(f.Color == xl::AutoColor ? 0 : f.Color));
        });
    }
    void SetColor(const Variant& Value) override {
        ole::Assign("Excel.Font.Color", Value);
        CheckColor(Value, "Color");
        const std::uint32_t color = ColorOf(Value);
        Set([&](xl::FontRec& f) { f.Color = color; });
    }
    Variant GetBold() override {
        ole::Call("Excel.Font.Bold");
        return Get([](const xl::FontRec& f) { return Variant(f.Bold); });
    }
    void SetBold(const Variant& Value) override {
        ole::Assign("Excel.Font.Bold", Value);
        const bool b = Value.AsBoolean();
        Set([&](xl::FontRec& f) { f.Bold = b; });
    }
    Variant GetItalic() override {
        ole::Call("Excel.Font.Italic");
        return Get([](const xl::FontRec& f) { return Variant(f.Italic); });
    }
    void SetItalic(const Variant& Value) override {
        ole::Assign("Excel.Font.Italic", Value);
        const bool b = Value.AsBoolean();
        Set([&](xl::FontRec& f) { f.Italic = b; });
    }
    Variant GetUnderline() override {
        ole::Call("Excel.Font.Underline");
        return Get([](const xl::FontRec& f) {
            return Variant(f.Underline == 0   ? xlUnderlineStyleNone
                           : f.Underline == 2 ? xlUnderlineStyleDouble
                                              : xlUnderlineStyleSingle);
        });
    }
    void SetUnderline(const Variant& Value) override {
        ole::Assign("Excel.Font.Underline", Value);
        std::int8_t u = 0;
        if (Value.Type() == varBoolean) {
            u = Value.AsBoolean() ? 1 : 0;
        } else {
            switch (Value.AsInteger()) {
                case xlUnderlineStyleNone:
                case 0:
                    u = 0;
                    break;
                case xlUnderlineStyleSingle:
                case 4:  // single accounting
                case -1:
                    u = 1;
                    break;
                case xlUnderlineStyleDouble:
                case 5:  // double accounting
                    u = 2;
                    break;
                default:
                    ole::Raise(Src, "Unable to set the Underline property.");
            }
        }
        Set([&](xl::FontRec& f) { f.Underline = u; });
    }
    void SetStrikeThrough(const Variant& Value) override {
        ole::Assign("Excel.Font.StrikeThrough", Value);
        const bool b = Value.AsBoolean();
        Set([&](xl::FontRec& f) { f.Strike = b; });
    }
    Variant GetStrikethrough() override {
        ole::Call("Excel.Font.Strikethrough");
        return Get([](const xl::FontRec& f) { return Variant(f.Strike); });
    }

private:
    // The attribute over every cell and, for rich text, every run; Null when they differ.
    template <class Fn>
    Variant Get(Fn&& Attr) {
        xl::Sheet* sheet = FRange->FSheet;
        return FRange->Uniform([&](const StyleRec& s, const CellRec* c) -> Variant {
            if (c == nullptr || c->Rich == 0) return Attr(s.Font);
            Variant first;
            bool firstSet = false;
            for (const xl::RichRun& run : sheet->RichTexts[c->Rich - 1]) {
                Variant v = Attr(run.HasFont ? run.Font : s.Font);
                if (!firstSet) {
                    first = std::move(v);
                    firstSet = true;
                } else if (!(first == v)) {
                    return Null;
                }
            }
            return firstSet ? first : Attr(s.Font);
        });
    }
    template <class Fn>
    void Set(Fn&& Edit) {
        FRange->ApplyStyle([&](StyleRec& s) { Edit(s.Font); });
        xl::Sheet* sheet = FRange->FSheet;
        for (int r = FRange->FR1; r <= FRange->FR2; ++r)
            for (int c = FRange->FC1; c <= FRange->FC2; ++c) {
                const CellRec* cell = sheet->Find(r, c);
                if (cell != nullptr && cell->Rich != 0)
                    for (xl::RichRun& run : sheet->RichTexts[cell->Rich - 1])
                        if (run.HasFont) Edit(run.Font);
            }
    }

    std::shared_ptr<RangeImpl> FRange;
};

BorderPtr RangeImpl::Borders(int Index) {
    ole::Call("Excel.Range.Borders", Index);
    if (Index < xlEdgeLeft || Index > xlInsideHorizontal)
        ole::Raise(Src, "Unable to get the Borders property: index " + std::to_string(Index),
                   DISP_E_BADINDEX);
    return std::make_shared<BorderImpl>(std::static_pointer_cast<RangeImpl>(shared_from_this()),
                                        Index);
}

InteriorPtr RangeImpl::GetInterior() {
    ole::Call("Excel.Range.Interior");
    return std::make_shared<InteriorImpl>(std::static_pointer_cast<RangeImpl>(shared_from_this()));
}

FontPtr RangeImpl::GetFont() {
    ole::Call("Excel.Range.Font");
    return std::make_shared<FontImpl>(std::static_pointer_cast<RangeImpl>(shared_from_this()));
}

class WorkbookImpl;

class ExcelApp : public Application {
public:
    ~ExcelApp() override = default;

    bool GetVisible() override {
        ole::Call("Excel.Application.Visible");
        return FVisible;
    }
    void SetVisible(bool Value) override;
    int GetSheetsInNewWorkbook() override {
        ole::Call("Excel.Application.SheetsInNewWorkbook");
        return FSheetsInNewWorkbook;
    }
    void SetSheetsInNewWorkbook(int Value) override {
        ole::Assign("Excel.Application.SheetsInNewWorkbook", Value);
        if (Value < 1 || Value > 255)
            ole::Raise(Src, "Unable to set the SheetsInNewWorkbook property.");
        FSheetsInNewWorkbook = Value;
    }
    void SetDisplayAlerts(bool Value) override {
        ole::Assign("Excel.Application.DisplayAlerts", Value);
        FDisplayAlerts = Value;
    }
    WorkbooksPtr GetWorkbooks() override;
    WorksheetPtr GetActiveSheet() override;
    WorksheetPtr GetSheets(const Variant& Index) override;
    RangePtr GetSelection() override {
        ole::Call("Excel.Application.Selection");
        if (!FSelection) ole::Raise(Src, "Nothing is selected.");
        return FSelection;
    }
    WindowPtr GetActiveWindow() override;
    void Quit() override {
        ole::Call("Excel.Application.Quit");
        FBooks.clear();
        FSelection.reset();
        FVisible = false;
        RevokeActiveObject(ole::CLSID_ExcelApplication, this);
    }

    std::shared_ptr<ExcelApp> Self() {
        return std::static_pointer_cast<ExcelApp>(shared_from_this());
    }
    std::shared_ptr<Book> ActiveBook() const { return FBooks.empty() ? nullptr : FBooks.back(); }
    void Activate(const std::shared_ptr<Book>& B) {
        const auto it = std::find(FBooks.begin(), FBooks.end(), B);
        if (it == FBooks.end()) return;
        std::rotate(it, it + 1, FBooks.end());  // the active workbook is the last
    }
    WorksheetPtr SheetObject(const std::shared_ptr<Book>& B, int Index);
    std::shared_ptr<Book> AddBook(int Sheets) {
        auto b = std::make_shared<Book>();
        for (int i = 1; i <= Sheets; ++i) {
            b->Sheets.push_back(std::make_unique<xl::Sheet>());
            b->Sheets.back()->Name = "Sheet" + std::to_string(i);
        }
        FBooks.push_back(b);
        return b;
    }
    void OpenBook(std::shared_ptr<Book> B) { FBooks.push_back(std::move(B)); }
    void CloseBook(const std::shared_ptr<Book>& B) {
        FBooks.erase(std::remove(FBooks.begin(), FBooks.end(), B), FBooks.end());
        if (FSelection && std::static_pointer_cast<RangeImpl>(FSelection)->FBook == B)
            FSelection.reset();
    }
    void SetSelection(RangePtr R) { FSelection = std::move(R); }
    int SheetsInNewWorkbook() const { return FSheetsInNewWorkbook; }

private:
    bool FVisible = false;
    bool FDisplayAlerts = true;
    int FSheetsInNewWorkbook = 1;
    std::vector<std::shared_ptr<Book>> FBooks;  // the active one last
    RangePtr FSelection;
};

void RangeImpl::Select() {
    ole::Call("Excel.Range.Select");
    if (auto app = FApp.lock()) {
        app->Activate(FBook);
        for (size_t i = 0; i < FBook->Sheets.size(); ++i)
            if (FBook->Sheets[i].get() == FSheet) FBook->ActiveSheet = static_cast<int>(i);
        app->SetSelection(std::static_pointer_cast<Range>(shared_from_this()));
    }
}

class WorksheetImpl : public Worksheet {
public:
    WorksheetImpl(std::weak_ptr<ExcelApp> App, std::shared_ptr<Book> B, xl::Sheet* S)
        : FApp(std::move(App)), FBook(std::move(B)), FSheet(S) {}
    RangePtr Cells(int Row, int Column) override {
        ole::Call("Excel.Worksheet.Cells", Row, Column);
        if (Row < 1 || Row > xl::MaxRows || Column < 1 || Column > xl::MaxCols)
            ole::Raise(Src,
                       "Cells(" + std::to_string(Row) + ", " + std::to_string(Column) +
                           ") is outside the sheet.",
                       DISP_E_BADINDEX);
        return std::make_shared<RangeImpl>(FApp, FBook, FSheet, Row, Column, Row, Column);
    }
    RangePtr GetRange(const RangePtr& Cell1, const RangePtr& Cell2) override {
        ole::Call("Excel.Worksheet.Range", Cell1, Cell2);
        auto a = std::dynamic_pointer_cast<RangeImpl>(Cell1);
        auto b = std::dynamic_pointer_cast<RangeImpl>(Cell2);
        if (!a || !b || a->FSheet != FSheet || b->FSheet != FSheet)
            ole::Raise(Src, "Method 'Range' of object 'Worksheet' failed.");
        return std::make_shared<RangeImpl>(FApp, FBook, FSheet, std::min(a->FR1, b->FR1),
                                           std::min(a->FC1, b->FC1), std::max(a->FR2, b->FR2),
                                           std::max(a->FC2, b->FC2));
    }
    RangePtr Columns(int Index) override {
        ole::Call("Excel.Worksheet.Columns", Index);
        if (Index < 1 || Index > xl::MaxCols)
            ole::Raise(Src, "Columns(" + std::to_string(Index) + ") is outside the sheet.",
                       DISP_E_BADINDEX);
        return std::make_shared<RangeImpl>(FApp, FBook, FSheet, 1, Index, xl::MaxRows, Index);
    }
    RangePtr GetUsedRange() override {
        ole::Call("Excel.Worksheet.UsedRange");
        int r1, c1, r2, c2;
        FSheet->UsedRange(r1, c1, r2, c2);
        return std::make_shared<RangeImpl>(FApp, FBook, FSheet, r1, c1, r2, c2);
    }
    void Activate() override {
        ole::Call("Excel.Worksheet.Activate");
        for (size_t i = 0; i < FBook->Sheets.size(); ++i)
            if (FBook->Sheets[i].get() == FSheet) FBook->ActiveSheet = static_cast<int>(i);
        if (auto app = FApp.lock()) app->Activate(FBook);
    }

private:
    std::weak_ptr<ExcelApp> FApp;
    std::shared_ptr<Book> FBook;
    xl::Sheet* FSheet;
};

class WorkbookImpl : public Workbook {
public:
    WorkbookImpl(std::weak_ptr<ExcelApp> App, std::shared_ptr<Book> B)
        : FApp(std::move(App)), FBook(std::move(B)) {}
    void SaveAs(const AnsiString& FileName) override {
        ole::Call("Excel.Workbook.SaveAs", FileName);
        const Book& book = *FBook;
        ole::SaveAtomically(FileName, Src,
                            [&](const AnsiString& temp) { xl::WriteXlsx(book, temp); });
        FBook->FileName = FileName;
    }
    void Close(const Variant& SaveChanges) override {
        ole::Call("Excel.Workbook.Close", SaveChanges);
        if (!IsEmptyParam(SaveChanges) && !SaveChanges.IsEmpty() && SaveChanges.AsBoolean() &&
            !FBook->FileName.empty()) {
            const Book& book = *FBook;
            ole::SaveAtomically(FBook->FileName, Src,
                                [&](const AnsiString& temp) { xl::WriteXlsx(book, temp); });
        }
        if (auto app = FApp.lock()) app->CloseBook(FBook);
    }

private:
    std::weak_ptr<ExcelApp> FApp;
    std::shared_ptr<Book> FBook;
};

class WorkbooksImpl : public Workbooks {
public:
    explicit WorkbooksImpl(std::weak_ptr<ExcelApp> App) : FApp(std::move(App)) {}
    WorkbookPtr Add() override;
    WorkbookPtr Open(const AnsiString& FileName) override;

private:
    std::weak_ptr<ExcelApp> FApp;
};

WorkbookPtr WorkbooksImpl::Add() {
    ole::Call("Excel.Workbooks.Add");
    auto app = FApp.lock();
    if (!app) ole::Raise(Src, "The application has quit.");
    return std::make_shared<WorkbookImpl>(FApp, app->AddBook(app->SheetsInNewWorkbook()));
}

WorkbookPtr WorkbooksImpl::Open(const AnsiString& FileName) {
    ole::Call("Excel.Workbooks.Open", FileName);
    auto app = FApp.lock();
    if (!app) ole::Raise(Src, "The application has quit.");
    std::error_code ec;
    if (FileName.empty() || !std::filesystem::is_regular_file(FileName, ec))
        ole::Raise(Src, "'" + FileName + "' could not be found.");
    std::unique_ptr<Book> read;
    try {
        read = xl::ReadXlsx(FileName);
    } catch (const EOleException&) {
        throw;
    } catch (const std::bad_alloc&) {
        ole::Raise(Src, "'" + FileName + "' is too large to open.", E_OUTOFMEMORY);
    } catch (const std::exception& e) {
        ole::Raise(Src, "'" + FileName + "' cannot be opened: " + e.what());
    }
    std::shared_ptr<Book> book(std::move(read));
    book->FileName = FileName;
    app->OpenBook(book);
    return std::make_shared<WorkbookImpl>(FApp, book);
}

class WindowImpl : public Window {
public:
    explicit WindowImpl(std::weak_ptr<ExcelApp> App) : FApp(std::move(App)) {}
    void Activate() override { ole::Call("Excel.Window.Activate"); }
    bool GetFreezePanes() override {
        ole::Call("Excel.Window.FreezePanes");
        return Sheet().Frozen;
    }
    int GetSplitColumn() override {
        ole::Call("Excel.Window.SplitColumn");
        return Sheet().SplitColumn;
    }
    int GetSplitRow() override {
        ole::Call("Excel.Window.SplitRow");
        return Sheet().SplitRow;
    }

private:
    const xl::Sheet& Sheet() {
        auto app = FApp.lock();
        std::shared_ptr<Book> b = app ? app->ActiveBook() : nullptr;
        if (!b || b->Sheets.empty()) ole::Raise(Src, "No workbook is open.");
        return *b->Sheets[static_cast<size_t>(b->ActiveSheet)];
    }
    std::weak_ptr<ExcelApp> FApp;
};

}  // namespace

namespace {

void ExcelApp::SetVisible(bool Value) {
    ole::Assign("Excel.Application.Visible", Value);
    const bool wasVisible = FVisible;
    FVisible = Value;
    if (Value && !wasVisible) {
        // The user now has this instance: it runs until quit, and shows its workbook.
        RegisterActiveObject(ole::CLSID_ExcelApplication, shared_from_this());
        if (std::shared_ptr<Book> book = ActiveBook()) {
            ole::ShowDocument("Excel.Application", ".xlsx",
                              [book](const AnsiString& file) { xl::WriteXlsx(*book, file); });
        }
    }
}

WorkbooksPtr ExcelApp::GetWorkbooks() {
    ole::Call("Excel.Application.Workbooks");
    return std::make_shared<WorkbooksImpl>(Self());
}

WorksheetPtr ExcelApp::SheetObject(const std::shared_ptr<Book>& B, int Index) {
    return std::make_shared<WorksheetImpl>(Self(), B, B->Sheets[static_cast<size_t>(Index)].get());
}

WorksheetPtr ExcelApp::GetActiveSheet() {
    ole::Call("Excel.Application.ActiveSheet");
    std::shared_ptr<Book> b = ActiveBook();
    if (!b || b->Sheets.empty()) ole::Raise(Src, "No workbook is open.");
    return SheetObject(b, b->ActiveSheet);
}

WorksheetPtr ExcelApp::GetSheets(const Variant& Index) {
    ole::Call("Excel.Application.Sheets", Index);
    std::shared_ptr<Book> b = ActiveBook();
    if (!b) ole::Raise(Src, "No workbook is open.");
    if (Index.IsString()) {
        const AnsiString want = Index.AsString();
        const auto upper = [](AnsiString s) {
            for (char& c : s)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            return s;
        };
        for (size_t i = 0; i < b->Sheets.size(); ++i)
            if (upper(b->Sheets[i]->Name) == upper(want))
                return SheetObject(b, static_cast<int>(i));
        ole::Raise(Src, "Subscript out of range: no sheet named \"" + want + "\".",
                   DISP_E_BADINDEX);
    }
    int n = 0;
    try {
        n = Index.AsInteger();
    } catch (const Exception&) {
        ole::Raise(Src, "Type mismatch.", DISP_E_TYPEMISMATCH);
    }
    if (n < 1 || n > static_cast<int>(b->Sheets.size()))
        ole::Raise(Src, "Subscript out of range: no sheet " + std::to_string(n) + ".",
                   DISP_E_BADINDEX);
    return SheetObject(b, n - 1);
}

WindowPtr ExcelApp::GetActiveWindow() {
    ole::Call("Excel.Application.ActiveWindow");
    if (!ActiveBook()) ole::Raise(Src, "No workbook is open.");
    return std::make_shared<WindowImpl>(Self());
}

}  // namespace

namespace ole {

IDispatchPtr StartExcelApplication(const TCLSID&) {
    return std::make_shared<ExcelApp>();
}

}  // namespace ole

}  // namespace carrelon
