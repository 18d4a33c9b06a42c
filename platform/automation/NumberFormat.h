// Spreadsheet number formats: the displayed text of a cell value by its format code, and the
// kinds of format (date, currency) that decide how a value is handed out.
#pragma once

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

namespace carrelon::xl {

// The format code of a built-in format number ("" when the number has none).
AnsiString BuiltinNumberFormat(int Id);

// True when the format's section for positive numbers shows a date or a time.
bool IsDateFormat(const AnsiString& Format);
// True when the format shows a currency symbol.
bool IsCurrencyFormat(const AnsiString& Format);

// The text a cell shows for Value under Format. Numbers are serials for date formats (counted
// from 1904 when Date1904). Decimal and thousands separators are the locale's.
AnsiString FormatValue(const Variant& Value, const AnsiString& Format, bool Date1904);

// Excel's General form of a number: at most 11 characters, scientific beyond.
AnsiString FormatGeneral(double Value);

}  // namespace carrelon::xl
