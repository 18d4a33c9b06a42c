// Writes the spreadsheet server's workbook model as .xlsx through libxlsxwriter.
#include <xlsxwriter.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "platform/automation/ExcelModel.h"
#include "platform/automation/NumberFormat.h"

namespace carrelon::xl {

namespace {

// libxlsxwriter reads colour 0 as "not set": black has its own value.
lxw_color_t Rgb(std::uint32_t Bgr) {
    const lxw_color_t c = ((Bgr & 0xFF) << 16) | (Bgr & 0xFF00) | ((Bgr >> 16) & 0xFF);
    return c == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : c;
}

std::uint8_t BorderStyle(int Weight) {
    switch (Weight) {
        case 1:
            return LXW_BORDER_HAIR;
        case 2:
            return LXW_BORDER_THIN;
        case -4138:
            return LXW_BORDER_MEDIUM;
        case 4:
            return LXW_BORDER_THICK;
        default:
            return LXW_BORDER_NONE;
    }
}

std::uint8_t HAlign(int A) {
    switch (A) {
        case -4131:
            return LXW_ALIGN_LEFT;
        case -4108:
            return LXW_ALIGN_CENTER;
        case -4152:
            return LXW_ALIGN_RIGHT;
        case 5:
            return LXW_ALIGN_FILL;
        case -4130:
            return LXW_ALIGN_JUSTIFY;
        case 7:
            return LXW_ALIGN_CENTER_ACROSS;
        case -4117:
            return LXW_ALIGN_DISTRIBUTED;
        default:
            return LXW_ALIGN_NONE;
    }
}

std::uint8_t VAlign(int A) {
    switch (A) {
        case -4160:
            return LXW_ALIGN_VERTICAL_TOP;
        case -4108:
            return LXW_ALIGN_VERTICAL_CENTER;
        case -4130:
            return LXW_ALIGN_VERTICAL_JUSTIFY;
        case -4117:
            return LXW_ALIGN_VERTICAL_DISTRIBUTED;
        default:
            return LXW_ALIGN_VERTICAL_BOTTOM;
    }
}

void ApplyFont(lxw_format* F, const FontRec& Font) {
    format_set_font_name(F, Font.Name.c_str());
    format_set_font_size(F, Font.Size);
    if (Font.Color != AutoColor) format_set_font_color(F, Rgb(Font.Color));
    if (Font.Bold) format_set_bold(F);
    if (Font.Italic) format_set_italic(F);
    if (Font.Underline == 1) format_set_underline(F, LXW_UNDERLINE_SINGLE);
    if (Font.Underline == 2) format_set_underline(F, LXW_UNDERLINE_DOUBLE);
    if (Font.Strike) format_set_font_strikeout(F);
}

class Writer {
public:
    Writer(const Book& B, const AnsiString& FileName) : FBook(B) {
        lxw_workbook_options options{};
        options.use_zip64 = LXW_TRUE;
        FWorkbook = workbook_new_opt(FileName.c_str(), &options);
        if (FWorkbook == nullptr) throw std::runtime_error("cannot create the workbook file");
        FFormats.assign(B.Styles.Count(), nullptr);
    }
    ~Writer() {
        if (FWorkbook != nullptr) {
            // Abandoned on an error: close to free it, and let the caller drop the file.
            workbook_close(FWorkbook);
        }
    }

