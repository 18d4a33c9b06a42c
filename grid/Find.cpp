// Find and replace over the cells' texts, and the cells' hints.
#include <memory>

#include "grid/CarrelonPrivate.h"
#include "grid/ScopeExit.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Messages.h"
#include "platform/controls/RichEdit.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

namespace {

// Whether a cell text holds the text to find. Without MatchCase both sides are compared
// upper-cased as AnsiUpperCase does it (ASCII letters, and the Latin, Greek and Cyrillic letters
// whose two cases have the same UTF-8 length; every other character compares as it is), which
// keeps byte positions, so the folded text is searched byte by byte. ASCII texts are folded on
// the fly, without a copy.
class TTextMatcher {
public:
    TTextMatcher(const AnsiString& Text, bool MatchCase)
        : FMatchCase(MatchCase), FPattern(MatchCase ? Text : AnsiUpperCase(Text)) {}

    bool Holds(std::string_view Text) const {
        if (FMatchCase) return Text.find(FPattern) != std::string_view::npos;
        for (unsigned char c : Text)
            if (c >= 0x80) {
                FFolded = AnsiUpperCase(AnsiString(Text));
                return FFolded.find(FPattern) != AnsiString::npos;
            }
        return HoldsAscii(Text);
    }

private:
    static char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

    bool HoldsAscii(std::string_view Text) const {
        const std::size_t N = FPattern.size();
        if (N > Text.size()) return false;
        const char First = FPattern[0];
        for (std::size_t i = 0; i + N <= Text.size(); ++i) {
            if (Upper(Text[i]) != First) continue;
            std::size_t k = 1;
            while (k < N && Upper(Text[i + k]) == FPattern[k])
                ++k;
            if (k == N) return true;
        }
        return false;
    }

    bool FMatchCase;
    AnsiString FPattern;
    mutable AnsiString FFolded;
};

}  // namespace

bool TCarrelonPrivate::DoFind(const AnsiString& Text, const AnsiString* Replacement,
                              TFindOptions Options) {
    if (!FModel || Text.empty()) return false;
    // Without a current cell there is nowhere to start.
    if (q->GetRow() < 0 || q->GetCol() < 0) return false;
    if (CheckEditorMode()) return false;
    TScopeExit Reopen([this] { CheckAlwaysShowEditor(); });

    const bool Down = Options.Contains(frDown);
    const bool MatchCase = Options.Contains(frMatchCase);
    const bool WholeWord = Options.Contains(frWholeWord);
    const bool ReplaceAll = Replacement != nullptr && Options.Contains(frReplaceAll);
    const bool Replacing = Replacement != nullptr && (ReplaceAll || Options.Contains(frReplace));
    const int Cols = q->GetColCount();
    const int Rows = q->GetRowCount();
    int k = q->GetCol();
    int r = q->GetRow();
    auto Step = [&] {
        if (Down) {
            if (++k == Cols) {
                k = 0;
                ++r;
            }
        } else if (--k < 0) {
            k = Cols - 1;
            --r;
        }
    };
    // A replacement starts at the current cell, so that the match a search found is replaced.
    if (!Replacing) Step();

    const TTextMatcher Matcher(Text, MatchCase);
    // Whole words are tested by a hidden rich edit, made at the first candidate.
    std::unique_ptr<TRichEdit> WordTest;
    TSearchTypes WordOptions{stWholeWord};
    if (MatchCase) WordOptions.Include(stMatchCase);
    TReplaceFlags Flags{rfReplaceAll};
    if (!MatchCase) Flags.Include(rfIgnoreCase);

    bool Found = false;
    for (; r >= 0 && r < Rows; Step()) {
        TCarrelonCell* Cell = FCols[k]->CellList()[r];
        // A cell is examined once, at its top-left slot.
        if (Cell->Row != r || (Cell->IsMerged() && Cell->GetStartCol() != k)) continue;
        AnsiString Converted;
        std::string_view CellText;
        if (Cell->FValue.IsString()) {
            CellText = Cell->FValue.StringView();
        } else {
            if (Cell->FValue.IsUnassigned()) continue;
            Converted = Cell->GetText();
            CellText = Converted;
        }
        if (!Matcher.Holds(CellText)) continue;
        const AnsiString Whole(CellText);
        if (WholeWord) {
            if (!WordTest) {
                WordTest = std::make_unique<TRichEdit>(nullptr);
                WordTest->SetVisible(false);
                WordTest->SetParent(q);
            }
            WordTest->SetText(Whole);
            if (WordTest->FindText(Text, 0, static_cast<int>(CodePointCount(Whole)), WordOptions) <
                0)
                continue;
        }
        // A match the current cell cannot move to (a fixed or heading cell, a vetoed move) would
        // be found again by every later search: only a replacement of all takes it.
        TCellWatch Watch(FWatchedCells, Cell);
        const bool Reached = (q->GetCol() == k && q->GetRow() == r) || q->FocusCell(k, r);
        // The move runs the application's handlers, which may resize the grid: the walk's
        // slots are no longer the grid's, so the search ends here.
        const bool Resized = q->GetColCount() != Cols || q->GetRowCount() != Rows;
        if (!Reached && !ReplaceAll) {
            if (Resized) break;
            continue;
        }
        Found = true;
        if (Replacing && Watch.Alive())
            Cell->SetText(StringReplace(Whole, Text, *Replacement, Flags));
        if (!ReplaceAll || Resized) break;
        // The replacement's handlers may have resized it too.
        if (q->GetColCount() != Cols || q->GetRowCount() != Rows) break;
    }
    return Found;
}

bool TCarrelon::Find(const AnsiString& FindText, TFindOptions Options) {
    return d->DoFind(FindText, nullptr, Options);
}

bool TCarrelon::FindAndReplace(const AnsiString& FindText, const AnsiString& ReplaceText,
                               TFindOptions Options) {
    return d->DoFind(FindText, &ReplaceText, Options);
}

// ---- hints --------------------------------------------------------------------------------

void TCarrelon::CMHintShow(TMessage& Message) {
    auto* Info = reinterpret_cast<THintInfo*>(Message.LParam);
    TCarrelonCell* Cell = d->FModel ? d->FHintCell : nullptr;
    if (Cell == nullptr || Info == nullptr) {
        TCustomGrid::CMHintShow(Message);
        return;
    }
    bool CanShow = true;
    const AnsiString Own = Cell->ReadFHint();
    if (!Own.empty()) Info->HintStr = Own;
    if (OnShowHint) OnShowHint(this, Cell->GetStartCol(), Cell->Row, Info->HintStr, CanShow, *Info);
    Message.Result = CanShow ? 0 : 1;
}

}  // namespace carrelon
