// The find and replace dialogs: what their controls and buttons hand to the handlers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/controls/Dialogs.h"

namespace carrelon {
namespace {

// The shown dialog's window.
QDialog* ShownDialog() {
    for (QWidget* W : QApplication::topLevelWidgets())
        if (auto* D = qobject_cast<QDialog*>(W); D != nullptr && D->isVisible()) return D;
    return nullptr;
}

template <typename T>
T* Child(const char* Name) {
    QDialog* D = ShownDialog();
    return D != nullptr ? D->findChild<T*>(Name) : nullptr;
}

TEST(Dialogs, FindNextHandsTheTextAndTheChosenOptions) {
    TFindDialog Find(nullptr);
    Find.SetFindText("old");
    Find.SetOptions(TFindOptions{frDown, frWholeWord});
    AnsiString Seen;
    TFindOptions SeenOptions;
    Find.OnFind = [&](TObject* Sender) {
        auto* F = static_cast<TFindDialog*>(Sender);
        Seen = F->GetFindText();
        SeenOptions = F->GetOptions();
    };
    ASSERT_TRUE(Find.Execute());
    ASSERT_TRUE(Find.Showing());
    ASSERT_NE(Child<QLineEdit>("FindText"), nullptr);
    EXPECT_EQ(Child<QLineEdit>("FindText")->text(), "old");
    EXPECT_TRUE(Child<QCheckBox>("WholeWord")->isChecked());
    Child<QLineEdit>("FindText")->setText("new");
    Child<QCheckBox>("MatchCase")->setChecked(true);
    Child<QRadioButton>("Up")->setChecked(true);
    Child<QPushButton>("FindNext")->click();
    EXPECT_EQ(Seen, "new");
    EXPECT_EQ(SeenOptions, (TFindOptions{frFindNext, frMatchCase, frWholeWord}));
    Child<QPushButton>("Cancel")->click();
    EXPECT_FALSE(Find.Showing());
}

TEST(Dialogs, ReplaceButtonsAskForOneOrAllReplacements) {
    TReplaceDialog Replace(nullptr);
    Replace.SetOptions(TFindOptions{frDown, frHideMatchCase, frDisableWholeWord});
    std::vector<TFindOptions> Asked;
    Replace.OnReplace = [&](TObject*) { Asked.push_back(Replace.GetOptions()); };
    ASSERT_TRUE(Replace.Execute());
    // One window: replacing offers no direction, and nothing of the dialog shows on its own.
    int Shown = 0;
    for (QWidget* W : QApplication::topLevelWidgets())
        Shown += W->isVisible() ? 1 : 0;
    EXPECT_EQ(Shown, 1);
    ASSERT_NE(Child<QGroupBox>("Direction"), nullptr);
    EXPECT_FALSE(Child<QGroupBox>("Direction")->isVisible());
    EXPECT_FALSE(Child<QCheckBox>("MatchCase")->isVisible());
    EXPECT_FALSE(Child<QCheckBox>("WholeWord")->isEnabled());
    Child<QLineEdit>("FindText")->setText("a");
    Child<QLineEdit>("ReplaceText")->setText("b");
    Child<QPushButton>("Replace")->click();
    Child<QPushButton>("ReplaceAll")->click();
    EXPECT_EQ(Replace.GetFindText(), "a");
    EXPECT_EQ(Replace.GetReplaceText(), "b");
    ASSERT_EQ(Asked.size(), 2u);
    EXPECT_TRUE(Asked[0].Contains(frReplace));
    EXPECT_FALSE(Asked[0].Contains(frReplaceAll));
    EXPECT_TRUE(Asked[1].Contains(frReplaceAll));
    EXPECT_TRUE(Asked[1].Contains(frDown));
    Replace.CloseDialog();
}

}  // namespace
}  // namespace carrelon
