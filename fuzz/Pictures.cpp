// Picture data: every graphic class's loader, the picture's loader by content and the picture's
// component-stream form.
//
// Input: one letter choosing the loader ("B" bitmap, "J" JPEG, "I" icon, "M" metafile, "P" the
// picture by content, "D" the picture's component-stream form), then the data.
//
// Oracles: the loader accepts the data or raises EInvalidGraphic (the component-stream form
// also EReadError for data that ends early), and a refused load leaves the graphic exactly as it
// was; accepted data gives a size within the decoding limits, draws, saves back the very bytes
// it was loaded from, and those bytes load again to the same size.
#include <memory>
#include <vector>

#include "fuzz/support/FuzzSupport.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/Exceptions.h"

using namespace carrelon;

namespace {

// A graphic every loader starts from, so that a refused load can be seen to keep it.
const std::vector<Byte>& StartingBitmap() {
    static const std::vector<Byte> data = [] {
        TBitmap b;
        b.SetSize(3, 2);
        b.GetCanvas()->FillRect(TRect{0, 0, 2, 1});
        return b.SaveToData();
    }();
    return data;
}

std::vector<Byte> PictureBytes(const TPicture& P) {
    TMemoryStream s;
    P.SaveToStream(s);
    return fuzz::StreamBytes(s);
}

// A picture holding the starting bitmap, and the data to load into it in a stream.
struct TPictureLoad {
    TPicture Picture;
    TMemoryStream Stream;
    explicit TPictureLoad(const std::vector<Byte>& Data) {
        Picture.GetBitmap()->LoadFromData(StartingBitmap());
        fuzz::FillStream(Stream, Data.data(), Data.size());
    }
    void CheckUnchanged(const char* What) const {
        FUZZ_CHECK(PictureBytes(Picture) == StartingBitmap(),
                   std::string("picture changed by ") + What);
    }
};

void CheckLoaded(const TGraphic& G, const std::vector<Byte>& Data) {
    const int w = G.GetWidth(), h = G.GetHeight();
    FUZZ_CHECK(w >= 0 && h >= 0, G.ClassName() + " has a negative size");
    // A metafile's size is a recorded extent, not pixels; decoded images obey the limits.
    if (dynamic_cast<const TMetafile*>(&G) == nullptr)
        FUZZ_CHECK(
            w <= MaxBitmapSide && h <= MaxBitmapSide && std::int64_t{w} * h <= MaxBitmapPixels,
            G.ClassName() + " loaded as " + std::to_string(w) + " x " + std::to_string(h));
    FUZZ_CHECK(G.SaveToData() == Data, G.ClassName() + " does not save the bytes it loaded");
    // Drawing replays or scales the graphic into a small bitmap.
    static TBitmap* const target = [] {
        auto* b = new TBitmap;
        b->SetSize(16, 16);
        return b;
    }();
    G.DrawOn(*target->GetCanvas(), TRect{0, 0, 16, 16});
    std::unique_ptr<TGraphic> again = CreateGraphic(G.ClassName());
    again->LoadFromData(G.SaveToData());
    FUZZ_CHECK(again->GetWidth() == w && again->GetHeight() == h,
               G.ClassName() + " loads again to another size");
}

// A graphic of the class holding a small picture (an icon stays empty: it takes no bitmap).
std::unique_ptr<TGraphic> StartingGraphic(const char* ClassName) {
    std::unique_ptr<TGraphic> g = CreateGraphic(ClassName);
    TBitmap bitmap;
    bitmap.LoadFromData(StartingBitmap());
    if (auto* m = dynamic_cast<TMetafile*>(g.get())) {
        m->SetWidth(8);
        m->SetHeight(8);
        TMetafileCanvas canvas(m, nullptr);
        canvas.Rectangle(1, 1, 6, 6);
    } else if (dynamic_cast<TIcon*>(g.get()) == nullptr) {
        g->Assign(&bitmap);
    }
    return g;
}

void LoadGraphic(const char* ClassName, const std::vector<Byte>& Data) {
    std::unique_ptr<TGraphic> g = StartingGraphic(ClassName);
    const std::vector<Byte> before = g->SaveToData();
    const int w = g->GetWidth(), h = g->GetHeight();
    try {
        g->LoadFromData(Data);
    } catch (const EInvalidGraphic&) {
        FUZZ_CHECK(g->SaveToData() == before && g->GetWidth() == w && g->GetHeight() == h,
                   std::string(ClassName) + " changed by a refused load");
        return;
    }
    CheckLoaded(*g, Data);
}

void LoadPicture(const std::vector<Byte>& Data) {
    TPictureLoad load(Data);
    TPicture& p = load.Picture;
    try {
        p.LoadFromStream(load.Stream);
    } catch (const EInvalidGraphic&) {
        load.CheckUnchanged("a refused load");
        return;
    }
    FUZZ_CHECK(p.GetGraphic() != nullptr, "a loaded picture has no graphic");
    FUZZ_CHECK(PictureBytes(p) == Data, "picture does not save the bytes it loaded");
    CheckLoaded(*p.GetGraphic(), Data);
}

void ReadPictureData(const std::vector<Byte>& Data) {
    TPictureLoad load(Data);
    TPicture& p = load.Picture;
    try {
        p.ReadData(load.Stream);
    } catch (const EInvalidGraphic&) {
        load.CheckUnchanged("a refused read");
        return;
    } catch (const EReadError&) {
        load.CheckUnchanged("a short read");
        return;
    }
    // What was read writes the bytes it was read from, unless it held an empty graphic.
    const std::vector<Byte> consumed(Data.begin(), Data.begin() + load.Stream.GetPosition());
    TMemoryStream out;
    p.WriteData(out);
    const std::vector<Byte> written = fuzz::StreamBytes(out);
    if (p.GetGraphic() == nullptr || !p.GetGraphic()->GetEmpty())
        FUZZ_CHECK(written == consumed, "picture data does not write back as it was read");
    if (p.GetGraphic() != nullptr && !p.GetGraphic()->SaveToData().empty() &&
        consumed.size() > 5 + consumed[0])
        CheckLoaded(*p.GetGraphic(), p.GetGraphic()->SaveToData());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartOffscreenApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0) return 0;
    const std::vector<Byte> data(Data + 1, Data + Size);
    switch (Data[0]) {
        case 'B':
            LoadGraphic("TBitmap", data);
            break;
        case 'J':
            LoadGraphic("TJPEGImage", data);
            break;
        case 'I':
            LoadGraphic("TIcon", data);
            break;
        case 'M':
            LoadGraphic("TMetafile", data);
            break;
        case 'P':
            LoadPicture(data);
            break;
        case 'D':
            ReadPictureData(data);
            break;
        default:
            break;
    }
    return 0;
}
