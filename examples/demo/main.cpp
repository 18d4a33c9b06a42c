// Carrelon demo: a form with a formatted grid - a merged title, fixed heading row and column,
// fonts, colours, alignments, wrapped text, check boxes, a push button, borders, a picture and
// numbers whose totals are formulas. Cells edit in place: type over a cell, or press F2 or click
// the current cell to change it; Escape cancels, Tab or a click elsewhere keeps the edit, Enter
// starts a new line; "=" starts a formula. With a display it opens a window, with an order log
// below the sheet that sorts by a click on a heading, whose headings drag to rearrange the
// columns and whose product column sizes within limits; without one (or with --offscreen) it
// renders the whole grid into demo-output/carrelon-demo.png and says where. With --print it also
// prints the sheet and an order log below it into one PDF document, with header, page footers and
// repeated heading rows, and draws a print preview of the first page into a PNG. Every run saves
// the sheet's whole state as INI text into demo-output/carrelon-demo.ini, loads that file into a
// second grid and says whether every cell there shows the same text, and exports the sheet as a
// word-processor document and as a workbook, demo-output/carrelon-demo.docx and .xlsx, and imports
// the workbook back into a second grid to compare the cells. The Region column edits through a
// drop-down list of the regions and the Restock column through a date field: the arrows and Tab
// still move between cells, and a date that does not exist keeps the field open and shows why in
// the window's title.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "grid/Carrelon.h"
#include "platform/controls/AppHost.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"
#include "platform/devices/Printer.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Conversions.h"

using namespace carrelon;

namespace {

constexpr int kProducts = 9;

struct Product {
    const char* Name;
    const char* Region;
    int Quarters[4];
    bool InStock;
    const char* Restock;
    const char* Note;
};

const Product kData[kProducts] = {
    {"Oak desk",
     "North",
     {120, 135, 150, 160},
     true,
     "09/01/2026",
     "Best seller; restock before the autumn fair."},
    {"Walnut chair", "North", {310, 290, 305, 330}, true, "10/15/2026", "Steady."},
    {"Lamp, brass",
     "South",
     {85, 60, 45, 30},
     false,
     "01/20/2027",
     "Falling demand: consider a new finish."},
    {"Bookcase", "South", {42, 48, 51, 66}, true, "11/02/2026", "Grows every quarter."},
    {"Rug, wool", "East", {18, 22, 19, 25}, true, "12/01/2026", ""},
    {"Mirror",
     "East",
     {70, 74, 69, 81},
     false,
     "08/24/2026",
     "Supplier late; two crates on the way."},
    {"Side table", "West", {95, 101, 99, 120}, true, "09/30/2026", "Bundle with the lamp in Q4."},
    {"Cabinet", "West", {33, 29, 41, 38}, true, "03/03/2027", ""},
    {"Stool", "Central", {140, 155, 149, 171}, true, "10/01/2026", "New colours from March."},
};

const char* const kRegions[] = {"North", "South", "East", "West", "Central"};

// A date typed into a mask. Leaving it with a date that does not exist raises: the grid reports
// that and keeps the edit open.
class TDateEdit : public TMaskEdit {
public:
    explicit TDateEdit(TComponent* AOwner) : TMaskEdit(AOwner) { SetEditMask("00/00/0000;1;_"); }

protected:
    void CMExit(TMessage& Message) override {
        TDateTime Date;
        if (!TryStrToDate(GetText(), Date))
            throw EConvertError(GetText().append(" is not a valid date"));
        TMaskEdit::CMExit(Message);
    }
};

// A small bar chart drawn by hand, shown as the picture of the total cell.
std::unique_ptr<TBitmap> MakeChart() {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(64, 40);
    TCanvas* c = bmp->GetCanvas();
    c->GetBrush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 64, 40));
    const int heights[4] = {18, 24, 28, 34};
    const TColor colours[4] = {0x00C08040, 0x0040A0E0, 0x0050B050, 0x003050D0};
    for (int i = 0; i < 4; ++i) {
        c->GetBrush()->SetColor(colours[i]);
        c->FillRect(Rect(6 + i * 14, 38 - heights[i], 16 + i * 14, 38));
    }
    c->GetBrush()->SetColor(clGray);
    c->FrameRect(Rect(0, 0, 64, 40));
    return bmp;
}

