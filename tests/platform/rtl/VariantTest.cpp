#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"

using namespace carrelon;

TEST(Variant, IsSmallAndKeepsTheRuntimeTypeCodes) {
    EXPECT_EQ(sizeof(Variant), 16u);
    const struct {
        Variant V;
        TVarType Type;
    } cases[] = {
        {Variant(), 0x0000},
        {Null, 0x0001},
        {Variant(short{1}), 0x0002},
        {Variant(1), 0x0003},
        {Variant(1.5f), 0x0004},
        {Variant(1.5), 0x0005},
        {Variant(1.5L), 0x0005},
        {Variant(Currency(1)), 0x0006},
        {Variant(TDateTime(1)), 0x0007},
        {Variant::MakeOleStr("x"), 0x0008},
        {Variant::MakeError(5), 0x000A},
        {Variant(true), 0x000B},
        {Variant(static_cast<signed char>(1)), 0x0010},
        {Variant(Byte{1}), 0x0011},
        {Variant(Word{1}), 0x0012},
        {Variant(1u), 0x0013},
        {Variant(Int64{1}), 0x0014},
        {Variant("text"), 0x0100},
        {Variant(AnsiString("text")), 0x0100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VarType(c.V), c.Type) << VarTypeAsText(c.Type);
    EXPECT_TRUE(VarIsEmpty(Unassigned));
    EXPECT_TRUE(VarIsNull(Null));
}

TEST(Variant, TextConversionsFollowTheRuntime) {
    TLocaleScope locale(true);
    EXPECT_EQ(Variant().AsString(), "");
    EXPECT_EQ(Variant(42).AsString(), "42");
    EXPECT_EQ(Variant(0.1).AsString(), "0.1");
    EXPECT_EQ(Variant(1e15).AsString(), "1E15");
    EXPECT_EQ(Variant(0.1f).AsString(), "0.1");
    EXPECT_EQ(Variant(Currency(1234.5L)).AsString(), "1234.5");
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(false).AsString(), "False");
    EXPECT_EQ(Variant(EncodeDate(2024, 3, 5)).AsString(), "3/5/2024");
    EXPECT_EQ(Variant(EncodeTime(6, 30, 0, 0)).AsString(), "6:30:00 AM");
    EXPECT_EQ(Variant(TDateTime(0)).AsString(), "12:00:00 AM");
    EXPECT_EQ(Variant(TDateTime(-1)).AsString(), "12/29/1899");
    // Dates outside the calendar have no text; the grid relies on the failure to refuse them.
    EXPECT_THROW(Variant(TDateTime(45000.0 * 1e10)).AsString(), EVariantTypeCastError);
    EXPECT_THROW(Variant(TDateTime(-693594)).AsString(), EVariantTypeCastError);
    EXPECT_THROW(Variant(TDateTime(std::nan(""))).AsString(), EVariantTypeCastError);
    EXPECT_EQ(Variant(TDateTime(EncodeDate(2024, 3, 5) + 0.75)).AsString(), "3/5/2024 6:00:00 PM");
    DecimalSeparator = ',';
    EXPECT_EQ(Variant(2.5).AsString(), "2,5");
    EXPECT_THROW(Null.AsString(), EVariantTypeCastError);
    EXPECT_EQ(VarToStr(Null), "");
    EXPECT_THROW(Variant::MakeError(1).AsString(), EVariantTypeCastError);
}

