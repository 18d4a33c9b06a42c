// The platform's word-processor server: one document per "Word.Document" start, inside an
// application object whose options, selection and window the document shares.
#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <fstream>

#include "platform/automation/OfficeServers.h"
#include "platform/automation/OleServer.h"
#include "platform/automation/WordAutomation.h"
#include "platform/automation/WordModel.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

namespace wd {

AnsiString Para::Text() const {
    AnsiString t;
    for (const Run& r : Runs)
        t += r.Text;
    return t;
}

namespace {

int CodePoints(const AnsiString& S) {
    int n = 0;
    for (unsigned char c : S)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// Byte offset of code point N in S.
size_t ByteOffset(const AnsiString& S, int N) {
    size_t i = 0;
    while (i < S.size() && N > 0) {
        ++i;
        while (i < S.size() && (static_cast<unsigned char>(S[i]) & 0xC0) == 0x80)
            ++i;
        --N;
    }
    return i;
}

}  // namespace

int Para::Length() const {
    int n = 0;
    for (const Run& r : Runs)
        n += r.Pic ? 1 : CodePoints(r.Text);
    return n;
}

int ColorFromIndex(int Index) {
    static const int Colors[17] = {-1,       0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF,
                                   0x0000FF, 0x00FFFF, 0xFFFFFF, 0x800000, 0x808000, 0x008000,
                                   0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0};
    return Index >= 1 && Index <= 16 ? Colors[Index] : -1;
}

}  // namespace wd

namespace {

using namespace carrelon::word;
using wd::Para;

const char* const Src = "Word";

class WordApp;

// Where a range lies: the whole story, one table cell, a table column (the selection), or
// character positions.
struct Place {
    enum TKind { Whole, CellAt, ColumnAt, Span } Kind = Whole;
    wd::Table* T = nullptr;
    int Row = 0, Col = 0;  // 0-based
    int Start = 0, End = 0;
};

// The shared state of one document and its application.
struct Shared {
    wd::Document Doc;
    bool Visible = false;
    bool Spelling = true, Grammar = true, Pagination = true;
    bool Saved = true;
    bool Closed = false;
    Place Selection{Place::Span};
};

// Walks the story in character positions: a paragraph takes its length plus its mark; a table
// row takes its cells (each its paragraphs, the last mark being the end-of-cell mark) plus the
// end-of-row mark.
template <class OnPara>
void Walk(wd::Document& D, OnPara&& F) {
    int pos = 0;
    for (wd::Block& b : D.Body) {
        if (!b.T) {
            F(b.P, pos, nullptr, 0, 0);
            pos += b.P.Length() + 1;
            continue;
        }
        wd::Table& t = *b.T;
        for (int r = 0; r < t.Rows; ++r) {
            for (int c = 0; c < t.Cols; ++c) {
                wd::TableCell& cell = t.At(r, c);
                if (cell.Covered) continue;
                for (Para& p : cell.Paras) {
                    F(p, pos, &t, r, c);
                    pos += p.Length() + 1;
                }
            }
            pos += 1;  // end of row
        }
    }
}

class WordRangeImpl;
std::shared_ptr<word::Range> MakeRange(const std::shared_ptr<Shared>& S, const Place& P);

void CheckOpen(const Shared& S) {
    if (S.Closed) ole::Raise(Src, "The document has been closed.");
}

// The paragraphs a place covers.
std::vector<Para*> ParasOf(Shared& S, const Place& P) {
    std::vector<Para*> out;
    switch (P.Kind) {
        case Place::CellAt:
            for (Para& p : P.T->At(P.Row, P.Col).Paras)
                out.push_back(&p);
            break;
        case Place::ColumnAt:
            for (int r = 0; r < P.T->Rows; ++r)
                if (!P.T->At(r, P.Col).Covered)
                    for (Para& p : P.T->At(r, P.Col).Paras)
                        out.push_back(&p);
            break;
        case Place::Whole:
            Walk(S.Doc, [&](Para& p, int, wd::Table*, int, int) { out.push_back(&p); });
            break;
        case Place::Span:
            Walk(S.Doc, [&](Para& p, int pos, wd::Table*, int, int) {
                const int end = pos + p.Length();
                if ((pos <= P.End && end >= P.Start)) out.push_back(&p);
            });
            break;
    }
    return out;
}

std::vector<wd::TableCell*> CellsOf(Shared& S, const Place& P) {
    std::vector<wd::TableCell*> out;
    switch (P.Kind) {
        case Place::CellAt:
            out.push_back(&P.T->At(P.Row, P.Col));
            break;
        case Place::ColumnAt:
            for (int r = 0; r < P.T->Rows; ++r)
                if (!P.T->At(r, P.Col).Covered) out.push_back(&P.T->At(r, P.Col));
            break;
        default:
            for (wd::Block& b : S.Doc.Body)
                if (b.T)
                    for (wd::TableCell& c : b.T->Cells)
                        if (!c.Covered) out.push_back(&c);
            break;
    }
    return out;
}

// Start and end positions of a place.
void Bounds(Shared& S, const Place& P, int& Start, int& End) {
    if (P.Kind == Place::Span) {
        Start = P.Start;
        End = P.End;
        return;
    }
    Start = -1;
    End = 0;
    Walk(S.Doc, [&](Para& p, int pos, wd::Table* t, int r, int c) {
        bool inside = P.Kind == Place::Whole;
        if (P.Kind == Place::CellAt) inside = t == P.T && r == P.Row && c == P.Col;
        if (P.Kind == Place::ColumnAt) inside = t == P.T && c == P.Col;
        if (!inside) return;
        if (Start < 0) Start = pos;
        End = pos + p.Length() + 1;
    });
    if (Start < 0) Start = 0;
}

class FontImpl : public word::Font {
public:
    FontImpl(std::shared_ptr<Shared> S, Place P) : FS(std::move(S)), FP(P) {}
    void SetName(const AnsiString& V) override {
        ole::Assign("Word.Font.Name", V);
        Apply([&](wd::RunFmt& f) { f.Name = V; });
    }
    void SetSize(float V) override {
        ole::Assign("Word.Font.Size", static_cast<double>(V));
        if (!(V >= 1 && V <= 1638)) ole::Raise(Src, "The font size is out of range.");
        Apply([&](wd::RunFmt& f) { f.Size = V; });
    }
    void SetColor(int V) override {
        ole::Assign("Word.Font.Color", V);
        if (V < 0 || V > 0xFFFFFF) ole::Raise(Src, "The colour is out of range.");
        Apply([&](wd::RunFmt& f) {
            f.Color = V;
            f.ColorIndex = 0;
        });
    }
    void SetColorIndex(int V) override {
        ole::Assign("Word.Font.ColorIndex", V);
        if (V < 0 || V > 16) ole::Raise(Src, "The colour index is out of range.");
        Apply([&](wd::RunFmt& f) {
            f.ColorIndex = V;
            f.Color = -1;
        });
    }
    void SetBold(bool V) override {
        ole::Assign("Word.Font.Bold", V);
        Apply([&](wd::RunFmt& f) { f.Bold = V; });
    }
    void SetItalic(bool V) override {
        ole::Assign("Word.Font.Italic", V);
        Apply([&](wd::RunFmt& f) { f.Italic = V; });
    }
    void SetUnderline(bool V) override {
        ole::Assign("Word.Font.Underline", V);
        Apply([&](wd::RunFmt& f) { f.Underline = V; });
    }
    void SetStrikeThrough(bool V) override {
        ole::Assign("Word.Font.StrikeThrough", V);
        Apply([&](wd::RunFmt& f) { f.Strike = V; });
    }

private:
    template <class Fn>
    void Apply(Fn&& Edit) {
        CheckOpen(*FS);
        FS->Saved = false;
        for (Para* p : ParasOf(*FS, FP)) {
            Edit(p->MarkFmt);
            for (wd::Run& r : p->Runs)
                Edit(r.Fmt);
        }
    }
    std::shared_ptr<Shared> FS;
    Place FP;
};

class ShadingImpl : public word::Shading {
public:
    ShadingImpl(std::shared_ptr<Shared> S, Place P) : FS(std::move(S)), FP(P) {}
    void SetBackgroundPatternColor(int V) override {
        ole::Assign("Word.Shading.BackgroundPatternColor", V);
        if (V < -16777216 || V > 0xFFFFFF) ole::Raise(Src, "The colour is out of range.");
        for (wd::TableCell* c : CellsOf(*FS, FP)) {
            c->Shade = V < 0 ? -1 : V;  // wdColorAutomatic clears
            c->ShadeIndex = 0;
        }
        FS->Saved = false;
    }
    void SetBackgroundPatternColorIndex(int V) override {
        ole::Assign("Word.Shading.BackgroundPatternColorIndex", V);
        if (V < 0 || V > 16) ole::Raise(Src, "The colour index is out of range.");
        for (wd::TableCell* c : CellsOf(*FS, FP)) {
            c->ShadeIndex = V;
            c->Shade = -1;
        }
        FS->Saved = false;
    }

private:
    std::shared_ptr<Shared> FS;
    Place FP;
};

int CheckAlign(int V) {
    if (V < 0 || V > 3) ole::Raise(Src, "The alignment " + std::to_string(V) + " is not valid.");
    return V;
}

class ParagraphImpl : public word::Paragraph {
public:
    ParagraphImpl(std::shared_ptr<Shared> S, Place P, bool Last)
        : FS(std::move(S)), FP(P), FLast(Last) {}
    int GetAlignment() override {
        ole::Call("Word.Paragraph.Alignment");
        return Target()->Align;
    }
    void SetAlignment(int V) override {
        ole::Assign("Word.Paragraph.Alignment", V);
        Target()->Align = CheckAlign(V);
    }

private:
    Para* Target() {
        CheckOpen(*FS);
        auto paras = ParasOf(*FS, FP);
        if (paras.empty()) ole::Raise(Src, "The range has no paragraph.");
        return FLast ? paras.back() : paras.front();
    }
    std::shared_ptr<Shared> FS;
    Place FP;
    bool FLast;
};

class ParagraphsImpl : public word::Paragraphs {
public:
    ParagraphsImpl(std::shared_ptr<Shared> S, Place P) : FS(std::move(S)), FP(P) {}
    int GetAlignment() override {
        ole::Call("Word.Paragraphs.Alignment");
        CheckOpen(*FS);
        auto paras = ParasOf(*FS, FP);
        if (paras.empty()) return wdUndefined;
        for (Para* p : paras)
            if (p->Align != paras.front()->Align) return wdUndefined;
        return paras.front()->Align;
    }
    void SetAlignment(int V) override {
        ole::Assign("Word.Paragraphs.Alignment", V);
        CheckOpen(*FS);
        CheckAlign(V);
        for (Para* p : ParasOf(*FS, FP))
            p->Align = V;
    }
    ParagraphPtr GetFirst() override {
        ole::Call("Word.Paragraphs.First");
        return std::make_shared<ParagraphImpl>(FS, FP, false);
    }
    ParagraphPtr GetLast() override {
        ole::Call("Word.Paragraphs.Last");
        return std::make_shared<ParagraphImpl>(FS, FP, true);
    }

private:
    std::shared_ptr<Shared> FS;
    Place FP;
};

// Splits Text at CR LF, CR and LF into paragraph texts.
std::vector<AnsiString> SplitParagraphs(const AnsiString& Text) {
    std::vector<AnsiString> out(1);
    for (size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

// The special characters of find and replacement texts.
AnsiString DecodeFindText(const AnsiString& T, bool Replacement, bool& ParagraphMark) {
    AnsiString out;
    ParagraphMark = false;
    for (size_t i = 0; i < T.size(); ++i) {
        if (T[i] != '^' || i + 1 >= T.size()) {
            out += T[i];
            continue;
        }
        const char n = T[++i];
        if (n == '^')
            out += '^';
        else if (n == 't')
            out += '\t';
        else if (n == 'p') {
            out += '\r';  // a paragraph mark, split later
            ParagraphMark = true;
        } else if (n == '&' && Replacement)
            out += "\x01";  // the found text
        else
            ole::Raise(Src, AnsiString("The special character ^") + n + " is not supported.");
    }
    return out;
}

class FindImpl : public word::Find {
public:
    FindImpl(std::shared_ptr<Shared> S, Place P) : FS(std::move(S)), FP(P) {}
    bool Execute(const Variant& FindText, const Variant& MatchCase, const Variant& MatchWholeWord,
                 const Variant& MatchWildcards, const Variant& MatchSoundsLike,
                 const Variant& MatchAllWordForms, const Variant& Forward, const Variant& Wrap,
                 const Variant& Format, const Variant& ReplaceWith,
                 const Variant& Replace) override {
        ole::Call("Word.Find.Execute", FindText, MatchCase, MatchWholeWord, MatchWildcards,
                  MatchSoundsLike, MatchAllWordForms, Forward, Wrap, Format, ReplaceWith, Replace);
        CheckOpen(*FS);
        const auto flag = [](const Variant& V) {
            return !IsEmptyParam(V) && !V.IsEmpty() && V.AsBoolean();
        };
        if (flag(MatchWildcards) || flag(MatchSoundsLike) || flag(MatchAllWordForms) ||
            flag(MatchWholeWord))
            ole::Raise(Src, "This server searches only for literal text.");
        bool findMark = false, replaceMark = false;
        const AnsiString what = DecodeFindText(
            IsEmptyParam(FindText) ? AnsiString() : FindText.AsString(), false, findMark);
        if (what.empty() || findMark) ole::Raise(Src, "The search text is not supported.");
        const AnsiString with = IsEmptyParam(ReplaceWith)
                                    ? AnsiString()
                                    : DecodeFindText(ReplaceWith.AsString(), true, replaceMark);
        const int mode = IsEmptyParam(Replace) ? wdReplaceNone : Replace.AsInteger();
        const bool matchCase = flag(MatchCase);
        const auto lower = [](AnsiString s) {
            for (char& c : s)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            return s;
        };
        const AnsiString needle = matchCase ? what : lower(what);
        bool found = false;
        for (Para* p : ParasOf(*FS, FP)) {
            for (wd::Run& r : p->Runs) {
                if (r.Pic) continue;
                const AnsiString hay = matchCase ? r.Text : lower(r.Text);
                AnsiString out;
                size_t from = 0;
                for (size_t at = hay.find(needle); at != AnsiString::npos;
                     at = hay.find(needle, from)) {
                    found = true;
                    if (mode == wdReplaceNone) return true;
                    out.append(r.Text, from, at - from);
                    for (char c : with) {
                        if (c == '\x01')
                            out.append(r.Text, at, needle.size());
                        else
                            out += c;
                    }
                    from = at + needle.size();
                    if (mode == wdReplaceOne) break;
                }
                if (from > 0) {
                    out.append(r.Text, from, AnsiString::npos);
                    r.Text = std::move(out);
                }
                if (found && mode == wdReplaceOne) break;
            }
            if (found && mode == wdReplaceOne) break;
        }
        if (found && mode != wdReplaceNone) {
            FS->Saved = false;
            SplitMarks();
        }
        return found;
    }

private:
    // Paragraph marks put into run texts by a replacement become real paragraphs.
    void SplitMarks() {
        const auto split = [](std::vector<Para>& Paras) {
            for (size_t i = 0; i < Paras.size(); ++i) {
                Para& p = Paras[i];
                for (size_t k = 0; k < p.Runs.size(); ++k) {
                    const size_t cr = p.Runs[k].Text.find('\r');
                    if (cr == AnsiString::npos) continue;
                    Para next;
                    next.Align = p.Align;
                    next.MarkFmt = p.MarkFmt;
                    wd::Run tail = p.Runs[k];
                    tail.Text = p.Runs[k].Text.substr(cr + 1);
                    p.Runs[k].Text.resize(cr);
                    next.Runs.push_back(std::move(tail));
                    for (size_t m = k + 1; m < p.Runs.size(); ++m)
                        next.Runs.push_back(std::move(p.Runs[m]));
                    p.Runs.resize(k + 1);
                    Paras.insert(Paras.begin() + static_cast<std::ptrdiff_t>(i + 1),
                                 std::move(next));
                    break;  // the new paragraph is split on the next round
                }
            }
        };
        std::vector<Para> body;
        for (wd::Block& b : FS->Doc.Body)
            if (b.T)
                for (wd::TableCell& c : b.T->Cells)
                    split(c.Paras);
        // Body paragraphs: split through a temporary list of the blocks' paragraphs.
        std::vector<wd::Block> blocks;
        for (wd::Block& b : FS->Doc.Body) {
            if (b.T) {
                blocks.push_back(std::move(b));
                continue;
            }
            std::vector<Para> one(1, std::move(b.P));
            split(one);
            for (Para& p : one) {
                wd::Block nb;
                nb.P = std::move(p);
                blocks.push_back(std::move(nb));
            }
        }
        FS->Doc.Body = std::move(blocks);
    }
    std::shared_ptr<Shared> FS;
    Place FP;
};

class WordTableImpl;

class WordRangeImpl : public word::Range {
public:
    WordRangeImpl(std::shared_ptr<Shared> S, Place P) : FS(std::move(S)), FP(P) {}
    void SetText(const AnsiString& Value) override {
        ole::Assign("Word.Range.Text", Value);
        CheckOpen(*FS);
        FS->Saved = false;
        const std::vector<AnsiString> parts = SplitParagraphs(Value);
        std::vector<Para> paras;
        for (const AnsiString& t : parts) {
            Para p;
            if (!t.empty()) p.Runs.push_back({t, {}, nullptr});
            paras.push_back(std::move(p));
        }
        if (FP.Kind == Place::Whole) {
            // The story always ends with a paragraph mark: text ending in a break leaves an empty
            // last paragraph.
            FS->Doc.Body.clear();
            for (Para& p : paras) {
                wd::Block b;
                b.P = std::move(p);
                FS->Doc.Body.push_back(std::move(b));
            }
        } else if (FP.Kind == Place::CellAt) {
            FP.T->At(FP.Row, FP.Col).Paras = std::move(paras);
        } else {
            ole::Raise(Src, "Text can be set only on the whole document or a cell.");
        }
    }
    TablePtr ConvertToTable(const Variant& Separator, const Variant& NumRows,
                            const Variant& NumColumns) override;
    void InsertParagraphBefore() override {
        ole::Call("Word.Range.InsertParagraphBefore");
        Insert(false);
    }
    void InsertParagraphAfter() override {
        ole::Call("Word.Range.InsertParagraphAfter");
        Insert(true);
    }
    FindPtr GetFind() override {
        ole::Call("Word.Range.Find");
        return std::make_shared<FindImpl>(FS, FP);
    }
    ParagraphsPtr GetParagraphs() override {
        ole::Call("Word.Range.Paragraphs");
        return std::make_shared<ParagraphsImpl>(FS, FP);
    }
    FontPtr GetFont() override {
        ole::Call("Word.Range.Font");
        return std::make_shared<FontImpl>(FS, FP);
    }
    ShadingPtr GetShading() override {
        ole::Call("Word.Range.Shading");
        return std::make_shared<ShadingImpl>(FS, FP);
    }
    int GetEnd() override {
        ole::Call("Word.Range.End");
        CheckOpen(*FS);
        int s = 0, e = 0;
        Bounds(*FS, FP, s, e);
        return e;
    }

    // Where a picture goes: the paragraph and the run index at the range's start.
    void InsertPicture(const std::shared_ptr<wd::Picture>& Pic) {
        CheckOpen(*FS);
        FS->Saved = false;
        int start = 0, end = 0;
        Bounds(*FS, FP, start, end);
        Para* target = nullptr;
        int offset = 0;
        Walk(FS->Doc, [&](Para& p, int pos, wd::Table*, int, int) {
            if (target == nullptr && start >= pos && start <= pos + p.Length()) {
                target = &p;
                offset = start - pos;
            }
        });
        if (target == nullptr) ole::Raise(Src, "The position is outside the document.");
        // Find the run holding the offset and split it there.
        size_t k = 0;
        for (; k < target->Runs.size(); ++k) {
            wd::Run& r = target->Runs[k];
            const int len = r.Pic ? 1 : wd::CodePoints(r.Text);
            if (offset < len && !r.Pic) {
                if (offset > 0) {
                    const size_t cut = wd::ByteOffset(r.Text, offset);
                    wd::Run tail = r;
                    tail.Text = r.Text.substr(cut);
                    r.Text.resize(cut);
                    target->Runs.insert(target->Runs.begin() + static_cast<std::ptrdiff_t>(k + 1),
                                        std::move(tail));
                    ++k;
                }
                break;
            }
            if (offset < len) break;
            offset -= len;
        }
        wd::Run pic;
        pic.Pic = Pic;
        pic.Fmt = target->MarkFmt;
        target->Runs.insert(target->Runs.begin() + static_cast<std::ptrdiff_t>(k), std::move(pic));
    }

    std::shared_ptr<Shared> FS;
    Place FP;

private:
    void Insert(bool After) {
        CheckOpen(*FS);
        FS->Saved = false;
        if (FP.Kind == Place::CellAt) {
            auto& paras = FP.T->At(FP.Row, FP.Col).Paras;
            Para p;
            p.MarkFmt = (After ? paras.back() : paras.front()).MarkFmt;
            p.Align = (After ? paras.back() : paras.front()).Align;
            paras.insert(After ? paras.end() : paras.begin(), std::move(p));
        } else if (FP.Kind == Place::Whole) {
            wd::Block b;
            auto& body = FS->Doc.Body;
            body.insert(After ? body.end() : body.begin(), std::move(b));
        } else {
            ole::Raise(Src, "Paragraphs can be inserted only around the document or a cell.");
        }
    }
};

std::shared_ptr<word::Range> MakeRange(const std::shared_ptr<Shared>& S, const Place& P) {
    return std::make_shared<WordRangeImpl>(S, P);
}

class CellsImpl : public word::Cells {
public:
    CellsImpl(std::shared_ptr<Shared> S, wd::Table* T, int Col)
        : FS(std::move(S)), FT(T), FCol(Col) {}
    void SetVerticalAlignment(int V) override {
        ole::Assign("Word.Cells.VerticalAlignment", V);
        CheckOpen(*FS);
        if (V != 0 && V != 1 && V != 3) ole::Raise(Src, "The vertical alignment is not valid.");
        for (int r = 0; r < FT->Rows; ++r)
            FT->At(r, FCol).VAlign = V;
    }

private:
    std::shared_ptr<Shared> FS;
    wd::Table* FT;
    int FCol;
};

class ColumnImpl : public word::Column {
public:
    ColumnImpl(std::shared_ptr<Shared> S, wd::Table* T, int Col)
        : FS(std::move(S)), FT(T), FCol(Col) {}
    void SetWidth(float Points) override {
        ole::Assign("Word.Column.Width", static_cast<double>(Points));
        CheckOpen(*FS);
        if (!(Points >= 0 && Points <= 1584)) ole::Raise(Src, "The column width is out of range.");
        FT->Widths[static_cast<size_t>(FCol)] = Points;
    }
    CellsPtr GetCells() override {
        ole::Call("Word.Column.Cells");
        return std::make_shared<CellsImpl>(FS, FT, FCol);
    }
    void Select() override {
        ole::Call("Word.Column.Select");
        CheckOpen(*FS);
        FS->Selection = Place{Place::ColumnAt, FT, 0, FCol};
    }

private:
    std::shared_ptr<Shared> FS;
    wd::Table* FT;
    int FCol;
};

class ColumnsImpl : public word::Columns {
public:
    ColumnsImpl(std::shared_ptr<Shared> S, wd::Table* T) : FS(std::move(S)), FT(T) {}
    ColumnPtr Item(int Index) override {
        ole::Call("Word.Columns.Item", Index);
        if (Index < 1 || Index > FT->Cols)
            ole::Raise(Src, "The requested member of the collection does not exist.",
                       DISP_E_BADINDEX);
        return std::make_shared<ColumnImpl>(FS, FT, Index - 1);
    }

private:
    std::shared_ptr<Shared> FS;
    wd::Table* FT;
};

class RowsImpl : public word::Rows {
public:
    RowsImpl(std::shared_ptr<Shared> S, wd::Table* T) : FS(std::move(S)), FT(T) {}
    void SetSpaceBetweenColumns(float V) override {
        ole::Assign("Word.Rows.SpaceBetweenColumns", static_cast<double>(V));
        CheckOpen(*FS);
        if (!(V >= 0 && V <= 1584)) ole::Raise(Src, "The spacing is out of range.");
        FT->Space = V;
    }

private:
    std::shared_ptr<Shared> FS;
    wd::Table* FT;
};

class CellImpl : public word::Cell {
public:
    CellImpl(std::shared_ptr<Shared> S, wd::Table* T, int Row, int Col)
        : FS(std::move(S)), FT(T), FRow(Row), FCol(Col) {}
    RangePtr GetRange() override {
        ole::Call("Word.Cell.Range");
        return MakeRange(FS, Place{Place::CellAt, FT, FRow, FCol});
    }
    void SetVerticalAlignment(int V) override {
        ole::Assign("Word.Cell.VerticalAlignment", V);
        CheckOpen(*FS);
        if (V != 0 && V != 1 && V != 3) ole::Raise(Src, "The vertical alignment is not valid.");
        FT->At(FRow, FCol).VAlign = V;
    }
    void Merge(const CellPtr& Other) override {
        ole::Call("Word.Cell.Merge", Other);
        CheckOpen(*FS);
        auto o = std::dynamic_pointer_cast<CellImpl>(Other);
        if (!o || o->FT != FT) ole::Raise(Src, "Cells of different tables cannot be merged.");
        const int r1 = std::min(FRow, o->FRow), r2 = std::max(FRow, o->FRow);
        const int c1 = std::min(FCol, o->FCol), c2 = std::max(FCol, o->FCol);
        if (r1 == r2 && c1 == c2) return;
        for (int r = r1; r <= r2; ++r)
            for (int c = c1; c <= c2; ++c) {
                const wd::TableCell& cell = FT->At(r, c);
                if (cell.Covered || cell.VMerge != 0 || cell.Span != 1)
                    ole::Raise(Src, "Cells already merged cannot be merged again.");
            }
        wd::TableCell& home = FT->At(r1, c1);
        // Content of the other cells joins the home cell, as paragraphs.
        for (int r = r1; r <= r2; ++r)
            for (int c = c1; c <= c2; ++c) {
                if (r == r1 && c == c1) continue;
                wd::TableCell& cell = FT->At(r, c);
                const bool empty = cell.Paras.size() == 1 && cell.Paras[0].Runs.empty();
                if (!empty) {
                    const bool homeEmpty = home.Paras.size() == 1 && home.Paras[0].Runs.empty();
                    if (homeEmpty) home.Paras.clear();
                    for (Para& p : cell.Paras)
                        home.Paras.push_back(std::move(p));
                }
                cell.Paras.assign(1, Para{});
            }
        for (int r = r1; r <= r2; ++r) {
            wd::TableCell& first = FT->At(r, c1);
            first.Span = c2 - c1 + 1;
            if (r2 > r1) first.VMerge = r == r1 ? 1 : 2;
            if (r > r1) {
                first.Shade = home.Shade;
                first.VAlign = home.VAlign;
            }
            for (int c = c1 + 1; c <= c2; ++c)
                FT->At(r, c).Covered = true;
        }
        FS->Saved = false;
    }

private:
    friend class WordTableImpl;
    std::shared_ptr<Shared> FS;
    wd::Table* FT;
    int FRow, FCol;
};

class WordTableImpl : public word::Table {
public:
    WordTableImpl(std::shared_ptr<Shared> S, wd::Table* T) : FS(std::move(S)), FT(T) {}
    RowsPtr GetRows() override {
        ole::Call("Word.Table.Rows");
        return std::make_shared<RowsImpl>(FS, FT);
    }
    ColumnsPtr GetColumns() override {
        ole::Call("Word.Table.Columns");
        return std::make_shared<ColumnsImpl>(FS, FT);
    }
    CellPtr Cell(int Row, int Column) override {
        ole::Call("Word.Table.Cell", Row, Column);
        CheckOpen(*FS);
        if (Row < 1 || Row > FT->Rows || Column < 1 || Column > FT->Cols ||
            FT->At(Row - 1, Column - 1).Covered)
            ole::Raise(Src, "The requested member of the collection does not exist.",
                       DISP_E_BADINDEX);
        return std::make_shared<CellImpl>(FS, FT, Row - 1, Column - 1);
    }

private:
    std::shared_ptr<Shared> FS;
    wd::Table* FT;
};

TablePtr WordRangeImpl::ConvertToTable(const Variant& Separator, const Variant& NumRows,
                                       const Variant& NumColumns) {
    ole::Call("Word.Range.ConvertToTable", Separator, NumRows, NumColumns);
    CheckOpen(*FS);
    if (FP.Kind != Place::Whole)
        ole::Raise(Src, "Only the whole document can be converted to a table.");
    if (!IsEmptyParam(Separator) && Separator.AsInteger() != wdSeparateByTabs)
        ole::Raise(Src, "Only TAB-separated text can be converted.");
    auto& body = FS->Doc.Body;
    for (const wd::Block& b : body)
        if (b.T) ole::Raise(Src, "The document already holds a table.");
    // Every paragraph but a final empty one becomes a row.
    size_t count = body.size();
    if (count > 1 && body.back().P.Runs.empty()) --count;
    const long long wantRows = IsEmptyParam(NumRows) ? 0 : NumRows.AsInt64();
    const long long wantCols = IsEmptyParam(NumColumns) ? 0 : NumColumns.AsInt64();
    if (wantRows < 0 || wantCols < 0 || wantCols > 63 || wantRows > 1'000'000)
        ole::Raise(Src, "The table size is not valid.");
    std::vector<std::vector<AnsiString>> rows;
    size_t cols = static_cast<size_t>(std::max<long long>(wantCols, 1));
    for (size_t i = 0; i < count; ++i) {
        std::vector<AnsiString> fields(1);
        for (char c : body[i].P.Text()) {
            if (c == '\t')
                fields.emplace_back();
            else
                fields.back() += c;
        }
        cols = std::max(cols, fields.size());
        rows.push_back(std::move(fields));
    }
    if (cols > 63) ole::Raise(Src, "A table can have at most 63 columns.");
    while (rows.size() < static_cast<size_t>(wantRows))
        rows.emplace_back(1);
    auto t = std::make_unique<wd::Table>();
    t->Rows = static_cast<int>(rows.size());
    t->Cols = static_cast<int>(cols);
    t->Cells.resize(rows.size() * cols);
    t->Widths.assign(cols, 0);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].empty())
                t->At(static_cast<int>(r), static_cast<int>(c))
                    .Paras[0]
                    .Runs.push_back({rows[r][c], {}, nullptr});
    wd::Table* raw = t.get();
    std::vector<wd::Block> rest;
    for (size_t i = count; i < body.size(); ++i)
        rest.push_back(std::move(body[i]));
    body.clear();
    wd::Block tb;
    tb.T = std::move(t);
    body.push_back(std::move(tb));
    if (rest.empty()) rest.emplace_back();
    for (wd::Block& b : rest)
        body.push_back(std::move(b));
    FS->Saved = false;
    return std::make_shared<WordTableImpl>(FS, raw);
}

class OptionsImpl : public word::Options {
public:
    explicit OptionsImpl(std::shared_ptr<Shared> S) : FS(std::move(S)) {}
    bool GetCheckSpellingAsYouType() override {
        ole::Call("Word.Options.CheckSpellingAsYouType");
        return FS->Spelling;
    }
    void SetCheckSpellingAsYouType(bool V) override {
        ole::Assign("Word.Options.CheckSpellingAsYouType", V);
        FS->Spelling = V;
    }
    bool GetCheckGrammarAsYouType() override {
        ole::Call("Word.Options.CheckGrammarAsYouType");
        return FS->Grammar;
    }
    void SetCheckGrammarAsYouType(bool V) override {
        ole::Assign("Word.Options.CheckGrammarAsYouType", V);
        FS->Grammar = V;
    }
    bool GetPagination() override {
        ole::Call("Word.Options.Pagination");
        return FS->Pagination;
    }
    void SetPagination(bool V) override {
        ole::Assign("Word.Options.Pagination", V);
        FS->Pagination = V;
    }

private:
    std::shared_ptr<Shared> FS;
};

class SelectionImpl : public word::Selection {
public:
    explicit SelectionImpl(std::shared_ptr<Shared> S) : FS(std::move(S)) {}
    ParagraphsPtr GetParagraphs() override {
        ole::Call("Word.Selection.Paragraphs");
        return std::make_shared<ParagraphsImpl>(FS, FS->Selection);
    }
    FontPtr GetFont() override {
        ole::Call("Word.Selection.Font");
        return std::make_shared<FontImpl>(FS, FS->Selection);
    }
    RangePtr GetRange() override {
        ole::Call("Word.Selection.Range");
        return MakeRange(FS, FS->Selection);
    }
    void HomeKey(const Variant& Unit, const Variant& Extend) override {
        ole::Call("Word.Selection.HomeKey", Unit, Extend);
        if (!IsEmptyParam(Unit) && Unit.AsInteger() != wdStory)
            ole::Raise(Src, "Only the story unit is supported.");
        FS->Selection = Place{Place::Span};
    }

private:
    std::shared_ptr<Shared> FS;
};

std::shared_ptr<wd::Picture> LoadPicture(const AnsiString& FileName) {
    std::ifstream in(FileName, std::ios::binary | std::ios::ate);
    if (!in) ole::Raise(Src, "The picture file \"" + FileName + "\" cannot be opened.");
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > (64 << 20))
        ole::Raise(Src, "The picture file \"" + FileName + "\" cannot be used.");
    std::vector<char> data(static_cast<size_t>(size));
    in.seekg(0);
    in.read(data.data(), size);
    auto pic = std::make_shared<wd::Picture>();
    QImage image;
    const QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<int>(data.size()));
    if (!image.loadFromData(bytes)) {
        // Formats of our own (metafiles): draw them through the platform's graphics.
        try {
            TPicture picture;
            picture.LoadFromFile(FileName);
            TBitmap bitmap;
            const int w = std::max(1, picture.GetWidth()), h = std::max(1, picture.GetHeight());
            if (static_cast<long long>(w) * h > (1LL << 26)) throw EInvalidGraphic("too large");
            bitmap.SetSize(w, h);
            bitmap.GetCanvas()->StretchDraw(Rect(0, 0, w, h), picture.GetGraphic());
            const std::vector<Byte> drawn = bitmap.SaveToData();
            image.loadFromData(reinterpret_cast<const uchar*>(drawn.data()),
                               static_cast<int>(drawn.size()));
        } catch (const Exception&) {
        }
        if (image.isNull())
            ole::Raise(Src, "The picture file \"" + FileName + "\" has an unknown format.");
    }
    pic->Width = image.width();
    pic->Height = image.height();
    const bool jpeg = data.size() > 3 && static_cast<unsigned char>(data[0]) == 0xFF &&
                      static_cast<unsigned char>(data[1]) == 0xD8;
    const bool png = data.size() > 8 && std::equal(data.begin(), data.begin() + 4, "\x89PNG");
    if (jpeg || png) {
        pic->Png = std::move(data);
        pic->Jpeg = jpeg;
    } else {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        pic->Png.assign(out.begin(), out.end());
    }
    return pic;
}

