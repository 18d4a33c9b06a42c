// TPicture, and making graphics by class name or by content.
#include "platform/graphics/PicturesQt.h"

namespace carrelon {

std::unique_ptr<TGraphic> CreateGraphic(const AnsiString& ClassName) {
    if (ClassName == "TBitmap") return std::make_unique<TBitmap>();
    if (ClassName == "TJPEGImage") return std::make_unique<TJPEGImage>();
    if (ClassName == "TIcon") return std::make_unique<TIcon>();
    if (ClassName == "TMetafile") return std::make_unique<TMetafile>();
    return nullptr;
}

std::unique_ptr<TGraphic> CreateGraphicFor(const std::vector<Byte>& Data) {
    auto Starts = [&](std::initializer_list<int> Prefix) {
        if (Data.size() < Prefix.size()) return false;
        std::size_t i = 0;
        for (int B : Prefix)
            if (Data[i++] != B) return false;
        return true;
    };
    if (Starts({'B', 'M'}) || Starts({0x89, 'P', 'N', 'G'})) return std::make_unique<TBitmap>();
    if (Starts({0xFF, 0xD8, 0xFF})) return std::make_unique<TJPEGImage>();
    if (Starts({0, 0, 1, 0})) return std::make_unique<TIcon>();
    if (Starts({'C', 'M', 'T', 'F'})) return std::make_unique<TMetafile>();
    return nullptr;
}

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::Changed() {
    if (OnChange) OnChange(this);
}

void TPicture::Assign(const TPersistent* Source) {
    if (Source == nullptr) {
        SetGraphic(nullptr);
    } else if (const auto* P = dynamic_cast<const TPicture*>(Source)) {
        if (P != this) SetGraphic(P->GetGraphic());
    } else if (const auto* G = dynamic_cast<const TGraphic*>(Source)) {
        SetGraphic(G);
    } else {
        TPersistent::Assign(Source);
    }
}

void TPicture::AssignTo(TPersistent* Dest) const {
    if (auto* G = dynamic_cast<TGraphic*>(Dest); G != nullptr && FGraphic) {
        G->Assign(FGraphic.get());
        return;
    }
    TPersistent::AssignTo(Dest);
}

void TPicture::SetGraphic(const TGraphic* Value) {
    std::unique_ptr<TGraphic> Copy;
    if (Value != nullptr) {
        Copy = CreateGraphic(Value->ClassName());
        if (!Copy) throw EInvalidGraphic("Unsupported graphic class " + Value->ClassName());
        Copy->Assign(Value);  // Value may be the current graphic: it lives until replaced
        Copy->OnChange = [this](TObject*) { Changed(); };
    }
    FGraphic = std::move(Copy);
    Changed();
}

template <typename G>
G* TPicture::GraphicAs() {
    if (auto* Existing = dynamic_cast<G*>(FGraphic.get())) return Existing;
    auto Fresh = std::make_unique<G>();
    Fresh->OnChange = [this](TObject*) { Changed(); };
    G* Result = Fresh.get();
    FGraphic = std::move(Fresh);
    Changed();
    return Result;
}

TBitmap* TPicture::GetBitmap() {
    return GraphicAs<TBitmap>();
}

TIcon* TPicture::GetIcon() {
    return GraphicAs<TIcon>();
}

TMetafile* TPicture::GetMetafile() {
    return GraphicAs<TMetafile>();
}

namespace {

std::unique_ptr<TGraphic> LoadGraphic(const std::vector<Byte>& Data) {
    std::unique_ptr<TGraphic> G = CreateGraphicFor(Data);
    if (!G) throw EInvalidGraphic("Unknown picture format");
    G->LoadFromData(Data);
    return G;
}

std::vector<Byte> ReadRest(TStream& Stream) {
    const Int64 Available = Stream.GetSize() - Stream.GetPosition();
    if (Available <= 0 || static_cast<std::uint64_t>(Available) > MaxGraphicBytes)
        throw EInvalidGraphic("Picture data is not valid");
    std::vector<Byte> Data(static_cast<std::size_t>(Available));
    Stream.ReadBuffer(Data.data(), Available);
    return Data;
}

}  // namespace

void TPicture::LoadFromStream(TStream& Stream) {
    std::unique_ptr<TGraphic> G = LoadGraphic(ReadRest(Stream));
    G->OnChange = [this](TObject*) { Changed(); };
    FGraphic = std::move(G);
    Changed();
}

void TPicture::LoadFromFile(const AnsiString& FileName) {
    std::unique_ptr<TGraphic> G = LoadGraphic(ReadGraphicFile(FileName));
    G->OnChange = [this](TObject*) { Changed(); };
    FGraphic = std::move(G);
    Changed();
}

void TPicture::SaveToStream(TStream& Stream) const {
    if (FGraphic) FGraphic->SaveToStream(Stream);
}

void TPicture::SaveToFile(const AnsiString& FileName) const {
    WriteGraphicFile(FileName, FGraphic ? FGraphic->SaveToData() : std::vector<Byte>());
}

void TPicture::WriteData(TStream& Stream) const {
    const AnsiString Name = FGraphic ? FGraphic->ClassName() : AnsiString();
    const Byte NameLength = static_cast<Byte>(Name.size());
    Stream.WriteBuffer(&NameLength, 1);
    if (NameLength == 0) return;
    Stream.WriteBuffer(Name.data(), NameLength);
    const std::vector<Byte> Data = FGraphic->SaveToData();
    Byte Length[4];
    for (int i = 0; i < 4; ++i)
        Length[i] = static_cast<Byte>(Data.size() >> (8 * i));
    Stream.WriteBuffer(Length, 4);
    if (!Data.empty()) Stream.WriteBuffer(Data.data(), static_cast<Int64>(Data.size()));
}

void TPicture::ReadData(TStream& Stream) {
    Byte NameLength = 0;
    Stream.ReadBuffer(&NameLength, 1);
    if (NameLength == 0) {
        SetGraphic(nullptr);
        return;
    }
    AnsiString Name(NameLength, '\0');
    Stream.ReadBuffer(Name.data(), NameLength);
    std::unique_ptr<TGraphic> G = CreateGraphic(Name);
    if (!G) throw EInvalidGraphic("Unknown picture class");
    Byte LengthBytes[4];
    Stream.ReadBuffer(LengthBytes, 4);
    std::uint64_t Length = 0;
    for (int i = 0; i < 4; ++i)
        Length |= static_cast<std::uint64_t>(LengthBytes[i]) << (8 * i);
    const Int64 Available = Stream.GetSize() - Stream.GetPosition();
    if (Length > MaxGraphicBytes || static_cast<Int64>(Length) > Available)
        throw EInvalidGraphic("Picture data is not valid");
    std::vector<Byte> Data(static_cast<std::size_t>(Length));
    if (Length > 0) Stream.ReadBuffer(Data.data(), static_cast<Int64>(Length));
    if (!Data.empty()) G->LoadFromData(Data);
    G->OnChange = [this](TObject*) { Changed(); };
    FGraphic = std::move(G);
    Changed();
}

}  // namespace carrelon
