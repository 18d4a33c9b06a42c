// Basic types shared by every layer of the platform stand-in and the component.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace carrelon {

// Text is UTF-8 in a std::string; line breaks inside cell text are CR LF.
using AnsiString = std::string;

using Byte = std::uint8_t;
using Word = std::uint16_t;
using Cardinal = std::uint32_t;
using Int64 = std::int64_t;
using Extended = long double;  // the runtime's extended floating type

// Colours keep the framework's encoding: 0x00BBGGRR, system colours 0x800000NN.
using TColor = std::int32_t;

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// A rectangle with exclusive right and bottom edges.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint P) const {
        return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom;
    }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int Left, int Top, int Right, int Bottom) {
    return {Left, Top, Right, Bottom};
}
inline TPoint Point(int X, int Y) {
    return {X, Y};
}

class TObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

}  // namespace carrelon
