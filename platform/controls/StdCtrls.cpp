#include "platform/controls/StdCtrls.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/controls/TextPositionsQt.h"
#include "platform/controls/WidgetControlQt.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Graphics.h"

namespace carrelon {

namespace {

int CodePointsBefore(const QString& S, int Units) {
    return static_cast<int>(S.left(Units).toUcs4().size());
}

int UnitsBefore(const QString& S, int CodePoints) {
    int Units = 0;
    for (int i = 0; i < CodePoints && Units < S.size(); ++i)
        Units += S.at(Units).isHighSurrogate() && Units + 1 < S.size() ? 2 : 1;
    return Units;
}

// The line an edit types into: the widget itself, or the line inside a spin box.
QLineEdit* LineOf(QWidget* W) {
    if (auto* E = qobject_cast<QLineEdit*>(W)) return E;
    if (qobject_cast<QAbstractSpinBox*>(W) != nullptr) return W->findChild<QLineEdit*>();
    return nullptr;
}

}  // namespace

// ---- TCustomEdit ----------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWidgetControl(AOwner) {
    FWidth = 121;
    FHeight = 21;
    SetWindowExStyle(WS_EX_CLIENTEDGE);
    SetWindowStyle(GetWindowStyle() | ES_AUTOHSCROLL);
}

TCustomEdit::~TCustomEdit() {
    Destroying();
    DestroyHandle();
}

void TCustomEdit::CreateInnerWidget(TWindowWidget& Window) {
    auto* E = new QLineEdit();
    E->setFrame(false);
    E->setContextMenuPolicy(Qt::NoContextMenu);
    QObject::connect(E, &QLineEdit::textChanged, [this](const QString&) {
        GuardedCall(this, [&] {
            FModified = !FSettingText;
            Change();
        });
    });
    Window.SetInner(E);
}

void TCustomEdit::ApplyToWidget() {
    auto* E = LineOf(InnerWidget<QWidget>());
    if (E == nullptr) return;
    const QSignalBlocker Block(E);
    E->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
    E->setReadOnly(FReadOnly);
    E->setText(QString::fromStdString(FSavedText));
    ApplyFontAndColor();
}

void TCustomEdit::SaveFromWidget() {
    if (auto* E = LineOf(InnerWidget<QWidget>())) FSavedText = E->text().toStdString();
}

AnsiString TCustomEdit::GetText() const {
    if (auto* E = LineOf(InnerWidget<QWidget>())) return E->text().toStdString();
    return FSavedText;
}

void TCustomEdit::SetText(const AnsiString& Value) {
    auto* E = LineOf(InnerWidget<QWidget>());
    if (E == nullptr) {
        if (FSavedText == Value) return;
        FSavedText = Value;
        Change();
        return;
    }
    if (E->text().toStdString() == Value) return;
    FSettingText = true;
    E->setText(QString::fromStdString(Value));
    FSettingText = false;
}

int TCustomEdit::GetSelStart() const {
    auto* E = LineOf(InnerWidget<QWidget>());
    if (E == nullptr) return 0;
    const int Units = E->hasSelectedText() ? E->selectionStart() : E->cursorPosition();
    return CodePointsBefore(E->text(), Units);
}

void TCustomEdit::SetSelStart(int Value) {
    HandleNeeded();
    if (auto* E = LineOf(InnerWidget<QWidget>()))
        E->setCursorPosition(UnitsBefore(E->text(), std::max(0, Value)));
}

int TCustomEdit::GetSelLength() const {
    auto* E = LineOf(InnerWidget<QWidget>());
    if (E == nullptr || !E->hasSelectedText()) return 0;
    return static_cast<int>(E->selectedText().toUcs4().size());
}

void TCustomEdit::SetSelLength(int Value) {
    HandleNeeded();
    auto* E = LineOf(InnerWidget<QWidget>());
    if (E == nullptr) return;
    const int Start = GetSelStart();
    const int StartUnits = UnitsBefore(E->text(), Start);
    const int EndUnits = UnitsBefore(E->text(), Start + std::max(0, Value));
    E->setSelection(StartUnits, EndUnits - StartUnits);
}

