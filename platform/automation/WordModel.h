// The word-processor server's document model: a body of paragraphs and tables, paragraphs of
// formatted runs and inline pictures, tables of cells holding paragraphs.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Types.h"

namespace carrelon::wd {

// Character formatting; -1 (or empty) leaves an attribute to the document's default.
struct RunFmt {
    AnsiString Name;
    float Size = 0;
    int Color = -1;  // $00BBGGRR
    int ColorIndex = 0;
    int Bold = -1;
    int Italic = -1;
    int Underline = -1;
    int Strike = -1;
};

struct Picture {
    std::vector<char> Png;  // PNG or JPEG bytes
    bool Jpeg = false;
    int Width = 0;  // pixels at 96 dpi
    int Height = 0;
};

struct Run {
    AnsiString Text;
    RunFmt Fmt;
    std::shared_ptr<Picture> Pic;  // an inline picture (then Text is empty)
};

struct Para {
    std::vector<Run> Runs;
    int Align = 0;  // 0 left, 1 centre, 2 right, 3 justify
    RunFmt MarkFmt;
    AnsiString Text() const;
    int Length() const;  // characters and pictures, without the paragraph mark
};

struct TableCell {
    std::vector<Para> Paras = std::vector<Para>(1);
    int VAlign = 0;  // 0 top, 1 centre, 3 bottom
    int Shade = -1;  // $00BBGGRR, -1 none
    int ShadeIndex = 0;
    int Span = 1;          // columns this cell covers
    bool Covered = false;  // swallowed by a horizontal merge
    int VMerge = 0;        // 0 none, 1 starts a vertical merge, 2 continues one
};

struct Table {
    int Rows = 0;
    int Cols = 0;
    std::vector<TableCell> Cells;  // row-major
    std::vector<float> Widths;     // points, 0 = share the page
    float Space = -1;              // points between columns, -1 = default
    TableCell& At(int Row, int Col) { return Cells[static_cast<size_t>(Row * Cols + Col)]; }
};

struct Block {
    Para P;
    std::unique_ptr<Table> T;  // a table block when set
};

struct Document {
    std::vector<Block> Body;
    int ViewType = 0;
    Document() { Body.emplace_back(); }
};

// The Word colour index table ($00BBGGRR); 0 and unknown indexes are automatic (-1).
int ColorFromIndex(int Index);

// Writes the document as .docx (libzip, pugixml). Raises on failure.
void WriteDocx(const Document& Doc, const AnsiString& FileName);

}  // namespace carrelon::wd