void BuildSheet(TCarrelon& G, TGraphic* Chart) {
    // One repaint, and rows fitted to their contents, when the sheet is complete.
    G.DisableControls();
    G.SetColCount(10);
    G.SetRowCount(kProducts + 4);
    G.SetFixedCols(1);
    G.SetFixedRows(2);
    G.SetColor(0x00FBF8F4);
    G.SetFixedColor(0x00E8D8C8);
    G.SetSortIndicator(true);
    G.SetSortColumn(2);
    G.SetSortIndicatorColor(0x00804020);
    // Formulas name cells A1-style from the top-left slot; a typed character replaces the
    // cell's text, F2 and a click put the caret at its end.
    G.SetSpreadsheetEnabled(true);
    G.SetEditorOptions(G.GetEditorOptions() + eoClearOnChar + eoCursorAtEnd);
    const int widths[10] = {34, 120, 70, 64, 64, 64, 64, 84, 84, 250};
    for (int c = 0; c < 10; ++c)
        G.GetCols(c)->SetWidth(widths[c]);

    // Title row, merged across the whole sheet.
    G.MergeHoriz(1, 9, 0, "");
    TCarrelonCell* Title = G.GetCells(1, 0);
    Title->SetText("Carrelon - furniture sales by quarter");
    TFont TitleFont;
    TitleFont.SetName("DejaVu Sans");
    TitleFont.SetSize(14);
    TitleFont.SetStyle(TFontStyles{fsBold});
    TitleFont.SetColor(clWhite);
    Title->SetFont(&TitleFont);
    Title->SetColor(0x00804020);
    Title->SetTextAlignment(taCenter);
    Title->SetTextLayout(tlCenter);

    // Heading row.
    const char* headings[10] = {"#",  "Product", "Region",   "Q1",      "Q2",
                                "Q3", "Q4",      "In stock", "Restock", "Notes"};
    for (int c = 0; c < 10; ++c) {
        TCarrelonCell* H = G.GetCells(c, 1);
        H->SetText(headings[c]);
        H->SetTextAlignment(c >= 3 && c <= 6 ? taRightJustify : taCenter);
        H->GetFont()->SetStyle(TFontStyles{fsBold});
    }

    for (int i = 0; i < kProducts; ++i) {
        const Product& p = kData[i];
        const int r = i + 2;
        G.GetCells(0, r)->SetText(std::to_string(i + 1));
        G.GetCells(0, r)->SetTextAlignment(taCenter);
        G.GetCells(1, r)->SetText(p.Name);
        G.GetCells(2, r)->SetText(p.Region);
        for (int q = 0; q < 4; ++q) {
            TCarrelonCell* N = G.GetCells(3 + q, r);
            N->SetValue(Variant(p.Quarters[q]));
            N->SetTextAlignment(taRightJustify);
            if (q > 0 && p.Quarters[q] < p.Quarters[q - 1]) N->GetFont()->SetColor(clRed);
        }
        TCarrelonCell* Stock = G.GetCells(7, r);
        Stock->SetCheckBox(true);
        Stock->SetCheckBoxChecked(p.InStock);
        G.GetCells(8, r)->SetText(p.Restock);
        G.GetCells(8, r)->SetTextAlignment(taCenter);
        G.GetCells(9, r)->SetText(p.Note);
        G.GetCells(1, r)->SetHint(std::string(p.Name) + " - " + p.Region + " region" +
                                  (p.InStock ? "" : ", out of stock"));
        if (i % 2 == 1)
            for (int c = 1; c < 10; ++c)
                G.GetCells(c, r)->SetColor(0x00F0E8E0);
    }

    // Totals row: a merged label, the sums (formulas over the quarter's column) with a border,
    // a button and the chart.
    const int t = kProducts + 2;
    G.MergeHoriz(1, 2, t, "");
    TCarrelonCell* Label = G.GetCells(1, t);
    Label->SetText("Total");
    Label->GetFont()->SetStyle(TFontStyles{fsBold});
    Label->SetTextAlignment(taRightJustify);
    for (int q = 0; q < 4; ++q) {
        const std::string column(1, static_cast<char>('D' + q));
        TCarrelonCell* S = G.GetCells(3 + q, t);
        S->SetFormula("SUM(" + column + "3:" + column + std::to_string(t) + ")");
        S->SetTextAlignment(taRightJustify);
        S->GetFont()->SetStyle(TFontStyles{fsBold});
        S->SetColor(0x00C0F0FF);
        S->GetInnerBorder()->SetColor(0x0000A0E0);
    }
    TCarrelonCell* Button = G.GetCells(7, t);
    Button->SetButton(true);
    Button->SetText("Reorder");
    TCarrelonCell* ChartCell = G.GetCells(9, t);
    ChartCell->SetText("Quarter totals");
    ChartCell->SetTextLayout(tlCenter);
    ChartCell->SetGraphicAlignment(taRightJustify);
    ChartCell->SetGraphic(Chart);

    // A footnote across the sheet, word-wrapped, with an outer border.
    const int f = t + 1;
    G.MergeHoriz(1, 9, f, "");
    TCarrelonCell* Foot = G.GetCells(1, f);
    Foot->SetText(
        "Figures are units sold. Red numbers fell against the quarter before. The totals are "
        "formulas: type over a figure and they follow. The notes column wraps its text inside "
        "the cell, and the row grows to fit it. Regions are chosen from a list, restock dates "
        "typed into a date field.");
    Foot->GetFont()->SetStyle(TFontStyles{fsItalic});
    Foot->GetOuterBorder()->SetColor(0x00804020);
    Foot->GetOuterBorder()->SetWidth(2);
    G.EnableControls();
}