AnsiString TCustomEdit::GetSelText() const {
    auto* E = LineOf(InnerWidget<QWidget>());
    return E != nullptr ? E->selectedText().toStdString() : AnsiString();
}

void TCustomEdit::SelectAll() {
    HandleNeeded();
    if (auto* E = LineOf(InnerWidget<QWidget>())) E->selectAll();
}

void TCustomEdit::ClearSelection() {
    if (auto* E = LineOf(InnerWidget<QWidget>()); E != nullptr && !FReadOnly) E->del();
}

void TCustomEdit::SetMaxLength(int Value) {
    FMaxLength = std::max(0, Value);
    if (auto* E = LineOf(InnerWidget<QWidget>()))
        E->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

void TCustomEdit::SetReadOnly(bool Value) {
    FReadOnly = Value;
    if (auto* E = LineOf(InnerWidget<QWidget>())) E->setReadOnly(Value);
}

void TCustomEdit::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
}

void TCustomEdit::DefaultHandler(TMessage& Message) {
    auto* E = LineOf(InnerWidget<QWidget>());
    if (E != nullptr) {
        switch (Message.Msg) {
            case WM_CUT:
                E->cut();
                return;
            case WM_COPY:
                E->copy();
                return;
            case WM_PASTE:
                E->paste();
                return;
            case WM_CLEAR:
                E->del();
                return;
            case WM_UNDO:
            case EM_UNDO:
                E->undo();
                return;
            default:
                break;
        }
    }
    TWidgetControl::DefaultHandler(Message);
}

void TCustomEdit::Change() {
    Changed();
    if (OnChange) OnChange(this);
}

// ---- TCustomMemo ----------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
    FWidth = 185;
    FHeight = 89;
    SetWindowStyle((GetWindowStyle() & ~ES_AUTOHSCROLL) | ES_MULTILINE | ES_WANTRETURN);
}

void TCustomMemo::CreateInnerWidget(TWindowWidget& Window) {
    auto* E = new QPlainTextEdit();
    E->setFrameStyle(QFrame::NoFrame);
    E->setContextMenuPolicy(Qt::NoContextMenu);
    QObject::connect(E, &QPlainTextEdit::textChanged, [this] {
        GuardedCall(this, [&] {
            FModified = !FSettingText;
            Change();
        });
    });
    Window.SetInner(E);
}

void TCustomMemo::ApplyToWidget() {
    auto* E = InnerWidget<QPlainTextEdit>();
    if (E == nullptr) return;
    const QSignalBlocker Block(E);
    E->setReadOnly(FReadOnly);
    E->setPlainText(textpos::ToDocumentText(FSavedText));
    ApplyFontAndColor();
}

void TCustomMemo::SaveFromWidget() {
    FSavedText = GetText();
}

AnsiString TCustomMemo::GetText() const {
    auto* E = InnerWidget<QPlainTextEdit>();
    if (E == nullptr) return FSavedText;
    return textpos::FromU32(textpos::WithCrLf(textpos::RawText(E->document())));
}

void TCustomMemo::SetText(const AnsiString& Value) {
    auto* E = InnerWidget<QPlainTextEdit>();
    if (E == nullptr) {
        TCustomEdit::SetText(Value);
        return;
    }
    if (GetText() == Value) return;
    FSettingText = true;
    E->setPlainText(textpos::ToDocumentText(Value));
    FSettingText = false;
}

int TCustomMemo::GetSelStart() const {
    auto* E = InnerWidget<QPlainTextEdit>();
    if (E == nullptr) return 0;
    return textpos::QtToOurs(textpos::RawText(E->document()), E->textCursor().selectionStart());
}

void TCustomMemo::SetSelStart(int Value) {
    HandleNeeded();
    auto* E = InnerWidget<QPlainTextEdit>();
    if (E == nullptr) return;
    const std::u32string Raw = textpos::RawText(E->document());
    QTextCursor C = E->textCursor();
    C.setPosition(textpos::OursToQt(Raw, std::clamp(Value, 0, textpos::OurLength(Raw))));
    E->setTextCursor(C);
}

