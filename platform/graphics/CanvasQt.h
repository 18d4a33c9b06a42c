// Platform-internal: the Qt side of a TCanvas. Only platform/ code includes this header; it lets
// an image, a picture, the printer or a widget's paint event lend a canvas its painter.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <memory>
#include <optional>

#include "platform/graphics/Graphics.h"

namespace carrelon {

// What a canvas draws on. Either Device (the canvas begins and ends its own painter on it,
// lazily) or Painter (an active painter lent by its owner for a while).
struct TCanvasTarget {
    QPaintDevice* Device = nullptr;
    QPainter* Painter = nullptr;
    QImage* Image = nullptr;  // the pixels, when the target is an image (Pixels, FloodFill)
    // Text is measured on this device while there is nothing to draw on (a printer between
    // jobs), so measuring before a job gives what the job will draw.
    QPaintDevice* MetricsDevice = nullptr;
    QRect Bounds;  // the device's area, the clip rectangle when nothing is excluded
    int LogPixelsX = ScreenPixelsPerInch;
    int LogPixelsY = ScreenPixelsPerInch;
    int BitsPerPixel = 32;
    // The resolution the canvas font measures its size at: the printer's on a printer canvas,
    // else the screen's (a preview drawn in printer pixels scales its fonts itself).
    int FontPixelsPerInch = ScreenPixelsPerInch;
    bool IsPrinter = false;
    // Physical page geometry in device pixels, answered by GetDeviceCaps on printer canvases.
    QSize PhysicalSize;
    QPoint PhysicalOffset;
};

struct TCanvasPrivate {
    TCanvasTarget Target;
    std::unique_ptr<QPainter> OwnPainter;  // begun on Target.Device
    std::optional<QRegion> Clip;           // nullopt: the whole device
    std::optional<QRegion> LenderClip;     // the lent painter's own clip, always kept
    bool ClipApplied = false;
    std::intptr_t FontHandle = 0;  // the font QtFont was made from
    QFont QtFont;
};

// Makes Canvas draw on Target (ending what it drew on before). A lent painter's state is saved
// here and restored by DetachCanvas.
void AttachCanvas(TCanvas& Canvas, const TCanvasTarget& Target);
// Ends the canvas's own painter and forgets the target; drawing is then only recorded.
void DetachCanvas(TCanvas& Canvas);
// Ends the canvas's own painter so its device can be read, copied or resized; the next drawing
// operation begins a new one.
void FlushCanvas(TCanvas& Canvas);
// The painter to draw with (begun if needed, clip applied, antialiasing off), or nullptr when
// the canvas has no target.
QPainter* CanvasPainter(TCanvas& Canvas);

// The Qt font for a TFont, its pixel size taken from Height (device pixels).
QFont ToQFont(const TFont& Font);
// The canvas font in Qt's terms (cached while the font stays the same).
const QFont& CanvasQFont(const TCanvas& Canvas);
// Metrics of Font as the canvas measures and draws it.
QFontMetrics CanvasFontMetrics(const TCanvas& Canvas);
// The device the canvas measures text on.
QPaintDevice* CanvasMetricsDevice(const TCanvas& Canvas);
QColor ToQColor(TColor Color);
TColor FromQColor(const QColor& Color);
inline QRect ToQRect(const TRect& R) {
    return QRect(R.Left, R.Top, R.Width(), R.Height());
}
inline TRect FromQRect(const QRect& R) {
    return {R.left(), R.top(), R.left() + R.width(), R.top() + R.height()};
}

}  // namespace carrelon
