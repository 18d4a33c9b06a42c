// The clipboard's text form of cells, both ways.
#include "grid/ClipboardText.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Strings.h"

namespace carrelon {

AnsiString ClipboardField(const AnsiString& Text) {
    if (Text.find("\r\n") == AnsiString::npos) return Text;
    AnsiString Joined;
    Joined.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') continue;
        Joined += Text[i];
    }
    return AnsiQuotedStr(Joined, '"');
}

AnsiString ClipboardBlockText(std::vector<TClipboardTextField>& Fields, int MinCol, int MinRow,
                              int MaxCol, int MaxRow) {
    // Fields in row order (a counting sort, stable, so a large copy stays linear), columns
    // ascending within a row: a list made column by column already is.
    std::vector<std::size_t> Start(static_cast<std::size_t>(MaxRow - MinRow) + 2, 0);
    for (const TClipboardTextField& F : Fields)
        ++Start[static_cast<std::size_t>(F.Row - MinRow) + 1];
    for (std::size_t i = 1; i < Start.size(); ++i)
        Start[i] += Start[i - 1];
    std::vector<TClipboardTextField> Sorted(Fields.size());
    {
        std::vector<std::size_t> Next(Start.begin(), Start.end() - 1);
        for (const TClipboardTextField& F : Fields)
            Sorted[Next[static_cast<std::size_t>(F.Row - MinRow)]++] = F;
    }
    Fields.swap(Sorted);
    auto ByCol = [](const TClipboardTextField& A, const TClipboardTextField& B) {
        return A.Col < B.Col;
    };
    for (std::size_t r = 0; r + 1 < Start.size(); ++r) {
        const auto First = Fields.begin() + static_cast<std::ptrdiff_t>(Start[r]);
        const auto Last = Fields.begin() + static_cast<std::ptrdiff_t>(Start[r + 1]);
        if (!std::is_sorted(First, Last, ByCol)) std::sort(First, Last, ByCol);
    }

    std::size_t Size = 0;
    for (const TClipboardTextField& F : Fields)
        Size += F.Field.size();
    const std::size_t Rows = static_cast<std::size_t>(MaxRow - MinRow) + 1;
    const std::size_t Cols = static_cast<std::size_t>(MaxCol - MinCol) + 1;
    AnsiString Text;
    Text.reserve(Size + Rows * (Cols - 1) + (Rows - 1) * 2);
    std::size_t Next = 0;
    for (int r = MinRow; r <= MaxRow; ++r) {
        int At = MinCol;  // the slot the text has reached in this row
        for (; Next < Fields.size() && Fields[Next].Row == r; ++Next) {
            Text.append(static_cast<std::size_t>(Fields[Next].Col - At), '\t');
            Text += Fields[Next].Field;
            At = Fields[Next].Col;
        }
        Text.append(static_cast<std::size_t>(MaxCol - At), '\t');
        if (r != MaxRow) Text += "\r\n";
    }
    return Text;
}

AnsiString UnquoteClipboardField(std::string_view Field) {
    std::size_t Pos = 0;
    AnsiString Unquoted = AnsiExtractQuotedStr(Field, Pos, '"');
    if (Unquoted.empty()) return AnsiString(Field);
    return Unquoted;
}

TPasteText SplitPasteText(std::string_view Text) {
    TPasteText Result;
    const bool HasTab = Text.find('\t') != std::string_view::npos;
    const std::size_t FirstBreak = Text.find("\r\n");
    const bool InnerBreak = FirstBreak != std::string_view::npos && FirstBreak + 2 != Text.size();
    if (HasTab)
        Result.Shape = InnerBreak ? TPasteShape::Block : TPasteShape::Row;
    else
        Result.Shape = InnerBreak ? TPasteShape::Column : TPasteShape::Plain;
    if (Result.Shape == TPasteShape::Plain) return Result;

    // A break at the very end starts no further line.
    if (Text.size() >= 2 && Text.substr(Text.size() - 2) == "\r\n") Text.remove_suffix(2);
    std::vector<std::string_view> Line;
    std::size_t FieldStart = 0;
    auto EndLine = [&] {
        Result.Lines.push_back(std::move(Line));
        Line.clear();
    };
    for (std::size_t i = 0; i <= Text.size(); ++i) {
        if (i == Text.size()) {
            Line.push_back(Text.substr(FieldStart));
            EndLine();
            break;
        }
        if (Text[i] == '\t') {
            Line.push_back(Text.substr(FieldStart, i - FieldStart));
            FieldStart = i + 1;
        } else if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') {
            Line.push_back(Text.substr(FieldStart, i - FieldStart));
            EndLine();
            FieldStart = i + 2;
            ++i;
        }
    }
    return Result;
}

}  // namespace carrelon
