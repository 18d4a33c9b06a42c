// Export to the word processor: the data area becomes a table of a new document, with the
// columns' widths, alignments, fonts and colours, each cell's own formatting and picture, and
// the merged ranges; the document is left open for the user or saved and closed.
#include <cmath>
#include <vector>

#include "exchange/OfficeExchange.h"
#include "grid/ScopeExit.h"
#include "platform/automation/WordAutomation.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/MathFunctions.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/TempFiles.h"

namespace carrelon {

namespace {

using namespace carrelon::word;

int ParagraphAlignment(TAlignment A) {
    switch (A) {
        case taRightJustify:
            return wdAlignParagraphRight;
        case taCenter:
            return wdAlignParagraphCenter;
        default:
            return wdAlignParagraphLeft;
    }
}

int CellVerticalAlignment(TTextLayout L) {
    switch (L) {
        case tlCenter:
            return wdCellAlignVerticalCenter;
        case tlBottom:
            return wdCellAlignVerticalBottom;
        default:
            return wdCellAlignVerticalTop;
    }
}

// The number the leading digits of a version text form ("16.0" gives 16).
int MajorVersion(const AnsiString& Version) {
    int major = 0;
    for (char c : Version) {
        if (c < '0' || c > '9' || major > 100000) break;
        major = major * 10 + (c - '0');
    }
    return major;
}

// Find treats "^" as the start of a special character; a literal one is written twice.
AnsiString FindText(const AnsiString& Text) {
    return StringReplace(Text, "^", "^^", TReplaceFlags{rfReplaceAll});
}

// Candidates for the character that stands for a TAB inside a cell until the table exists:
// characters of the private-use area, the first one that no cell text contains.
AnsiString TabMarkCandidate(int Index) {
    const char32_t c = 0xE000 + static_cast<char32_t>(Index);
    AnsiString s;
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
    return s;
}

}  // namespace

// One export into one new document.
class TCarrelonWordExport {
public:
    TCarrelonWordExport(TCarrelon* Grid, int Mode, const AnsiString& FileName)
        : G(Grid), d(TCarrelonPrivate::Of(Grid)), FMode(Mode), FFileName(FileName) {
        H = d.FSpreadsheetHeaders ? 1 : 0;
        N = G->GetRowCount() - H;
        M = G->GetColCount() - H;
    }

    bool Run();
    // The document text with TabMark standing for the TABs inside cells; TabCount says how
    // many there were.
    AnsiString BuildText(const AnsiString& TabMark, long long& TabCount) const;
    // A TAB mark that no cell text contains, and the text built with it.
    AnsiString BuildTextWithFreeMark(AnsiString& TabMark, long long& TabCount) const;

private:
    // The Word objects of one table cell, fetched when first needed.
    struct TWordCell {
        TablePtr Table;
        int Row, Col;
        CellPtr FCell;
        RangePtr FRange;
        ParagraphsPtr FParagraphs;
        FontPtr FFont;
        CellPtr Cell() {
            if (!FCell) FCell = Table->Cell(Row, Col);
            return FCell;
        }
        RangePtr Range() {
            if (!FRange) FRange = Cell()->GetRange();
            return FRange;
        }
        ParagraphsPtr Paragraphs() {
            if (!FParagraphs) FParagraphs = Range()->GetParagraphs();
            return FParagraphs;
        }
        FontPtr Font() {
            if (!FFont) FFont = Range()->GetFont();
            return FFont;
        }
    };

    void Export();
    void ColumnPass();
    void CellPass();
    void MergePass();
    void ExportCellToWord(int WordRow, int WordCol, TCarrelonCol* Col, TCarrelonCell* Cell);
    void ExportPicture(TWordCell& W, TCarrelonCell* Cell);
    bool ColumnStep();
    // Writes a colour as RGB (version 9 and above) or as a colour index.
    template <class Rgb, class Index>
    void WriteColor(TColor Color, Rgb&& SetRgb, Index&& SetIndex) const {
        if (FVersion >= 9)
            SetRgb(static_cast<int>(ColorToRGB(Color)));
        else
            SetIndex(TCarrelon::ColorToWordColorIndex(Color));
    }
    void RestoreOptions();
    void Discard();