// A second grid for the printout: a long order log whose heading row repeats on every page.
void BuildOrderLog(TCarrelon& G) {
    constexpr int kOrders = 160;
    G.DisableControls();
    G.SetColCount(5);
    G.SetRowCount(kOrders + 1);
    G.SetFixedCols(0);
    G.SetFixedRows(1);
    G.SetFixedColor(0x00E8D8C8);
    const int widths[5] = {70, 90, 150, 80, 90};
    const char* headings[5] = {"Order", "Date", "Product", "Units", "Amount"};
    for (int c = 0; c < 5; ++c) {
        G.GetCols(c)->SetWidth(widths[c]);
        TCarrelonCell* H = G.GetCells(c, 0);
        H->SetText(headings[c]);
        H->GetFont()->SetStyle(TFontStyles{fsBold});
        H->SetTextAlignment(c >= 3 ? taRightJustify : taLeftJustify);
    }
    for (int i = 1; i <= kOrders; ++i) {
        const Product& p = kData[(i * 7) % kProducts];
        const int units = 1 + (i * 37) % 23;
        G.GetCells(0, i)->SetText("A-" + std::to_string(1000 + i));
        G.GetCells(1, i)->SetText("2026-" + std::to_string(1 + (i - 1) * 12 / kOrders) + "-" +
                                  std::to_string(1 + (i * 11) % 28));
        G.GetCells(2, i)->SetText(p.Name);
        G.GetCells(3, i)->SetValue(Variant(units));
        G.GetCells(4, i)->SetText(std::to_string(units * 49) + ".00");
        for (int c = 3; c < 5; ++c)
            G.GetCells(c, i)->SetTextAlignment(taRightJustify);
        if (i % 2 == 0)
            for (int c = 0; c < 5; ++c)
                G.GetCells(c, i)->SetColor(0x00F0E8E0);
    }
    G.EnableControls();
}

// The order log on screen: a click on a heading sorts by that column (again: the other way
// round), headings drag to rearrange the columns, and the product column sizes only between
// 80 and 220 pixels.
void ShowOrderLogInteractively(TCarrelon& G) {
    G.SetSortOnClick(true);
    G.SetSortIndicator(true);
    G.SetSortIndicatorColor(0x00804020);
    G.SetOptions(G.GetOptions() + cloColMoving);
    G.GetCols(2)->SetMinWidth(80);
    G.GetCols(2)->SetMaxWidth(220);
}

// Every page's footer names its page; set as each page starts.
void NumberPages(TCarrelon* Sender, int APage) {
    TStrings* Lines = Sender->GetPrintFooter()->GetLines();
    Lines->Clear();
    Lines->Add("Page " + std::to_string(APage));
}