    void Write() {
        std::set<AnsiString> used;
        for (size_t i = 0; i < FBook.Sheets.size(); ++i)
            WriteSheet(*FBook.Sheets[i], static_cast<int>(i), used);
        lxw_workbook* wb = FWorkbook;
        FWorkbook = nullptr;
        const lxw_error err = workbook_close(wb);
        if (err != LXW_NO_ERROR) throw std::runtime_error(lxw_strerror(err));
    }

private:
    lxw_format* Format(std::uint32_t Id) {
        if (Id == 0 && FDefaultIsPlain) return nullptr;
        lxw_format*& f = FFormats[Id];
        if (f != nullptr) return f;
        const StyleRec& s = FBook.Styles.Get(Id);
        f = workbook_add_format(FWorkbook);
        ApplyFont(f, s.Font);
        if (s.Fill != NoFill) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, Rgb(s.Fill));
        }
        if (HAlign(s.HAlign) != LXW_ALIGN_NONE) format_set_align(f, HAlign(s.HAlign));
        if (s.VAlign != -4107) format_set_align(f, VAlign(s.VAlign));
        if (s.Wrap) format_set_text_wrap(f);
        const EdgeRec& l = s.Edges[edLeft];
        const EdgeRec& t = s.Edges[edTop];
        const EdgeRec& r = s.Edges[edRight];
        const EdgeRec& b = s.Edges[edBottom];
        const auto color = Rgb;
        if (l.Weight) {
            format_set_left(f, BorderStyle(l.Weight));
            format_set_left_color(f, color(l.Color));
        }
        if (t.Weight) {
            format_set_top(f, BorderStyle(t.Weight));
            format_set_top_color(f, color(t.Color));
        }
        if (r.Weight) {
            format_set_right(f, BorderStyle(r.Weight));
            format_set_right_color(f, color(r.Color));
        }
        if (b.Weight) {
            format_set_bottom(f, BorderStyle(b.Weight));
            format_set_bottom_color(f, color(b.Color));
        }
        if (s.NumFmt != "General") format_set_num_format(f, s.NumFmt.c_str());
        return f;
    }

    static void Check(lxw_error Err) {
        if (Err != LXW_NO_ERROR && Err != LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE)
            throw std::runtime_error(lxw_strerror(Err));
    }

    double Serial(const CellRec& C, double V) const {
        // The writer knows only the 1900 date system: move 1904 dates over.
        if (FBook.Date1904 && IsDateFormat(FBook.Styles.Get(C.Style).NumFmt)) return V + 1462;
        return V;
    }

    void WriteSheet(const Sheet& S, int Index, std::set<AnsiString>& Used) {
        AnsiString name =
            S.Name.empty() ? "Sheet" + std::to_string(Index + 1) : S.Name.substr(0, 31);
        for (char& c : name)
            if (c == '[' || c == ']' || c == ':' || c == '*' || c == '?' || c == '/' || c == '\\')
                c = '_';
        for (int n = 2; Used.count(name); ++n)
            name = name.substr(0, 27) + "(" + std::to_string(n) + ")";
        Used.insert(name);
        lxw_worksheet* ws = workbook_add_worksheet(FWorkbook, name.c_str());
        if (ws == nullptr) throw std::runtime_error("cannot add the sheet \"" + name + "\"");
        if (Index == FBook.ActiveSheet) worksheet_activate(ws);
        for (const auto& [col, width] : S.ColumnWidths)
            Check(worksheet_set_column(ws, static_cast<lxw_col_t>(col - 1),
                                       static_cast<lxw_col_t>(col - 1), width, nullptr));
        if (S.Frozen && (S.SplitRow > 0 || S.SplitColumn > 0))
            worksheet_freeze_panes(ws, static_cast<lxw_row_t>(S.SplitRow),
                                   static_cast<lxw_col_t>(S.SplitColumn));
        // Merges first: merging writes blanks that the cells below then overwrite.
        for (const MergeRect& m : S.Merges) {
            const CellRec* tl = S.Find(m.Row1, m.Col1);
            Check(worksheet_merge_range(
                ws, static_cast<lxw_row_t>(m.Row1 - 1), static_cast<lxw_col_t>(m.Col1 - 1),
                static_cast<lxw_row_t>(m.Row2 - 1), static_cast<lxw_col_t>(m.Col2 - 1), "",
                tl ? Format(tl->Style) : nullptr));
        }
        for (const CellRec& c : S.Cells)
            WriteCell(S, ws, c);
        for (const auto& [key, text] : S.Comments)
            Check(worksheet_write_comment(ws, static_cast<lxw_row_t>((key >> 16) - 1),
                                          static_cast<lxw_col_t>((key & 0xFFFF) - 1),
                                          text.c_str()));
    }