class InlineShapesImpl : public word::InlineShapes {
public:
    explicit InlineShapesImpl(std::shared_ptr<Shared> S) : FS(std::move(S)) {}
    void AddPicture(const AnsiString& FileName, const Variant& LinkToFile,
                    const Variant& SaveWithDocument, const RangePtr& Where) override {
        ole::Call("Word.InlineShapes.AddPicture", FileName, LinkToFile, SaveWithDocument, Where);
        CheckOpen(*FS);
        if (!IsEmptyParam(LinkToFile) && LinkToFile.AsBoolean())
            ole::Raise(Src, "Linked pictures are not supported.");
        auto pic = LoadPicture(FileName);
        auto range = std::dynamic_pointer_cast<WordRangeImpl>(Where);
        if (Where && !range) ole::Raise(Src, "The range belongs to another server.");
        if (range)
            range->InsertPicture(pic);
        else
            std::static_pointer_cast<WordRangeImpl>(MakeRange(FS, Place{Place::Span}))
                ->InsertPicture(pic);
    }

private:
    std::shared_ptr<Shared> FS;
};

class ViewImpl : public word::View {
public:
    explicit ViewImpl(std::shared_ptr<Shared> S) : FS(std::move(S)) {}
    void SetType(int V) override {
        ole::Assign("Word.View.Type", V);
        FS->Doc.ViewType = V;
    }

private:
    std::shared_ptr<Shared> FS;
};