void SetUpPrinting(TCarrelon& G, const char* Title) {
    TCarrelonPrintOptions options = G.GetPrintOptions();
    options.Include(poRepeatFixedRows);
    options.Include(poFitPageWidth);
    G.SetPrintOptions(options);
    TCarrelonPrintMargins* m = G.GetPrintMargins();
    m->SetLeft(0.06);
    m->SetRight(0.06);
    m->SetTop(0.05);
    m->SetBottom(0.05);
    TCarrelonPrintHeaderFooter* header = G.GetPrintHeader();
    header->GetLines()->Add(Title);
    header->SetAlignment(taCenter);
    header->SetDistance(0.02);
    TFont font;
    font.SetName("DejaVu Sans");
    font.SetSize(12);
    font.SetStyle(TFontStyles{fsBold});
    header->SetFont(&font);
    G.GetPrintFooter()->SetAlignment(taRightJustify);
    G.GetPrintFooter()->SetDistance(0.01);
    G.OnPrintPageBegin = NumberPages;
    G.OnPrintPageContinued = NumberPages;
}

// Prints the sales sheet and, on the same document below it, the order log; then previews the
// sheet's first page into a PNG. Says where both went.
bool PrintDemo(TForm& Form, TCarrelon& Sheet, const std::filesystem::path& Dir) {
    auto* Log = new TCarrelon(&Form);
    Log->SetParent(&Form);
    Log->SetVisible(false);
    BuildOrderLog(*Log);
    SetUpPrinting(Sheet, "Carrelon - furniture sales");
    SetUpPrinting(*Log, "Carrelon - order log");

    const std::filesystem::path pdf = Dir / "carrelon-demo.pdf";
    Printer()->SetOutputFileName(std::filesystem::absolute(pdf).string());
    Printer()->SetTitle("Carrelon demo");
    int pages = -1;
    try {
        const int below = Sheet.BeginPrint();
        // The log goes on a quarter inch (24 screen pixels) below the sheet.
        pages = below < 0 ? -1 : Log->EndPrint(below + 24, 0);
    } catch (const Exception& E) {
        std::fprintf(stderr, "Carrelon demo: printing failed: %s\n", E.Message.c_str());
        return false;
    }
    if (pages < 0) {
        std::fprintf(stderr, "Carrelon demo: printing was refused\n");
        return false;
    }
    std::printf("Carrelon demo: printed %d pages into %s\n", pages,
                std::filesystem::absolute(pdf).c_str());

    // The preview: an image on a form of its own, as wide as a screen page; it takes the
    // page's shape.
    TForm PreviewForm(nullptr);
    PreviewForm.SetCaption("Carrelon print preview");
    auto* Preview = new TImage(&PreviewForm);
    Preview->SetParent(&PreviewForm);
    Preview->SetBounds(0, 0, 620, 400);
    Sheet.PrintPreview(Preview, 1);
    PreviewForm.SetBounds(0, 0, Preview->GetWidth(), Preview->GetHeight());
    PreviewForm.Show();
    const std::filesystem::path png = Dir / "carrelon-print-preview.png";
    const bool saved = SaveControlImage(&PreviewForm, png.string());
    PreviewForm.Hide();
    if (!saved) {
        std::fprintf(stderr, "Carrelon demo: could not write %s\n", png.c_str());
        return false;
    }
    std::printf("Carrelon demo: drew the print preview of page 1 into %s\n",
                std::filesystem::absolute(png).c_str());
    return true;
}

// True when both grids have the same shape and every cell shows the same text.
bool SameCells(TCarrelon& A, TCarrelon& B) {
    if (A.GetAbsoluteColCount() != B.GetAbsoluteColCount() || A.GetRowCount() != B.GetRowCount())
        return false;
    for (int c = 0; c < A.GetAbsoluteColCount(); ++c)
        for (int r = 0; r < A.GetRowCount(); ++r)
            if (A.GetAbsoluteCells(c, r)->GetText() != B.GetAbsoluteCells(c, r)->GetText())
                return false;
    return true;
}

