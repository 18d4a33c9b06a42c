#include "platform/automation/ExcelModel.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/automation/NumberFormat.h"

namespace carrelon::xl {

namespace {

std::size_t HashStyle(const StyleRec& S) {
    std::size_t h = std::hash<AnsiString>()(S.Font.Name);
    const auto mix = [&h](std::uint64_t v) {
        h ^= std::hash<std::uint64_t>()(v) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    };
    mix(static_cast<std::uint64_t>(S.Font.Size * 100));
    mix(S.Font.Color);
    mix((S.Font.Bold ? 1u : 0u) | (S.Font.Italic ? 2u : 0u) | (S.Font.Strike ? 4u : 0u) |
        (static_cast<unsigned>(S.Font.Underline) << 3) | (S.Wrap ? 64u : 0u) |
        (S.QuotePrefix ? 128u : 0u));
    mix(S.Fill);
    mix(static_cast<std::uint64_t>(S.HAlign + 10000) << 20 |
        static_cast<std::uint64_t>(S.VAlign + 10000));
    for (const EdgeRec& e : S.Edges)
        mix((static_cast<std::uint64_t>(e.Weight + 10000) << 32) | e.Color);
    mix(std::hash<AnsiString>()(S.NumFmt));
    return h;
}

}  // namespace

StyleTable::StyleTable() {
    Intern(StyleRec{});
}

std::uint32_t StyleTable::Intern(const StyleRec& Style) {
    const std::size_t h = HashStyle(Style);
    const auto [first, last] = FIndex.equal_range(h);
    for (auto it = first; it != last; ++it)
        if (FStyles[it->second] == Style) return it->second;
    const auto id = static_cast<std::uint32_t>(FStyles.size());
    FStyles.push_back(Style);
    FIndex.emplace(h, id);
    return id;
}

int StyleTable::FormatKind(std::uint32_t Id) const {
    if (FKinds.size() < FStyles.size()) FKinds.resize(FStyles.size(), -1);
    std::int8_t& k = FKinds[Id];
    if (k < 0) {
        const AnsiString& f = FStyles[Id].NumFmt;
        k = f == "General" ? 0 : IsDateFormat(f) ? 1 : IsCurrencyFormat(f) ? 2 : 0;
    }
    return k;
}

const CellRec* Sheet::Find(int Row, int Col) const {
    const auto it = Index.find(Key(Row, Col));
    return it == Index.end() ? nullptr : &Cells[it->second];
}

CellRec& Sheet::At(int Row, int Col) {
    const auto [it, inserted] =
        Index.try_emplace(Key(Row, Col), static_cast<std::uint32_t>(Cells.size()));
    if (inserted) {
        try {
            Cells.emplace_back();
        } catch (...) {
            Index.erase(it);
            throw;
        }
        Cells.back().Row = Row;
        Cells.back().Col = Col;
    }
    return Cells[it->second];
}

const MergeRect* Sheet::MergeAt(int Row, int Col) const {
    if (Merges.empty()) return nullptr;
    const auto it = MergesByRow.find(Row);
    if (it == MergesByRow.end()) return nullptr;
    for (std::uint32_t i : it->second) {
        const MergeRect& m = Merges[i];
        if (Col >= m.Col1 && Col <= m.Col2) return &m;
    }
    return nullptr;
}

void Sheet::AddMerge(const MergeRect& Rect) {
    const auto idx = static_cast<std::uint32_t>(Merges.size());
    Merges.push_back(Rect);
    for (int r = Rect.Row1; r <= Rect.Row2; ++r)
        MergesByRow[r].push_back(idx);
}

void Sheet::RemoveMergesOverlapping(const MergeRect& Rect) {
    const auto overlaps = [&](const MergeRect& m) {
        return m.Row1 <= Rect.Row2 && Rect.Row1 <= m.Row2 && m.Col1 <= Rect.Col2 &&
               Rect.Col1 <= m.Col2;
    };
    if (std::none_of(Merges.begin(), Merges.end(), overlaps)) return;
    std::vector<MergeRect> keep;
    for (const MergeRect& m : Merges)
        if (!overlaps(m)) keep.push_back(m);
    Merges.clear();
    MergesByRow.clear();
    for (const MergeRect& m : keep)
        AddMerge(m);
}

double Sheet::ColumnWidth(int Col) const {
    const auto it = ColumnWidths.find(Col);
    return it == ColumnWidths.end() ? DefaultColumnWidth : it->second;
}

bool Sheet::UsedRange(int& Row1, int& Col1, int& Row2, int& Col2) const {
    bool any = false;
    Row1 = Col1 = 1 << 30;
    Row2 = Col2 = 0;
    const auto take = [&](int r, int c) {
        any = true;
        Row1 = std::min(Row1, r);
        Col1 = std::min(Col1, c);
        Row2 = std::max(Row2, r);
        Col2 = std::max(Col2, c);
    };
    for (const CellRec& c : Cells)
        if (!c.Value.IsEmpty() || c.Formula != 0 || c.Rich != 0 || c.Style != 0) take(c.Row, c.Col);
    for (const auto& [key, text] : Comments)
        take(static_cast<int>(key >> 16), static_cast<int>(key & 0xFFFF));
    for (const MergeRect& m : Merges) {
        take(m.Row1, m.Col1);
        take(m.Row2, m.Col2);
    }
    if (!any) {
        Row1 = Col1 = Row2 = Col2 = 1;
        return false;
    }
    if (WholeRowsUsed) {
        Col1 = 1;
        Col2 = MaxCols;
    }
    if (WholeColumnsUsed) {
        Row1 = 1;
        Row2 = MaxRows;
    }
    return true;
}

int ColumnWidthToPixels(double Width) {
    if (Width <= 0) return 0;
    if (Width < 1) return static_cast<int>(std::lround(Width * 12));
    return static_cast<int>(std::lround(Width * 7)) + 5;
}

double PixelsToColumnWidth(int Pixels) {
    if (Pixels <= 0) return 0;
    if (Pixels < 12) return std::round(Pixels / 12.0 * 100) / 100;
    return std::round((Pixels - 5) / 7.0 * 100) / 100;
}

std::uint32_t IndexedColor(int Index) {
    static const std::uint32_t Palette[64] = {
        0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00,
        0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00,
        0x000080, 0x008000, 0x800000, 0x008080, 0x800080, 0x808000, 0xC0C0C0, 0x808080,
        0xFF9999, 0x663399, 0xCCFFFF, 0xFFFFCC, 0x660066, 0x8080FF, 0xCC6600, 0xFFCCCC,
        0x800000, 0xFF00FF, 0x00FFFF, 0xFFFF00, 0x800080, 0x000080, 0x808000, 0xFF0000,
        0xFFCC00, 0xFFFFCC, 0xCCFFCC, 0x99FFFF, 0xFFCC99, 0xCC99FF, 0xFF99CC, 0x99CCFF,
        0xFF6633, 0xCCCC33, 0x00CC99, 0x00CCFF, 0x0099FF, 0x0066FF, 0x996666, 0x969696,
        0x663300, 0x669933, 0x003300, 0x003333, 0x003399, 0x663399, 0x993333, 0x333333};
    if (Index >= 0 && Index < 64) return Palette[Index];
    if (Index == 65) return 0xFFFFFF;
    return 0;
}

AnsiString ColumnName(int Col) {
    AnsiString s;
    while (Col > 0) {
        const int r = (Col - 1) % 26;
        s.insert(s.begin(), static_cast<char>('A' + r));
        Col = (Col - 1) / 26;
    }
    return s;
}

int ColumnFromName(const AnsiString& Letters) {
    if (Letters.empty() || Letters.size() > 3) return 0;
    int col = 0;
    for (char c : Letters) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') return 0;
        col = col * 26 + (c - 'A' + 1);
    }
    return col <= MaxCols ? col : 0;
}

