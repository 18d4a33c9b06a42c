// TCarrelonInplaceEditor: the rich edit the grid lays over the current cell while the user edits
// it. It hands navigation keys back to the grid under the grid's options, grows and shrinks the
// current row as its text grows and shrinks, shows its vertical scroll bar only while the text
// is taller than the room it has, pastes plain text only, reports selection changes and passes
// drag and drop on to the grid. The grid opens, fills, places and closes it.
#pragma once

#include "platform/controls/RichEdit.h"

namespace carrelon {

class TCarrelon;
class TCarrelonPrivate;

class TCarrelonInplaceEditor : public TCustomRichEdit {
public:
    // Owned and parented by the grid; hidden until an edit starts.
    explicit TCarrelonInplaceEditor(TCarrelon* AGrid);
    AnsiString ClassName() const override { return "TCarrelonInplaceEditor"; }

    // Pastes the clipboard's text (never formatting or pictures) when it holds text.
    void PasteFromClipboard() override;
    void DragDrop(TObject* Source, int X, int Y) override;

protected:
    friend class TCarrelon;
    friend class TCarrelonPrivate;

    // The content's size request: the current row grows or shrinks with the text.
    void RequestSize(const TRect& Rect) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void SelectionChange() override;
    void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) override;
    void WMNCCalcSize(TMessage& Message) override;
    void WMGetDlgCode(TMessage& Message) override;
    void CMRecreateWnd(TMessage& Message) override;
    void CMCancelMode(TMessage& Message) override;

private:
    TCarrelonPrivate& GridPrivate() const;
    // True when the key is one the grid handles instead of the editor, at the caret as it is.
    bool KeyBelongsToGrid(Word Key, TShiftState Shift) const;
    // The grid's KeyDown, then Key := 0.
    void PassKeyToGrid(Word& Key, TShiftState Shift);
    // The grid's OnKeyDown, with the grid as Sender.
    void NotifyGridKeyDown(Word& Key, TShiftState Shift);
    // The scroll bar shows while the grid allows it and the text is taller than the editor.
    bool ScrollBarWanted() const;
    void UpdateScrollBar();

    TCarrelon* const FGrid;
    // The height asked for by the last size request that resized the row.
    int FLastRequestHeight = 0;
    bool FVertScrollBarWanted = false;
};

}  // namespace carrelon