    void WriteCell(const Sheet& S, lxw_worksheet* ws, const CellRec& c) {
        const auto r = static_cast<lxw_row_t>(c.Row - 1);
        const auto k = static_cast<lxw_col_t>(c.Col - 1);
        lxw_format* f = Format(c.Style);
        const Variant& v = c.Value;
        if (c.Formula != 0) {
            const AnsiString formula = "=" + S.Formulas[c.Formula - 1];
            if (v.IsString() || v.IsEmpty()) {
                // Without a result (a formula set but never computed here) the cached result is
                // left empty, so that the reading application computes it on load.
                Check(worksheet_write_formula_str(ws, r, k, formula.c_str(), f,
                                                  v.IsEmpty() ? "" : v.AsString().c_str()));
            } else {
                double cached = 0;
                if (v.IsNumeric() || v.Type() == varDate) cached = Serial(c, v.AsDouble());
                Check(worksheet_write_formula_num(ws, r, k, formula.c_str(), f, cached));
            }
            return;
        }
        if (c.Rich != 0 && WriteRich(S, ws, c, f)) return;
        switch (v.Type()) {
            case varEmpty:
            case varNull:
                if (c.Style != 0 && !S.MergeAt(c.Row, c.Col))
                    Check(worksheet_write_blank(ws, r, k, f));
                break;
            case varString:
            case varOleStr: {
                AnsiString text = v.AsString();
                if (text.size() > 32767) text.resize(32767);
                Check(worksheet_write_string(ws, r, k, text.c_str(), f));
                break;
            }
            case varBoolean:
                Check(worksheet_write_boolean(ws, r, k, v.AsBoolean() ? 1 : 0, f));
                break;
            case varError: {
                const AnsiString text = FormatValue(v, "General", false);
                Check(worksheet_write_string(ws, r, k, text.c_str(), f));
                break;
            }
            default:
                Check(worksheet_write_number(ws, r, k, Serial(c, v.AsDouble()), f));
                break;
        }
    }

    bool WriteRich(const Sheet& S, lxw_worksheet* ws, const CellRec& c, lxw_format* f) {
        const std::vector<RichRun>& runs = S.RichTexts[c.Rich - 1];
        std::vector<lxw_rich_string_tuple> tuples;
        std::vector<lxw_rich_string_tuple*> ptrs;
        std::vector<lxw_format*> formats;
        tuples.reserve(runs.size());
        for (const RichRun& run : runs) {
            if (run.Text.empty()) continue;
            lxw_format* rf = nullptr;
            if (run.HasFont) {
                rf = workbook_add_format(FWorkbook);
                ApplyFont(rf, run.Font);
            }
            tuples.push_back({rf, const_cast<char*>(run.Text.c_str())});
        }
        // libxlsxwriter needs at least two runs; a single run is plain text.
        if (tuples.size() < 2) return false;
        for (auto& t : tuples)
            ptrs.push_back(&t);
        ptrs.push_back(nullptr);
        Check(worksheet_write_rich_string(ws, static_cast<lxw_row_t>(c.Row - 1),
                                          static_cast<lxw_col_t>(c.Col - 1), ptrs.data(), f));
        return true;
    }

    const Book& FBook;
    lxw_workbook* FWorkbook = nullptr;
    std::vector<lxw_format*> FFormats;
    bool FDefaultIsPlain = true;
};

}  // namespace

void WriteXlsx(const Book& B, const AnsiString& FileName) {
    Writer w(B, FileName);
    w.Write();
}

}  // namespace carrelon::xl
