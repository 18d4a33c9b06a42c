// Test entry point: every test runs inside one offscreen application, so painting, fonts, focus
// and the clipboard are real but need no display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "tests/support/ControlsTestSupport.h"

namespace {

// The fonts that text measurements and pixel checks rely on, with the package installing each.
struct TRequiredFont {
    const char* Family;
    const char* Package;
};
constexpr TRequiredFont RequiredFonts[] = {
    {"DejaVu Sans", "fonts-dejavu-core"},
    {"Liberation Sans", "fonts-liberation2"},
    {"Liberation Serif", "fonts-liberation2"},
    {"Liberation Mono", "fonts-liberation2"},
};

// Without a required font Qt quietly substitutes another, and measurements then fail all over
// for no fault in the code; so say what is missing once, and run nothing.
bool RequiredFontsInstalled() {
    const QStringList Families = QFontDatabase::families();
    for (const TRequiredFont& F : RequiredFonts) {
        if (!Families.contains(QString::fromLatin1(F.Family))) {
            std::fprintf(stderr, "Font \"%s\" is missing: install the Debian package %s\n",
                         F.Family, F.Package);
            return false;
        }
    }
    return true;
}

// What every test starts from, whatever ran before it: a fresh manual timer clock, and no
// modifier key held. (Key events sent to a window also set Qt's record of the modifiers held,
// which GetKeyState reads outside input handling; a test ending with Ctrl "held" must not
// hand it to the next.)
class TFreshStateForEachTest : public ::testing::EmptyTestEventListener {
public:
    explicit TFreshStateForEachTest(QWidget* Window) : FWindow(Window) {}
    void OnTestStart(const ::testing::TestInfo&) override {
        QKeyEvent NoKey(QEvent::KeyPress, 0, Qt::NoModifier);
        QCoreApplication::sendEvent(FWindow, &NoKey);
        carrelon::test::StartTestClock();
    }
    void OnTestEnd(const ::testing::TestInfo&) override { carrelon::test::EndTestClock(); }

private:
    QWidget* FWindow;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication App(argc, argv);
    if (!RequiredFontsInstalled()) return 1;
    ::testing::InitGoogleTest(&argc, argv);
    QWidget KeyboardWindow;
    KeyboardWindow.winId();  // a window of its own, as key events to a control have
    ::testing::UnitTest::GetInstance()->listeners().Append(
        new TFreshStateForEachTest(&KeyboardWindow));
    return RUN_ALL_TESTS();
}
