// TClipboard over QClipboard.
#include "platform/devices/Clipboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/controls/Controls.h"
#include "platform/controls/Streaming.h"
#include "platform/graphics/PicturesQt.h"

namespace carrelon {

namespace {

const QString ComponentMime = QStringLiteral("application/x-carrelon-component");
const QString MetafileMime = QStringLiteral("application/x-carrelon-metafile");
// Our text exactly as set: line breaks inside cell text (LF) and between rows (CR LF) differ,
// and the system's text form cannot tell them apart.
const QString ExactTextMime = QStringLiteral("application/x-carrelon-text");

// The MIME type carrying a raw data format; empty for formats that are not raw bytes.
QString MimeOf(Word Format) {
    switch (Format) {
        case CF_COMPONENT:
            return ComponentMime;
        case CF_METAFILEPICT:
        case CF_ENHMETAFILE:
            return MetafileMime;
        default:
            return {};
    }
}

// Any lone CR, lone LF or CR LF becomes Break.
QString NormaliseBreaks(const QString& Text, const QString& Break) {
    QString Out;
    Out.reserve(Text.size() + Text.size() / 16);
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar C = Text[i];
        if (C == u'\r') {
            if (i + 1 < Text.size() && Text[i + 1] == u'\n') ++i;
            Out += Break;
        } else if (C == u'\n') {
            Out += Break;
        } else {
            Out += C;
        }
    }
    return Out;
}

// Text another program put on the clipboard, with CR LF breaks. In tab-separated text a field
// that starts with a double quote runs to its closing quote, and a break inside it is a line
// break within that cell (as spreadsheets write one): it stays LF, so that the row breaks alone
// become CR LF. When a quote is left open the text is taken as plain text.
QString ForeignText(const QString& Text) {
    if (!Text.contains(u'\t')) return NormaliseBreaks(Text, QStringLiteral("\r\n"));
    QString Out;
    Out.reserve(Text.size() + Text.size() / 16);
    bool Quoted = false;
    bool FieldStart = true;
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar C = Text[i];
        const bool Break = C == u'\r' || C == u'\n';
        if (Break && C == u'\r' && i + 1 < Text.size() && Text[i + 1] == u'\n') ++i;
        if (Quoted) {
            if (C == u'"') {
                if (i + 1 < Text.size() && Text[i + 1] == u'"') {
                    Out += C;
                    ++i;
                } else {
                    Quoted = false;
                }
            }
            Out += Break ? QChar(u'\n') : C;
            continue;
        }
        if (FieldStart && C == u'"') Quoted = true;
        FieldStart = Break || C == u'\t';
        if (Break)
            Out += QStringLiteral("\r\n");
        else
            Out += C;
    }
    return Quoted ? NormaliseBreaks(Text, QStringLiteral("\r\n")) : Out;
}

}  // namespace

struct TClipboardPrivate {
    int OpenCount = 0;
    bool Emptied = false;
    bool Modified = false;
    std::unique_ptr<QMimeData> Pending;

    // What readers see: the batch being built, else the system clipboard.
    const QMimeData* Current() const {
        if (Pending && Modified) return Pending.get();
        return SystemClipboard() != nullptr ? SystemClipboard()->mimeData() : nullptr;
    }

    // Without a graphical application there is no system clipboard.
    static QClipboard* SystemClipboard() {
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
                   ? QGuiApplication::clipboard()
                   : nullptr;
    }

    // The bytes of a format other than text; empty when absent or too large.
    QByteArray Bytes(Word Format) const {
        const QMimeData* M = Current();
        const QString Mime = MimeOf(Format);
        if (M == nullptr || Mime.isEmpty() || !M->hasFormat(Mime)) return {};
        QByteArray Data = M->data(Mime);
        if (static_cast<std::size_t>(Data.size()) > MaxClipboardBytes) return {};
        return Data;
    }

    // The batch to add a format to; the first addition after Open empties the clipboard.
    QMimeData& Adding() {
        if (!Emptied) {
            Pending = std::make_unique<QMimeData>();
            Emptied = true;
        }
        Modified = true;
        return *Pending;
    }
};

