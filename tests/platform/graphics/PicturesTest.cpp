#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>

#include "platform/devices/Printer.h"
#include "platform/graphics/PicturesQt.h"
#include "platform/graphics/WinGdi.h"

using namespace carrelon;

namespace {

// A test picture: red left half, blue right half, encoded by Qt in Format.
std::vector<Byte> Encoded(const char* Format, QImage::Format PixelFormat = QImage::Format_RGB32) {
    QImage Image(8, 6, QImage::Format_RGB32);
    Image.fill(Qt::blue);
    for (int Y = 0; Y < 6; ++Y)
        for (int X = 0; X < 4; ++X)
            Image.setPixel(X, Y, qRgb(255, 0, 0));
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(QImageWriter(&Buffer, Format).write(Image.convertToFormat(PixelFormat)));
    return FromQByteArray(Bytes);
}

std::vector<Byte> StreamBytes(TMemoryStream& S) {
    const auto* P = static_cast<const Byte*>(S.Memory());
    return std::vector<Byte>(P, P + S.GetSize());
}

std::vector<Byte> SaveViaStream(const TGraphic& G) {
    TMemoryStream S;
    G.SaveToStream(S);
    return StreamBytes(S);
}

void LoadViaStream(TGraphic& G, const std::vector<Byte>& Data) {
    TMemoryStream S;
    S.WriteBuffer(Data.data(), static_cast<Int64>(Data.size()));
    S.SetPosition(0);
    G.LoadFromStream(S);
}

std::unique_ptr<TMetafile> RecordedMetafile() {
    auto M = std::make_unique<TMetafile>();
    M->SetWidth(100);
    M->SetHeight(50);
    {
        TMetafileCanvas C(M.get(), nullptr);
        C.GetBrush()->SetColor(clRed);
        C.FillRect(Rect(0, 0, 50, 50));
        C.GetBrush()->SetColor(clLime);
        C.FillRect(Rect(50, 0, 100, 50));
    }
    return M;
}

}  // namespace

TEST(Pictures, EncodedGraphicsSurviveStreamRoundTripsByteForByte) {
    const struct {
        const char* Name;
        std::vector<Byte> Data;
        const char* Class;
    } Cases[] = {
        {"bmp 24", Encoded("BMP"), "TBitmap"},
        {"bmp 8 indexed", Encoded("BMP", QImage::Format_Indexed8), "TBitmap"},
        {"png", Encoded("PNG"), "TBitmap"},
        {"jpeg", Encoded("JPEG"), "TJPEGImage"},
        {"ico", Encoded("ICO", QImage::Format_ARGB32), "TIcon"},
        {"metafile", RecordedMetafile()->SaveToData(), "TMetafile"},
    };
    for (const auto& C : Cases) {
        std::unique_ptr<TGraphic> G = CreateGraphicFor(C.Data);
        ASSERT_NE(G, nullptr) << C.Name;
        EXPECT_EQ(G->ClassName(), C.Class) << C.Name;
        LoadViaStream(*G, C.Data);
        EXPECT_EQ(SaveViaStream(*G), C.Data) << C.Name;
        // Through a picture and its component-stream form as well.
        TPicture P;
        P.SetGraphic(G.get());
        TMemoryStream S;
        P.WriteData(S);
        S.SetPosition(0);
        TPicture Q;
        Q.ReadData(S);
        ASSERT_NE(Q.GetGraphic(), nullptr) << C.Name;
        EXPECT_EQ(Q.GetGraphic()->ClassName(), C.Class);
        EXPECT_EQ(Q.GetGraphic()->SaveToData(), C.Data) << C.Name;
        EXPECT_EQ(Q.GetWidth(), G->GetWidth()) << C.Name;
    }
}

TEST(Pictures, DecodedPixelsArePainted) {
    const struct {
        const char* Name;
        std::vector<Byte> Data;
    } Cases[] = {{"bmp", Encoded("BMP")}, {"png", Encoded("PNG")}, {"jpeg", Encoded("JPEG")}};
    for (const auto& C : Cases) {
        TPicture P;
        TMemoryStream S;
        S.WriteBuffer(C.Data.data(), static_cast<Int64>(C.Data.size()));
        S.SetPosition(0);
        P.LoadFromStream(S);
        ASSERT_NE(P.GetGraphic(), nullptr);
        EXPECT_EQ(P.GetWidth(), 8) << C.Name;
        EXPECT_EQ(P.GetHeight(), 6) << C.Name;
        TBitmap Target;
        Target.SetSize(16, 12);
        Target.GetCanvas()->StretchDraw(Rect(0, 0, 16, 12), P.GetGraphic());
        const TColor Left = Target.GetCanvas()->GetPixels(2, 6);
        const TColor Right = Target.GetCanvas()->GetPixels(13, 6);
        EXPECT_GT(GetRValue(Left), 200) << C.Name;
        EXPECT_LT(GetBValue(Left), 60) << C.Name;
        EXPECT_GT(GetBValue(Right), 200) << C.Name;
    }
}

