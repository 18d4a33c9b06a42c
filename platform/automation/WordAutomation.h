// Typed interfaces of the word-processor automation server ("Word.Document"): the members the
// grid's export calls. Every member either answers or raises EOleException. Character positions
// count each character, paragraph mark, end-of-cell and end-of-row mark and inline picture as one.
#pragma once

#include <memory>

#include "platform/automation/Ole.h"

namespace carrelon::word {

class Application;
class Document;
class Options;
class Range;
class Find;
class Paragraphs;
class Paragraph;
class Table;
class Rows;
class Columns;
class Column;
class Cells;
class Cell;
class Font;
class Shading;
class Selection;
class InlineShapes;
class Window;
class View;
using ApplicationPtr = std::shared_ptr<Application>;
using DocumentPtr = std::shared_ptr<Document>;
using OptionsPtr = std::shared_ptr<Options>;
using RangePtr = std::shared_ptr<Range>;
using FindPtr = std::shared_ptr<Find>;
using ParagraphsPtr = std::shared_ptr<Paragraphs>;
using ParagraphPtr = std::shared_ptr<Paragraph>;
using TablePtr = std::shared_ptr<Table>;
using RowsPtr = std::shared_ptr<Rows>;
using ColumnsPtr = std::shared_ptr<Columns>;
using ColumnPtr = std::shared_ptr<Column>;
using CellsPtr = std::shared_ptr<Cells>;
using CellPtr = std::shared_ptr<Cell>;
using FontPtr = std::shared_ptr<Font>;
using ShadingPtr = std::shared_ptr<Shading>;
using SelectionPtr = std::shared_ptr<Selection>;
using InlineShapesPtr = std::shared_ptr<InlineShapes>;
using WindowPtr = std::shared_ptr<Window>;
using ViewPtr = std::shared_ptr<View>;

inline constexpr int wdAlignParagraphLeft = 0;
inline constexpr int wdAlignParagraphCenter = 1;
inline constexpr int wdAlignParagraphRight = 2;
inline constexpr int wdCellAlignVerticalTop = 0;
inline constexpr int wdCellAlignVerticalCenter = 1;
inline constexpr int wdCellAlignVerticalBottom = 3;
inline constexpr int wdSeparateByTabs = 1;
inline constexpr int wdFindContinue = 1;
inline constexpr int wdReplaceNone = 0;
inline constexpr int wdReplaceOne = 1;
inline constexpr int wdReplaceAll = 2;
inline constexpr int wdStory = 6;
inline constexpr int wdNormalView = 1;
inline constexpr int wdUndefined = 9999999;

class Document : public IDispatch {
public:
    virtual ApplicationPtr GetApplication() = 0;
    // The whole main text.
    virtual RangePtr GetRange() = 0;
    virtual InlineShapesPtr GetInlineShapes() = 0;
    // The text between two character positions.
    virtual RangePtr Range(int Start, int End) = 0;
    // Writes the document as .docx, replacing an existing file.
    virtual void SaveAs(const AnsiString& FileName) = 0;
    virtual void Close() = 0;
    virtual void SetSaved(bool Value) = 0;
};

class Application : public IDispatch {
public:
    // "16.0": the major version, a dot and the minor one.
    virtual AnsiString GetVersion() = 0;
    virtual bool GetVisible() = 0;
    // Making the application visible gives it to the user: it stays registered as running and
    // its document is shown through the show hook.
    virtual void SetVisible(bool Value) = 0;
    virtual OptionsPtr GetOptions() = 0;
    virtual SelectionPtr GetSelection() = 0;
    virtual WindowPtr GetActiveWindow() = 0;
    virtual void Activate() = 0;
};

class Options : public IDispatch {
public:
    virtual bool GetCheckSpellingAsYouType() = 0;
    virtual void SetCheckSpellingAsYouType(bool Value) = 0;
    virtual bool GetCheckGrammarAsYouType() = 0;
    virtual void SetCheckGrammarAsYouType(bool Value) = 0;
    virtual bool GetPagination() = 0;
    virtual void SetPagination(bool Value) = 0;
};

class Range : public IDispatch {
public:
    // Replaces the range's text; CR LF, CR and LF each end a paragraph.
    virtual void SetText(const AnsiString& Value) = 0;
    // Turns the range's paragraphs into a table, one row per paragraph, cells split at the
    // separator (wdSeparateByTabs); a row with more fields than NumColumns widens the table.
    virtual TablePtr ConvertToTable(const Variant& Separator, const Variant& NumRows,
                                    const Variant& NumColumns) = 0;
    virtual void InsertParagraphBefore() = 0;
    virtual void InsertParagraphAfter() = 0;
    virtual FindPtr GetFind() = 0;
    virtual ParagraphsPtr GetParagraphs() = 0;
    virtual FontPtr GetFont() = 0;
    virtual ShadingPtr GetShading() = 0;
    virtual int GetEnd() = 0;
};

class Find : public IDispatch {
public:
    // Literal search; "^^", "^t" and "^p" in the texts stand for a caret, a TAB and a paragraph
    // mark ("^&" in the replacement for the found text). True when something was found.
    virtual bool Execute(const Variant& FindText, const Variant& MatchCase,
                         const Variant& MatchWholeWord, const Variant& MatchWildcards,
                         const Variant& MatchSoundsLike, const Variant& MatchAllWordForms,
                         const Variant& Forward, const Variant& Wrap, const Variant& Format,
                         const Variant& ReplaceWith, const Variant& Replace) = 0;
};

class Paragraphs : public IDispatch {
public:
    // wdUndefined when the paragraphs differ.
    virtual int GetAlignment() = 0;
    virtual void SetAlignment(int Value) = 0;
    virtual ParagraphPtr GetFirst() = 0;
    virtual ParagraphPtr GetLast() = 0;
};

class Paragraph : public IDispatch {
public:
    virtual int GetAlignment() = 0;
    virtual void SetAlignment(int Value) = 0;
};

class Table : public IDispatch {
public:
    virtual RowsPtr GetRows() = 0;
    virtual ColumnsPtr GetColumns() = 0;
    virtual CellPtr Cell(int Row, int Column) = 0;
};

class Rows : public IDispatch {
public:
    // Points between the text of neighbouring cells.
    virtual void SetSpaceBetweenColumns(float Value) = 0;
};

class Columns : public IDispatch {
public:
    virtual ColumnPtr Item(int Index) = 0;
};

class Column : public IDispatch {
public:
    virtual void SetWidth(float Points) = 0;
    virtual CellsPtr GetCells() = 0;
    // The selection becomes the column's cells.
    virtual void Select() = 0;
};

class Cells : public IDispatch {
public:
    virtual void SetVerticalAlignment(int Value) = 0;
};

class Cell : public IDispatch {
public:
    virtual RangePtr GetRange() = 0;
    virtual void SetVerticalAlignment(int Value) = 0;
    // Merges the rectangle from this cell to Other into this cell.
    virtual void Merge(const CellPtr& Other) = 0;
};

class Font : public IDispatch {
public:
    virtual void SetName(const AnsiString& Value) = 0;
    virtual void SetSize(float Value) = 0;
    virtual void SetColor(int Value) = 0;  // $00BBGGRR
    virtual void SetColorIndex(int Value) = 0;
    virtual void SetBold(bool Value) = 0;
    virtual void SetItalic(bool Value) = 0;
    virtual void SetUnderline(bool Value) = 0;
    virtual void SetStrikeThrough(bool Value) = 0;
};

class Shading : public IDispatch {
public:
    virtual void SetBackgroundPatternColor(int Value) = 0;  // $00BBGGRR
    virtual void SetBackgroundPatternColorIndex(int Value) = 0;
};

class Selection : public IDispatch {
public:
    virtual ParagraphsPtr GetParagraphs() = 0;
    virtual FontPtr GetFont() = 0;
    virtual RangePtr GetRange() = 0;
    // With wdStory: the caret goes to the start of the document.
    virtual void HomeKey(const Variant& Unit, const Variant& Extend) = 0;
};

class InlineShapes : public IDispatch {
public:
    // Inserts the picture file at the range's start (or at a collapsed range's position).
    virtual void AddPicture(const AnsiString& FileName, const Variant& LinkToFile,
                            const Variant& SaveWithDocument, const RangePtr& Where) = 0;
};

class Window : public IDispatch {
public:
    virtual ViewPtr GetView() = 0;
};

class View : public IDispatch {
public:
    virtual void SetType(int Value) = 0;
};

}  // namespace carrelon::word
