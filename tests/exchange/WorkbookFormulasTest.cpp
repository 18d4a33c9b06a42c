// Formulas carried between the grid and a workbook by their meaning.
#include <gtest/gtest.h>

#include "exchange/WorkbookFormulas.h"

namespace carrelon::test {
namespace {

const TFormulaSeparators Point{'.', ','};
const TFormulaSeparators Comma{',', ';'};

TEST(WorkbookFormulas, GridFormulasAreWrittenWithTheirMeaning) {
    struct Case {
        const char* Grid;
        TFormulaSeparators Sep;
        TFormulaExport Result;
        const char* Workbook;
    } cases[] = {
        {"A1*2,5", Comma, TFormulaExport::Exported, "A1*2.5"},
        {"sum(A1;2,5;B2:C3)", Comma, TFormulaExport::Exported, "SUM(A1,2.5,B2:C3)"},
        // Comparisons bind like "*" in the grid, last in the workbook.
        {"A1+1>B1", Point, TFormulaExport::Exported, "A1+(1>B1)"},
        {"(A1+1)>B1", Point, TFormulaExport::Exported, "(A1+1)>B1"},
        {"A1&B1|C1", Point, TFormulaExport::Exported, "OR(AND(A1,B1),C1)"},
        // A minus sign binds looser than a power in the grid; powers group to the right.
        {"-A1^2", Point, TFormulaExport::Exported, "-(A1^2)"},
        {"2^3^2", Point, TFormulaExport::Exported, "2^(3^2)"},
        {"2^-3", Point, TFormulaExport::Exported, "2^(-3)"},
        {"a1-b1-c1", Point, TFormulaExport::Exported, "(A1-B1)-C1"},
        {"if(a1>0;round(a1;2);pi())", Comma, TFormulaExport::Exported, "IF(A1>0,ROUND(A1,2),PI())"},
        {"cotan(A1)+$B$2", Point, TFormulaExport::Exported, "COT(A1)+B2"},
        {"1e20+0.1", Point, TFormulaExport::Exported, "1E+20+0.1"},
        // The grid reads a reversed range as its first corner, and adds a range to the value
        // of its first operand: the workbook would compute something else.
        {"sum(B3:A1)", Point, TFormulaExport::Untranslatable, ""},
        {"sum(A1+1:B2)", Point, TFormulaExport::Untranslatable, ""},
        {"1+", Point, TFormulaExport::Unparsable, ""},
        {"nosuch(1)", Point, TFormulaExport::Unparsable, ""},
    };
    for (const Case& c : cases) {
        AnsiString text;
        EXPECT_EQ(GridFormulaToWorkbook(c.Grid, c.Sep, nullptr, text), c.Result) << c.Grid;
        EXPECT_EQ(text, c.Workbook) << c.Grid;
    }

    // Columns follow the sheet's: C is the second sheet column while B is hidden, and a
    // reference to B or a range over it has no place there.
    const TWorkbookColumnMap hiddenB = [](std::int64_t Col, std::int64_t& Sheet) {
        if (Col == 2) return false;
        Sheet = Col > 2 ? Col - 1 : Col;
        return true;
    };
    AnsiString text;
    EXPECT_EQ(GridFormulaToWorkbook("C1+sum(C2:D3)", Point, hiddenB, text),
              TFormulaExport::Exported);
    EXPECT_EQ(text, "B1+SUM(B2:C3)");
    EXPECT_EQ(GridFormulaToWorkbook("B1", Point, hiddenB, text), TFormulaExport::Untranslatable);
    EXPECT_EQ(GridFormulaToWorkbook("sum(A1:C1)", Point, hiddenB, text),
              TFormulaExport::Untranslatable);

    // Texts beyond what the workbook takes are not carried over.
    AnsiString longSum = "1";
    for (int i = 0; i < 5000; ++i)
        longSum += "+1";
    EXPECT_EQ(GridFormulaToWorkbook(longSum, Point, nullptr, text), TFormulaExport::Untranslatable);
}

TEST(WorkbookFormulas, OnlyWhatTheGridReadsAlikeIsTakenAsAFormula) {
    struct Case {
        const char* Workbook;
        const char* Grid;  // the workbook text with the grid's separators
        TFormulaSeparators Sep;
        bool Same;
    } cases[] = {
        {"A1*2.5", "A1*2,5", Comma, true},
        {"SUM(A1,2.5)", "SUM(A1;2,5)", Comma, true},
        {"SUM(A1, B2:C3) / 2", "SUM(A1, B2:C3) / 2", Point, true},
        {"A1=B1", "A1=B1", Point, true},
        {"A1+B1*C1-D1/2", "A1+B1*C1-D1/2", Point, true},
        {"(A1+1)>B1", "(A1+1)>B1", Point, true},
        {"AND(A1,B1)", "AND(A1,B1)", Point, true},
        {"-A1", "-A1", Point, true},
        {"+A1", "+A1", Point, true},
        {"-(A1^2)", "-(A1^2)", Point, true},
        {"$A$1+A$2", "$A$1+A$2", Point, true},
        {"IF(A1>0,1,2)", "IF(A1>0,1,2)", Point, true},
        {"A1+1>B1", "A1+1>B1", Point, false},
        {"-A1^2", "-A1^2", Point, false},
        {"2^3^2", "2^3^2", Point, false},
        {"A1&B1", "A1&B1", Point, false},
        {"\"x\"", "\"x\"", Point, false},
        {"TRUE", "TRUE", Point, false},
        {"Sheet2!A1", "Sheet2!A1", Point, false},
        {"A1%", "A1%", Point, false},
        {"IF(A1,1)", "IF(A1,1)", Point, false},
        {"COT(A1)", "COT(A1)", Point, false},
        {"NOSUCH(1)", "NOSUCH(1)", Point, false},
        // With "," as both separators the argument list reads otherwise.
        {"SUM(A1,2.5)", "SUM(A1,2,5)", TFormulaSeparators{',', ','}, false},
        {"", "", Point, false},
        {"((((1", "((((1", Point, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WorkbookFormulaReadsSame(c.Workbook, c.Grid, c.Sep), c.Same) << c.Workbook;

    AnsiString deep(5000, '-');
    deep += "1";
    EXPECT_FALSE(WorkbookFormulaReadsSame(deep, deep, Point));
}

}  // namespace
}  // namespace carrelon::test