// Saves the sheet's whole state as INI text, loads the file into a second grid on the form and
// compares their cells. Says where the file went.
bool SaveIniDemo(TForm& Form, TCarrelon& Sheet, const std::filesystem::path& Dir) {
    const std::filesystem::path ini = Dir / "carrelon-demo.ini";
    auto* Copy = new TCarrelon(&Form);
    Copy->SetParent(&Form);
    Copy->SetVisible(false);
    try {
        if (!Sheet.SaveToIniFile(ini.string()) || !Copy->LoadFromIniFile(ini.string())) {
            std::fprintf(stderr, "Carrelon demo: saving or loading the INI text was refused\n");
            return false;
        }
    } catch (const Exception& E) {
        std::fprintf(stderr, "Carrelon demo: INI text: %s\n", E.Message.c_str());
        return false;
    }
    const bool same = SameCells(Sheet, *Copy);
    delete Copy;
    std::printf("Carrelon demo: saved the sheet as INI text into %s; loaded back, %s\n",
                std::filesystem::absolute(ini).c_str(),
                same ? "every cell shows the same text" : "cells differ");
    return same;
}

// Exports the sheet into a document and a workbook and says where.
bool ExportDemo(TCarrelon& Sheet, const std::filesystem::path& Dir) {
    const std::filesystem::path docx = Dir / "carrelon-demo.docx";
    if (!Sheet.ExportToWordFile(docx.string())) {
        std::fprintf(stderr, "Carrelon demo: exporting %s failed\n", docx.c_str());
        return false;
    }
    std::printf("Carrelon demo: exported the sheet as a document into %s\n",
                std::filesystem::absolute(docx).c_str());
    const std::filesystem::path xlsx = Dir / "carrelon-demo.xlsx";
    if (!Sheet.ExportToExcelFile(xlsx.string())) {
        std::fprintf(stderr, "Carrelon demo: exporting %s failed\n", xlsx.c_str());
        return false;
    }
    std::printf("Carrelon demo: exported the sheet as a workbook into %s\n",
                std::filesystem::absolute(xlsx).c_str());
    return true;
}

// Imports the exported workbook into a second grid on the form and compares the cells' texts.
bool ImportDemo(TForm& Form, TCarrelon& Sheet, const std::filesystem::path& Dir) {
    const std::filesystem::path xlsx = Dir / "carrelon-demo.xlsx";
    auto* Copy = new TCarrelon(&Form);
    Copy->SetParent(&Form);
    Copy->SetVisible(false);
    try {
        if (!Copy->ImportFromExcelFile(xlsx.string(), Null)) {
            std::fprintf(stderr, "Carrelon demo: importing %s was refused\n", xlsx.c_str());
            return false;
        }
    } catch (const Exception& E) {
        std::fprintf(stderr, "Carrelon demo: importing the workbook: %s\n", E.Message.c_str());
        return false;
    }
    int differ = 0;
    for (int c = 0; c < Sheet.GetColCount() && c < Copy->GetColCount(); ++c)
        for (int r = 0; r < Sheet.GetRowCount() && r < Copy->GetRowCount(); ++r)
            if (Sheet.GetCells(c, r)->GetText() != Copy->GetCells(c, r)->GetText()) ++differ;
    std::printf("Carrelon demo: imported the workbook back into a second grid: %s\n",
                differ == 0 ? "every cell shows the same text"
                            : (std::to_string(differ) + " cells differ").c_str());
    delete Copy;
    return differ == 0;
}

// Ctrl+F and Ctrl+H open the standard find and replace dialogs over the grid. (Ctrl+C, Ctrl+X
// and Ctrl+V copy, cut and paste cells, also with other programs as tab-separated text, and Del
// clears them: the grid's own keys.)
void WireFindAndReplace(TForm& Form, TCarrelon& Grid) {
    auto* Find = new TFindDialog(&Form);
    auto* Replace = new TReplaceDialog(&Form);
    auto NotFound = [](const AnsiString& Text) {
        MessageDlg("Cannot find \"" + Text + "\"", mtInformation, TMsgDlgButtons{mbOK}, 0);
    };
    Find->OnFind = [&Grid, Find, NotFound](TObject*) {
        if (!Grid.Find(Find->GetFindText(), Find->GetOptions())) NotFound(Find->GetFindText());
    };
    Replace->OnFind = [&Grid, Replace, NotFound](TObject*) {
        if (!Grid.Find(Replace->GetFindText(), Replace->GetOptions()))
            NotFound(Replace->GetFindText());
    };
    Replace->OnReplace = [&Grid, Replace, NotFound](TObject*) {
        if (!Grid.FindAndReplace(Replace->GetFindText(), Replace->GetReplaceText(),
                                 Replace->GetOptions()))
            NotFound(Replace->GetFindText());
    };
    Grid.OnKeyDown = [Find, Replace](TObject*, Word& Key, TShiftState Shift) {
        if (Shift != TShiftState{ssCtrl}) return;
        if (Key == 'F') Find->Execute();
        if (Key == 'H') Replace->Execute();
    };
}

