// The standard controls an application may hand the grid as cell editors, as thin classes over
// the matching Qt widgets: edits (plain and masked), combo boxes, list boxes, group boxes, radio
// groups, panels and buttons (push button and check box).
#pragma once

#include <memory>

#include "platform/controls/WidgetControl.h"
#include "platform/rtl/Lists.h"

namespace carrelon {

// An edit: single-line, or multi-line (ES_MULTILINE in its window style, see TCustomMemo).
class TCustomEdit : public TWidgetControl {
public:
    explicit TCustomEdit(TComponent* AOwner);
    ~TCustomEdit() override;
    AnsiString ClassName() const override { return "TCustomEdit"; }

    AnsiString GetText() const override;
    void SetText(const AnsiString& Value) override;
    // Positions in code points.
    virtual int GetSelStart() const;
    virtual void SetSelStart(int Value);
    virtual int GetSelLength() const;
    virtual void SetSelLength(int Value);
    virtual AnsiString GetSelText() const;
    void SelectAll();
    void ClearSelection();
    // 0: no limit.
    int GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool GetModified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }

    TNotifyEvent OnChange;

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
    void ApplyToWidget() override;
    void SaveFromWidget() override;
    void WMGetDlgCode(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    virtual void Change();

    AnsiString FSavedText;
    int FMaxLength = 0;
    bool FReadOnly = false;
    bool FModified = false;
    bool FSettingText = false;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
    AnsiString ClassName() const override { return "TEdit"; }
};

// A multi-line edit: lines end in CR LF in its Text, and positions count a line break as two
// characters. It keeps Enter and the arrows for itself.
class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* AOwner);
    AnsiString ClassName() const override { return "TCustomMemo"; }
    AnsiString GetText() const override;
    void SetText(const AnsiString& Value) override;
    int GetSelStart() const override;
    void SetSelStart(int Value) override;
    int GetSelLength() const override;
    void SetSelLength(int Value) override;
    AnsiString GetSelText() const override;

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
    void ApplyToWidget() override;
    void SaveFromWidget() override;
    void WMGetDlgCode(TMessage& Message) override;
};

class TMemo : public TCustomMemo {
public:
    explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
    AnsiString ClassName() const override { return "TMemo"; }
};

// An edit with an input mask ("00/00/0000"; 0 a digit, 9 an optional digit, L a letter, A a
// letter or digit, other characters literal). Leaving it with incomplete input raises.
class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
    AnsiString ClassName() const override { return "TCustomMaskEdit"; }
    const AnsiString& GetEditMask() const { return FEditMask; }
    void SetEditMask(const AnsiString& Value);
    // Raises EDBEditError-like EConvertError when the text does not fill the mask.
    void ValidateEdit();

protected:
    void ApplyToWidget() override;
    void CMExit(TMessage& Message) override;

private:
    AnsiString FEditMask;
};

class TMaskEdit : public TCustomMaskEdit {
public:
    explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
    AnsiString ClassName() const override { return "TMaskEdit"; }
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// Base of the combo boxes: Items, ItemIndex and Text.
class TCustomCombo : public TWidgetControl {
public:
    explicit TCustomCombo(TComponent* AOwner);
    ~TCustomCombo() override;
    AnsiString ClassName() const override { return "TCustomCombo"; }

    TStrings* GetItems() const { return FItems.get(); }
    int GetItemIndex() const;
    void SetItemIndex(int Value);
    AnsiString GetText() const override;
    void SetText(const AnsiString& Value) override;
    TComboBoxStyle GetStyle() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);

    TNotifyEvent OnChange;

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
    void ApplyToWidget() override;
    void SaveFromWidget() override;
    void WMGetDlgCode(TMessage& Message) override;
    virtual void Change();
    void ItemsChanged();

    std::unique_ptr<TStringList> FItems;
    int FItemIndex = -1;
    AnsiString FSavedText;
    TComboBoxStyle FStyle = csDropDown;
    bool FSyncing = false;
};

class TCustomComboBox : public TCustomCombo {
public:
    explicit TCustomComboBox(TComponent* AOwner) : TCustomCombo(AOwner) {}
    AnsiString ClassName() const override { return "TCustomComboBox"; }
};

