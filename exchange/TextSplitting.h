// Splitting of tab-delimited and comma-separated text into lines and fields. Every routine reads
// the bytes it is given in one pass (memchr over long stretches) and hands back views into them,
// so the caller keeps the text alive while it uses the results; only a field's final text is
// ever copied. Bytes are taken as they are: invalid UTF-8 and a leading byte-order mark pass
// through untouched.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

namespace carrelon {

// One field as it lies in its line. Text is the field's value, for a quoted field the part
// between its quotes, where a quote of the value is still written twice when DoubledQuotes.
// MayHoldBreaks is False when the field surely holds no CR or LF (the tab-delimited splitter
// tells, so that most fields need no search for line breaks).
struct TTextField {
    std::string_view Text;
    bool DoubledQuotes = false;
    bool MayHoldBreaks = true;
    friend bool operator==(const TTextField&, const TTextField&) = default;
};

// The number of TAB characters in S.
std::size_t CountTabs(std::string_view S);

// Lines of a tab-delimited text. When the text holds CR LF anywhere, only CR LF ends a line,
// else only LF does. Every double quote switches an inside-quotes state that carries over from
// line to line, and a line end inside quotes stays in the line. The end of the text ends the
// last line; nothing after a final line end gives no further line.
std::vector<std::string_view> SplitTabDelimitedLines(std::string_view Text);

// The fields of one tab-delimited line, into Fields (emptied first). A field that begins with a
// double quote runs to its closing quote (a doubled quote stays inside), and what follows that
// quote up to the next TAB is dropped; any other field runs to the next TAB. The line ends the
// last field; a TAB at the end adds no empty field, two adjacent TABs give an empty one.
void SplitTabDelimitedFields(std::string_view Line, std::vector<TTextField>& Fields);

// The number of fields SplitTabDelimitedFields gives for Line, counted without splitting when
// the line holds no double quote.
std::size_t CountTabDelimitedFields(std::string_view Line);

// A tab-delimited field's text for a cell: quotes made single, every line break CR LF.
AnsiString TabDelimitedFieldText(const TTextField& Field);

// Lines of a comma-separated text. A line ends at CR LF, a lone CR or a lone LF, but not inside
// a quoted stretch, which every double quote opens and the next one closes (so a doubled quote
// continues it, and an unmatched one runs to the end of the text). An empty line gives an empty
// entry; nothing after a final line end gives no further line.
std::vector<std::string_view> SplitCSVLines(std::string_view Text);

// The fields of one comma-separated line, into Fields (emptied first). The separators are ","
// and ListSeparator (only an ASCII character can separate, so multi-byte characters stay
// whole). A field that begins with a double quote runs to its closing quote, and reading goes on
// right after it, so text between that quote and the next separator is a field of its own; any
// other field runs to the next separator and keeps its blanks and quotes. One separator after a
// field is skipped: a separator at the end adds no empty field, two adjacent ones give an empty
// one.
void SplitCSVFields(std::string_view Line, char ListSeparator, std::vector<TTextField>& Fields);

// The number of fields SplitCSVFields gives for Line, counted without splitting when the line
// holds no double quote.
std::size_t CountCSVFields(std::string_view Line, char ListSeparator);

// A comma-separated field's text for a cell: quotes made single, line breaks as they are.
AnsiString CSVFieldText(const TTextField& Field);

}  // namespace carrelon
