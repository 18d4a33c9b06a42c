// Typed interfaces of the spreadsheet automation server ("Excel.Application"): the members the
// grid's export and import call. Every member either answers or raises EOleException.
// Properties are Get/Set pairs; values that may be mixed over a range answer a Variant, Null
// when the cells differ.
#pragma once

#include <memory>

#include "platform/automation/Ole.h"

namespace carrelon::excel {

class Application;
class Workbooks;
class Workbook;
class Worksheet;
class Window;
class Range;
class Border;
class Interior;
class Font;
class Comment;
using ApplicationPtr = std::shared_ptr<Application>;
using WorkbooksPtr = std::shared_ptr<Workbooks>;
using WorkbookPtr = std::shared_ptr<Workbook>;
using WorksheetPtr = std::shared_ptr<Worksheet>;
using WindowPtr = std::shared_ptr<Window>;
using RangePtr = std::shared_ptr<Range>;
using BorderPtr = std::shared_ptr<Border>;
using InteriorPtr = std::shared_ptr<Interior>;
using FontPtr = std::shared_ptr<Font>;
using CommentPtr = std::shared_ptr<Comment>;

// Constants the grid passes or reads.
inline constexpr int xlNone = -4142;
inline constexpr int xlContinuous = 1;
inline constexpr int xlHairline = 1;
inline constexpr int xlThin = 2;
inline constexpr int xlMedium = -4138;
inline constexpr int xlThick = 4;
inline constexpr int xlEdgeLeft = 7;
inline constexpr int xlEdgeTop = 8;
inline constexpr int xlEdgeBottom = 9;
inline constexpr int xlEdgeRight = 10;
inline constexpr int xlInsideVertical = 11;
inline constexpr int xlInsideHorizontal = 12;
inline constexpr int xlGeneral = 1;
inline constexpr int xlLeft = -4131;
inline constexpr int xlRight = -4152;
inline constexpr int xlCenter = -4108;
inline constexpr int xlJustify = -4130;
inline constexpr int xlFill = 5;
inline constexpr int xlCenterAcrossSelection = 7;
inline constexpr int xlTop = -4160;
inline constexpr int xlBottom = -4107;
inline constexpr int xlUnderlineStyleNone = -4142;
inline constexpr int xlUnderlineStyleSingle = 2;
inline constexpr int xlUnderlineStyleDouble = -4119;
inline constexpr int xlFormulas = -4123;
inline constexpr int xlValues = -4163;
inline constexpr int xlWhole = 1;
inline constexpr int xlPart = 2;
inline constexpr int xlByRows = 1;
inline constexpr int xlByColumns = 2;
inline constexpr int xlNext = 1;
inline constexpr int xlPrevious = 2;
// Error values as Value answers them (a Variant of type varError).
inline constexpr int xlErrNull = 2000;
inline constexpr int xlErrDiv0 = 2007;
inline constexpr int xlErrValue = 2015;
inline constexpr int xlErrRef = 2023;
inline constexpr int xlErrName = 2029;
inline constexpr int xlErrNum = 2036;
inline constexpr int xlErrNA = 2042;

class Application : public IDispatch {
public:
    virtual bool GetVisible() = 0;
    // Making the application visible gives it to the user: it stays registered as running
    // (GetActiveObject finds it) and its workbooks are shown through the show hook.
    virtual void SetVisible(bool Value) = 0;
    virtual int GetSheetsInNewWorkbook() = 0;
    virtual void SetSheetsInNewWorkbook(int Value) = 0;
    virtual void SetDisplayAlerts(bool Value) = 0;
    virtual WorkbooksPtr GetWorkbooks() = 0;
    virtual WorksheetPtr GetActiveSheet() = 0;
    // A sheet by name (a string) or by number counted from 1.
    virtual WorksheetPtr GetSheets(const Variant& Index) = 0;
    virtual RangePtr GetSelection() = 0;
    virtual WindowPtr GetActiveWindow() = 0;
    // Closes every workbook unsaved and ends the instance.
    virtual void Quit() = 0;
};

class Workbooks : public IDispatch {
public:
    // A new workbook of SheetsInNewWorkbook sheets, made active.
    virtual WorkbookPtr Add() = 0;
    // Reads a workbook file (.xlsx) and makes it active.
    virtual WorkbookPtr Open(const AnsiString& FileName) = 0;
};

class Workbook : public IDispatch {
public:
    // Writes the workbook as .xlsx, replacing an existing file.
    virtual void SaveAs(const AnsiString& FileName) = 0;
    virtual void Close(const Variant& SaveChanges = EmptyParam) = 0;
};

class Window : public IDispatch {
public:
    virtual void Activate() = 0;
    // The active sheet's panes.
    virtual bool GetFreezePanes() = 0;
    virtual int GetSplitColumn() = 0;
    virtual int GetSplitRow() = 0;
};

class Worksheet : public IDispatch {
public:
    virtual RangePtr Cells(int Row, int Column) = 0;
    virtual RangePtr GetRange(const RangePtr& Cell1, const RangePtr& Cell2) = 0;
    virtual RangePtr Columns(int Index) = 0;
    virtual RangePtr GetUsedRange() = 0;
    // Makes this the active sheet of its workbook.
    virtual void Activate() = 0;
};

class Range : public IDispatch {
public:
    virtual void Select() = 0;
    virtual void Merge() = 0;
    virtual void BorderAround(const Variant& LineStyle, const Variant& Weight,
                              const Variant& ColorIndex, const Variant& Color) = 0;
    virtual CommentPtr AddComment(const AnsiString& Text) = 0;
    virtual BorderPtr Borders(int Index) = 0;
    virtual InteriorPtr GetInterior() = 0;
    virtual FontPtr GetFont() = 0;
    virtual RangePtr GetMergeArea() = 0;
    // nullptr when the top-left cell has no comment.
    virtual CommentPtr GetComment() = 0;
    virtual void SetWrapText(bool Value) = 0;
    virtual Variant GetVerticalAlignment() = 0;
    virtual void SetVerticalAlignment(int Value) = 0;
    virtual Variant GetHorizontalAlignment() = 0;
    virtual void SetHorizontalAlignment(int Value) = 0;
    // One cell: "=..." for a formula, else the constant as text ("" when empty). Several cells:
    // a two-dimensional array (rows, columns) counted from 1.
    virtual Variant GetFormula() = 0;
    virtual void SetFormula(const Variant& Value) = 0;
    // One cell: the value (a Double, a date for date formats, Currency for currency formats,
    // a string, a Boolean, an error, Empty). Several cells: a two-dimensional array.
    virtual Variant GetValue() = 0;
    // A string beginning with "=" becomes a formula and one beginning with "'" a text without
    // the apostrophe; other strings stay text. A date gets a date format when the cell's format
    // is General, Currency a currency format.
    virtual void SetValue(const Variant& Value) = 0;
    // True, False, or Null when only some cells are merged.
    virtual Variant GetMergeCells() = 0;
    // The displayed text by the number format; Null when the cells show different texts.
    virtual Variant GetText() = 0;
    virtual AnsiString GetAddress(bool RowAbsolute = true, bool ColumnAbsolute = true) = 0;
    // Character units of the standard font; Null when the columns differ.
    virtual Variant GetColumnWidth() = 0;
    virtual void SetColumnWidth(double Value) = 0;
    // Points.
    virtual double GetWidth() = 0;
    // The first cell of the range after After (nullptr: after the range's first cell) that holds
    // something, searching by rows (xlByRows) or by columns (xlByColumns), forwards (xlNext) or
    // backwards (xlPrevious), round past the range's end to its start; nullptr when no cell of
    // the range holds anything. What is "*" (anything); LookIn is xlFormulas (a formula or a
    // constant) or xlValues (a value). Costs the cells the sheet holds, not the range's slots.
    virtual RangePtr Find(const Variant& What, const RangePtr& After, const Variant& LookIn,
                          const Variant& LookAt, const Variant& SearchOrder,
                          const Variant& SearchDirection) = 0;
};

class Border : public IDispatch {
public:
    virtual void SetLineStyle(int Value) = 0;
    virtual void SetColor(const Variant& Value) = 0;  // $00BBGGRR
    virtual void SetWeight(int Value) = 0;
};

class Interior : public IDispatch {
public:
    // $00BBGGRR; white ($FFFFFF) for a cell without fill; Null when the cells differ.
    virtual Variant GetColor() = 0;
    virtual void SetColor(const Variant& Value) = 0;
};

class Font : public IDispatch {
public:
    virtual Variant GetName() = 0;
    virtual void SetName(const Variant& Value) = 0;
    virtual Variant GetSize() = 0;
    virtual void SetSize(const Variant& Value) = 0;
    virtual Variant GetColor() = 0;
    virtual void SetColor(const Variant& Value) = 0;
    virtual Variant GetBold() = 0;
    virtual void SetBold(const Variant& Value) = 0;
    virtual Variant GetItalic() = 0;
    virtual void SetItalic(const Variant& Value) = 0;
    // xlUnderlineStyleNone, xlUnderlineStyleSingle or xlUnderlineStyleDouble; True sets single.
    virtual Variant GetUnderline() = 0;
    virtual void SetUnderline(const Variant& Value) = 0;
    virtual void SetStrikeThrough(const Variant& Value) = 0;
    virtual Variant GetStrikethrough() = 0;
};

class Comment : public IDispatch {
public:
    virtual AnsiString GetText() = 0;
};

}  // namespace carrelon::excel