TClipboard::TClipboard() : D(std::make_unique<TClipboardPrivate>()) {}

TClipboard::~TClipboard() = default;

void TClipboard::Open() {
    if (D->OpenCount++ == 0) {
        D->Emptied = false;
        D->Modified = false;
        D->Pending.reset();
    }
}

void TClipboard::Close() {
    if (D->OpenCount == 0) return;
    if (--D->OpenCount > 0) return;
    if (D->Modified && TClipboardPrivate::SystemClipboard() != nullptr) {
        // The clipboard takes ownership of the batch.
        TClipboardPrivate::SystemClipboard()->setMimeData(D->Pending.release());
    }
    D->Pending.reset();
    D->Emptied = false;
    D->Modified = false;
}

void TClipboard::Clear() {
    Open();
    D->Pending = std::make_unique<QMimeData>();
    D->Emptied = true;
    D->Modified = true;
    Close();
}

bool TClipboard::HasFormat(Word Format) const {
    const QMimeData* M = D->Current();
    if (M == nullptr) return false;
    switch (Format) {
        case CF_TEXT:
            return M->hasText();
        case CF_BITMAP:
            return M->hasImage();
        case CF_PICTURE:
            return M->hasImage() || M->hasFormat(MetafileMime);
        default: {
            const QString Mime = MimeOf(Format);
            return !Mime.isEmpty() && M->hasFormat(Mime);
        }
    }
}

AnsiString TClipboard::GetAsText() const {
    const QMimeData* M = D->Current();
    if (M == nullptr || !M->hasText()) return {};
    if (M->hasFormat(ExactTextMime)) {
        const QByteArray Exact = M->data(ExactTextMime);
        if (static_cast<std::size_t>(Exact.size()) <= MaxClipboardBytes)
            return AnsiString(Exact.constData(), static_cast<std::size_t>(Exact.size()));
    }
    return ForeignText(M->text()).toStdString();
}

void TClipboard::SetAsText(const AnsiString& Value) {
    Open();
    QMimeData& M = D->Adding();
    M.setText(NormaliseBreaks(QString::fromStdString(Value), QStringLiteral("\n")));
    M.setData(ExactTextMime, QByteArray(Value.data(), static_cast<qsizetype>(Value.size())));
    Close();
}

std::vector<Byte> TClipboard::GetAsBytes(Word Format) const {
    if (Format == CF_TEXT) {
        const AnsiString Text = GetAsText();
        return std::vector<Byte>(Text.begin(), Text.end());
    }
    return FromQByteArray(D->Bytes(Format));
}

void TClipboard::SetAsBytes(Word Format, const std::vector<Byte>& Data) {
    SetAsBytes(Format, Data.data(), Data.size());
}

void TClipboard::SetAsBytes(Word Format, const Byte* Data, std::size_t Size) {
    if (Format == CF_TEXT) {
        SetAsText(AnsiString(reinterpret_cast<const char*>(Data), Size));
        return;
    }
    const QString Mime = MimeOf(Format);
    if (Mime.isEmpty() || Size > MaxClipboardBytes) return;
    Open();
    D->Adding().setData(
        Mime, QByteArray(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size)));
    Close();
}

void TClipboard::SetComponent(TComponent* Component) {
    if (Component == nullptr) return;
    TMemoryStream S;
    WriteComponent(S, Component);
    SetAsBytes(CF_COMPONENT, static_cast<const Byte*>(S.Memory()),
               static_cast<std::size_t>(S.GetSize()));
}

