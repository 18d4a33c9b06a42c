// What a program needs around its forms: the application's event loop, and a control's
// picture saved as an image file. Programs include this instead of any Qt header.
#pragma once

#include <memory>

#include "platform/rtl/Types.h"

namespace carrelon {

class TBitmap;
class TWinControl;

// Owns the windowing system's application object for the program's life. Offscreen runs
// (no display, or Offscreen) draw into memory only.
class TApplicationHost {
public:
    TApplicationHost(int& argc, char** argv, bool Offscreen);
    ~TApplicationHost();
    TApplicationHost(const TApplicationHost&) = delete;
    TApplicationHost& operator=(const TApplicationHost&) = delete;

    // Runs the event loop until the last window closes; returns the exit code.
    int Run();

private:
    struct TPrivate;
    std::unique_ptr<TPrivate> D;
};

// True when the program can open windows on a display.
bool DisplayAvailable();

// Paints Control (with its children) into an image of its size and saves it; the format
// follows the file name's extension (".png", ".bmp", ".jpg"). False when it cannot be written.
bool SaveControlImage(TWinControl* Control, const AnsiString& FileName);
// Saves a bitmap in the format the file name's extension names. False when it cannot be written.
bool SaveBitmapImage(const TBitmap& Bitmap, const AnsiString& FileName);

}  // namespace carrelon