int TCustomMemo::GetSelLength() const {
    auto* E = InnerWidget<QPlainTextEdit>();
    if (E == nullptr) return 0;
    const QTextCursor C = E->textCursor();
    const std::u32string Raw = textpos::RawText(E->document());
    return textpos::QtToOurs(Raw, C.selectionEnd()) - textpos::QtToOurs(Raw, C.selectionStart());
}

void TCustomMemo::SetSelLength(int Value) {
    HandleNeeded();
    auto* E = InnerWidget<QPlainTextEdit>();
    if (E == nullptr) return;
    const std::u32string Raw = textpos::RawText(E->document());
    QTextCursor C = E->textCursor();
    const int Start = textpos::QtToOurs(Raw, C.selectionStart());
    const int End = std::clamp(Start + std::max(0, Value), 0, textpos::OurLength(Raw));
    C.setPosition(C.selectionStart());
    C.setPosition(textpos::OursToQt(Raw, End), QTextCursor::KeepAnchor);
    E->setTextCursor(C);
}

AnsiString TCustomMemo::GetSelText() const {
    auto* E = InnerWidget<QPlainTextEdit>();
    if (E == nullptr) return "";
    std::u32string Sel;
    for (char32_t Ch : E->textCursor().selectedText().toUcs4())
        Sel.push_back(Ch);
    return textpos::FromU32(textpos::WithCrLf(Sel));
}

void TCustomMemo::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | DLGC_WANTALLKEYS;
}

// ---- TCustomMaskEdit ------------------------------------------------------------------------

namespace {
// The mask's characters in Qt's input-mask letters.
QString ToQtMask(const AnsiString& Mask) {
    const AnsiString Body = Mask.substr(0, Mask.find(';'));
    QString R;
    for (char C : Body) {
        switch (C) {
            case '0':
                R += '9';
                break;
            case '9':
                R += '0';
                break;
            case 'L':
                R += 'A';
                break;
            case 'l':
                R += 'a';
                break;
            case 'A':
                R += 'N';
                break;
            case 'a':
                R += 'n';
                break;
            case 'X':
            case 'C':
                R += 'X';
                break;
            case 'c':
                R += 'x';
                break;
            case '#':
                R += '#';
                break;
            case '!':
            case '>':
            case '<':
                R += C;
                break;
            default:
                if (QString("AaNnXx90Dd#HhBb><!{}[];\\").contains(QChar(C))) R += '\\';
                R += QChar(C);
                break;
        }
    }
    return R;
}
}  // namespace

void TCustomMaskEdit::SetEditMask(const AnsiString& Value) {
    FEditMask = Value;
    ApplyToWidget();
}

void TCustomMaskEdit::ApplyToWidget() {
    TCustomEdit::ApplyToWidget();
    if (auto* E = InnerWidget<QLineEdit>()) {
        const QSignalBlocker Block(E);
        E->setInputMask(ToQtMask(FEditMask));
    }
}

