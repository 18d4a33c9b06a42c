// The INI text of a grid: the names of its bulk sections and the encodings that the save writes
// and the load reads back (cell values with their type codes, pictures, line breaks inside
// texts). Internal to exchange/.
#pragma once

#include <memory>
#include <string_view>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

namespace carrelon {

class TGraphic;

// The column sections of settings a column has once. Each holds one line per column that
// differs from a new column, named by the column's absolute index.
enum TIniColumnKey {
    ickVisible,
    ickMovable,
    ickResizable,
    ickTabStop,
    ickGridLineColor,
    ickGridLineWidth,
    ickWidth,
    ickMaxWidth,
    ickMinWidth,
    ickCount
};

// The settings a column has twice, for its scrollable rows and for its fixed rows ("Col." and
// "Col.FixedRows" in front of the key).
enum TIniTwinKey {
    itkFontName,
    itkFontSize,
    itkFontCharset,
    itkFontPitch,
    itkFontStyle,
    itkFontColor,
    itkColor,
    itkMaxLength,
    itkWordWrap,
    itkTextAlignment,
    itkTextLayout,
    itkGraphicAlignment,
    itkGraphicLayout,
    itkReadOnly,
    itkCheckBox,
    itkCheckBoxAlignment,
    itkCheckBoxChecked,
    itkButton,
    itkCount
};

// The cell sections, in the order a cell's lines are written. Lines are named by the absolute
// column index, one blank and the row index.
enum TIniCellKey {
    iccUnions,
    iccFormula,
    iccValue,
    iccHint,
    iccColor,
    iccSelectedColor,
    iccSelectedFontColor,
    iccFontCharset,
    iccFontColor,
    iccFontName,
    iccFontPitch,
    iccFontSize,
    iccFontStyle,
    iccTextAlignment,
    iccTextLayout,
    iccGraphicAlignment,
    iccGraphicLayout,
    iccMaxLength,
    iccReadOnly,
    iccWordWrap,
    iccCheckBox,
    iccCheckBoxChecked,
    iccCheckBoxAlignment,
    iccButton,
    iccGraphic,
    iccInnerBorders,
    iccOuterBorders,
    iccCount
};

AnsiString IniColumnSection(TIniColumnKey Key);
AnsiString IniTwinSection(TIniTwinKey Key, bool Fixed);
AnsiString IniCellSection(TIniCellKey Key);

// The tag that stands for a line break in saved texts: the grid's ExportTag without line
// breaks, or the default tag when that leaves nothing but blanks (an empty tag would lose the
// breaks).
AnsiString IniEffectiveTag(const AnsiString& ExportTag);
// Text with every line break (CR LF, a lone CR or a lone LF) replaced by Tag.
AnsiString IniTagBreaks(std::string_view Text, const AnsiString& Tag);
// Text with every occurrence of Tag replaced by CR LF (an empty tag replaces nothing).
AnsiString IniUntagBreaks(std::string_view Text, const AnsiString& Tag);
// A formula on one line: each line break becomes a blank.
AnsiString IniFormulaText(const AnsiString& Formula);
// Text without control characters (font names, tags).
AnsiString IniWithoutControls(std::string_view Text);
bool IniHasControls(std::string_view Text);

// A cell value as the "Value" section holds it: the type code as three or more upper-case
// hexadecimal digits, then the text. False when the value is not written: unassigned, an error
// value, or another one whose text cannot be formed.
bool IniValueText(const Variant& V, const AnsiString& Tag, AnsiString& Text);
// The value a "Value" text stands for; EConvertError with the reason when it stands for none.
// Numbers take "." or "," as the decimal point, whatever the locale.
Variant IniReadValue(std::string_view Text, const AnsiString& Tag);
// A number with "." or "," as the decimal point; "NAN", "INF" and "-INF" as FloatToStr
// writes them.
bool IniReadFloat(std::string_view Text, double& Value);

// A picture as the "Graphic" section holds it: the class letter, the transparency flag and
// colour where the class has them, and the graphic's stream form in hexadecimal. Empty for a
// graphic with nothing to store (an empty one).
AnsiString IniGraphicText(const TGraphic& Graphic);
// The graphic a "Graphic" text stands for; nullptr for a class letter of no graphic class.
// EConvertError for bad hexadecimal, EInvalidGraphic for data the class cannot read.
std::unique_ptr<TGraphic> IniReadGraphic(std::string_view Text);

}  // namespace carrelon