TEST(Pictures, MalformedOrOversizedDataRaisesAndKeepsTheGraphic) {
    std::vector<Byte> Truncated = Encoded("BMP");
    Truncated.resize(40);
    // A well-formed header claiming 100000 by 100000 pixels.
    std::vector<Byte> Huge = Encoded("BMP");
    for (int Offset : {18, 22}) {
        const std::uint32_t Side = 100000;
        for (int i = 0; i < 4; ++i)
            Huge[Offset + i] = static_cast<Byte>(Side >> (8 * i));
    }
    std::vector<Byte> BadJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 4, 5};
    std::vector<Byte> Meta = RecordedMetafile()->SaveToData();
    std::vector<Byte> MetaBadLength = Meta;
    MetaBadLength[25] ^= 0x01;
    std::vector<Byte> MetaCorrupt = Meta;
    for (std::size_t i = 29; i < MetaCorrupt.size(); i += 3)
        MetaCorrupt[i] ^= 0x5A;
    std::vector<Byte> MetaNegative = Meta;
    MetaNegative[11] = 0x80;  // width below zero

    const struct {
        const char* Name;
        std::unique_ptr<TGraphic> Graphic;
        std::vector<Byte> Data;
    } Cases[] = {
        {"garbage bitmap", std::make_unique<TBitmap>(), {'B', 'M', 1, 2, 3}},
        {"not a bitmap", std::make_unique<TBitmap>(), {'X', 'Y', 'Z'}},
        {"truncated bitmap", std::make_unique<TBitmap>(), Truncated},
        {"huge bitmap", std::make_unique<TBitmap>(), Huge},
        {"bad jpeg", std::make_unique<TJPEGImage>(), BadJpeg},
        {"bmp as jpeg", std::make_unique<TJPEGImage>(), Encoded("BMP")},
        {"bad icon", std::make_unique<TIcon>(), {0, 0, 1, 0, 1, 0, 9, 9}},
        {"metafile length", std::make_unique<TMetafile>(), MetaBadLength},
        {"metafile corrupt", std::make_unique<TMetafile>(), MetaCorrupt},
        {"metafile extent", std::make_unique<TMetafile>(), MetaNegative},
        {"empty", std::make_unique<TBitmap>(), {}},
    };
    for (const auto& C : Cases) {
        EXPECT_THROW(C.Graphic->LoadFromData(C.Data), EInvalidGraphic) << C.Name;
        EXPECT_TRUE(C.Graphic->GetEmpty()) << C.Name;
    }
    TPicture P;
    TMemoryStream S;
    S.WriteBuffer("hello", 5);
    S.SetPosition(0);
    EXPECT_THROW(P.LoadFromStream(S), EInvalidGraphic);
    EXPECT_EQ(P.GetGraphic(), nullptr);
}

TEST(Pictures, ComponentFormRejectsUnknownClassesAndShortData) {
    const std::vector<Byte> Bmp = Encoded("BMP");
    auto Form = [&](const AnsiString& Name, std::uint32_t Length, std::size_t Actual) {
        auto S = std::make_unique<TMemoryStream>();
        const Byte N = static_cast<Byte>(Name.size());
        S->WriteBuffer(&N, 1);
        S->WriteBuffer(Name.data(), N);
        S->WriteBuffer(&Length, 4);
        S->WriteBuffer(Bmp.data(), static_cast<Int64>(std::min(Actual, Bmp.size())));
        S->SetPosition(0);
        return S;
    };
    const auto Size = static_cast<std::uint32_t>(Bmp.size());
    TPicture P;
    P.ReadData(*Form("TBitmap", Size, Bmp.size()));
    ASSERT_NE(P.GetGraphic(), nullptr);
    EXPECT_THROW(P.ReadData(*Form("TWidget", Size, Bmp.size())), EInvalidGraphic);
    EXPECT_THROW(P.ReadData(*Form("TBitmap", 0xFFFFFFF0u, Bmp.size())), EInvalidGraphic);
    EXPECT_THROW(P.ReadData(*Form("TBitmap", Size, 10)), EInvalidGraphic);
    EXPECT_EQ(P.GetGraphic()->GetWidth(), 8);  // unchanged by the failures
}

