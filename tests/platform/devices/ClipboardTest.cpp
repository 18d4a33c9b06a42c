#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/controls/Streaming.h"
#include "platform/devices/Clipboard.h"
#include "platform/graphics/PicturesQt.h"

using namespace carrelon;

TEST(Clipboard, TextKeepsCrLfInsideAndLfOutside) {
    const struct {
        AnsiString In;
        QString System;
    } Cases[] = {
        {"a\tb\r\nc\td", "a\tb\nc\td"},
        {"one\rtwo\nthree\r\n", "one\ntwo\nthree\n"},
        // A copied cell's own line break (LF, quoted) stays apart from the row break.
        {"\"x\ny\"\tz\r\nw", "\"x\ny\"\tz\nw"},
        {"", ""},
        {"\xc3\xa9t\xc3\xa9", QString::fromUtf8("\xc3\xa9t\xc3\xa9")},
    };
    for (const auto& C : Cases) {
        Clipboard()->SetAsText(C.In);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), C.System) << C.In;
        EXPECT_EQ(Clipboard()->GetAsText(), C.In) << C.In;
    }
    // Text another program put there with LF breaks reads with CR LF.
    QGuiApplication::clipboard()->setText("p\nq");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->GetAsText(), "p\r\nq");
}

TEST(Clipboard, ForeignTabTextKeepsLineBreaksInsideQuotedFields) {
    const struct {
        QString System;
        AnsiString Read;
    } Cases[] = {
        {"a\t\"two\nlines\"\nb\tc\n", "a\t\"two\nlines\"\r\nb\tc\r\n"},
        {"\"x\r\ny\"\tz", "\"x\ny\"\tz"},
        {"\"say \"\"hi\"\"\nnow\"\tq\nr", "\"say \"\"hi\"\"\nnow\"\tq\r\nr"},
        // A quote inside a field opens nothing; an open quote makes it plain text.
        {"5\" pipe\tx\ny", "5\" pipe\tx\r\ny"},
        {"\"open\tx\ny", "\"open\tx\r\ny"},
        // Without a TAB every break is a row break.
        {"\"a\nb\"", "\"a\r\nb\""},
    };
    for (const auto& C : Cases) {
        QGuiApplication::clipboard()->setText(C.System);
        EXPECT_EQ(Clipboard()->GetAsText(), C.Read) << C.System.toStdString();
    }
}

TEST(Clipboard, FormatsSetBetweenOpenAndCloseAreOfferedTogether) {
    TClipboard* C = Clipboard();
    const std::vector<Byte> Component = {'T', 'P', 'F', '0', 0, 1, 2, 0xFF};
    C->SetAsText("old");
    C->Open();
    C->SetAsBytes(CF_COMPONENT, Component);  // the first format empties the clipboard
    C->SetAsText("cells");
    EXPECT_EQ(C->GetAsText(), "cells");  // readable while still open
    C->Close();
    EXPECT_TRUE(C->HasFormat(CF_COMPONENT));
    EXPECT_TRUE(C->HasFormat(CF_TEXT));
    EXPECT_FALSE(C->HasFormat(CF_BITMAP));
    EXPECT_EQ(C->GetAsBytes(CF_COMPONENT), Component);
    EXPECT_EQ(C->GetAsText(), "cells");
    const QMimeData* M = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(M, nullptr);
    EXPECT_TRUE(M->hasFormat("application/x-carrelon-component"));

    // Without Open, one format replaces everything.
    C->SetAsText("alone");
    EXPECT_FALSE(C->HasFormat(CF_COMPONENT));
    // Nested opens commit at the outermost close.
    C->Open();
    C->Open();
    C->SetAsBytes(CF_COMPONENT, Component);
    C->Close();
    // Still open: the system clipboard keeps its old contents.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "alone");
    C->SetAsText("x");
    C->Close();
    EXPECT_TRUE(C->HasFormat(CF_COMPONENT));
    EXPECT_TRUE(C->HasFormat(CF_TEXT));
    C->Clear();
    EXPECT_FALSE(C->HasFormat(CF_TEXT));
    EXPECT_FALSE(C->HasFormat(CF_COMPONENT));
    EXPECT_TRUE(C->GetAsBytes(CF_COMPONENT).empty());
}