bool ParseCellRef(const AnsiString& Text, int& Row, int& Col) {
    size_t i = 0;
    if (i < Text.size() && Text[i] == '$') ++i;
    const size_t ls = i;
    while (i < Text.size() && std::isalpha(static_cast<unsigned char>(Text[i])))
        ++i;
    Col = ColumnFromName(Text.substr(ls, i - ls));
    if (i < Text.size() && Text[i] == '$') ++i;
    const size_t ds = i;
    long long row = 0;
    while (i < Text.size() && std::isdigit(static_cast<unsigned char>(Text[i])) && row <= MaxRows)
        row = row * 10 + (Text[i++] - '0');
    if (i != Text.size() || ds == i || Col == 0 || row < 1 || row > MaxRows) return false;
    Row = static_cast<int>(row);
    return true;
}

AnsiString ShiftFormula(const AnsiString& F, int RowOffset, int ColOffset) {
    AnsiString out;
    out.reserve(F.size() + 8);
    const auto isNameChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
               static_cast<unsigned char>(c) >= 0x80;
    };
    size_t i = 0;
    while (i < F.size()) {
        const char c = F[i];
        if (c == '"' || c == '\'') {
            // Strings and quoted sheet names pass unchanged (a doubled quote stays inside).
            size_t j = i + 1;
            while (j < F.size()) {
                if (F[j] == c) {
                    if (j + 1 < F.size() && F[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const size_t stop = std::min(F.size(), j + 1);
            out.append(F, i, stop - i);
            i = stop;
            continue;
        }
        if (c == '[') {  // structured references and external book indexes
            const size_t end = F.find(']', i);
            const size_t stop = end == AnsiString::npos ? F.size() : end + 1;
            out.append(F, i, stop - i);
            i = stop;
            continue;
        }
        if (c == '$' || std::isalpha(static_cast<unsigned char>(c))) {
            if (i > 0 && isNameChar(F[i - 1])) {  // inside a longer name
                out += c;
                ++i;
                continue;
            }
            // Try [$]letters[$]digits not followed by a name character or "(".
            size_t j = i;
            const bool colAbs = F[j] == '$';
            if (colAbs) ++j;
            const size_t ls = j;
            while (j < F.size() && std::isalpha(static_cast<unsigned char>(F[j])))
                ++j;
            const size_t le = j;
            const bool rowAbs = j < F.size() && F[j] == '$';
            if (rowAbs) ++j;
            const size_t ds = j;
            while (j < F.size() && std::isdigit(static_cast<unsigned char>(F[j])))
                ++j;
            const int col = ColumnFromName(F.substr(ls, le - ls));
            const bool followed = j < F.size() && (isNameChar(F[j]) || F[j] == '(' || F[j] == '!');
            if (col > 0 && ds < j && !followed) {
                const long long row = std::stoll(F.substr(ds, std::min<size_t>(j - ds, 9)));
                long long nr = rowAbs ? row : row + RowOffset;
                long long nc = colAbs ? col : col + ColOffset;
                if (nr < 1 || nr > MaxRows || nc < 1 || nc > MaxCols) {
                    out += "#REF!";
                } else {
                    out += colAbs ? "$" : "";
                    out += ColumnName(static_cast<int>(nc));
                    out += rowAbs ? "$" : "";
                    out += std::to_string(nr);
                }
                i = j;
                continue;
            }
            // Not a reference: copy the whole name so its tail is not mistaken for one.
            size_t k = i + (colAbs ? 1 : 0);
            while (k < F.size() && isNameChar(F[k]))
                ++k;
            if (k == i) k = i + 1;
            out.append(F, i, k - i);
            i = k;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

}  // namespace carrelon::xl