TEST(Pictures, BitmapStreamStopsAtItsOwnLength) {
    const std::vector<Byte> Bmp = Encoded("BMP");
    TMemoryStream S;
    S.WriteBuffer(Bmp.data(), static_cast<Int64>(Bmp.size()));
    S.WriteBuffer("tail", 4);
    S.SetPosition(0);
    TBitmap B;
    B.LoadFromStream(S);
    EXPECT_EQ(S.GetPosition(), static_cast<Int64>(Bmp.size()));
    EXPECT_EQ(B.GetWidth(), 8);
}

TEST(Pictures, DrawingOnABitmapDropsTheLoadedBytes) {
    const std::vector<Byte> Png = Encoded("PNG");
    TBitmap B;
    B.LoadFromData(Png);
    EXPECT_EQ(B.SaveToData(), Png);
    B.GetCanvas()->SetPixels(0, 0, clWhite);
    const std::vector<Byte> Saved = B.SaveToData();
    ASSERT_GE(Saved.size(), 2u);
    EXPECT_EQ(Saved[0], 'B');  // written anew, as a bitmap file
    TBitmap Again;
    Again.LoadFromData(Saved);
    EXPECT_EQ(Again.GetCanvas()->GetPixels(0, 0), clWhite);
    EXPECT_EQ(Again.GetCanvas()->GetPixels(7, 0), clBlue);
}

TEST(Pictures, MetafileReplaysScaledIntoAnyRectangle) {
    auto M = RecordedMetafile();
    EXPECT_EQ(M->GetWidth(), 100);
    EXPECT_EQ(M->GetMMWidth(), 2646);  // 100 pixels at 96 per inch in 0.01 mm
    TBitmap Target;
    Target.SetSize(40, 20);
    Target.GetCanvas()->StretchDraw(Rect(0, 0, 40, 20), M.get());
    EXPECT_EQ(Target.GetCanvas()->GetPixels(5, 10), clRed);
    EXPECT_EQ(Target.GetCanvas()->GetPixels(35, 10), clLime);
    // A copy through its stream form replays the same.
    TMetafile Copy;
    Copy.LoadFromData(M->SaveToData());
    TBitmap Second;
    Second.SetSize(40, 20);
    Second.GetCanvas()->StretchDraw(Rect(0, 0, 40, 20), &Copy);
    EXPECT_EQ(Second.GetCanvas()->GetPixels(35, 10), clLime);
}

TEST(Pictures, MetafileCanvasOnThePrinterWorksInPrinterPixels) {
    TMetafile M;
    TPrinter P;
    {
        TMetafileCanvas C(&M, P.GetHandle());
        EXPECT_EQ(GetDeviceCaps(&C, LOGPIXELSY), 600);
        EXPECT_EQ(C.GetClipRect(), Rect(0, 0, P.GetPageWidth(), P.GetPageHeight()));
        EXPECT_EQ(C.GetFont()->GetHeight(), -11);  // fonts keep screen points
        C.GetBrush()->SetColor(clWhite);
        C.FillRect(C.GetClipRect());
    }
    EXPECT_EQ(M.GetWidth(), P.GetPageWidth());
    EXPECT_NEAR(M.GetMMWidth(), 21000, 20);
    EXPECT_NEAR(M.GetMMHeight(), 29700, 20);
}

TEST(Pictures, PictureCopiesAndConvertsGraphics) {
    TPicture P;
    int Changes = 0;
    P.OnChange = [&](TObject*) { ++Changes; };
    TBitmap B;
    B.SetSize(3, 4);
    P.Assign(&B);
    EXPECT_EQ(Changes, 1);
    ASSERT_NE(P.GetGraphic(), nullptr);
    EXPECT_NE(P.GetGraphic(), &B);  // its own copy
    EXPECT_EQ(P.GetHeight(), 4);
    P.GetBitmap()->SetWidth(9);  // a change to the graphic reaches the picture
    EXPECT_EQ(Changes, 2);
    TMetafile* M = P.GetMetafile();  // another class replaces the graphic
    EXPECT_TRUE(M->GetEmpty());
    TPicture Q;
    Q.Assign(&P);
    EXPECT_EQ(Q.GetGraphic()->ClassName(), "TMetafile");
    Q.Assign(nullptr);
    EXPECT_EQ(Q.GetGraphic(), nullptr);
    TBitmap Out;
    P.SetGraphic(&B);
    Out.Assign(&P);  // a picture assigns its graphic
    EXPECT_EQ(Out.GetWidth(), 3);
}

