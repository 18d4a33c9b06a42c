#include "platform/controls/Dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace carrelon {

// The dialog's window and controls; object names let tests find them.
struct TFindDialog::TWindow {
    QDialog Dialog;
    QLineEdit* FindText = nullptr;
    QLineEdit* ReplaceText = nullptr;
    QCheckBox* WholeWord = nullptr;
    QCheckBox* MatchCase = nullptr;
    QGroupBox* Direction = nullptr;
    QRadioButton* Up = nullptr;
    QRadioButton* Down = nullptr;
};

TFindDialog::TFindDialog(TComponent* AOwner) : TComponent(AOwner) {}

TFindDialog::~TFindDialog() {
    Destroying();
}

void TFindDialog::SetFindText(const AnsiString& Value) {
    FFindText = Value;
    if (FWindow) FWindow->FindText->setText(QString::fromStdString(Value));
}

void TReplaceDialog::SetReplaceText(const AnsiString& Value) {
    FReplaceText = Value;
    if (FWindow) FWindow->ReplaceText->setText(QString::fromStdString(Value));
}

void TFindDialog::SetOptions(TFindOptions Value) {
    FOptions = Value;
    if (!FWindow) return;
    TWindow& W = *FWindow;
    W.WholeWord->setChecked(Value.Contains(frWholeWord));
    W.MatchCase->setChecked(Value.Contains(frMatchCase));
    (Value.Contains(frDown) ? W.Down : W.Up)->setChecked(true);
    W.WholeWord->setVisible(!Value.Contains(frHideWholeWord));
    W.MatchCase->setVisible(!Value.Contains(frHideMatchCase));
    W.Direction->setVisible(!WithReplace() && !Value.Contains(frHideUpDown));
    W.WholeWord->setEnabled(!Value.Contains(frDisableWholeWord));
    W.MatchCase->setEnabled(!Value.Contains(frDisableMatchCase));
    W.Direction->setEnabled(!Value.Contains(frDisableUpDown));
}

void TFindDialog::MakeWindow() {
    FWindow = std::make_unique<TWindow>();
    TWindow& W = *FWindow;
    W.Dialog.setWindowTitle(WithReplace() ? "Replace" : "Find");
    W.Dialog.setModal(false);
    auto* Fields = new QGridLayout;
    auto AddField = [&](const char* Label, const char* Name, int Row) {
        auto* Edit = new QLineEdit;
        Edit->setObjectName(Name);
        auto* Caption = new QLabel(Label);
        Caption->setBuddy(Edit);
        Fields->addWidget(Caption, Row, 0);
        Fields->addWidget(Edit, Row, 1);
        return Edit;
    };
    W.FindText = AddField("Fi&nd what:", "FindText", 0);
    if (WithReplace()) W.ReplaceText = AddField("Re&place with:", "ReplaceText", 1);
    W.WholeWord = new QCheckBox("Match &whole word only");
    W.WholeWord->setObjectName("WholeWord");
    W.MatchCase = new QCheckBox("Match &case");
    W.MatchCase->setObjectName("MatchCase");
    // The dialog owns the direction group even where it lays out none (replacing has no
    // direction to choose), so the group neither outlives it nor shows as a window of its own.
    W.Direction = new QGroupBox("Direction", &W.Dialog);
    W.Direction->setObjectName("Direction");
    W.Up = new QRadioButton("&Up");
    W.Up->setObjectName("Up");
    W.Down = new QRadioButton("&Down");
    W.Down->setObjectName("Down");
    auto* Directions = new QHBoxLayout(W.Direction);
    Directions->addWidget(W.Up);
    Directions->addWidget(W.Down);
    auto* Left = new QVBoxLayout;
    Left->addLayout(Fields);
    Left->addWidget(W.WholeWord);
    Left->addWidget(W.MatchCase);
    if (!WithReplace()) Left->addWidget(W.Direction);
    Left->addStretch();

    auto* Buttons = new QVBoxLayout;
    auto AddButton = [&](const char* Caption, const char* Name) {
        auto* B = new QPushButton(Caption);
        B->setObjectName(Name);
        Buttons->addWidget(B);
        return B;
    };
    QPushButton* FindNext = AddButton("&Find Next", "FindNext");
    FindNext->setDefault(true);
    QObject::connect(FindNext, &QPushButton::clicked, [this] { Clicked(frFindNext, OnFind); });
    if (auto* R = dynamic_cast<TReplaceDialog*>(this)) {
        QObject::connect(AddButton("&Replace", "Replace"), &QPushButton::clicked,
                         [this, R] { Clicked(frReplace, R->OnReplace); });
        QObject::connect(AddButton("Replace &All", "ReplaceAll"), &QPushButton::clicked,
                         [this, R] { Clicked(frReplaceAll, R->OnReplace); });
    }
    QObject::connect(AddButton("Cancel", "Cancel"), &QPushButton::clicked,
                     [this] { CloseDialog(); });
    Buttons->addStretch();
    auto* Main = new QHBoxLayout(&W.Dialog);
    Main->addLayout(Left);
    Main->addLayout(Buttons);
    SetFindText(FFindText);
    if (auto* R = dynamic_cast<TReplaceDialog*>(this)) R->SetReplaceText(R->GetReplaceText());
    SetOptions(FOptions);
}

bool TFindDialog::Execute() {
    if (!FWindow) MakeWindow();
    FWindow->Dialog.show();
    FWindow->Dialog.raise();
    FWindow->Dialog.activateWindow();
    FWindow->FindText->setFocus();
    return true;
}

void TFindDialog::CloseDialog() {
    if (FWindow) FWindow->Dialog.hide();
}

bool TFindDialog::Showing() const {
    return FWindow && FWindow->Dialog.isVisible();
}

void TFindDialog::ReadControls() {
    TWindow& W = *FWindow;
    FFindText = W.FindText->text().toStdString();
    auto Set = [this](TFindOption O, bool On) {
        if (On)
            FOptions.Include(O);
        else
            FOptions.Exclude(O);
    };
    Set(frWholeWord, W.WholeWord->isChecked());
    Set(frMatchCase, W.MatchCase->isChecked());
    Set(frDown, WithReplace() || W.Down->isChecked());
}

void TReplaceDialog::ReadControls() {
    TFindDialog::ReadControls();
    FReplaceText = FWindow->ReplaceText->text().toStdString();
}

void TFindDialog::Clicked(TFindOption Button, const TNotifyEvent& Handler) {
    ReadControls();
    FOptions.Exclude(frFindNext);
    FOptions.Exclude(frReplace);
    FOptions.Exclude(frReplaceAll);
    FOptions.Include(Button);
    if (Handler) Handler(this);
}

}  // namespace carrelon