class TComboBox : public TCustomComboBox {
public:
    explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
    AnsiString ClassName() const override { return "TComboBox"; }
};

class TCustomComboBoxEx : public TCustomCombo {
public:
    explicit TCustomComboBoxEx(TComponent* AOwner) : TCustomCombo(AOwner) {}
    AnsiString ClassName() const override { return "TCustomComboBoxEx"; }
};

class TComboBoxEx : public TCustomComboBoxEx {
public:
    explicit TComboBoxEx(TComponent* AOwner) : TCustomComboBoxEx(AOwner) {}
    AnsiString ClassName() const override { return "TComboBoxEx"; }
};

class TCustomListBox : public TWidgetControl {
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;
    AnsiString ClassName() const override { return "TCustomListBox"; }

    TStrings* GetItems() const { return FItems.get(); }
    int GetItemIndex() const;
    void SetItemIndex(int Value);

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
    void ApplyToWidget() override;
    void SaveFromWidget() override;
    void ItemsChanged();

    std::unique_ptr<TStringList> FItems;
    int FItemIndex = -1;
    bool FSyncing = false;
};

class TListBox : public TCustomListBox {
public:
    explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
    AnsiString ClassName() const override { return "TListBox"; }
};

// A framed container with a caption; children sit inside.
class TCustomGroupBox : public TWinControl {
public:
    explicit TCustomGroupBox(TComponent* AOwner);
    AnsiString ClassName() const override { return "TCustomGroupBox"; }
    void SetText(const AnsiString& Value) override;

protected:
    void PaintWindow(TCanvas* DC) override;
};

class TGroupBox : public TCustomGroupBox {
public:
    explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
    AnsiString ClassName() const override { return "TGroupBox"; }
};

class TRadioButton;

// A group box with one radio button per item; ItemIndex is the checked one (-1: none).
class TCustomRadioGroup : public TCustomGroupBox {
public:
    explicit TCustomRadioGroup(TComponent* AOwner);
    ~TCustomRadioGroup() override;
    AnsiString ClassName() const override { return "TCustomRadioGroup"; }

    TStrings* GetItems() const { return FItems.get(); }
    int GetItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    int GetButtonCount() const { return static_cast<int>(FButtons.size()); }
    TRadioButton* GetButton(int Index) const;

    TNotifyEvent OnClick;

private:
    void ItemsChanged();
    void ButtonClicked(TRadioButton* Button);

    std::unique_ptr<TStringList> FItems;
    std::vector<TRadioButton*> FButtons;
    int FItemIndex = -1;
};

class TRadioGroup : public TCustomRadioGroup {
public:
    explicit TRadioGroup(TComponent* AOwner) : TCustomRadioGroup(AOwner) {}
    AnsiString ClassName() const override { return "TRadioGroup"; }
};

class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* AOwner);
    AnsiString ClassName() const override { return "TCustomPanel"; }
    void SetText(const AnsiString& Value) override;

protected:
    void Paint() override;
};

class TPanel : public TCustomPanel {
public:
    explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
    AnsiString ClassName() const override { return "TPanel"; }
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// Base of buttons and check boxes: a caption and a click.
class TButtonControl : public TWidgetControl {
public:
    explicit TButtonControl(TComponent* AOwner);
    AnsiString ClassName() const override { return "TButtonControl"; }
    AnsiString GetText() const override;
    void SetText(const AnsiString& Value) override;
    bool GetChecked() const;
    void SetChecked(bool Value);
    TCheckBoxState GetState() const { return FState; }
    void SetState(TCheckBoxState Value);

protected:
    void CreateWnd() override;
    void ApplyToWidget() override;
    void SaveFromWidget() override;
    void WidgetToggled(bool Checked);
    TCheckBoxState FState = cbUnchecked;
    bool FSyncing = false;
};

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* AOwner) : TButtonControl(AOwner) {}
    AnsiString ClassName() const override { return "TButton"; }

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
};

class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {}
    AnsiString ClassName() const override { return "TCheckBox"; }

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
};

class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {}
    AnsiString ClassName() const override { return "TRadioButton"; }

protected:
    void CreateInnerWidget(TWindowWidget& Window) override;
};

}  // namespace carrelon
