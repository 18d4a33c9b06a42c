#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"

using namespace carrelon;

namespace {
class TThing : public TPersistent {
public:
    AnsiString ClassName() const override { return "TThing"; }
};
}  // namespace

TEST(Object, AssignBetweenUnrelatedClassesRaisesConvertError) {
    TThing a, b;
    try {
        a.Assign(&b);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "Cannot assign a TThing to a TThing");
    }
}
