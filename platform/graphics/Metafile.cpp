// TMetafile: a recorded drawing with its size, and the canvas that records into it.
#include <cstring>

#include "platform/graphics/PicturesQt.h"
#include "platform/graphics/WinGdi.h"

namespace carrelon {

namespace {

// Stream form: "CMTF", version, width, height, MM width, MM height (32-bit little-endian
// each), an enhanced flag byte, the recording's length and the recording's byte form.
constexpr char Magic[4] = {'C', 'M', 'T', 'F'};
constexpr std::uint32_t Version = 2;
constexpr std::size_t HeaderSize = 4 + 4 + 4 * 4 + 1 + 4;
constexpr std::int64_t MaxExtent = std::int64_t{1} << 24;

void Put32(std::vector<Byte>& Out, std::uint32_t V) {
    for (int i = 0; i < 4; ++i)
        Out.push_back(static_cast<Byte>(V >> (8 * i)));
}

std::uint32_t Get32(const std::vector<Byte>& In, std::size_t At) {
    std::uint32_t V = 0;
    for (int i = 0; i < 4; ++i)
        V |= static_cast<std::uint32_t>(In[At + i]) << (8 * i);
    return V;
}

int RoundDiv(std::int64_t A, std::int64_t B) {
    return B > 0 ? static_cast<int>((A + B / 2) / B) : 0;
}

}  // namespace

struct TMetafileCanvasPrivate {
    std::unique_ptr<TMetaDevice> Device;
    int Width = 0;
    int Height = 0;
    int DpiX = ScreenPixelsPerInch;
    int DpiY = ScreenPixelsPerInch;
};

TMetafile::TMetafile() : D(std::make_unique<TMetafilePrivate>()) {}

TMetafile::~TMetafile() = default;

void TMetafile::Assign(const TPersistent* Source) {
    if (const auto* M = dynamic_cast<const TMetafile*>(Source)) {
        if (M == this) return;
        D->Recording = M->D->Recording;
        D->Raw = M->D->Raw;
        FWidth = M->FWidth;
        FHeight = M->FHeight;
        FMMWidth = M->FMMWidth;
        FMMHeight = M->FMMHeight;
        FEnhanced = M->FEnhanced;
        FTransparent = M->FTransparent;
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TMetafile::SetWidth(int Value) {
    FWidth = std::max(Value, 0);
    D->Raw.clear();
    Changed();
}

void TMetafile::SetHeight(int Value) {
    FHeight = std::max(Value, 0);
    D->Raw.clear();
    Changed();
}

void TMetafile::SetMMWidth(int Value) {
    FMMWidth = std::max(Value, 0);
    D->Raw.clear();
}

void TMetafile::SetMMHeight(int Value) {
    FMMHeight = std::max(Value, 0);
    D->Raw.clear();
}

bool TMetafile::GetEmpty() const {
    return D->Recording == nullptr;
}

void TMetafile::Clear() {
    D->Recording.reset();
    D->Raw.clear();
    FWidth = FHeight = FMMWidth = FMMHeight = 0;
    Changed();
}

void TMetafile::DrawOn(TCanvas& Canvas, const TRect& Rect) const {
    QPainter* P = CanvasPainter(Canvas);
    if (P == nullptr || !D->Recording || Rect.IsEmpty() || FWidth <= 0 || FHeight <= 0) return;
    P->save();
    P->setClipRect(ToQRect(Rect), Qt::IntersectClip);
    P->translate(Rect.Left, Rect.Top);
    P->scale(static_cast<double>(Rect.Width()) / FWidth,
             static_cast<double>(Rect.Height()) / FHeight);
    D->Recording->Play(*P);
    P->restore();
}

std::vector<Byte> TMetafile::SaveToData() const {
    if (!D->Raw.empty()) return D->Raw;
    if (!D->Recording) return {};
    std::vector<Byte> Out(Magic, Magic + 4);
    Put32(Out, Version);
    for (int V : {FWidth, FHeight, FMMWidth, FMMHeight})
        Put32(Out, static_cast<std::uint32_t>(V));
    Out.push_back(FEnhanced ? 1 : 0);
    std::vector<Byte> Data;
    D->Recording->Write(Data);
    Put32(Out, static_cast<std::uint32_t>(Data.size()));
    Out.insert(Out.end(), Data.begin(), Data.end());
    return Out;
}

void TMetafile::LoadFromData(const std::vector<Byte>& Data) {
    const char* Bad = "Metafile is not valid";
    if (Data.size() < HeaderSize || Data.size() > MaxGraphicBytes ||
        std::memcmp(Data.data(), Magic, 4) != 0 || Get32(Data, 4) != Version)
        throw EInvalidGraphic(Bad);
    int Extents[4];
    for (int i = 0; i < 4; ++i) {
        const auto V = static_cast<std::int32_t>(Get32(Data, 8 + 4 * i));
        if (V < 0 || V > MaxExtent) throw EInvalidGraphic(Bad);
        Extents[i] = V;
    }
    const Byte Enhanced = Data[24];
    const std::uint32_t Length = Get32(Data, 25);
    if (Enhanced > 1 || Length != Data.size() - HeaderSize) throw EInvalidGraphic(Bad);
    std::shared_ptr<const TMetaRecording> Recording =
        TMetaRecording::Read(Data.data() + HeaderSize, Length, Bad);
    D->Recording = std::move(Recording);
    D->Raw = Data;
    FWidth = Extents[0];
    FHeight = Extents[1];
    FMMWidth = Extents[2];
    FMMHeight = Extents[3];
    FEnhanced = Enhanced == 1;
    Changed();
}

// ---- TMetafileCanvas ----

TMetafileCanvas::TMetafileCanvas(TMetafile* Metafile, HDC ReferenceDevice)
    : FMetafile(Metafile), M(std::make_unique<TMetafileCanvasPrivate>()) {
    HDC Ref = ReferenceDevice != nullptr ? ReferenceDevice : GetDC(nullptr);
    M->DpiX = GetDeviceCaps(Ref, LOGPIXELSX);
    M->DpiY = GetDeviceCaps(Ref, LOGPIXELSY);
    const bool Sized = Metafile != nullptr && Metafile->GetWidth() > 0 && Metafile->GetHeight() > 0;
    M->Width = Sized ? Metafile->GetWidth() : GetDeviceCaps(Ref, HORZRES);
    M->Height = Sized ? Metafile->GetHeight() : GetDeviceCaps(Ref, VERTRES);
    M->Device = std::make_unique<TMetaDevice>(M->Width, M->Height, M->DpiX, M->DpiY);
    TCanvasTarget T;
    T.Device = M->Device.get();
    T.Bounds = QRect(0, 0, M->Width, M->Height);
    T.LogPixelsX = M->DpiX;
    T.LogPixelsY = M->DpiY;
    T.FontPixelsPerInch = ScreenPixelsPerInch;
    T.BitsPerPixel = GetDeviceCaps(Ref, BITSPIXEL);
    AttachCanvas(*this, T);
}

TMetafileCanvas::~TMetafileCanvas() {
    DetachCanvas(*this);  // ends the recording
    if (FMetafile == nullptr) return;
    TMetafilePrivate& MD = *FMetafile->Private();
    MD.Recording = M->Device->TakeRecording();
    MD.Raw.clear();
    FMetafile->FWidth = M->Width;
    FMetafile->FHeight = M->Height;
    FMetafile->FMMWidth = RoundDiv(static_cast<std::int64_t>(M->Width) * 2540, M->DpiX);
    FMetafile->FMMHeight = RoundDiv(static_cast<std::int64_t>(M->Height) * 2540, M->DpiY);
    FMetafile->Changed();
}

}  // namespace carrelon
