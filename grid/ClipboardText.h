// The clipboard's plain text form of cells: TAB between the fields of a row, CR LF between rows.
// A field holding line breaks is quoted with its CR LF turned to LF, so other programs keep it in
// one cell. Pasting cuts foreign text into the same fields in one pass.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

namespace carrelon {

// A cell's display text as one clipboard field.
AnsiString ClipboardField(const AnsiString& Text);

// A field placed at a slot of the copied block; the text it views outlives the block's making.
struct TClipboardTextField {
    int Col = 0;
    int Row = 0;
    std::string_view Field;
};

// The TAB / CR LF block over the slots MinCol..MaxCol x MinRow..MaxRow: each field at its slot,
// every other slot empty, no break after the last row. Fields is reordered.
AnsiString ClipboardBlockText(std::vector<TClipboardTextField>& Fields, int MinCol, int MinRow,
                              int MaxCol, int MaxRow);

// A pasted field without its quotes: a field that starts with a double quote loses the
// enclosing quotes and its doubled inner quotes; when that leaves nothing, the field stays as it
// is.
AnsiString UnquoteClipboardField(std::string_view Field);

// How pasted text is laid out over the grid.
enum class TPasteShape {
    Block,   // TABs and a line break inside: rows of fields
    Row,     // TABs, no line break but possibly one at the end: one row
    Column,  // a line break inside, no TAB: one column
    Plain    // neither: one field for every selected cell
};

// Pasted text cut into lines of fields (views into the text, still quoted). A break at the very
// end starts no further line; Row text is one line, Column text one field per line.
struct TPasteText {
    TPasteShape Shape = TPasteShape::Plain;
    std::vector<std::vector<std::string_view>> Lines;
};
TPasteText SplitPasteText(std::string_view Text);

}  // namespace carrelon