TEST(Pictures, FilesRoundTripAndMissingFilesRaise) {
    QTemporaryDir Dir;
    const std::vector<Byte> Jpeg = Encoded("JPEG");
    TJPEGImage J;
    J.LoadFromData(Jpeg);
    const AnsiString Path = Dir.filePath("p.jpg").toStdString();
    J.SaveToFile(Path);
    TPicture P;
    P.LoadFromFile(Path);
    ASSERT_NE(P.GetGraphic(), nullptr);
    EXPECT_EQ(P.GetGraphic()->ClassName(), "TJPEGImage");
    EXPECT_EQ(P.GetGraphic()->SaveToData(), Jpeg);
    EXPECT_THROW(P.LoadFromFile(Dir.filePath("missing.bmp").toStdString()), EFOpenError);
}

namespace {

// A metafile using every kind of drawing: fills, lines, text, a bitmap, clipping.
std::unique_ptr<TMetafile> RichMetafile() {
    auto M = std::make_unique<TMetafile>();
    M->SetWidth(80);
    M->SetHeight(40);
    TBitmap Glyph;
    Glyph.SetSize(4, 4);
    Glyph.GetCanvas()->GetBrush()->SetColor(clBlue);
    Glyph.GetCanvas()->FillRect(Rect(0, 0, 4, 4));
    {
        TMetafileCanvas C(M.get(), nullptr);
        C.GetBrush()->SetColor(clYellow);
        C.FillRect(Rect(0, 0, 80, 40));
        C.ExcludeClipRect(Rect(0, 0, 10, 40));
        C.GetBrush()->SetColor(clRed);
        C.FillRect(Rect(0, 0, 40, 40));  // the excluded strip stays yellow
        C.MoveTo(0, 39);
        C.LineTo(80, 39);
        C.GetFont()->SetStyle({fsBold});
        C.TextOut(45, 2, "Ab");
        C.StretchDraw(Rect(60, 20, 76, 36), &Glyph);
        C.Ellipse(42, 20, 58, 36);
    }
    return M;
}

}  // namespace

TEST(Pictures, MetafileKeepsClipsTextAndImages) {
    auto M = RichMetafile();
    TMetafile Copy;
    Copy.LoadFromData(M->SaveToData());
    for (TMetafile* Each : {M.get(), &Copy}) {
        TBitmap B;
        B.SetSize(80, 40);
        B.GetCanvas()->Draw(0, 0, Each);
        TCanvas* C = B.GetCanvas();
        EXPECT_EQ(C->GetPixels(5, 10), clYellow);
        EXPECT_EQ(C->GetPixels(20, 10), clRed);
        EXPECT_EQ(C->GetPixels(20, 39), clBlack);
        EXPECT_EQ(C->GetPixels(68, 28), clBlue);
        int Dark = 0;  // the text left dark pixels on yellow
        for (int Y = 2; Y < 15; ++Y)
            for (int X = 45; X < 60; ++X)
                if (GetRValue(C->GetPixels(X, Y)) < 100) ++Dark;
        EXPECT_GT(Dark, 5);
    }
    // Placed into part of a larger canvas, it stays inside its rectangle.
    TBitmap Big;
    Big.SetSize(200, 100);
    Big.GetCanvas()->StretchDraw(Rect(100, 50, 140, 70), M.get());
    EXPECT_EQ(Big.GetCanvas()->GetPixels(99, 60), clWhite);
    EXPECT_EQ(Big.GetCanvas()->GetPixels(102, 60), clYellow);
    EXPECT_EQ(Big.GetCanvas()->GetPixels(115, 60), clRed);
    EXPECT_EQ(Big.GetCanvas()->GetPixels(141, 60), clWhite);
}

TEST(Pictures, DamagedMetafileDataNeverCrashes) {
    const std::vector<Byte> Good = RichMetafile()->SaveToData();
    std::uint32_t Seed = 12345;
    auto Next = [&] {
        Seed = Seed * 1664525u + 1013904223u;
        return Seed >> 8;
    };
    int Rejected = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<Byte> Bad = Good;
        const int Changes = 1 + static_cast<int>(Next() % 4);
        for (int k = 0; k < Changes; ++k)
            Bad[29 + Next() % (Bad.size() - 29)] = static_cast<Byte>(Next());
        if (i % 7 == 0) Bad.resize(29 + Next() % (Bad.size() - 29));
        TMetafile M;
        try {
            M.LoadFromData(Bad);
        } catch (const EInvalidGraphic&) {
            ++Rejected;
            continue;
        }
        TBitmap B;  // whatever loads also plays
        B.SetSize(80, 40);
        B.GetCanvas()->Draw(0, 0, &M);
    }
    EXPECT_GT(Rejected, 100);
}