// The product rows' regions edit through a drop-down list, their restock dates through a date
// field; a refused date is told in the window's title until the edit ends.
void EditThroughControls(TForm& Form, TCarrelon& G) {
    auto* Regions = new TComboBox(&Form);
    Regions->SetParent(&Form);
    Regions->SetVisible(false);
    Regions->SetStyle(csDropDownList);
    for (const char* R : kRegions)
        Regions->GetItems()->Add(R);
    auto* Dates = new TDateEdit(&Form);
    Dates->SetParent(&Form);
    Dates->SetVisible(false);
    G.OnGetEditControl = [Regions, Dates](TCarrelon*, int ACol, int ARow, TWinControl*& C) {
        if (ARow < 2 || ARow >= 2 + kProducts) return;
        if (ACol == 2) C = Regions;
        if (ACol == 8) C = Dates;
    };
    const AnsiString Caption = Form.GetCaption();
    G.OnEditControlValidateError = [&Form, Caption](TCarrelon*, int, int, const AnsiString& Msg) {
        Form.SetCaption(Caption + " - " + Msg);
    };
    G.OnCellExit = [&Form, Caption](TCarrelon*, int, int) { Form.SetCaption(Caption); };
}

bool HasArg(int argc, char** argv, const char* Arg) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], Arg) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool offscreen = HasArg(argc, argv, "--offscreen") || !DisplayAvailable();
    const bool print = HasArg(argc, argv, "--print");
    TApplicationHost Host(argc, argv, offscreen);

    auto Form = std::make_unique<TForm>(nullptr);
    Form->SetCaption("Carrelon demo");
    Form->SetBounds(100, 100, 900, offscreen ? 440 : 720);
    auto* Grid = new TCarrelon(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 900, 440);
    std::unique_ptr<TBitmap> Chart = MakeChart();
    BuildSheet(*Grid, Chart.get());
    Grid->SetShowHint(true);
    WireFindAndReplace(*Form, *Grid);
    Grid->OnButtonClicked = [](TCarrelon* Sender, int ACol, int ARow) {
        static int Requests = 0;
        Sender->GetCells(ACol, ARow)->SetText("Reorder (" + std::to_string(++Requests) + ")");
    };
    EditThroughControls(*Form, *Grid);
    if (!offscreen) {
        // On screen the order log sits below the sheet, to scroll, sort and rearrange.
        Grid->SetHeight(360);
        auto* Log = new TCarrelon(Form.get());
        Log->SetParent(Form.get());
        Log->SetBounds(0, 364, 900, 356);
        BuildOrderLog(*Log);
        ShowOrderLogInteractively(*Log);
    }
    Form->Show();

    const std::filesystem::path dir = "demo-output";
    std::filesystem::create_directories(dir);
    if (!SaveIniDemo(*Form, *Grid, dir)) return 1;
    if (!ExportDemo(*Grid, dir) || !ImportDemo(*Form, *Grid, dir)) return 1;
    if (print && !PrintDemo(*Form, *Grid, dir)) return 1;
    if (!offscreen) return Host.Run();

    // The whole grid, however much of it the window shows.
    const std::filesystem::path png = dir / "carrelon-demo.png";
    TBitmap Picture;
    if (!Grid->SaveToBitmap(&Picture) || !SaveBitmapImage(Picture, png.string())) {
        std::fprintf(stderr, "Carrelon demo: could not write %s\n", png.c_str());
        return 1;
    }
    std::printf("Carrelon demo: rendered the grid into %s\n",
                std::filesystem::absolute(png).c_str());
    return 0;
}
