// Platform-internal: the drawing a metafile holds. A paint device records what a painter does
// on it as plain commands (state changes, shapes, text, images); the commands replay on any
// painter and have a byte form of our own that is read with every count, size and number
// checked, so a metafile from a file or another program cannot make the reader misbehave.
#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <memory>
#include <vector>

#include "platform/rtl/Types.h"

namespace carrelon {

struct TMetaCommand;

class TMetaRecording {
public:
    TMetaRecording();
    ~TMetaRecording();
    TMetaRecording(const TMetaRecording&) = delete;
    TMetaRecording& operator=(const TMetaRecording&) = delete;

    void Play(QPainter& Painter) const;
    bool Empty() const { return Commands.empty(); }
    void Write(std::vector<Byte>& Out) const;
    // Reads Length bytes at Data; raises EInvalidGraphic with Message on anything malformed.
    static std::unique_ptr<TMetaRecording> Read(const Byte* Data, std::size_t Length,
                                                const char* Message);

    std::vector<std::unique_ptr<TMetaCommand>> Commands;
};

class TMetaEngine;

// A paint device of the given size and resolution whose painters record into Recording.
class TMetaDevice : public QPaintDevice {
public:
    TMetaDevice(int Width, int Height, int DpiX, int DpiY);
    ~TMetaDevice() override;
    QPaintEngine* paintEngine() const override;
    // Takes what has been recorded (the device must not be painted on at the time).
    std::unique_ptr<TMetaRecording> TakeRecording();

protected:
    int metric(PaintDeviceMetric Metric) const override;

private:
    int FWidth, FHeight, FDpiX, FDpiY;
    std::unique_ptr<TMetaEngine> Engine;
};

}  // namespace carrelon