TEST(Variant, NumericConversions) {
    TLocaleScope locale(true);
    EXPECT_EQ(Variant("2.5").AsDouble(), 2.5);
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant().AsDouble(), 0.0);
    EXPECT_EQ(Variant(2.5).AsInteger(), 2);  // halves to even
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_EQ(Variant(Currency(2.5L)).AsInt64(), 2);
    EXPECT_EQ(Variant(Currency(-3.5L)).AsInt64(), -4);
    EXPECT_EQ(Variant("12").AsInteger(), 12);
    EXPECT_EQ(Variant(1.23456).AsCurrency().Raw(), 12346);
    EXPECT_EQ(Variant("3/5/2024").AsDateTime().Val, EncodeDate(2024, 3, 5).Val);
    EXPECT_TRUE(Variant("true").AsBoolean());
    EXPECT_TRUE(Variant(0.5).AsBoolean());
    try {
        Variant("abc").AsDouble();
        FAIL();
    } catch (const EVariantTypeCastError& e) {
        EXPECT_EQ(e.Message, "Could not convert variant of type (String) into type (Double)");
    }
    EXPECT_THROW(Variant(1e300).AsCurrency(), EVariantOverflowError);
    EXPECT_THROW(Variant(3e9).AsInteger(), EVariantOverflowError);
    EXPECT_THROW(Null.AsDouble(), EVariantTypeCastError);
    EXPECT_EQ(VarType(VarAsType(Variant("7"), varInteger)), varInteger);
    EXPECT_EQ(VarAsType(Variant(7), varString).AsString(), "7");
    EXPECT_THROW(VarAsType(Variant(300), varByte), EVariantOverflowError);
}

TEST(Variant, EqualityComparesValuesNotRepresentations) {
    EXPECT_EQ(Variant(1), Variant(1.0));
    EXPECT_EQ(Variant(Currency(2)), Variant(2));
    EXPECT_EQ(Variant("a"), Variant(AnsiString("a")));
    EXPECT_NE(Variant("a"), Variant("A"));
    EXPECT_NE(Variant("1"), Variant(1));
    EXPECT_EQ(Variant(), Unassigned);
    EXPECT_NE(Variant(), Null);
    EXPECT_NE(Variant(), Variant(0));
    EXPECT_NE(Variant(), Variant(""));
    EXPECT_NE(Variant(1.5), Variant(1.25));
}

TEST(Variant, SharesStringsAndCopiesSafely) {
    Variant a("shared text");
    Variant b = a;
    Variant c;
    c = b;
    a = Variant(5);
    EXPECT_EQ(b.AsString(), "shared text");
    EXPECT_EQ(c.AsString(), "shared text");
    c = c;  // self-assignment keeps the text alive
    EXPECT_EQ(c.AsString(), "shared text");
    Variant d = std::move(b);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(d.AsString(), "shared text");
    d = std::move(c);
    EXPECT_EQ(d.AsString(), "shared text");
}

namespace carrelon {
namespace {

TEST(VariantArray, BoundsElementsAndCopyOnWrite) {
    Variant a = Variant::MakeArray(1, 2, 1, 3);
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(VarArrayDimCount(a), 2);
    EXPECT_EQ(VarArrayLowBound(a, 1), 1);
    EXPECT_EQ(VarArrayHighBound(a, 2), 3);
    a.ArrayPut(Variant("x"), 2, 3);
    Variant b = a;  // shares until one side changes
    b.ArrayPut(Variant(5), 2, 3);
    EXPECT_EQ(a.ArrayGet(2, 3).AsString(), "x");
    EXPECT_EQ(b.ArrayGet(2, 3).AsInteger(), 5);
    EXPECT_TRUE(a.ArrayGet(1, 1).IsEmpty());
    EXPECT_THROW(a.ArrayGet(3, 1), EVariantError);
    EXPECT_THROW(a.ArrayGet(1), EVariantError);  // wrong dimension count
    EXPECT_THROW(VarArrayHighBound(a, 3), EVariantError);
    EXPECT_THROW(a.AsString(), EVariantTypeCastError);

    Variant one = Variant::MakeArray(0, 0);
    EXPECT_EQ(VarArrayDimCount(one), 1);
    one.ArrayPut(Variant(1.5), 0);
    EXPECT_EQ(one.ArrayGet(0).AsDouble(), 1.5);
    EXPECT_THROW(Variant::MakeArray(1, 0x7FFFFFFF, 1, 0x7FFFFFFF), EOutOfMemory);
    EXPECT_THROW(Variant::MakeArray(2, 0), EVariantError);
    EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);
}

}  // namespace
}  // namespace carrelon
