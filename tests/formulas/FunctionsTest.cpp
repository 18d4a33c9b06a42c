#include <gtest/gtest.h>

#include <cmath>

#include "formulas/Functions.h"
#include "platform/rtl/DateTime.h"
#include "tests/support/FakeFormulaGrid.h"

namespace carrelon {
namespace {

class Functions : public ::testing::Test, public test::FormulaFixtureBase {
protected:
    Extended Num(const AnsiString& F) {
        TFormulaResult r = Eval(F);
        EXPECT_TRUE(r.Ok && r.Value.Kind == TFormulaValue::fvNumber)
            << F << " failed: " << r.ErrorText;
        return r.Value.Number;
    }
    AnsiString Err(const AnsiString& F) {
        TFormulaResult r = Eval(F);
        EXPECT_FALSE(r.Ok) << F << " gave " << static_cast<double>(r.Value.Number);
        return r.ErrorText;
    }
};

TEST(FunctionTable, FortyFiveFunctionsInRegistrationOrder) {
    const auto& t = FormulaFunctions();
    ASSERT_EQ(t.size(), 45u);
    const char* order[] = {
        "min",   "max",   "sum",     "average", "abs",   "atan", "cos",   "exp",     "int",
        "ln",    "pi",    "sin",     "sqrt",    "trunc", "acos", "acosh", "asin",    "asinh",
        "atanh", "cosh",  "cotan",   "sinh",    "tan",   "tanh", "count", "if",      "today",
        "now",   "round", "ceiling", "floor",   "log",   "date", "time",  "day",     "month",
        "year",  "hour",  "minute",  "second",  "rand",  "and",  "or",    "roundup", "rounddown"};
    for (std::size_t i = 0; i < 45; ++i)
        EXPECT_EQ(t[i].Name, order[i]) << i;
    EXPECT_EQ(FindFormulaFunction("SUM"), -1);  // names are matched lower case
    EXPECT_EQ(FindFormulaFunction("sum"), 2);
}

TEST_F(Functions, NamesIgnoreCaseInFormulas) {
    EXPECT_EQ(Num("SUM(1,2)+Sum(3)+sum(4)"), 10);
}

TEST_F(Functions, OneArgumentRoutines) {
    const struct {
        const char* Formula;
        Extended Expected;
    } cases[] = {
        {"abs(-2.5)", 2.5},
        {"atan(1)", 0.785398163397448309616L},
        {"cos(0)", 1},
        {"exp(1)", 2.71828182845904523536L},
        {"int(2.5)", 2},
        {"int(-2.5)", -3},
        {"int(-3)", -3},
        {"ln(exp(2))", 2},
        {"pi()", 3.1415926535897932385L},
        {"sin(0)", 0},
        {"sqrt(16)", 4},
        {"trunc(-2.7)", -2},
        {"trunc(1e30)", 1e30L},
        {"acos(1)", 0},
        {"acosh(1)", 0},
        {"asin(0)", 0},
        {"asinh(0)", 0},
        {"atanh(0)", 0},
        {"cosh(0)", 1},
        {"cotan(pi()/4)", 1},
        {"sinh(0)", 0},
        {"tan(0)", 0},
        {"tanh(0)", 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(static_cast<double>(Num(c.Formula)), static_cast<double>(c.Expected), 1e-15)
            << c.Formula;
}

TEST_F(Functions, RoundingFamily) {
    const struct {
        const char* Formula;
        Extended Expected;
    } cases[] = {
        {"round(2.5,0)", 3},          {"round(-2.5,0)", -3},
        {"round(3.5,0)", 4},          {"round(0.125,2)", 0.13},
        {"round(1234,-2)", 1200},     {"round(1e300,2)", 1e300},
        {"roundup(1.21,1)", 1.3},     {"roundup(-1.21,1)", -1.3},
        {"roundup(0.121,2)", 0.13},   {"roundup(3000000000.3,0)", 3000000001.0},
        {"rounddown(0.129,2)", 0.12}, {"rounddown(-1.29,1)", -1.2},
        {"ceiling(2.5,1)", 3},        {"floor(2.5,1)", 2},
        {"ceiling(-2.5,-1)", -3},     {"ceiling(-2.5,1)", -2},
        {"floor(-2.5,1)", -3},        {"ceiling(4,2)", 4},
        {"floor(1e25,3)", 1e25},      {"log(8,2)", 3},
        {"log(100,10)", 2},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(static_cast<double>(Num(c.Formula)), static_cast<double>(c.Expected),
                    1e-12 * std::fabs(static_cast<double>(c.Expected)) + 1e-15)
            << c.Formula;
}

TEST_F(Functions, DomainErrorsUseTheRuntimeMessages) {
    const struct {
        const char* Formula;
        const char* Text;
    } cases[] = {
        {"ln(0)", "Floating point division by zero"},
        {"ln(-1)", "Invalid floating point operation"},
        {"sqrt(-1)", "Invalid floating point operation"},
        {"log(8,1)", "Floating point division by zero"},
        {"exp(20000)", "Floating point overflow"},
        {"acos(2)", "Invalid floating point operation"},
        {"atanh(1)", "Floating point division by zero"},
        {"cotan(0)", "Floating point division by zero"},
        {"ceiling(1,0)", "Floating point division by zero"},
        {"round(1,1e30)", "Invalid floating point operation"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Err(c.Formula), c.Text) << c.Formula;
}

TEST_F(Functions, DateAndTime) {
    EXPECT_EQ(Num("date(2024,2,29)"), static_cast<double>(EncodeDate(2024, 2, 29)));
    EXPECT_EQ(Num("date(2000,0,0)"), static_cast<double>(EncodeDate(1999, 11, 30)));
    EXPECT_EQ(Num("date(1800,0,0)"), static_cast<double>(EncodeDate(3699, 11, 30)));
    EXPECT_EQ(Num("date(0,3,1)"), static_cast<double>(EncodeDate(1900, 3, 1)));
    EXPECT_EQ(Num("date(1066,10,14)"), static_cast<double>(EncodeDate(1066, 10, 14)));
    EXPECT_EQ(Err("date(1900,0,0)"), "#NUM!");
    EXPECT_EQ(Err("date(0,0,5)"), "#NUM!");
    EXPECT_EQ(Err("date(2023,2,29)"), "Invalid argument to date encode");
    EXPECT_NEAR(static_cast<double>(Num("time(12,30,0)")), 0.520833333333333, 1e-12);
    EXPECT_EQ(Err("time(24,0,0)"), "Invalid argument to time encode");
    EXPECT_EQ(Err("time(1,60,0)"), "Invalid argument to time encode");
    EXPECT_EQ(Err("time(-1,0,0)"), "Invalid argument to time encode");
    // 45000.75 is 15 March 2023, 18:00.
    EXPECT_EQ(Num("day(45000.75)"), 15);
    EXPECT_EQ(Num("month(45000.75)"), 3);
    EXPECT_EQ(Num("year(45000.75)"), 2023);
    EXPECT_EQ(Num("hour(45000.75)"), 18);
    EXPECT_EQ(Num("minute(time(1,2,3))"), 2);
    EXPECT_EQ(Num("second(time(1,2,3))"), 3);
    EXPECT_EQ(Num("today()"), 45000);
    EXPECT_EQ(Num("now()"), 45000.75);
    EXPECT_EQ(Eval("today()+1").Type, etDate);
    EXPECT_EQ(Eval("year(today())").Type, etNumeric);
}

TEST_F(Functions, ClockIsReadOncePerSession) {
    Engine.BeginSession();
    Extended first = Num("now()");
    Grid.NowValue += 1;
    EXPECT_EQ(Num("now()"), first);
    Engine.EndSession();
    EXPECT_EQ(Num("now()"), first + 1);
}

TEST_F(Functions, RandDrawsFromTheGenerator) {
    Grid.RandSeed = 7;
    Extended a = Num("rand()");
    Grid.RandSeed = 7;
    EXPECT_EQ(Num("rand()"), a);
    EXPECT_GE(a, 0);
    EXPECT_LT(a, 1);
    EXPECT_NE(Num("rand()"), a);
}

TEST_F(Functions, ReferencedRandCellUsesItsOwnSeedAndRestoresTheGenerator) {
    test::FakeCell& r = Grid.At(0, 0);
    r.Formula = "rand()";
    r.Seed = 99;
    r.HasSeed = true;
    Grid.RandSeed = 5;
    Extended viaReference = Num("A1");
    EXPECT_EQ(Grid.RandSeed, 5u);
    Grid.RandSeed = 99;
    EXPECT_EQ(Num("rand()"), viaReference);
}

}  // namespace
}  // namespace carrelon
