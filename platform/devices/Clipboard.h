// The clipboard: text, pictures and the component format, offered together when set between
// Open and Close.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TComponent;
struct TComponentClassInfo;
using TComponentClass = const TComponentClassInfo*;

// Clipboard formats.
constexpr Word CF_TEXT = 1;
constexpr Word CF_BITMAP = 2;
constexpr Word CF_METAFILEPICT = 3;
constexpr Word CF_ENHMETAFILE = 14;
// Any picture the clipboard holds (a bitmap or a metafile).
constexpr Word CF_PICTURE = 0xC001;
// A streamed component, carried under "application/x-carrelon-component".
constexpr Word CF_COMPONENT = 0xC002;

// Raw data above this size is neither offered nor read.
constexpr std::size_t MaxClipboardBytes = std::size_t{256} << 20;

struct TClipboardPrivate;

class TClipboard : public TPersistent {
public:
    TClipboard();
    ~TClipboard() override;
    AnsiString ClassName() const override { return "TClipboard"; }

    // Open and Close nest. The first format set after the outermost Open empties the
    // clipboard; everything set before the outermost Close is offered together. A format set
    // without Open replaces the clipboard's contents on its own.
    void Open();
    void Close();
    void Clear();
    bool HasFormat(Word Format) const;

    // Text with CR LF line breaks; the system clipboard holds it with LF breaks. Text set here
    // reads back exactly as set (a lone LF inside a copied cell stays LF, apart from the CR LF
    // between rows); text from other programs reads with every break as CR LF, except a break
    // inside a double-quoted field of tab-separated text, which stays LF (a line break within a
    // spreadsheet's cell).
    AnsiString GetAsText() const;
    void SetAsText(const AnsiString& Value);

    // The bytes of a data format (CF_TEXT: UTF-8 text; CF_COMPONENT: the component stream;
    // CF_METAFILEPICT/CF_ENHMETAFILE: a metafile's stream form). Empty when absent or too large.
    std::vector<Byte> GetAsBytes(Word Format) const;
    void SetAsBytes(Word Format, const std::vector<Byte>& Data);
    void SetAsBytes(Word Format, const Byte* Data, std::size_t Size);

    // The component (and the children it streams) as a component stream in CF_COMPONENT.
    void SetComponent(TComponent* Component);
    // Reads the component in CF_COMPONENT, owned by Owner and, when it is a control and Parent
    // a windowed control, placed on Parent; nullptr when the clipboard holds none. The stream
    // is untrusted: a malformed one raises EReadError, an unregistered class EClassNotFound.
    TComponent* GetComponent(TComponent* Owner, TComponent* Parent);
    // The same, making only the classes in Accepted: a stream naming another class raises
    // EReadError before anything of that class is made.
    TComponent* GetComponent(TComponent* Owner, TComponent* Parent,
                             const std::vector<TComponentClass>& Accepted);

    // Puts a picture or graphic on the clipboard: a metafile as CF_METAFILEPICT, any other
    // graphic as CF_BITMAP.
    void Assign(const TPersistent* Source) override;

protected:
    // Fills a TBitmap, TMetafile or TPicture from the clipboard; EInvalidGraphic when the
    // clipboard holds no such picture.
    void AssignTo(TPersistent* Dest) const override;

private:
    std::unique_ptr<TClipboardPrivate> D;
};

// The application's clipboard.
TClipboard* Clipboard();

}  // namespace carrelon
