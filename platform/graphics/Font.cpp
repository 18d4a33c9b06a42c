// TFont, TBrush and TPen, and the mapping of fonts onto Qt.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <tuple>

#include "platform/graphics/CanvasQt.h"

namespace carrelon {

namespace {

// a * b / c rounded half away from zero, as the framework scales font sizes.
int MulDiv(int A, int B, int C) {
    if (C == 0) return -1;
    const std::int64_t P = static_cast<std::int64_t>(A) * B;
    std::int64_t Q = P / C;
    const std::int64_t R = P % C;
    if (2 * std::llabs(R) >= std::llabs(C)) Q += ((P < 0) != (C < 0)) ? -1 : 1;
    return static_cast<int>(std::clamp<std::int64_t>(Q, INT32_MIN, INT32_MAX));
}

AnsiString Lower(AnsiString S) {
    std::transform(S.begin(), S.end(), S.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return S;
}

// Classic desktop font names resolve to the fonts installed with the system, chosen so that the
// default 8-point font measures 13 pixels high.
QString FamilyFor(const AnsiString& Name) {
    static const std::map<AnsiString, const char*> Map = {
        {"ms sans serif", "DejaVu Sans"},
        {"microsoft sans serif", "DejaVu Sans"},
        {"ms shell dlg", "DejaVu Sans"},
        {"ms shell dlg 2", "DejaVu Sans"},
        {"tahoma", "DejaVu Sans"},
        {"system", "DejaVu Sans"},
        {"segoe ui", "DejaVu Sans"},
        {"verdana", "DejaVu Sans"},
        {"arial", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"times new roman", "Liberation Serif"},
        {"ms serif", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
    };
    const auto It = Map.find(Lower(Name));
    return It != Map.end() ? QString::fromLatin1(It->second) : QString::fromStdString(Name);
}

}  // namespace

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

// ---- TFont ----

TFont::TFont() = default;

void TFont::Assign(const TPersistent* Source) {
    const auto* F = dynamic_cast<const TFont*>(Source);
    if (F == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    FName = F->FName;
    FHeight = FPixelsPerInch == F->FPixelsPerInch ? F->FHeight
                                                  : -MulDiv(F->GetSize(), FPixelsPerInch, 72);
    FColor = F->FColor;
    FStyle = F->FStyle;
    FCharset = F->FCharset;
    FPitch = F->FPitch;
    FHandle = 0;
    Changed();
}

void TFont::SetName(const AnsiString& Value) {
    if (FName == Value) return;
    FName = Value;
    FHandle = 0;
    Changed();
}

int TFont::GetSize() const {
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int Value) {
    SetHeight(-MulDiv(Value, FPixelsPerInch, 72));
}

void TFont::SetHeight(int Value) {
    if (FHeight == Value) return;
    FHeight = Value;
    FHandle = 0;
    Changed();
}

void TFont::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Changed();
}

void TFont::SetStyle(TFontStyles Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    FHandle = 0;
    Changed();
}

void TFont::SetCharset(TFontCharset Value) {
    if (FCharset == Value) return;
    FCharset = Value;
    FHandle = 0;
    Changed();
}

void TFont::SetPitch(TFontPitch Value) {
    if (FPitch == Value) return;
    FPitch = Value;
    FHandle = 0;
    Changed();
}

void TFont::SetPixelsPerInch(int Value) {
    if (Value <= 0 || Value == FPixelsPerInch) return;
    const int Size = GetSize();
    FPixelsPerInch = Value;
    FHeight = -MulDiv(Size, FPixelsPerInch, 72);
    FHandle = 0;
    Changed();
}

std::intptr_t TFont::GetHandle() const {
    if (FHandle != 0) return FHandle;
    using Key = std::tuple<AnsiString, int, std::uint64_t, int, int>;
    static std::map<Key, std::intptr_t> Handles;
    const Key K{FName, FHeight, FStyle.ToInt(), FCharset, FPitch};
    const auto It = Handles.find(K);
    if (It != Handles.end()) return FHandle = It->second;
    const auto H = static_cast<std::intptr_t>(Handles.size() + 1);
    Handles.emplace(K, H);
    return FHandle = H;
}

QFont ToQFont(const TFont& Font) {
    QFont Q(FamilyFor(Font.GetName()));
    Q.setBold(Font.GetStyle().Contains(fsBold));
    Q.setItalic(Font.GetStyle().Contains(fsItalic));
    Q.setUnderline(Font.GetStyle().Contains(fsUnderline));
    Q.setStrikeOut(Font.GetStyle().Contains(fsStrikeOut));
    if (Font.GetPitch() == fpFixed) Q.setFixedPitch(true);
    Q.setStyleStrategy(QFont::NoSubpixelAntialias);
    const int Height = Font.GetHeight();
    if (Height < 0) {
        Q.setPixelSize(std::min(-Height, 32767));
    } else if (Height > 0) {
        // A positive height is the character cell: the largest size whose cell fits.
        int Pixels = std::min(Height, 32767);
        Q.setPixelSize(Pixels);
        while (Pixels > 1 && QFontMetrics(Q).height() > Height) {
            Q.setPixelSize(--Pixels);
        }
    } else {
        Q.setPixelSize(MulDiv(8, Font.GetPixelsPerInch(), 72));
    }
    return Q;
}

// ---- TBrush and TPen ----

void TBrush::Assign(const TPersistent* Source) {
    const auto* B = dynamic_cast<const TBrush*>(Source);
    if (B == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    FColor = B->FColor;
    FStyle = B->FStyle;
    Changed();
}

void TBrush::SetColor(TColor Value) {
    if (FColor == Value && FStyle != bsClear) return;
    FColor = Value;
    // A colour given to a clear brush makes it solid again.
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Changed();
}

void TPen::Assign(const TPersistent* Source) {
    const auto* P = dynamic_cast<const TPen*>(Source);
    if (P == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    FColor = P->FColor;
    FWidth = P->FWidth;
    FStyle = P->FStyle;
    FMode = P->FMode;
    Changed();
}

void TPen::SetColor(TColor Value) {
    if (FColor == Value) return;
    FColor = Value;
    Changed();
}

void TPen::SetWidth(int Value) {
    if (Value < 0) Value = 0;
    if (FWidth == Value) return;
    FWidth = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value) {
    if (FMode == Value) return;
    FMode = Value;
    Changed();
}

}  // namespace carrelon