void TCustomMaskEdit::ValidateEdit() {
    auto* E = InnerWidget<QLineEdit>();
    if (E == nullptr || FEditMask.empty()) return;
    if (!E->hasAcceptableInput())
        throw EConvertError("Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::CMExit(TMessage& Message) {
    ValidateEdit();
    TCustomEdit::CMExit(Message);
}

// ---- TCustomCombo ---------------------------------------------------------------------------

TCustomCombo::TCustomCombo(TComponent* AOwner)
    : TWidgetControl(AOwner), FItems(std::make_unique<TStringList>()) {
    FWidth = 145;
    FHeight = 21;
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
    SetWindowStyle(GetWindowStyle() | CBS_DROPDOWN);
}

TCustomCombo::~TCustomCombo() {
    Destroying();
    DestroyHandle();
    FItems->OnChange = nullptr;
}

void TCustomCombo::CreateInnerWidget(TWindowWidget& Window) {
    auto* C = new QComboBox();
    C->setContextMenuPolicy(Qt::NoContextMenu);
    QObject::connect(C, &QComboBox::currentIndexChanged, [this](int) {
        GuardedCall(this, [&] {
            if (!FSyncing) Change();
        });
    });
    QObject::connect(C, &QComboBox::editTextChanged, [this](const QString&) {
        GuardedCall(this, [&] {
            if (!FSyncing) Change();
        });
    });
    Window.SetInner(C);
}

void TCustomCombo::ApplyToWidget() {
    auto* C = InnerWidget<QComboBox>();
    if (C == nullptr) return;
    FSyncing = true;
    C->setEditable(FStyle != csDropDownList);
    C->clear();
    for (int i = 0; i < FItems->GetCount(); ++i)
        C->addItem(QString::fromStdString(FItems->GetStrings(i)));
    C->setCurrentIndex(FItemIndex);
    if (C->isEditable() && FItemIndex < 0) C->setEditText(QString::fromStdString(FSavedText));
    FSyncing = false;
    ApplyFontAndColor();
}

void TCustomCombo::SaveFromWidget() {
    if (auto* C = InnerWidget<QComboBox>()) {
        FItemIndex = C->currentIndex();
        FSavedText = C->currentText().toStdString();
    }
}

void TCustomCombo::ItemsChanged() {
    if (!HasInnerWidget()) {
        if (FItemIndex >= FItems->GetCount()) FItemIndex = -1;
        return;
    }
    SaveFromWidget();
    if (FItemIndex >= FItems->GetCount()) FItemIndex = -1;
    ApplyToWidget();
}

int TCustomCombo::GetItemIndex() const {
    if (auto* C = InnerWidget<QComboBox>()) return C->currentIndex();
    return FItemIndex;
}

void TCustomCombo::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItems->GetCount()) Value = -1;
    FItemIndex = Value;
    if (Value >= 0) FSavedText = FItems->GetStrings(Value);
    if (auto* C = InnerWidget<QComboBox>()) {
        FSyncing = true;
        C->setCurrentIndex(Value);
        FSyncing = false;
    }
}

AnsiString TCustomCombo::GetText() const {
    if (auto* C = InnerWidget<QComboBox>()) return C->currentText().toStdString();
    return FSavedText;
}

void TCustomCombo::SetText(const AnsiString& Value) {
    auto* C = InnerWidget<QComboBox>();
    if (FStyle == csDropDownList) {
        // A list-only combo shows an item or nothing.
        SetItemIndex(FItems->IndexOf(Value));
        return;
    }
    FSavedText = Value;
    // The item of that text becomes current, or none.
    FItemIndex = FItems->IndexOf(Value);
    if (C != nullptr) {
        FSyncing = true;
        C->setCurrentIndex(FItemIndex);
        FSyncing = false;
        C->setEditText(QString::fromStdString(Value));
    } else {
        Change();
    }
}

void TCustomCombo::SetStyle(TComboBoxStyle Value) {
    FStyle = Value;
    std::int32_t S = GetWindowStyle() & ~CBS_DROPDOWNLIST;
    S |= Value == csDropDownList ? CBS_DROPDOWNLIST : Value == csDropDown ? CBS_DROPDOWN : 1;
    SetWindowStyle(S);
    if (HasInnerWidget()) {
        SaveFromWidget();
        ApplyToWidget();
    }
}

void TCustomCombo::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
}

void TCustomCombo::Change() {
    Changed();
    if (OnChange) OnChange(this);
}

// ---- TCustomListBox -------------------------------------------------------------------------

