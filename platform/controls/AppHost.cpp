// The application host over QApplication, and control and bitmap snapshots over QImage.
#include "platform/controls/AppHost.h"

#include <QApplication>
#include <QImage>
#include <cstdlib>

#include "platform/controls/Controls.h"
#include "platform/graphics/CanvasQt.h"
#include "platform/graphics/PicturesQt.h"

namespace carrelon {

struct TApplicationHost::TPrivate {
    std::unique_ptr<QApplication> App;
};

TApplicationHost::TApplicationHost(int& argc, char** argv, bool Offscreen)
    : D(std::make_unique<TPrivate>()) {
    if (Offscreen) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (QApplication::instance() == nullptr) D->App = std::make_unique<QApplication>(argc, argv);
}

TApplicationHost::~TApplicationHost() = default;

int TApplicationHost::Run() {
    return QApplication::exec();
}

bool DisplayAvailable() {
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x != nullptr && *x != '\0') || (w != nullptr && *w != '\0');
}

bool SaveControlImage(TWinControl* Control, const AnsiString& FileName) {
    if (Control == nullptr || Control->GetWidth() <= 0 || Control->GetHeight() <= 0) return false;
    QImage Image(Control->GetWidth(), Control->GetHeight(), QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::white);
    {
        TCanvas Canvas;
        TCanvasTarget Target;
        Target.Device = &Image;
        Target.Image = &Image;
        Target.Bounds = Image.rect();
        AttachCanvas(Canvas, Target);
        Control->PaintTo(&Canvas, 0, 0);
        DetachCanvas(Canvas);
    }
    return Image.save(QString::fromStdString(FileName));
}

bool SaveBitmapImage(const TBitmap& Bitmap, const AnsiString& FileName) {
    const QImage& Image = BitmapImage(Bitmap);
    return !Image.isNull() && Image.save(QString::fromStdString(FileName));
}

}  // namespace carrelon
