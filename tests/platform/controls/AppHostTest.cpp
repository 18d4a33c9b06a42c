// Snapshots of controls saved as image files.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "platform/controls/AppHost.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Colors.h"

namespace carrelon {
namespace {

TEST(AppHost, SavesAControlAsAnImageOfItsSize) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 120, 80);
    Form.SetColor(clRed);
    const auto path = std::filesystem::temp_directory_path() / "carrelon-apphost-test.png";
    ASSERT_TRUE(SaveControlImage(&Form, path.string()));
    QImage Image(QString::fromStdString(path.string()));
    std::filesystem::remove(path);
    ASSERT_FALSE(Image.isNull());
    EXPECT_EQ(Image.width(), Form.GetWidth());
    EXPECT_EQ(Image.height(), Form.GetHeight());
    EXPECT_EQ(Image.pixelColor(Image.width() / 2, Image.height() / 2), QColor(Qt::red));
}

TEST(AppHost, RefusesWhatCannotBeSaved) {
    EXPECT_FALSE(SaveControlImage(nullptr, "x.png"));
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 50, 50);
    EXPECT_FALSE(SaveControlImage(&Form, "/nonexistent-dir/x.png"));
}

}  // namespace
}  // namespace carrelon
