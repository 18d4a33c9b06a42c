// Plain text in and out of the grid: the data area as TAB-separated lines, and loads of such
// lines, of tab-delimited files and of CSV files. A load reads and splits its whole input and
// checks the counts it needs before it touches the grid, so input the grid cannot take leaves
// it as it was.
#include <algorithm>
#include <functional>
#include <new>

#include "exchange/TextSplitting.h"
#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileContent.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Locale.h"

namespace carrelon {

struct TCarrelonPrivate::TTextLoad {
    std::vector<std::string_view> Lines;
    std::function<void(std::string_view, std::vector<TTextField>&)> SplitFields;
    // The number of fields SplitFields gives, found faster where it can be.
    std::function<std::size_t(std::string_view)> CountFields;
    AnsiString (*FieldText)(const TTextField&) = nullptr;
    // True: the grid keeps exactly one row per line; false: rows only grow.
    bool ExactRows = false;
};

namespace {

// The fields of a line split at each TAB, nothing quoted: a TAB at the end adds no empty field,
// two adjacent ones give an empty field.
void SplitAtTabs(std::string_view Line, std::vector<TTextField>& Fields) {
    Fields.clear();
    std::size_t Pos = 0;
    while (Pos < Line.size()) {
        const std::size_t End = std::min(Line.find('\t', Pos), Line.size());
        Fields.push_back({Line.substr(Pos, End - Pos), false, true});
        Pos = End + 1;
    }
}

std::size_t CountTabSeparated(std::string_view Line) {
    if (Line.empty()) return 0;
    return CountTabs(Line) + (Line.back() == '\t' ? 0 : 1);
}

AnsiString PlainFieldText(const TTextField& Field) {
    return AnsiString(Field.Text);
}

// The whole file, or false when it cannot be read whole: missing, no access, not a regular
// file, larger than Limit, a failing read, or too large for memory.
bool ReadTextFile(const AnsiString& FileName, Int64 Limit, AnsiString& Text) {
    try {
        Text = ReadFileContent(FileName, Limit);
        return true;
    } catch (const EStreamError&) {
    } catch (const EOutOfMemory&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

}  // namespace

bool TCarrelon::SaveToStrings(TStrings* Strings) {
    if (Strings == nullptr || d->CheckEditorMode()) return false;
    const int H = d->HeadingOffset();
    const int Cols = GetColCount();
    const int Rows = GetRowCount();
    Strings->BeginUpdate();
    RunThenRestore(
        [&] {
            Strings->Clear();
            AnsiString Line;
            for (int r = H; r < Rows; ++r) {
                Line.clear();
                for (int k = H; k < Cols; ++k) {
                    if (k > H) Line += '\t';
                    Line += d->FCols[k]->CellList()[r]->GetText();
                }
                Strings->Add(Line);
            }
        },
        [&] { Strings->EndUpdate(); });
    d->CheckAlwaysShowEditor();
    return true;
}

bool TCarrelon::LoadFromStrings(TStrings* Strings) {
    if (Strings == nullptr || d->CheckEditorMode()) return false;
    // The lines are copied first: the handlers of the cells may change the list.
    std::vector<AnsiString> Lines;
    TCarrelonPrivate::TTextLoad Load;
    try {
        Lines.reserve(static_cast<std::size_t>(Strings->GetCount()));
        for (int i = 0; i < Strings->GetCount(); ++i)
            Lines.push_back(Strings->Get(i));
        Load.Lines.assign(Lines.begin(), Lines.end());
    } catch (const std::bad_alloc&) {
        d->CheckAlwaysShowEditor();
        return false;
    }
    Load.SplitFields = SplitAtTabs;
    Load.CountFields = CountTabSeparated;
    Load.FieldText = PlainFieldText;
    return d->LoadText(Load);
}

bool TCarrelon::LoadFromTabDelimited(const AnsiString& FileName) {
    TCarrelonPrivate::TTextLoad Load;
    Load.SplitFields = SplitTabDelimitedFields;
    Load.CountFields = CountTabDelimitedFields;
    Load.FieldText = TabDelimitedFieldText;
    return d->LoadTextFile(FileName, SplitTabDelimitedLines, Load);
}

bool TCarrelon::LoadFromCSV(const AnsiString& FileName) {
    const char Separator = ListSeparator;
    TCarrelonPrivate::TTextLoad Load;
    Load.SplitFields = [Separator](std::string_view Line, std::vector<TTextField>& Fields) {
        SplitCSVFields(Line, Separator, Fields);
    };
    Load.CountFields = [Separator](std::string_view Line) {
        return CountCSVFields(Line, Separator);
    };
    Load.FieldText = CSVFieldText;
    Load.ExactRows = true;
    return d->LoadTextFile(FileName, SplitCSVLines, Load);
}

bool TCarrelonPrivate::LoadTextFile(const AnsiString& FileName,
                                    std::vector<std::string_view> (*SplitLines)(std::string_view),
                                    TTextLoad& Load) {
    if (CheckEditorMode()) return false;
    AnsiString Text;
    try {
        if (!ReadTextFile(FileName, FTextFileLimit, Text)) {
            CheckAlwaysShowEditor();
            return false;
        }
        Load.Lines = SplitLines(Text);
    } catch (const std::bad_alloc&) {
        CheckAlwaysShowEditor();
        return false;
    }
    return LoadText(Load);
}

bool TCarrelonPrivate::LoadText(const TTextLoad& Load) {
    // What the text needs, before anything changes.
    std::size_t MostFields = 0;
    for (std::string_view Line : Load.Lines)
        MostFields = std::max(MostFields, Load.CountFields(Line));
    const int H = HeadingOffset();
    const long long NeedRows = static_cast<long long>(Load.Lines.size()) + H;
    const long long NeedCols = static_cast<long long>(MostFields) + H;
    if (NeedRows > TCarrelon::MaxCount || NeedCols > TCarrelon::MaxCount) {
        CheckAlwaysShowEditor();
        return false;
    }
    const int OldRows = q->GetRowCount();
    const int Rows = Load.ExactRows ? std::max(static_cast<int>(NeedRows), 1)
                                    : std::max(OldRows, static_cast<int>(NeedRows));
    const int Cols = std::max(q->GetColCount(), static_cast<int>(NeedCols));
    const long long AllCols =
        static_cast<long long>(FAbsoluteCols.size()) + (Cols - q->GetColCount());
    // Rows that go are dropped before new columns are made only when the budget asks for it:
    // otherwise a growth that fails leaves every row there.
    const bool GrowFirst = WithinBudget(AllCols, std::max(Rows, OldRows));
    if (!GrowFirst && !WithinBudget(AllCols, Rows)) {
        CheckAlwaysShowEditor();
        return false;
    }
    if (!TryDisableControls()) return false;

    std::vector<TTextField> Fields;
    const bool WasEnabled = FSpreadsheetEnabled;
    bool Complete = true;
    const auto Grow = [&](int ToRows) {
        if (Cols > q->GetColCount() || ToRows > q->GetRowCount()) {
            if (GrowModel(Cols, std::max(ToRows, q->GetRowCount()))) {
                // Rows grown under a grid whose rows were all fixed: the base grid's fixed part
                // follows, as after a count setter.
                SyncBaseFixedRows();
                CheckSelection();
            }
        }
    };
    const auto Shrink = [&] {
        if (Rows < q->GetRowCount()) q->SetRowCount(Rows);
    };
    RunThenRestore(
        [&] {
            q->SetSpreadsheetEnabled(false);
            if (GrowFirst) {
                Grow(std::max(Rows, OldRows));
                Shrink();
            } else {
                Shrink();
                Grow(Rows);
            }
            if (q->GetColCount() < NeedCols || q->GetRowCount() < NeedRows) {
                Complete = false;
                return;
            }
            for (std::size_t k = 0; k < Load.Lines.size(); ++k) {
                Load.SplitFields(Load.Lines[k], Fields);
                const long long Row = H + static_cast<long long>(k);
                for (std::size_t j = 0; j < Fields.size(); ++j) {
                    const long long Col = H + static_cast<long long>(j);
                    // Setting a text runs the application's handler, which may shrink the grid.
                    if (Col >= q->GetColCount() || Row >= q->GetRowCount()) {
                        Complete = false;
                        continue;
                    }
                    FCols[Col]->CellList()[Row]->SetText(Load.FieldText(Fields[j]));
                }
            }
        },
        [&] { q->SetSpreadsheetEnabled(WasEnabled); }, [&] { q->EnableControls(); });
    return Complete;
}

}  // namespace carrelon