class WindowImpl : public word::Window {
public:
    explicit WindowImpl(std::shared_ptr<Shared> S) : FS(std::move(S)) {}
    ViewPtr GetView() override {
        ole::Call("Word.Window.View");
        return std::make_shared<ViewImpl>(FS);
    }

private:
    std::shared_ptr<Shared> FS;
};

class WordApp : public word::Application {
public:
    explicit WordApp(std::shared_ptr<Shared> S) : FS(std::move(S)) {}
    AnsiString GetVersion() override {
        ole::Call("Word.Application.Version");
        return GetWordServerVersion();
    }
    bool GetVisible() override {
        ole::Call("Word.Application.Visible");
        return FS->Visible;
    }
    void SetVisible(bool V) override {
        ole::Assign("Word.Application.Visible", V);
        const bool was = FS->Visible;
        FS->Visible = V;
        if (V && !was) {
            RegisterActiveObject(ole::CLSID_WordApplication, shared_from_this());
            if (!FS->Closed) {
                auto shared = FS;
                ole::ShowDocument("Word.Document", ".docx", [shared](const AnsiString& file) {
                    wd::WriteDocx(shared->Doc, file);
                });
            }
        }
    }
    OptionsPtr GetOptions() override {
        ole::Call("Word.Application.Options");
        return std::make_shared<OptionsImpl>(FS);
    }
    SelectionPtr GetSelection() override {
        ole::Call("Word.Application.Selection");
        return std::make_shared<SelectionImpl>(FS);
    }
    WindowPtr GetActiveWindow() override {
        ole::Call("Word.Application.ActiveWindow");
        CheckOpen(*FS);
        return std::make_shared<WindowImpl>(FS);
    }
    void Activate() override { ole::Call("Word.Application.Activate"); }

private:
    std::shared_ptr<Shared> FS;
};

