// TPrinter over QPrinter.
#include "platform/devices/Printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/WinGdi.h"

namespace carrelon {

namespace {
const AnsiString PdfPrinterName = "PDF";
}

struct TPrinterPrivate {
    std::unique_ptr<QPrinter> Device;
    std::unique_ptr<QPainter> Painter;  // active during a job
    std::vector<AnsiString> SystemPrinters;
    bool SystemPrintersKnown = false;
};

TPrinter::TPrinter()
    : D(std::make_unique<TPrinterPrivate>()), FCanvas(std::make_unique<TCanvas>()) {
    FOutputFileName = (QDir::tempPath() + "/carrelon-printout.pdf").toStdString();
    UpdateMetrics();
}

TPrinter::~TPrinter() {
    if (FPrinting) {
        try {
            Abort();
        } catch (const Exception&) {
        }
    }
    DetachCanvas(*FCanvas);
}

std::vector<AnsiString> TPrinter::GetPrinters() const {
    if (!D->SystemPrintersKnown) {
        for (const QString& Name : QPrinterInfo::availablePrinterNames())
            D->SystemPrinters.push_back(Name.toStdString());
        D->SystemPrintersKnown = true;
    }
    std::vector<AnsiString> All{PdfPrinterName};
    All.insert(All.end(), D->SystemPrinters.begin(), D->SystemPrinters.end());
    return All;
}

void TPrinter::CheckPrinting(bool Printing) const {
    if (FPrinting == Printing) return;
    throw EPrinter(Printing ? "Printer is not currently printing" : "Printing in progress");
}

void TPrinter::SetPrinterIndex(int Value) {
    CheckPrinting(false);
    if (Value == -1) Value = 0;
    if (Value < 0 || Value >= static_cast<int>(GetPrinters().size()))
        throw EPrinter("Printer index out of range");
    FPrinterIndex = Value;
    UpdateMetrics();
}

void TPrinter::SetOutputFileName(const AnsiString& Value) {
    CheckPrinting(false);
    FOutputFileName = Value;
}

void TPrinter::SetResolution(int Value) {
    CheckPrinting(false);
    if (Value < 72 || Value > 2400) throw EPrinter("Printer resolution out of range");
    FResolution = Value;
    UpdateMetrics();
}

void TPrinter::SetOrientation(TPrinterOrientation Value) {
    CheckPrinting(false);
    FOrientation = Value;
    UpdateMetrics();
}

// Configures the Qt printer for the selected printer and tells the canvas the page geometry,
// so that measuring works before a job starts.
void TPrinter::UpdateMetrics() {
    D->Device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& P = *D->Device;
    if (FPrinterIndex == 0) {
        P.setOutputFormat(QPrinter::PdfFormat);
        P.setResolution(FResolution);
        P.setPageSize(QPageSize(QPageSize::A4));
        P.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    } else {
        P.setPrinterName(QString::fromStdString(GetPrinters()[FPrinterIndex]));
    }
    P.setPageOrientation(FOrientation == poLandscape ? QPageLayout::Landscape
                                                     : QPageLayout::Portrait);
    const int Dpi = P.resolution();
    const QPageLayout Layout = P.pageLayout();
    const QRect Paint = Layout.paintRectPixels(Dpi);
    const QRect Full = Layout.fullRectPixels(Dpi);
    TCanvasTarget T;
    T.Painter = D->Painter.get();
    T.MetricsDevice = &P;
    T.Bounds = QRect(0, 0, Paint.width(), Paint.height());
    T.LogPixelsX = T.LogPixelsY = Dpi;
    T.FontPixelsPerInch = Dpi;
    T.BitsPerPixel = 24;
    T.IsPrinter = true;
    T.PhysicalSize = Full.size();
    T.PhysicalOffset = Paint.topLeft() - Full.topLeft();
    AttachCanvas(*FCanvas, T);
}

int TPrinter::GetPageWidth() const {
    return GetDeviceCaps(FCanvas.get(), HORZRES);
}

int TPrinter::GetPageHeight() const {
    return GetDeviceCaps(FCanvas.get(), VERTRES);
}

void TPrinter::BeginDoc() {
    CheckPrinting(false);
    QPrinter& P = *D->Device;
    if (FPrinterIndex == 0) P.setOutputFileName(QString::fromStdString(FOutputFileName));
    P.setDocName(QString::fromStdString(FTitle));
    P.setCreator(QStringLiteral("Carrelon"));
    D->Painter = std::make_unique<QPainter>();
    if (!D->Painter->begin(&P)) {
        D->Painter.reset();
        throw EPrinter("Printer selected is not valid");
    }
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
    TCanvasTarget T = FCanvas->Private()->Target;
    T.Painter = D->Painter.get();
    AttachCanvas(*FCanvas, T);
}

void TPrinter::NewPage() {
    CheckPrinting(true);
    D->Device->newPage();
    ++FPageNumber;
    FCanvas->SetPenPos({0, 0});
}

void TPrinter::EndDoc() {
    CheckPrinting(true);
    TCanvasTarget T = FCanvas->Private()->Target;
    T.Painter = nullptr;
    AttachCanvas(*FCanvas, T);  // the canvas lets go of the job's painter first
    D->Painter->end();
    D->Painter.reset();
    if (FAborted && FPrinterIndex == 0) QFile::remove(QString::fromStdString(FOutputFileName));
    FPrinting = false;
    FAborted = false;
    FPageNumber = 0;
}

void TPrinter::Abort() {
    CheckPrinting(true);
    FAborted = true;
    EndDoc();
}

namespace {
TPrinter* GlobalPrinter = nullptr;
// The printer holds Qt objects, so it goes when the application does.
void FreeGlobalPrinter() {
    delete GlobalPrinter;
    GlobalPrinter = nullptr;
}
}  // namespace

TPrinter* Printer() {
    if (GlobalPrinter == nullptr) {
        GlobalPrinter = new TPrinter();
        qAddPostRoutine(FreeGlobalPrinter);
    }
    return GlobalPrinter;
}

}  // namespace carrelon
