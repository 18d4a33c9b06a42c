// Popup menus: TMenuItem (caption with & accelerators, "-" separators, enabled, visible, checked,
// shortcut, click handler, sub-items) and TPopupMenu (a tree of items shown at a screen point).
#pragma once

#include <memory>
#include <vector>

#include "platform/controls/Component.h"
#include "platform/controls/Controls.h"

namespace carrelon {

// A key with modifiers: the virtual key in the low byte, scShift/scCtrl/scAlt above.
using TShortCut = Word;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(Word Key, TShiftState Shift);
// "Ctrl+C", "Shift+Ins", "F2"; "" for no shortcut.
AnsiString ShortCutToText(TShortCut Value);

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;
    AnsiString ClassName() const override { return "TMenuItem"; }

    const AnsiString& GetCaption() const { return FCaption; }
    void SetCaption(const AnsiString& Value) { FCaption = Value; }
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }
    bool GetChecked() const { return FChecked; }
    void SetChecked(bool Value) { FChecked = Value; }
    TShortCut GetShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value) { FShortCut = Value; }
    // True for a separator (caption "-").
    bool IsLine() const { return FCaption == "-"; }

    // Sub-items; an item owns its sub-items' place in the menu (deleting the item deletes them).
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TMenuItem* GetItems(int Index) const;
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    TMenuItem* GetParent() const { return FParent; }
    // The item's index within its parent, -1 without one.
    int GetMenuIndex() const;
    void SetMenuIndex(int Value);
    // The sub-item whose caption, without & markers, equals ACaption; nullptr when none.
    TMenuItem* Find(const AnsiString& ACaption) const;

    // Fires OnClick (when the item is enabled).
    virtual void Click();

    TNotifyEvent OnClick;

private:
    AnsiString FCaption;
    bool FEnabled = true;
    bool FVisible = true;
    bool FChecked = false;
    TShortCut FShortCut = 0;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;
    AnsiString ClassName() const override { return "TPopupMenu"; }

    // The root item holding the menu's items.
    TMenuItem* GetItems() const { return FItems.get(); }
    bool GetAutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    // The control the menu was last popped up for.
    TComponent* GetPopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value);
    // The item with component name AName among the menu's items (any depth); nullptr if none.
    TMenuItem* FindItem(const AnsiString& AName) const;

    // Fires OnPopup, then shows the visible items at the screen point (X, Y); a click on an
    // item fires its OnClick.
    virtual void Popup(int X, int Y);
    // Closes the menu when it is showing.
    void CloseMenu();
    bool IsShowing() const;

    TNotifyEvent OnPopup;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend struct TPopupMenuQt;  // the Qt side, platform/controls/MenusQt.h
    struct TPrivate;
    std::unique_ptr<TMenuItem> FItems;
    bool FAutoPopup = true;
    TComponent* FPopupComponent = nullptr;
    std::unique_ptr<TPrivate> D;
};

}  // namespace carrelon