class DocumentImpl : public word::Document {
public:
    DocumentImpl() : FS(std::make_shared<Shared>()) {}
    ApplicationPtr GetApplication() override {
        ole::Call("Word.Document.Application");
        if (!FApp) FApp = std::make_shared<WordApp>(FS);
        return FApp;
    }
    RangePtr GetRange() override {
        ole::Call("Word.Document.Range");
        return MakeRange(FS, Place{Place::Whole});
    }
    InlineShapesPtr GetInlineShapes() override {
        ole::Call("Word.Document.InlineShapes");
        return std::make_shared<InlineShapesImpl>(FS);
    }
    RangePtr Range(int Start, int End) override {
        ole::Call("Word.Document.Range", Start, End);
        CheckOpen(*FS);
        int s = 0, e = 0;
        Bounds(*FS, Place{Place::Whole}, s, e);
        if (Start < 0 || End < Start || End > e)
            ole::Raise(Src, "The position is outside the document.");
        Place p{Place::Span};
        p.Start = Start;
        p.End = End;
        return MakeRange(FS, p);
    }
    void SaveAs(const AnsiString& FileName) override {
        ole::Call("Word.Document.SaveAs", FileName);
        CheckOpen(*FS);
        const wd::Document& doc = FS->Doc;
        ole::SaveAtomically(FileName, Src,
                            [&](const AnsiString& temp) { wd::WriteDocx(doc, temp); });
        FS->Saved = true;
    }
    void Close() override {
        ole::Call("Word.Document.Close");
        CheckOpen(*FS);
        FS->Closed = true;
        if (FApp && !FS->Visible) RevokeActiveObject(ole::CLSID_WordApplication, FApp.get());
    }
    void SetSaved(bool V) override {
        ole::Assign("Word.Document.Saved", V);
        FS->Saved = V;
    }
    // Test access to the model.
    const wd::Document& Model() const { return FS->Doc; }

private:
    std::shared_ptr<Shared> FS;
    ApplicationPtr FApp;
};

}  // namespace

namespace ole {

IDispatchPtr StartWordDocument(const TCLSID&) {
    return std::make_shared<DocumentImpl>();
}

IDispatchPtr StartWordApplication(const TCLSID&) {
    auto doc = std::make_shared<DocumentImpl>();
    return std::static_pointer_cast<IDispatch>(doc->GetApplication());
}

}  // namespace ole

}  // namespace carrelon