namespace {

// The component in CF_COMPONENT, made only of the Accepted classes when they are given.
TComponent* ReadComponentFormat(const TClipboardPrivate& D, TComponent* Owner, TComponent* Parent,
                                const std::vector<TComponentClass>* Accepted) {
    // Read from the clipboard's own bytes: a large stream is copied once, into the stream.
    const QByteArray Data = D.Bytes(CF_COMPONENT);
    if (Data.isEmpty()) return nullptr;
    TMemoryStream S;
    S.WriteBuffer(Data.constData(), static_cast<Int64>(Data.size()));
    S.SetPosition(0);
    TComponent* Result =
        Accepted != nullptr ? ReadComponent(S, Owner, *Accepted) : ReadComponent(S, Owner);
    auto* Control = dynamic_cast<TControl*>(Result);
    auto* Window = dynamic_cast<TWinControl*>(Parent);
    if (Control != nullptr && Window != nullptr) Control->SetParent(Window);
    return Result;
}

}  // namespace

TComponent* TClipboard::GetComponent(TComponent* Owner, TComponent* Parent) {
    return ReadComponentFormat(*D, Owner, Parent, nullptr);
}

TComponent* TClipboard::GetComponent(TComponent* Owner, TComponent* Parent,
                                     const std::vector<TComponentClass>& Accepted) {
    return ReadComponentFormat(*D, Owner, Parent, &Accepted);
}

void TClipboard::Assign(const TPersistent* Source) {
    if (const auto* P = dynamic_cast<const TPicture*>(Source)) {
        if (P->GetGraphic() != nullptr) Assign(P->GetGraphic());
        return;
    }
    if (const auto* M = dynamic_cast<const TMetafile*>(Source)) {
        SetAsBytes(CF_METAFILEPICT, M->SaveToData());
        return;
    }
    if (const auto* G = dynamic_cast<const TGraphic*>(Source)) {
        TBitmap Rendered;
        Rendered.Assign(G);
        Open();
        D->Adding().setImageData(BitmapImage(Rendered));
        Close();
        return;
    }
    TPersistent::Assign(Source);
}

void TClipboard::AssignTo(TPersistent* Dest) const {
    const QMimeData* M = D->Current();
    auto LoadMetafile = [&](TMetafile& Metafile) {
        Metafile.LoadFromData(GetAsBytes(CF_METAFILEPICT));
    };
    auto LoadBitmap = [&](TBitmap& Bitmap) {
        const QImage Image = qvariant_cast<QImage>(M->imageData());
        if (Image.isNull() || Image.width() > MaxBitmapSide || Image.height() > MaxBitmapSide ||
            static_cast<std::int64_t>(Image.width()) * Image.height() > MaxBitmapPixels)
            throw EInvalidGraphic("Unsupported clipboard format");
        SetBitmapImage(Bitmap, Image);
    };
    const bool HasImage = M != nullptr && M->hasImage();
    const bool HasMetafile = M != nullptr && M->hasFormat(MetafileMime);
    if (auto* B = dynamic_cast<TBitmap*>(Dest)) {
        if (!HasImage) throw EInvalidGraphic("Unsupported clipboard format");
        LoadBitmap(*B);
        return;
    }
    if (auto* Meta = dynamic_cast<TMetafile*>(Dest)) {
        if (!HasMetafile) throw EInvalidGraphic("Unsupported clipboard format");
        LoadMetafile(*Meta);
        return;
    }
    if (auto* P = dynamic_cast<TPicture*>(Dest)) {
        if (HasMetafile) {
            TMetafile Metafile;
            LoadMetafile(Metafile);
            P->SetGraphic(&Metafile);
        } else if (HasImage) {
            TBitmap Bitmap;
            LoadBitmap(Bitmap);
            P->SetGraphic(&Bitmap);
        } else {
            throw EInvalidGraphic("Unsupported clipboard format");
        }
        return;
    }
    TPersistent::AssignTo(Dest);
}

namespace {
TClipboard* GlobalClipboard = nullptr;
void FreeGlobalClipboard() {
    delete GlobalClipboard;
    GlobalClipboard = nullptr;
}
}  // namespace

TClipboard* Clipboard() {
    if (GlobalClipboard == nullptr) {
        GlobalClipboard = new TClipboard();
        qAddPostRoutine(FreeGlobalClipboard);
    }
    return GlobalClipboard;
}

}  // namespace carrelon
