// TPrinter over QPrinter.
#include "platform/devices/Printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <filesystem>
#include <optional>
#include <system_error>

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
    // The PDF printer's job writes here and the file is moved onto the target at EndDoc.
    QString PartFile;
    // The stand-in, while one is set: its text measures on a 1x1 image of its resolution.
    std::optional<TPrinterStandIn> StandIn;
    QImage StandInMetrics;
    std::vector<std::unique_ptr<TCanvasRecorder>> StandInPages;
    TCanvasRecorder* SavedRecorder = nullptr;  // the canvas's own recorder during a job
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
    if (D->StandIn) return {"Stand-in"};
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

void TPrinter::SetStandIn(const TPrinterStandIn& Value) {
    CheckPrinting(false);
    if (Value.PixelsPerInchX <= 0 || Value.PixelsPerInchY <= 0 || Value.PageWidth < 0 ||
        Value.PageHeight < 0)
        throw EPrinter("Printer stand-in is not valid");
    D->StandIn = Value;
    D->StandInPages.clear();
    FPrinterIndex = 0;
    UpdateMetrics();
}

void TPrinter::ClearStandIn() {
    CheckPrinting(false);
    if (!D->StandIn) return;
    D->StandIn.reset();
    D->StandInPages.clear();
    FPrinterIndex = 0;
    UpdateMetrics();
}

bool TPrinter::IsStandIn() const {
    return D->StandIn.has_value();
}

const std::vector<std::unique_ptr<TCanvasRecorder>>& TPrinter::GetStandInPages() const {
    return D->StandInPages;
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
    if (D->StandIn) {
        const TPrinterStandIn& S = *D->StandIn;
        D->StandInMetrics = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        D->StandInMetrics.setDotsPerMeterX(qRound(S.PixelsPerInchX / 0.0254));
        D->StandInMetrics.setDotsPerMeterY(qRound(S.PixelsPerInchY / 0.0254));
        TCanvasTarget T;
        T.MetricsDevice = &D->StandInMetrics;
        T.Bounds = QRect(0, 0, S.PageWidth, S.PageHeight);
        T.LogPixelsX = S.PixelsPerInchX;
        T.LogPixelsY = S.PixelsPerInchY;
        T.FontPixelsPerInch = S.PixelsPerInchY;
        T.BitsPerPixel = 24;
        T.IsPrinter = true;
        T.PhysicalSize = T.Bounds.size();
        AttachCanvas(*FCanvas, T);
        return;
    }
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
    if (D->StandIn) {
        if (D->StandIn->FailBeginDoc) throw EPrinter("Printer selected is not valid");
        D->StandInPages.clear();
        D->SavedRecorder = FCanvas->GetRecorder();
        FPrinting = true;
        FAborted = false;
        FPageNumber = 1;
        StartStandInPage();
        return;
    }
    QPrinter& P = *D->Device;
    if (FPrinterIndex == 0) {
        const QFileInfo Target(QString::fromStdString(FOutputFileName));
        D->PartFile = Target.dir().filePath(QStringLiteral(".%1.%2.part")
                                                .arg(Target.fileName())
                                                .arg(QCoreApplication::applicationPid()));
        P.setOutputFileName(D->PartFile);
    }
    P.setDocName(QString::fromStdString(FTitle));
    P.setCreator(QStringLiteral("Carrelon"));
    D->Painter = std::make_unique<QPainter>();
    if (!D->Painter->begin(&P)) {
        D->Painter.reset();
        if (FPrinterIndex == 0) QFile::remove(D->PartFile);
        throw EPrinter("Printer selected is not valid");
    }
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
    TCanvasTarget T = FCanvas->Private()->Target;
    T.Painter = D->Painter.get();
    AttachCanvas(*FCanvas, T);
}

// Each page of the stand-in records into its own log.
void TPrinter::StartStandInPage() {
    D->StandInPages.push_back(std::make_unique<TCanvasRecorder>());
    FCanvas->SetRecorder(D->StandInPages.back().get());
}

void TPrinter::NewPage() {
    CheckPrinting(true);
    if (D->StandIn) {
        const int FailAt = D->StandIn->FailNewPageAt;
        if (FailAt > 0 && FPageNumber >= FailAt)
            throw EPrinter("Printer error: page " + std::to_string(FPageNumber + 1) +
                           " could not be started");
        StartStandInPage();
    } else {
        D->Device->newPage();
    }
    ++FPageNumber;
    FCanvas->SetPenPos({0, 0});
}

void TPrinter::EndDoc() {
    CheckPrinting(true);
    const bool Aborted = FAborted;
    FPrinting = false;
    FAborted = false;
    FPageNumber = 0;
    if (D->StandIn) {
        FCanvas->SetRecorder(D->SavedRecorder);
        D->SavedRecorder = nullptr;
        if (Aborted) D->StandInPages.clear();
        return;
    }
    TCanvasTarget T = FCanvas->Private()->Target;
    T.Painter = nullptr;
    AttachCanvas(*FCanvas, T);  // the canvas lets go of the job's painter first
    const bool Written = D->Painter->end();
    D->Painter.reset();
    if (FPrinterIndex == 0) {
        if (Aborted || !Written) {
            QFile::remove(D->PartFile);
            if (!Written) throw EPrinter("Could not write " + FOutputFileName);
            return;
        }
        FinishPdf();
    }
}

// Puts the finished part file in the target's place in one step, so the target is never seen
// half written.
void TPrinter::FinishPdf() {
    std::error_code Error;
    std::filesystem::rename(D->PartFile.toStdString(), FOutputFileName, Error);
    if (!Error) return;
    QFile::remove(D->PartFile);
    throw EPrinter("Could not write " + FOutputFileName + ": " + Error.message());
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