TEST(Clipboard, BitmapRoundTrip) {
    TBitmap B;
    B.SetSize(6, 4);
    B.GetCanvas()->GetBrush()->SetColor(clRed);
    B.GetCanvas()->FillRect(Rect(0, 0, 3, 4));
    Clipboard()->Assign(&B);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_PICTURE));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_METAFILEPICT));
    TBitmap Out;
    Out.Assign(Clipboard());
    EXPECT_EQ(Out.GetWidth(), 6);
    EXPECT_EQ(Out.GetCanvas()->GetPixels(1, 1), clRed);
    EXPECT_EQ(Out.GetCanvas()->GetPixels(4, 1), clWhite);
    TPicture P;
    P.Assign(Clipboard());
    ASSERT_NE(P.GetGraphic(), nullptr);
    EXPECT_EQ(P.GetGraphic()->ClassName(), "TBitmap");
    TMetafile M;
    EXPECT_THROW(M.Assign(Clipboard()), EInvalidGraphic);
}

TEST(Clipboard, MetafileRoundTripThroughAPicture) {
    TMetafile M;
    M.SetWidth(20);
    M.SetHeight(10);
    {
        TMetafileCanvas C(&M, nullptr);
        C.GetBrush()->SetColor(clBlue);
        C.FillRect(Rect(0, 0, 20, 10));
    }
    TPicture Source;
    Source.SetGraphic(&M);
    Clipboard()->Assign(&Source);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_METAFILEPICT));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_PICTURE));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
    TPicture P;
    P.Assign(Clipboard());
    ASSERT_NE(P.GetGraphic(), nullptr);
    EXPECT_EQ(P.GetGraphic()->ClassName(), "TMetafile");
    EXPECT_EQ(P.GetGraphic()->SaveToData(), M.SaveToData());
    TBitmap B;
    EXPECT_THROW(B.Assign(Clipboard()), EInvalidGraphic);
}

TEST(Clipboard, ForeignMetafileDataIsRejected) {
    auto* Data = new QMimeData;
    Data->setData("application/x-carrelon-metafile", QByteArray("CMTF garbage"));
    QGuiApplication::clipboard()->setMimeData(Data);
    TPicture P;
    EXPECT_THROW(P.Assign(Clipboard()), EInvalidGraphic);
    EXPECT_EQ(P.GetGraphic(), nullptr);
}

namespace {

class TClipThing : public TComponent {
public:
    using TComponent::TComponent;
    AnsiString ClassName() const override { return "TClipThing"; }
    AnsiString Text;
    Int64 Count = 0;
    void DefineProperties(TFiler& F) override {
        TComponent::DefineProperties(F);
        F.DefineString(
            "Text", [this] { return Text; }, [this](const AnsiString& V) { Text = V; });
        F.DefineInteger(
            "Count", [this] { return Count; }, [this](Int64 V) { Count = V; }, 0, 100);
    }
};

}  // namespace

TEST(Clipboard, ComponentRoundTripAndUntrustedStreams) {
    RegisterClasses({ClassOf<TClipThing>()});
    TClipThing Source(nullptr);
    Source.Text = "a\r\nb";
    Source.Count = 42;
    Clipboard()->Open();
    Clipboard()->SetComponent(&Source);
    Clipboard()->SetAsText("a\r\nb");
    Clipboard()->Close();
    ASSERT_TRUE(Clipboard()->HasFormat(CF_COMPONENT));
    TComponent Owner(nullptr);
    TComponent* Read = Clipboard()->GetComponent(&Owner, nullptr);
    auto* Thing = dynamic_cast<TClipThing*>(Read);
    ASSERT_NE(Thing, nullptr);
    EXPECT_EQ(Thing->Text, "a\r\nb");
    EXPECT_EQ(Thing->Count, 42);
    EXPECT_EQ(Thing->GetOwner(), &Owner);  // the owner frees it

    // Damaged streams from another program raise instead of building anything.
    std::vector<Byte> Bytes = Clipboard()->GetAsBytes(CF_COMPONENT);
    const std::vector<std::vector<Byte>> Damaged = {
        std::vector<Byte>(Bytes.begin(), Bytes.begin() + static_cast<long>(Bytes.size() / 2)),
        {'x', 'y', 'z'},
    };
    for (const auto& D : Damaged) {
        Clipboard()->SetAsBytes(CF_COMPONENT, D);
        const int Before = Owner.GetComponentCount();
        EXPECT_ANY_THROW(Clipboard()->GetComponent(&Owner, nullptr));
        EXPECT_EQ(Owner.GetComponentCount(), Before);
    }
    Clipboard()->SetAsText("no component");
    EXPECT_EQ(Clipboard()->GetComponent(&Owner, nullptr), nullptr);
}