namespace {
// The chosen item: the current one when it is selected. A list taking the focus makes its first
// item current without choosing it.
int SelectedRow(const QListWidget* L) {
    const QListWidgetItem* Item = L->currentItem();
    return Item != nullptr && Item->isSelected() ? L->currentRow() : -1;
}
}  // namespace

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWidgetControl(AOwner), FItems(std::make_unique<TStringList>()) {
    FWidth = 121;
    FHeight = 97;
    SetWindowExStyle(WS_EX_CLIENTEDGE);
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox() {
    Destroying();
    DestroyHandle();
    FItems->OnChange = nullptr;
}

void TCustomListBox::CreateInnerWidget(TWindowWidget& Window) {
    auto* L = new QListWidget();
    L->setFrameStyle(QFrame::NoFrame);
    QObject::connect(L, &QListWidget::currentRowChanged, [this](int) {
        GuardedCall(this, [&] {
            if (!FSyncing) Changed();
        });
    });
    Window.SetInner(L);
}

void TCustomListBox::ApplyToWidget() {
    auto* L = InnerWidget<QListWidget>();
    if (L == nullptr) return;
    FSyncing = true;
    L->clear();
    for (int i = 0; i < FItems->GetCount(); ++i)
        L->addItem(QString::fromStdString(FItems->GetStrings(i)));
    L->setCurrentRow(FItemIndex);
    FSyncing = false;
    ApplyFontAndColor();
}

void TCustomListBox::SaveFromWidget() {
    if (auto* L = InnerWidget<QListWidget>()) FItemIndex = SelectedRow(L);
}

void TCustomListBox::ItemsChanged() {
    SaveFromWidget();
    if (FItemIndex >= FItems->GetCount()) FItemIndex = -1;
    ApplyToWidget();
}

int TCustomListBox::GetItemIndex() const {
    if (auto* L = InnerWidget<QListWidget>()) return SelectedRow(L);
    return FItemIndex;
}

void TCustomListBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItems->GetCount()) Value = -1;
    FItemIndex = Value;
    if (auto* L = InnerWidget<QListWidget>()) {
        FSyncing = true;
        L->setCurrentRow(Value);
        FSyncing = false;
    }
}

// ---- TCustomGroupBox and TCustomRadioGroup --------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 185;
    FHeight = 105;
    FControlStyle.Include(csAcceptsControls);
}

void TCustomGroupBox::SetText(const AnsiString& Value) {
    TWinControl::SetText(Value);
    Invalidate();
}

void TCustomGroupBox::PaintWindow(TCanvas* DC) {
    DC->SetFont(GetFont());
    const int H = DC->TextHeight("0");
    DC->GetBrush()->SetColor(clBtnShadow);
    DC->FrameRect({0, H / 2, GetClientWidth(), GetClientHeight()});
    if (!GetText().empty()) {
        DC->GetBrush()->SetColor(FColor);
        DC->TextOut(8, 0, GetText());
    }
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), FItems(std::make_unique<TStringList>()) {
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
    Destroying();
    FItems->OnChange = nullptr;
    for (TRadioButton* B : FButtons)
        delete B;
    FButtons.clear();
}

TRadioButton* TCustomRadioGroup::GetButton(int Index) const {
    if (Index < 0 || Index >= GetButtonCount())
        throw EComponentError("List index out of bounds (" + std::to_string(Index) + ")");
    return FButtons[static_cast<std::size_t>(Index)];
}

void TCustomRadioGroup::ItemsChanged() {
    for (TRadioButton* B : FButtons)
        delete B;
    FButtons.clear();
    const int Count = FItems->GetCount();
    const int Top = 16;
    const int Step = Count > 0 ? std::max(17, (FHeight - Top - 4) / Count) : 17;
    for (int i = 0; i < Count; ++i) {
        auto* B = new TRadioButton(nullptr);
        B->SetParent(this);
        B->SetBounds(8, Top + i * Step, std::max(0, FWidth - 16), 17);
        B->SetText(FItems->GetStrings(i));
        B->SetChecked(i == FItemIndex);
        B->OnClick = [this, B](TObject*) { ButtonClicked(B); };
        FButtons.push_back(B);
    }
    if (FItemIndex >= Count) FItemIndex = -1;
}

void TCustomRadioGroup::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItems->GetCount()) Value = -1;
    if (FItemIndex == Value) return;
    FItemIndex = Value;
    for (int i = 0; i < GetButtonCount(); ++i)
        FButtons[static_cast<std::size_t>(i)]->SetChecked(i == Value);
    Changed();
}

void TCustomRadioGroup::ButtonClicked(TRadioButton* Button) {
    auto It = std::find(FButtons.begin(), FButtons.end(), Button);
    if (It == FButtons.end()) return;
    SetItemIndex(static_cast<int>(It - FButtons.begin()));
    if (OnClick) OnClick(this);
}

