// The rich edit control in plain-text use: text with CR LF line breaks, selection in code points
// (CR LF counting as two), maximum length, word wrap, scroll bars, alignment, clipboard and undo,
// change and selection notifications, size requests as the content grows, and text search.
#pragma once

#include <memory>

#include "platform/controls/TextAlign.h"
#include "platform/controls/WidgetControl.h"
// The scroll-bar and border styles are the grid base class's; the edit uses the same.
#include "platform/grids/GridTypes.h"

namespace carrelon {

enum TSearchType { stWholeWord, stMatchCase };
using TSearchTypes = TSet<TSearchType>;

class TCustomRichEdit;

// The paragraph attributes of the selection.
class TParaAttributes : public TPersistent {
public:
    explicit TParaAttributes(TCustomRichEdit* Owner) : FOwner(Owner) {}
    AnsiString ClassName() const override { return "TParaAttributes"; }
    TAlignment GetAlignment() const;
    void SetAlignment(TAlignment Value);

private:
    TCustomRichEdit* FOwner;
};

using TRichEditResizeEvent = std::function<void(TObject* Sender, const TRect& Rect)>;

class TCustomRichEdit : public TWidgetControl {
public:
    explicit TCustomRichEdit(TComponent* AOwner);
    ~TCustomRichEdit() override;
    AnsiString ClassName() const override { return "TCustomRichEdit"; }

    AnsiString GetText() const override;
    void SetText(const AnsiString& Value) override;
    // Positions count code points; a line break (CR LF) counts two.
    int GetSelStart() const;
    void SetSelStart(int Value);
    int GetSelLength() const;
    void SetSelLength(int Value);
    AnsiString GetSelText() const;
    // Replaces the selection (within MaxLength).
    void SetSelText(const AnsiString& Value);
    int GetTextLength() const;
    void SelectAll();
    void ClearSelection();
    void Clear();
    void CopyToClipboard();
    void CutToClipboard();
    // Pastes the clipboard's text (never formatting), within MaxLength.
    virtual void PasteFromClipboard();
    void Undo();
    bool GetCanUndo() const;

    // 0: no limit. Typing and pasting stop at the limit; setting Text does not cut.
    int GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool GetPlainText() const { return FPlainText; }
    void SetPlainText(bool Value) { FPlainText = Value; }
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool GetModified() const;
    void SetModified(bool Value);
    TAlignment GetAlignment() const { return FAlignment; }
    // Aligns every paragraph.
    void SetAlignment(TAlignment Value);
    TParaAttributes* GetParagraph() { return &FParagraph; }
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

    // Display lines (wrapped lines count); the line of a character position (-1: the caret's).
    int GetLineCount() const;
    int LineFromChar(int CharIndex) const;
    int GetLine(int Index, AnsiString& Text) const;
    // The start of the selection as a display line (Y) and a position within that line (X).
    TPoint GetCaretPos() const;

    // The position of SearchStr within [StartPos, StartPos + Length) (Length -1: to the end),
    // -1 when absent. stWholeWord needs non-word characters (or the ends) on both sides.
    int FindText(const AnsiString& SearchStr, int StartPos, int Length, TSearchTypes Options) const;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelectionChange;
    TRichEditResizeEvent OnResizeRequest;

protected:
    friend class TParaAttributes;
    void CreateInnerWidget(TWindowWidget& Window) override;
    void ApplyToWidget() override;
    void SaveFromWidget() override;
    void InsertCharacter(char32_t Ch) override;
    void DefaultHandler(TMessage& Message) override;
    virtual void Change();
    virtual void SelectionChange();
    // The content wants Rect's height (raised when that height changes).
    virtual void RequestSize(const TRect& Rect);
    // The height the content needs as laid out now, the window's border included.
    int GetContentHeight() const;
    void WMGetDlgCode(TMessage& Message) override;
    void CMCtl3DChanged();

private:
    struct TPrivate;
    // Inserts Text at the selection, cut to the room MaxLength leaves.
    void InsertText(std::u32string Text);
    // Pastes the clipboard's text at the selection.
    void PasteText();
    void EnsureLaidOut() const;
    void TextChanged();
    void CheckContentHeight();
    void UpdateFrameStyle();

    std::unique_ptr<TPrivate> D;
    int FMaxLength = 0;
    bool FWordWrap = true;
    TScrollStyle FScrollBars = ssBoth;
    bool FPlainText = true;
    bool FReadOnly = false;
    TAlignment FAlignment = taLeftJustify;
    TBorderStyle FBorderStyle = bsSingle;
    TParaAttributes FParagraph{this};
    int FLastContentHeight = -1;
    // The text as the parent last heard of it: only a real change notifies again.
    AnsiString FNotifiedText;
};

class TRichEdit : public TCustomRichEdit {
public:
    explicit TRichEdit(TComponent* AOwner) : TCustomRichEdit(AOwner) {}
    AnsiString ClassName() const override { return "TRichEdit"; }
};

}  // namespace carrelon
