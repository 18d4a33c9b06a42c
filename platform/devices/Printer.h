// The printer: a PDF printer writing a file (index 0, the default) and the printers the
// system's print service knows. Printer() is the one the component prints on.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exceptions.h"

namespace carrelon {

CARRELON_EXCEPTION(EPrinter, Exception);

enum TPrinterOrientation { poPortrait, poLandscape };

// A printer that prints on nothing, of settable resolution and page size: each page of a job is
// kept as the ordered record of what was drawn on it. Tests and benchmarks print on it.
struct TPrinterStandIn {
    int PixelsPerInchX = 600;
    int PixelsPerInchY = 600;
    // The printable area in printer pixels.
    int PageWidth = 4961;
    int PageHeight = 7016;
    // Failures on demand: BeginDoc raises, or NewPage raises once the job has this many pages
    // (0: never). Both raise EPrinter as a real printer's failure would.
    bool FailBeginDoc = false;
    int FailNewPageAt = 0;
};

struct TPrinterPrivate;

class TPrinter : public TObject {
public:
    TPrinter();
    ~TPrinter() override;
    AnsiString ClassName() const override { return "TPrinter"; }

    // Printer names; the first is the PDF printer (the stand-in while one is set).
    std::vector<AnsiString> GetPrinters() const;
    int GetPrinterIndex() const { return FPrinterIndex; }
    // -1 selects the default (the PDF printer). Raises EPrinter "Printing in progress" during a
    // job and "Printer index out of range" for an unknown index.
    void SetPrinterIndex(int Value);

    // Makes this printer the stand-in until ClearStandIn; raises "Printing in progress" during
    // a job. The printer index becomes 0, the stand-in.
    void SetStandIn(const TPrinterStandIn& Value);
    void ClearStandIn();
    bool IsStandIn() const;
    // The stand-in's pages of the current or the last job: what was drawn on each, in order.
    const std::vector<std::unique_ptr<TCanvasRecorder>>& GetStandInPages() const;

    // The file the PDF printer writes. A job writes a temporary file beside it and puts it in
    // its place at EndDoc, so an aborted or failed job leaves an existing file as it was.
    AnsiString GetOutputFileName() const { return FOutputFileName; }
    void SetOutputFileName(const AnsiString& Value);
    // Pixels per inch of the PDF printer (600 unless set; not during a job).
    int GetResolution() const { return FResolution; }
    void SetResolution(int Value);

    AnsiString GetTitle() const { return FTitle; }
    void SetTitle(const AnsiString& Value) { FTitle = Value; }
    TPrinterOrientation GetOrientation() const { return FOrientation; }
    // Raises EPrinter "Printing in progress" during a job.
    void SetOrientation(TPrinterOrientation Value);

    // The canvas of the page being printed. Outside a job it draws nothing but measures with
    // the printer's resolution and answers GetDeviceCaps.
    TCanvas* GetCanvas() const { return FCanvas.get(); }
    HDC GetHandle() const { return FCanvas.get(); }
    // The printable area in printer pixels.
    int GetPageWidth() const;
    int GetPageHeight() const;
    int GetPageNumber() const { return FPageNumber; }
    bool GetPrinting() const { return FPrinting; }
    bool GetAborted() const { return FAborted; }

    // Job control. BeginDoc during a job raises "Printing in progress"; NewPage, EndDoc and
    // Abort without one raise "Printer is not currently printing"; a printer that cannot
    // start raises "Printer selected is not valid". Abort discards the output.
    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();

private:
    void CheckPrinting(bool Printing) const;
    void UpdateMetrics();
    void StartStandInPage();
    void FinishPdf();

    std::unique_ptr<TPrinterPrivate> D;
    std::unique_ptr<TCanvas> FCanvas;
    int FPrinterIndex = 0;
    int FResolution = 600;
    AnsiString FOutputFileName;
    AnsiString FTitle;
    TPrinterOrientation FOrientation = poPortrait;
    int FPageNumber = 0;
    bool FPrinting = false;
    bool FAborted = false;
};

// The printer the component uses, created on first use.
TPrinter* Printer();

}  // namespace carrelon