    TCarrelon* G;
    TCarrelonPrivate& d;
    int FMode;
    AnsiString FFileName;
    int H;
    long long N, M;
    DocumentPtr FDocument;
    ApplicationPtr FApplication;
    OptionsPtr FOptions;
    TablePtr FTable;
    int FVersion = 0;
    bool FWasVisible = false;
    bool FOptionsRead = false;
    bool FSpelling = false, FGrammar = false, FPagination = false;
    int FPixelsPerInch = 96;
    long long FPosition = 0;
    long long FColumnStep = 0;
    std::unique_ptr<TOfficeProgress> FProgress;
    std::vector<std::pair<CellPtr, CellPtr>> FMerges;
};

AnsiString TCarrelonWordExport::BuildText(const AnsiString& TabMark, long long& TabCount) const {
    TabCount = 0;
    AnsiString text;
    const AnsiString& tag = d.FExportTag;
    const int cols = G->GetColCount(), rows = G->GetRowCount();
    for (int r = H; r < rows; ++r)
        for (int j = H; j < cols; ++j) {
            TCarrelonCell* cell = G->GetCells(j, r);
            if (cell->GetRow() == r && cell->GetStartCol() == j) {
                const AnsiString s = cell->GetText();
                // Every line break, CR LF or lone, becomes the tag; a TAB the mark, so that
                // neither splits the table's rows or cells.
                for (std::size_t i = 0; i < s.size(); ++i) {
                    const char c = s[i];
                    if (c == '\r' || c == '\n') {
                        if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
                        text += tag;
                    } else if (c == '\t') {
                        text += TabMark;
                        ++TabCount;
                    } else {
                        text += c;
                    }
                }
            }
            text += j < cols - 1 ? "\t" : "\r\n";
        }
    return text;
}

AnsiString TCarrelonWordExport::BuildTextWithFreeMark(AnsiString& TabMark,
                                                      long long& TabCount) const {
    for (int i = 0;; ++i) {
        TabMark = TabMarkCandidate(i);
        AnsiString text = BuildText(TabMark, TabCount);
        if (TabCount == 0) return text;
        // The mark must stand only for the TABs: not in a cell text, not in the tag.
        long long found = 0;
        for (std::size_t p = text.find(TabMark); p != AnsiString::npos;
             p = text.find(TabMark, p + TabMark.size()))
            ++found;
        if (found == TabCount && d.FExportTag.find(TabMark) == AnsiString::npos) return text;
        if (i == 0x18FF) {
            TabCount = 0;
            TabMark.clear();
            return BuildText({}, TabCount);
        }
    }
}

bool TCarrelonWordExport::Run() {
    // Eight column steps of Round(N / 8) each, then one per cell.
    FColumnStep = Round(static_cast<Extended>(N) / 8);
    FProgress =
        std::make_unique<TOfficeProgress>(G, G->OnExportProgress, FColumnStep * 8 * M + N * M);
    TComSession com;
    try {
        FDocument = OleCast<Document>(CreateOleObject("Word.Document"));
    } catch (const Exception& E) {
        ShowOfficeStartFailure("Word", E.Message);
        return false;
    }
    try {
        Export();
    } catch (...) {
        // The document is discarded and the user's settings put back.
        Quietly([this] { RestoreOptions(); });
        Quietly([this] { Discard(); });
        return false;
    }
    return !FProgress->Stopped();
}

void TCarrelonWordExport::Export() {
    FApplication = FDocument->GetApplication();
    FVersion = MajorVersion(FApplication->GetVersion());
    FWasVisible = FApplication->GetVisible();
    if (FWasVisible) FApplication->SetVisible(false);
    FOptions = FApplication->GetOptions();
    FSpelling = FOptions->GetCheckSpellingAsYouType();
    FGrammar = FOptions->GetCheckGrammarAsYouType();
    FPagination = FOptions->GetPagination();
    FOptionsRead = true;
    FOptions->SetCheckSpellingAsYouType(false);
    FOptions->SetCheckGrammarAsYouType(false);
    FOptions->SetPagination(false);

    // An area without rows or columns (only the headings) gives an empty document.
    if (N > 0 && M > 0) {
        AnsiString tabMark;
        long long tabs = 0;
        FDocument->GetRange()->SetText(BuildTextWithFreeMark(tabMark, tabs));
        FTable = FDocument->GetRange()->ConvertToTable(wdSeparateByTabs, static_cast<int>(N),
                                                       static_cast<int>(M));
        FDocument->GetRange()->GetFind()->Execute(FindText(d.FExportTag), true, false, false, false,
                                                  false, true, wdFindContinue, false, "^p",
                                                  wdReplaceAll);
        if (tabs > 0)
            FDocument->GetRange()->GetFind()->Execute(tabMark, true, false, false, false, false,
                                                      true, wdFindContinue, false, "^t",
                                                      wdReplaceAll);
        FPixelsPerInch = std::max(GridPixelsPerInch(G), 1);
        FTable->GetRows()->SetSpaceBetweenColumns(
            static_cast<float>(static_cast<double>(d.FBorderForText) / FPixelsPerInch * 72));
        ColumnPass();
        if (!FProgress->Stopped()) CellPass();
        if (!FProgress->Stopped()) MergePass();
    }

    if (FProgress->Stopped()) {
        RestoreOptions();
        Discard();
        return;
    }
    FApplication->GetSelection()->HomeKey(wdStory, 0);
    FApplication->GetActiveWindow()->GetView()->SetType(wdNormalView);
    RestoreOptions();
    if (FMode == 0) {
        FApplication->SetVisible(true);
        FApplication->Activate();
    } else {
        FDocument->SaveAs(FFileName);
        FDocument->Close();
        if (FWasVisible) FApplication->SetVisible(true);
    }
}

bool TCarrelonWordExport::ColumnStep() {
    if (!FProgress->Assigned()) return false;
    FPosition += FColumnStep;
    return FProgress->Report(FPosition);
}

void TCarrelonWordExport::ColumnPass() {
    ColumnsPtr columns = FTable->GetColumns();
    SelectionPtr selection = FApplication->GetSelection();
    for (int i = H; i < G->GetColCount(); ++i) {
        TCarrelonCol* col = d.FCols[i];
        ColumnPtr column = columns->Item(i + 1 - H);
        column->SetWidth(static_cast<float>(
            Round(static_cast<Extended>(col->GetWidth()) / FPixelsPerInch * 72)));
        if (ColumnStep()) return;
        column->GetCells()->SetVerticalAlignment(CellVerticalAlignment(col->GetTextLayout()));
        column->Select();
        if (ColumnStep()) return;
        selection->GetParagraphs()->SetAlignment(ParagraphAlignment(col->GetTextAlignment()));
        if (ColumnStep()) return;
        const TFont* font = col->CalcFont();
        FontPtr selFont = selection->GetFont();
        selFont->SetName(font->GetName());
        if (ColumnStep()) return;
        selFont->SetSize(static_cast<float>(font->GetSize()));
        if (ColumnStep()) return;
        WriteColor(
            font->GetColor(), [&](int C) { selFont->SetColor(C); },
            [&](int C) { selFont->SetColorIndex(C); });
        if (ColumnStep()) return;
        const TFontStyles style = font->GetStyle();
        if (style.Contains(fsBold)) selFont->SetBold(true);
        if (style.Contains(fsItalic) || style.Contains(fsUnderline) ||
            style.Contains(fsStrikeOut)) {
            FontPtr rangeFont = selection->GetRange()->GetFont();
            if (style.Contains(fsItalic)) rangeFont->SetItalic(true);
            if (style.Contains(fsUnderline)) rangeFont->SetUnderline(true);
            if (style.Contains(fsStrikeOut)) rangeFont->SetStrikeThrough(true);
        }
        if (ColumnStep()) return;
        ShadingPtr shading = selection->GetRange()->GetShading();
        WriteColor(
            col->GetColor(), [&](int C) { shading->SetBackgroundPatternColor(C); },
            [&](int C) { shading->SetBackgroundPatternColorIndex(C); });
        if (ColumnStep()) return;
    }
}

void TCarrelonWordExport::CellPass() {
    const long long P = FPosition;
    const int cols = G->GetColCount(), rows = G->GetRowCount();
    for (int j = H; j < cols; ++j)
        for (int r = H; r < rows; ++r) {
            TCarrelonCell* cell = G->GetCells(j, r);
            if (cell->GetRow() != r || cell->GetStartCol() != j) continue;
            if (cell->GetEndRow() != r || cell->GetEndCol() != j)
                FMerges.emplace_back(
                    FTable->Cell(r + 1 - H, j + 1 - H),
                    FTable->Cell(cell->GetEndRow() + 1 - H, cell->GetEndCol() + 1 - H));
            ExportCellToWord(r + 1 - H, j + 1 - H, d.FCols[j], cell);
            if (FProgress->Report(P + (j - H) * N + (r - H) + 1)) return;
        }
}

void TCarrelonWordExport::MergePass() {
    for (auto& [start, end] : FMerges) {
        if (FProgress->Stopped()) break;
        const int alignment = start->GetRange()->GetParagraphs()->GetAlignment();
        start->Merge(end);
        start->GetRange()->GetParagraphs()->SetAlignment(alignment);
        start.reset();
        end.reset();
    }
    FMerges.clear();
}

void TCarrelonWordExport::ExportCellToWord(int WordRow, int WordCol, TCarrelonCol* Col,
                                           TCarrelonCell* Cell) {
    TWordCell w{FTable, WordRow, WordCol, {}, {}, {}, {}};
    if (Cell->GetTextAlignment() != Col->GetTextAlignment())
        w.Paragraphs()->SetAlignment(ParagraphAlignment(Cell->GetTextAlignment()));
    if (Cell->GetTextLayout() != Col->GetTextLayout())
        w.Cell()->SetVerticalAlignment(CellVerticalAlignment(Cell->GetTextLayout()));
    if (Cell->FontUsed()) {
        const TFont* own = Cell->ReadFFont();
        const TFont* base = Col->CalcFont();
        if (own->GetName() != base->GetName()) w.Font()->SetName(own->GetName());
        if (ColorToRGB(own->GetColor()) != ColorToRGB(base->GetColor()))
            WriteColor(
                own->GetColor(), [&](int C) { w.Font()->SetColor(C); },
                [&](int C) { w.Font()->SetColorIndex(C); });
        if (own->GetSize() != base->GetSize())
            w.Font()->SetSize(static_cast<float>(own->GetSize()));
        const TFontStyles a = own->GetStyle(), b = base->GetStyle();
        if (a.Contains(fsBold) != b.Contains(fsBold)) w.Font()->SetBold(a.Contains(fsBold));
        if (a.Contains(fsItalic) != b.Contains(fsItalic)) w.Font()->SetItalic(a.Contains(fsItalic));
        if (a.Contains(fsUnderline) != b.Contains(fsUnderline))
            w.Font()->SetUnderline(a.Contains(fsUnderline));
        if (a.Contains(fsStrikeOut) != b.Contains(fsStrikeOut))
            w.Font()->SetStrikeThrough(a.Contains(fsStrikeOut));
    }
    if (ColorToRGB(Cell->GetColor()) != ColorToRGB(Col->GetColor())) {
        ShadingPtr shading = w.Range()->GetShading();
        WriteColor(
            Cell->GetColor(), [&](int C) { shading->SetBackgroundPatternColor(C); },
            [&](int C) { shading->SetBackgroundPatternColorIndex(C); });
    }
    ExportPicture(w, Cell);
}

void TCarrelonWordExport::ExportPicture(TWordCell& W, TCarrelonCell* Cell) {
    TPicture* picture = Cell->GetPicture();
    TGraphic* graphic = picture != nullptr ? picture->GetGraphic() : nullptr;
    if (graphic == nullptr || dynamic_cast<TIcon*>(graphic) != nullptr) return;

    char folder[MAX_PATH] = {};
    char name[MAX_PATH] = {};
    if (GetTempPathA(MAX_PATH, folder) == 0 || GetTempFileNameA(folder, "", 0, name) == 0)
        throw EOleError("No temporary file for a picture could be made.");
    const AnsiString fileName = name;
    TScopeExit RemoveFile([&] { DeleteFile(fileName); });
    graphic->SaveToFile(fileName);

    const TAlignment textAlign = Cell->GetTextAlignment(),
                     graphicAlign = Cell->GetGraphicAlignment();
    const TTextLayout textLayout = Cell->GetTextLayout(), graphicLayout = Cell->GetGraphicLayout();
    const bool hasText = !Cell->GetText().empty();
    RangePtr where;
    if (graphicAlign == taRightJustify && textAlign != taRightJustify &&
        textLayout == graphicLayout && hasText) {
        const int e = W.Range()->GetEnd() - 1;
        where = FDocument->Range(e, e);
        FDocument->GetInlineShapes()->AddPicture(fileName, false, true, where);
    } else if (graphicLayout == tlTop && textLayout == tlBottom && hasText) {
        W.Range()->InsertParagraphBefore();
        FDocument->GetInlineShapes()->AddPicture(fileName, false, true, W.Range());
        W.Range()->GetParagraphs()->GetFirst()->SetAlignment(ParagraphAlignment(graphicAlign));
    } else if (graphicLayout == tlBottom && textLayout == tlTop && hasText) {
        W.Range()->InsertParagraphAfter();
        const int e = W.Range()->GetEnd() - 1;
        FDocument->GetInlineShapes()->AddPicture(fileName, false, true, FDocument->Range(e, e));
        W.Paragraphs()->GetLast()->SetAlignment(ParagraphAlignment(graphicAlign));
    } else {
        FDocument->GetInlineShapes()->AddPicture(fileName, false, true, W.Range());
    }
}

void TCarrelonWordExport::RestoreOptions() {
    if (!FOptionsRead) return;
    FOptionsRead = false;
    FOptions->SetCheckSpellingAsYouType(FSpelling);
    FOptions->SetCheckGrammarAsYouType(FGrammar);
    FOptions->SetPagination(FPagination);
}

// Closes the document unsaved and gives the application back as it was.
void TCarrelonWordExport::Discard() {
    FDocument->SetSaved(true);
    FDocument->Close();
    if (FWasVisible && FApplication) FApplication->SetVisible(true);
}

// ---- TCarrelon ----------------------------------------------------------------------------

int TCarrelon::ColorToWordColorIndex(TColor Color) {
    switch (ColorToRGB(Color)) {
        case 0x000000:
            return 1;
        case 0x000080:
            return 13;
        case 0x0000FF:
            return 6;
        case 0x008000:
            return 11;
        case 0x008080:
            return 14;
        case 0x00FF00:
            return 4;
        case 0x00FFFF:
            return 7;
        case 0x800000:
            return 9;
        case 0x800080:
            return 12;
        case 0x808000:
            return 10;
        case 0x808080:
            return 15;
        case 0xC0C0C0:
            return 16;
        case 0xFF0000:
            return 2;
        case 0xFF00FF:
            return 5;
        case 0xFFFF00:
            return 3;
        case 0xFFFFFF:
            return 8;
        default:
            return 0;
    }
}

AnsiString TCarrelon::BuildExportText() const {
    AnsiString mark;
    long long tabs = 0;
    return TCarrelonWordExport(const_cast<TCarrelon*>(this), 1, {})
        .BuildTextWithFreeMark(mark, tabs);
}

bool TCarrelon::ExportToWord() {
    return WithEditorClosed(*d, [this] { return DoExportToWord(0, {}); });
}

bool TCarrelon::ExportToWordFile(const AnsiString& FileName) {
    return WithEditorClosed(*d, [&] { return DoExportToWord(1, FileName); });
}

bool TCarrelon::DoExportToWord(int Mode, const AnsiString& FileName) {
    return TCarrelonWordExport(this, Mode, FileName).Run();
}

}  // namespace carrelon