// ---- TCustomPanel ---------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    FWidth = 185;
    FHeight = 41;
    FColor = clBtnFace;
    FParentColor = false;
    FControlStyle.Include(csAcceptsControls);
}

void TCustomPanel::SetText(const AnsiString& Value) {
    TCustomControl::SetText(Value);
    Invalidate();
}

void TCustomPanel::Paint() {
    TCanvas* C = GetCanvas();
    const TRect R = GetClientRect();
    C->GetBrush()->SetColor(FColor);
    C->FillRect(R);
    C->GetPen()->SetColor(clBtnHighlight);
    C->MoveTo(R.Left, R.Bottom - 1);
    C->LineTo(R.Left, R.Top);
    C->LineTo(R.Right - 1, R.Top);
    C->GetPen()->SetColor(clBtnShadow);
    C->LineTo(R.Right - 1, R.Bottom - 1);
    C->LineTo(R.Left, R.Bottom - 1);
    if (!GetText().empty()) {
        C->SetFont(GetFont());
        C->GetBrush()->SetStyle(bsClear);
        const TSize S = C->TextExtent(GetText());
        C->TextOut((R.Width() - S.cx) / 2, (R.Height() - S.cy) / 2, GetText());
    }
}

// ---- Buttons --------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TWidgetControl(AOwner) {
    FWidth = 75;
    FHeight = 25;
    FColor = clBtnFace;
    // The widget reports its own clicks; the mouse messages do not click a second time.
    FControlStyle.Exclude(csClickEvents);
}

void TButtonControl::ApplyToWidget() {
    auto* B = InnerWidget<QAbstractButton>();
    if (B == nullptr) return;
    FSyncing = true;
    B->setText(QString::fromStdString(FText));
    if (auto* Box = qobject_cast<QCheckBox*>(B))
        Box->setCheckState(FState == cbChecked  ? Qt::Checked
                           : FState == cbGrayed ? Qt::PartiallyChecked
                                                : Qt::Unchecked);
    else if (B->isCheckable())
        B->setChecked(FState == cbChecked);
    FSyncing = false;
    ApplyFontAndColor();
}

void TButtonControl::CreateWnd() {
    if (auto* B = InnerWidget<QAbstractButton>()) {
        QObject::connect(B, &QAbstractButton::clicked, [this] {
            if (!FSyncing) Click();
        });
        QObject::connect(B, &QAbstractButton::toggled,
                         [this](bool On) { GuardedCall(this, [&] { WidgetToggled(On); }); });
    }
    TWidgetControl::CreateWnd();
}

void TButtonControl::SaveFromWidget() {}

void TButtonControl::WidgetToggled(bool Checked) {
    if (FSyncing) return;
    FState = Checked ? cbChecked : cbUnchecked;
    Changed();
}

AnsiString TButtonControl::GetText() const {
    return FText;
}

void TButtonControl::SetText(const AnsiString& Value) {
    FText = Value;
    if (auto* B = InnerWidget<QAbstractButton>()) B->setText(QString::fromStdString(Value));
}

bool TButtonControl::GetChecked() const {
    return FState == cbChecked;
}

void TButtonControl::SetChecked(bool Value) {
    SetState(Value ? cbChecked : cbUnchecked);
}

void TButtonControl::SetState(TCheckBoxState Value) {
    if (FState == Value) return;
    FState = Value;
    if (HasInnerWidget()) ApplyToWidget();
    Changed();
}

void TButton::CreateInnerWidget(TWindowWidget& Window) {
    Window.SetInner(new QPushButton());
}

void TCheckBox::CreateInnerWidget(TWindowWidget& Window) {
    auto* B = new QCheckBox();
    B->setTristate(false);
    Window.SetInner(B);
}

void TRadioButton::CreateInnerWidget(TWindowWidget& Window) {
    auto* B = new QRadioButton();
    B->setAutoExclusive(false);
    Window.SetInner(B);
}

}  // namespace carrelon
