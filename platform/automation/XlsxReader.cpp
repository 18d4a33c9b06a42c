// Reads .xlsx workbooks (libzip, pugixml) into the spreadsheet server's model. The file comes
// from outside: every size, count, index and reference is checked, and anything malformed ends
// in an exception with a clear message instead of a crash or an unbounded allocation.
#include <zip.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pugixml.hpp>
#include <stdexcept>
#include <unordered_map>

#include "platform/automation/ExcelModel.h"
#include "platform/automation/NumberFormat.h"
#include "platform/automation/OfficeServers.h"
#include "platform/rtl/DateTime.h"

namespace carrelon::xl {

namespace {

[[noreturn]] void Bad(const AnsiString& What) {
    throw std::runtime_error(What);
}

const char* LocalName(const pugi::xml_node& N) {
    const char* name = N.name();
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

pugi::xml_node Child(const pugi::xml_node& N, const char* Name) {
    for (pugi::xml_node c = N.first_child(); c; c = c.next_sibling())
        if (std::strcmp(LocalName(c), Name) == 0) return c;
    return {};
}

template <class Fn>
void EachChild(const pugi::xml_node& N, const char* Name, Fn&& F) {
    for (pugi::xml_node c = N.first_child(); c; c = c.next_sibling())
        if (std::strcmp(LocalName(c), Name) == 0) F(c);
}

// An attribute by local name (namespaced relationship ids are "r:id").
pugi::xml_attribute Attr(const pugi::xml_node& N, const char* Name) {
    for (pugi::xml_attribute a = N.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        const char* colon = std::strrchr(name, ':');
        if (std::strcmp(colon ? colon + 1 : name, Name) == 0) return a;
    }
    return {};
}

bool ParseInt(const char* S, long long Min, long long Max, long long& Out) {
    if (S == nullptr || *S == 0) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(S, &end, 10);
    if (errno != 0 || *end != 0 || v < Min || v > Max) return false;
    Out = v;
    return true;
}

int IntAttr(const pugi::xml_node& N, const char* Name, long long Min, long long Max, int Default) {
    const pugi::xml_attribute a = Attr(N, Name);
    if (!a) return Default;
    long long v = 0;
    if (!ParseInt(a.value(), Min, Max, v))
        Bad(AnsiString("bad value \"") + a.value() + "\" for " + Name + " in <" + LocalName(N) +
            ">");
    return static_cast<int>(v);
}

bool ParseDouble(const char* S, double& Out) {
    if (S == nullptr) return false;
    while (*S == ' ')
        ++S;
    if (*S == 0) return false;
    char* end = nullptr;
    const double v = std::strtod(S, &end);
    while (*end == ' ')
        ++end;
    if (*end != 0 || !std::isfinite(v)) return false;
    Out = v;
    return true;
}

bool BoolAttr(const pugi::xml_node& N, const char* Name, bool Default) {
    const pugi::xml_attribute a = Attr(N, Name);
    if (!a) return Default;
    const AnsiString v = a.value();
    return v == "1" || v == "true" || v == "on";
}

// A boolean element such as <b/> or <b val="0"/>.
bool FlagElement(const pugi::xml_node& N) {
    return N && BoolAttr(N, "val", true);
}

std::uint32_t HexToBgr(const char* Hex) {
    const size_t n = std::strlen(Hex);
    if (n != 6 && n != 8) Bad(AnsiString("bad colour \"") + Hex + "\"");
    for (size_t i = 0; i < n; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(Hex[i])))
            Bad(AnsiString("bad colour \"") + Hex + "\"");
    const unsigned long v = std::strtoul(Hex + (n - 6), nullptr, 16);
    return static_cast<std::uint32_t>(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
}

std::uint32_t ApplyTint(std::uint32_t Bgr, double Tint) {
    if (Tint == 0) return Bgr;
    double r = (Bgr & 0xFF) / 255.0, g = ((Bgr >> 8) & 0xFF) / 255.0,
           b = ((Bgr >> 16) & 0xFF) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double h = 0, s = 0, l = (mx + mn) / 2;
    if (mx != mn) {
        const double d = mx - mn;
        s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r)
            h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g)
            h = (b - r) / d + 2;
        else
            h = (r - g) / d + 4;
        h /= 6;
    }
    l = Tint < 0 ? l * (1 + Tint) : l * (1 - Tint) + Tint;
    const auto hue = [](double p, double q, double t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    if (s == 0) {
        r = g = b = l;
    } else {
        const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        const double p = 2 * l - q;
        r = hue(p, q, h + 1.0 / 3);
        g = hue(p, q, h);
        b = hue(p, q, h - 1.0 / 3);
    }
    const auto byte = [](double v) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    return byte(r) | (byte(g) << 8) | (byte(b) << 16);
}

class Reader {
public:
    explicit Reader(const std::vector<char>& Data) : FLimits(GetWorkbookReadLimits()) {
        if (Data.size() > FLimits.MaxFileBytes)
            Bad("the file is larger than the workbook size limit");
        zip_error_t err;
        zip_error_init(&err);
        zip_source_t* src = zip_source_buffer_create(Data.data(), Data.size(), 0, &err);
        if (src == nullptr) {
            zip_error_fini(&err);
            Bad("the file cannot be read");
        }
        FZip = zip_open_from_source(src, ZIP_RDONLY, &err);
        zip_error_fini(&err);
        if (FZip == nullptr) {
            zip_source_free(src);
            Bad("the file is not a workbook (not a zip archive)");
        }
    }
    ~Reader() {
        if (FZip != nullptr) zip_discard(FZip);
    }

    std::unique_ptr<Book> Read() {
        auto book = std::make_unique<Book>();
        FBook = book.get();
        pugi::xml_document wb;
        if (!Load("xl/workbook.xml", wb, true)) Bad("missing part xl/workbook.xml");
        const pugi::xml_node root = Child(wb, "workbook");
        if (!root) Bad("xl/workbook.xml is not a workbook");
        FBook->Date1904 = BoolAttr(Child(root, "workbookPr"), "date1904", false);
        const auto rels = Relationships("xl/workbook.xml");
        // Parts found through the workbook's relationships, else at their usual places.
        AnsiString stylesPart = "xl/styles.xml", stringsPart = "xl/sharedStrings.xml",
                   themePart = "xl/theme/theme1.xml";
        for (const auto& [id, rel] : rels) {
            if (EndsWith(rel.Type, "/styles"))
                stylesPart = rel.Target;
            else if (EndsWith(rel.Type, "/sharedStrings"))
                stringsPart = rel.Target;
            else if (EndsWith(rel.Type, "/theme"))
                themePart = rel.Target;
        }
        ReadTheme(themePart);
        ReadStyles(stylesPart);
        ReadSharedStrings(stringsPart);

        int activeTab = 0;
        if (pugi::xml_node views = Child(root, "bookViews"))
            if (pugi::xml_node view = Child(views, "workbookView"))
                activeTab = IntAttr(view, "activeTab", 0, 1 << 20, 0);
        const pugi::xml_node sheets = Child(root, "sheets");
        if (!sheets) Bad("the workbook lists no sheets");
        EachChild(sheets, "sheet", [&](const pugi::xml_node& s) {
            if (static_cast<int>(FBook->Sheets.size()) >= FLimits.MaxSheets)
                Bad("the workbook has too many sheets");
            const auto it = rels.find(Attr(s, "id").value());
            if (it == rels.end())
                Bad(AnsiString("sheet \"") + s.attribute("name").value() + "\" has no part");
            if (!EndsWith(it->second.Type, "/worksheet")) return;  // chart sheets and others
            auto sheet = std::make_unique<Sheet>();
            sheet->Name = s.attribute("name").value();
            ReadSheet(it->second.Target, *sheet);
            FBook->Sheets.push_back(std::move(sheet));
        });
        if (FBook->Sheets.empty()) Bad("the workbook has no worksheet");
        FBook->ActiveSheet = std::clamp(activeTab, 0, static_cast<int>(FBook->Sheets.size()) - 1);
        return book;
    }

private:
    struct Rel {
        AnsiString Type;
        AnsiString Target;
    };
    struct Shared {
        AnsiString Text;
        int Rich = -1;  // index into FRichShared
    };
    struct SharedFormula {
        AnsiString Text;
        int Row, Col;
    };

    static bool EndsWith(const AnsiString& S, const char* Tail) {
        const size_t n = std::strlen(Tail);
        return S.size() >= n && S.compare(S.size() - n, n, Tail) == 0;
    }

    // The bytes of a part, within the limits; false when the archive lacks it.
    bool ReadPart(const AnsiString& Name, std::vector<char>& Out) {
        const zip_int64_t index = zip_name_locate(FZip, Name.c_str(), 0);
        if (index < 0) return false;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(FZip, static_cast<zip_uint64_t>(index), 0, &st) != 0)
            Bad("cannot read part " + Name);
        const std::uint64_t cap =
            std::min<std::uint64_t>(FLimits.MaxPartBytes, FLimits.MaxTotalBytes - FTotal);
        if ((st.valid & ZIP_STAT_SIZE) && st.size > cap)
            Bad("part " + Name + " is larger than the limit");
        zip_file_t* f = zip_fopen_index(FZip, static_cast<zip_uint64_t>(index), 0);
        if (f == nullptr) Bad("cannot unpack part " + Name);
        Out.clear();
        // Read by chunks: the stated size is not trusted.
        char buf[65536];
        for (;;) {
            const zip_int64_t n = zip_fread(f, buf, sizeof buf);
            if (n < 0) {
                zip_fclose(f);
                Bad("part " + Name + " is damaged");
            }
            if (n == 0) break;
            if (Out.size() + static_cast<std::uint64_t>(n) > cap) {
                zip_fclose(f);
                Bad("part " + Name + " is larger than the limit");
            }
            Out.insert(Out.end(), buf, buf + n);
        }
        zip_fclose(f);
        FTotal += Out.size();
        return true;
    }

    bool Load(const AnsiString& Name, pugi::xml_document& Doc, bool Required) {
        std::vector<char> data;
        if (!ReadPart(Name, data)) {
            if (Required) Bad("missing part " + Name);
            return false;
        }
        const pugi::xml_parse_result r = Doc.load_buffer(
            data.data(), data.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
        if (!r) Bad("part " + Name + " is not valid XML: " + r.description());
        return true;
    }

    static AnsiString Resolve(const AnsiString& Base, const AnsiString& Target) {
        if (!Target.empty() && Target[0] == '/') return Target.substr(1);
        AnsiString dir = Base.substr(0, Base.rfind('/') + 1);
        AnsiString t = Target;
        while (t.rfind("../", 0) == 0) {
            t = t.substr(3);
            if (!dir.empty()) dir.pop_back();
            dir = dir.substr(0, dir.rfind('/') + 1);
        }
        if (t.rfind("./", 0) == 0) t = t.substr(2);
        return dir + t;
    }

    std::unordered_map<AnsiString, Rel> Relationships(const AnsiString& Part) {
        std::unordered_map<AnsiString, Rel> out;
        const size_t slash = Part.rfind('/');
        const AnsiString relsName =
            Part.substr(0, slash + 1) + "_rels/" + Part.substr(slash + 1) + ".rels";
        pugi::xml_document doc;
        if (!Load(relsName, doc, false)) return out;
        EachChild(Child(doc, "Relationships"), "Relationship", [&](const pugi::xml_node& r) {
            if (AnsiString(r.attribute("TargetMode").value()) == "External") return;
            out[r.attribute("Id").value()] = {r.attribute("Type").value(),
                                              Resolve(Part, r.attribute("Target").value())};
        });
        return out;
    }

    void ReadTheme(const AnsiString& Part) {
        // The default palette: light 1, dark 1, light 2, dark 2, accents 1-6, links.
        static const char* const Defaults[] = {"FFFFFF", "000000", "E7E6E6", "44546A",
                                               "4472C4", "ED7D31", "A5A5A5", "FFC000",
                                               "5B9BD5", "70AD47", "0563C1", "954F72"};
        for (int i = 0; i < 12; ++i)
            FTheme[i] = HexToBgr(Defaults[i]);
        pugi::xml_document doc;
        if (!Load(Part, doc, false)) return;
        const pugi::xml_node scheme =
            Child(Child(Child(doc, "theme"), "themeElements"), "clrScheme");
        if (!scheme) return;
        static const char* const Order[] = {"lt1",     "dk1",     "lt2",     "dk2",
                                            "accent1", "accent2", "accent3", "accent4",
                                            "accent5", "accent6", "hlink",   "folHlink"};
        for (int i = 0; i < 12; ++i) {
            const pugi::xml_node entry = Child(scheme, Order[i]);
            if (const pugi::xml_node rgb = Child(entry, "srgbClr"))
                FTheme[i] = HexToBgr(rgb.attribute("val").value());
            else if (const pugi::xml_node sys = Child(entry, "sysClr"))
                if (sys.attribute("lastClr"))
                    FTheme[i] = HexToBgr(sys.attribute("lastClr").value());
        }
    }

    // A colour element; Default when it says "automatic" or names nothing.
    std::uint32_t Color(const pugi::xml_node& C, std::uint32_t Default) {
        if (!C) return Default;
        std::uint32_t bgr = Default;
        if (BoolAttr(C, "auto", false)) return Default;
        if (const pugi::xml_attribute rgb = C.attribute("rgb"))
            bgr = HexToBgr(rgb.value());
        else if (C.attribute("theme"))
            bgr = FTheme[IntAttr(C, "theme", 0, 11, 0)];
        else if (C.attribute("indexed")) {
            const int idx = IntAttr(C, "indexed", 0, 255, 0);
            if (idx == 64) return Default;  // system foreground: automatic
            bgr = IndexedColor(idx);
        } else
            return Default;
        double tint = 0;
        if (const pugi::xml_attribute t = C.attribute("tint"))
            if (!ParseDouble(t.value(), tint) || tint < -1 || tint > 1)
                Bad(AnsiString("bad tint \"") + t.value() + "\"");
        return ApplyTint(bgr, tint);
    }

    FontRec ReadFont(const pugi::xml_node& F, const FontRec& Base) {
        FontRec f = Base;
        if (pugi::xml_node n = Child(F, "name"))
            f.Name = n.attribute("val").value();
        else if (pugi::xml_node rn = Child(F, "rFont"))
            f.Name = rn.attribute("val").value();
        if (f.Name.size() > 255) f.Name.resize(255);
        if (pugi::xml_node sz = Child(F, "sz")) {
            double v = 0;
            if (!ParseDouble(sz.attribute("val").value(), v) || v <= 0 || v > 1000)
                Bad("bad font size");
            f.Size = v;
        }
        if (pugi::xml_node c = Child(F, "color")) f.Color = Color(c, AutoColor);
        f.Bold = FlagElement(Child(F, "b"));
        f.Italic = FlagElement(Child(F, "i"));
        f.Strike = FlagElement(Child(F, "strike"));
        f.Underline = 0;
        if (pugi::xml_node u = Child(F, "u")) {
            const AnsiString v = u.attribute("val").value();
            f.Underline = v == "none" ? 0 : (v == "double" || v == "doubleAccounting") ? 2 : 1;
        }
        return f;
    }

    static int HAlign(const AnsiString& V) {
        if (V == "left") return -4131;
        if (V == "center") return -4108;
        if (V == "right") return -4152;
        if (V == "fill") return 5;
        if (V == "justify") return -4130;
        if (V == "centerContinuous") return 7;
        if (V == "distributed") return -4117;
        return 1;
    }
    static int VAlign(const AnsiString& V) {
        if (V == "top") return -4160;
        if (V == "center") return -4108;
        if (V == "justify") return -4130;
        if (V == "distributed") return -4117;
        return -4107;
    }
    static int BorderWeight(const AnsiString& S) {
        if (S.empty() || S == "none") return 0;
        if (S == "hair") return 1;
        if (S == "medium" || S == "mediumDashed" || S == "mediumDashDot" ||
            S == "mediumDashDotDot" || S == "slantDashDot")
            return -4138;
        if (S == "thick" || S == "double") return 4;
        return 2;
    }

    void ReadStyles(const AnsiString& Part) {
        FXfStyles.assign(1, 0);
        pugi::xml_document doc;
        if (!Load(Part, doc, false)) return;
        const pugi::xml_node ss = Child(doc, "styleSheet");
        std::unordered_map<int, AnsiString> numFmts;
        EachChild(Child(ss, "numFmts"), "numFmt", [&](const pugi::xml_node& n) {
            if (numFmts.size() > FLimits.MaxStyles) Bad("too many number formats");
            numFmts[IntAttr(n, "numFmtId", 0, 1 << 20, 0)] = n.attribute("formatCode").value();
        });
        std::vector<FontRec> fonts;
        EachChild(Child(ss, "fonts"), "font", [&](const pugi::xml_node& f) {
            if (fonts.size() > FLimits.MaxStyles) Bad("too many fonts");
            fonts.push_back(ReadFont(f, FontRec{}));
        });
        std::vector<std::uint32_t> fills;
        EachChild(Child(ss, "fills"), "fill", [&](const pugi::xml_node& f) {
            if (fills.size() > FLimits.MaxStyles) Bad("too many fills");
            const pugi::xml_node p = Child(f, "patternFill");
            const AnsiString type = p.attribute("patternType").value();
            if (!p || type.empty() || type == "none" || type == "gray125")
                fills.push_back(NoFill);
            else
                fills.push_back(Color(Child(p, "fgColor"), 0x000000));
        });
        std::vector<std::array<EdgeRec, 4>> borders;
        EachChild(Child(ss, "borders"), "border", [&](const pugi::xml_node& b) {
            if (borders.size() > FLimits.MaxStyles) Bad("too many borders");
            std::array<EdgeRec, 4> e{};
            static const char* const Names[4] = {"left", "top", "right", "bottom"};
            for (int i = 0; i < 4; ++i) {
                pugi::xml_node side = Child(b, Names[i]);
                if (!side) side = Child(b, i == 0 ? "start" : i == 2 ? "end" : Names[i]);
                e[static_cast<size_t>(i)].Weight = BorderWeight(side.attribute("style").value());
                e[static_cast<size_t>(i)].Color = Color(Child(side, "color"), 0);
            }
            borders.push_back(e);
        });
        FXfStyles.clear();
        EachChild(Child(ss, "cellXfs"), "xf", [&](const pugi::xml_node& x) {
            if (FXfStyles.size() > FLimits.MaxStyles) Bad("too many cell styles");
            StyleRec s;
            const int fontId = IntAttr(x, "fontId", 0, 1 << 30, 0);
            const int fillId = IntAttr(x, "fillId", 0, 1 << 30, 0);
            const int borderId = IntAttr(x, "borderId", 0, 1 << 30, 0);
            const int numFmtId = IntAttr(x, "numFmtId", 0, 1 << 30, 0);
            if (static_cast<size_t>(fontId) < fonts.size())
                s.Font = fonts[static_cast<size_t>(fontId)];
            if (static_cast<size_t>(fillId) < fills.size())
                s.Fill = fills[static_cast<size_t>(fillId)];
            if (static_cast<size_t>(borderId) < borders.size())
                for (int i = 0; i < 4; ++i)
                    s.Edges[i] = borders[static_cast<size_t>(borderId)][static_cast<size_t>(i)];
            const auto nf = numFmts.find(numFmtId);
            s.NumFmt = nf != numFmts.end() ? nf->second : BuiltinNumberFormat(numFmtId);
            if (s.NumFmt.empty()) s.NumFmt = "General";
            if (const pugi::xml_node a = Child(x, "alignment")) {
                s.HAlign = HAlign(a.attribute("horizontal").value());
                s.VAlign = VAlign(a.attribute("vertical").value());
                s.Wrap = BoolAttr(a, "wrapText", false);
            }
            s.QuotePrefix = BoolAttr(x, "quotePrefix", false);
            FXfStyles.push_back(FBook->Styles.Intern(s));
        });
        if (FXfStyles.empty()) FXfStyles.push_back(0);
    }

    // Text of an <si> or <is>: plain <t>, or runs <r><rPr/><t/></r>. Runs go to Runs.
    AnsiString StringItem(const pugi::xml_node& N, std::vector<RichRun>* Runs) {
        if (pugi::xml_node t = Child(N, "t")) return t.text().get();
        AnsiString text;
        EachChild(N, "r", [&](const pugi::xml_node& r) {
            const AnsiString part = Child(r, "t").text().get();
            text += part;
            if (Runs != nullptr) {
                RichRun run;
                run.Text = part;
                if (pugi::xml_node pr = Child(r, "rPr")) {
                    run.HasFont = true;
                    run.Font = ReadFont(pr, FontRec{});
                }
                Runs->push_back(std::move(run));
            }
        });
        return text;
    }

    void ReadSharedStrings(const AnsiString& Part) {
        pugi::xml_document doc;
        if (!Load(Part, doc, false)) return;
        EachChild(Child(doc, "sst"), "si", [&](const pugi::xml_node& si) {
            if (FShared.size() >= FLimits.MaxSharedStrings) Bad("too many shared strings");
            std::vector<RichRun> runs;
            Shared s;
            s.Text = StringItem(si, &runs);
            if (runs.size() > 1) {
                s.Rich = static_cast<int>(FRichShared.size());
                FRichShared.push_back(std::move(runs));
            }
            FShared.push_back(std::move(s));
        });
    }

    static int ErrorCode(const AnsiString& T) {
        if (T == "#NULL!") return 2000;
        if (T == "#DIV/0!") return 2007;
        if (T == "#VALUE!") return 2015;
        if (T == "#REF!") return 2023;
        if (T == "#NAME?") return 2029;
        if (T == "#NUM!") return 2036;
        if (T == "#N/A") return 2042;
        return 2015;
    }

    // "2024-03-15T12:30:00" -> serial.
    double IsoSerial(const AnsiString& T) {
        int y = 0, mo = 0, d = 0, h = 0, mi = 0;
        double s = 0;
        const int n = std::sscanf(T.c_str(), "%d-%d-%dT%d:%d:%lf", &y, &mo, &d, &h, &mi, &s);
        TDateTime date;
        if (n < 3 || !TryEncodeDate(y, mo, d, date) || h < 0 || h > 23 || mi < 0 || mi > 59 ||
            s < 0 || s >= 61)
            Bad("bad date \"" + T + "\"");
        return date.Val + (h * 3600 + mi * 60 + s) / 86400.0 - (FBook->Date1904 ? 1462 : 0);
    }

    void Count() {
        if (++FCells > FLimits.MaxCells) Bad("the workbook has more cells than the limit");
    }

    void ReadSheet(const AnsiString& Part, Sheet& S) {
        pugi::xml_document doc;
        Load(Part, doc, true);
        const pugi::xml_node ws = Child(doc, "worksheet");
        if (!ws) Bad("part " + Part + " is not a worksheet");

        if (pugi::xml_node view = Child(Child(ws, "sheetViews"), "sheetView"))
            if (pugi::xml_node pane = Child(view, "pane")) {
                const AnsiString state = pane.attribute("state").value();
                if (state == "frozen" || state == "frozenSplit") {
                    double xs = 0, ys = 0;
                    if (pane.attribute("xSplit") &&
                        !ParseDouble(pane.attribute("xSplit").value(), xs))
                        Bad("bad pane");
                    if (pane.attribute("ySplit") &&
                        !ParseDouble(pane.attribute("ySplit").value(), ys))
                        Bad("bad pane");
                    S.Frozen = true;
                    S.SplitColumn = static_cast<int>(std::clamp(xs, 0.0, double(MaxCols - 1)));
                    S.SplitRow = static_cast<int>(std::clamp(ys, 0.0, double(MaxRows - 1)));
                }
            }
        const auto fileWidth = [](double W) {
            return PixelsToColumnWidth(
                static_cast<int>(std::trunc((256 * W + std::trunc(128.0 / 7)) / 256 * 7)));
        };
        if (pugi::xml_node fmt = Child(ws, "sheetFormatPr")) {
            double w = 0;
            if (fmt.attribute("defaultColWidth") &&
                ParseDouble(fmt.attribute("defaultColWidth").value(), w) && w >= 0 && w <= 255)
                S.DefaultColumnWidth = fileWidth(w);
        }
        // A sheet declaring whole columns or whole rows as its dimension uses them whole.
        if (pugi::xml_node dim = Child(ws, "dimension")) {
            bool columns = false, rows = false;
            WholeDimension(dim.attribute("ref").value(), columns, rows);
            S.WholeColumnsUsed = S.WholeColumnsUsed || columns;
            S.WholeRowsUsed = S.WholeRowsUsed || rows;
        }
        EachChild(Child(ws, "cols"), "col", [&](const pugi::xml_node& c) {
            const int mn = IntAttr(c, "min", 1, MaxCols, 1);
            const int mx = IntAttr(c, "max", mn, MaxCols, mn);
            // A column with a style of its own, other than the file's default one, formats
            // every row of it.
            const int xf = IntAttr(c, "style", 0, 1 << 30, 0);
            if (xf != 0 && static_cast<size_t>(xf) < FXfStyles.size() &&
                FXfStyles[static_cast<size_t>(xf)] != FXfStyles[0])
                S.WholeColumnsUsed = true;
            double w = 0;
            if (!c.attribute("width")) return;
            if (!ParseDouble(c.attribute("width").value(), w) || w < 0 || w > 1000)
                Bad("bad column width");
            if (BoolAttr(c, "hidden", false)) w = 0;
            for (int k = mn; k <= mx; ++k)
                S.ColumnWidths[k] = fileWidth(w);
        });

        std::unordered_map<int, SharedFormula> shared;
        int lastRow = 0;
        const pugi::xml_node data = Child(ws, "sheetData");
        EachChild(data, "row", [&](const pugi::xml_node& row) {
            const int r = IntAttr(row, "r", 1, MaxRows, lastRow + 1);
            if (r <= 0) Bad("bad row number");
            lastRow = r;
            if (BoolAttr(row, "customFormat", false) && IntAttr(row, "s", 0, 1 << 30, 0) != 0)
                S.WholeRowsUsed = true;
            int lastCol = 0;
            EachChild(row, "c", [&](const pugi::xml_node& c) {
                int cr = r, cc = lastCol + 1;
                if (const pugi::xml_attribute ref = c.attribute("r")) {
                    if (!ParseCellRef(ref.value(), cr, cc))
                        Bad(AnsiString("bad cell reference \"") + ref.value() + "\"");
                }
                if (cc > MaxCols) Bad("a cell lies beyond the last column");
                lastCol = cc;
                ReadCell(c, S, cr, cc, shared);
            });
        });

        std::uint64_t mergeRows = 0;
        EachChild(Child(ws, "mergeCells"), "mergeCell", [&](const pugi::xml_node& m) {
            const AnsiString ref = m.attribute("ref").value();
            const size_t colon = ref.find(':');
            MergeRect rect{};
            if (colon == AnsiString::npos ||
                !ParseCellRef(ref.substr(0, colon), rect.Row1, rect.Col1) ||
                !ParseCellRef(ref.substr(colon + 1), rect.Row2, rect.Col2))
                Bad("bad merge reference \"" + ref + "\"");
            if (rect.Row2 < rect.Row1) std::swap(rect.Row1, rect.Row2);
            if (rect.Col2 < rect.Col1) std::swap(rect.Col1, rect.Col2);
            mergeRows += static_cast<std::uint64_t>(rect.Row2 - rect.Row1 + 1);
            if (mergeRows > FLimits.MaxCells) Bad("the merged areas exceed the cell limit");
            if (S.MergeAt(rect.Row1, rect.Col1) == nullptr) S.AddMerge(rect);
        });

        for (const auto& [id, rel] : Relationships(Part))
            if (EndsWith(rel.Type, "/comments")) ReadComments(rel.Target, S);
    }

    // "A:C" (whole columns) or "3:7" (whole rows); anything else names neither.
    static void WholeDimension(const AnsiString& Ref, bool& Columns, bool& Rows) {
        const size_t colon = Ref.find(':');
        if (colon == AnsiString::npos) return;
        const auto strip = [](AnsiString T) {
            T.erase(std::remove(T.begin(), T.end(), '$'), T.end());
            return T;
        };
        const AnsiString a = strip(Ref.substr(0, colon)), b = strip(Ref.substr(colon + 1));
        const auto digits = [](const AnsiString& T) {
            long long v = 0;
            return ParseInt(T.c_str(), 1, MaxRows, v) &&
                   std::all_of(T.begin(), T.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        Columns = ColumnFromName(a) != 0 && ColumnFromName(b) != 0;
        Rows = digits(a) && digits(b);
    }

    void ReadCell(const pugi::xml_node& C, Sheet& S, int Row, int Col,
                  std::unordered_map<int, SharedFormula>& SharedF) {
        Count();
        const int xf = IntAttr(C, "s", 0, 1 << 30, 0);
        CellRec& cell = S.At(Row, Col);
        cell.Value = Variant();
        cell.Formula = 0;
        cell.Rich = 0;
        cell.Style =
            static_cast<size_t>(xf) < FXfStyles.size() ? FXfStyles[static_cast<size_t>(xf)] : 0;
        const AnsiString type = C.attribute("t").value();
        const pugi::xml_node v = Child(C, "v");
        const char* vt = v.text().get();
        if (type == "s") {
            long long idx = 0;
            if (v && !ParseInt(vt, 0, static_cast<long long>(FShared.size()) - 1, idx))
                Bad(AnsiString("bad shared string index \"") + vt + "\"");
            if (v) {
                const Shared& s = FShared[static_cast<size_t>(idx)];
                cell.Value = Variant(s.Text);
                if (s.Rich >= 0) {
                    S.RichTexts.push_back(FRichShared[static_cast<size_t>(s.Rich)]);
                    cell.Rich = static_cast<std::uint32_t>(S.RichTexts.size());
                }
            }
        } else if (type == "inlineStr") {
            std::vector<RichRun> runs;
            cell.Value = Variant(StringItem(Child(C, "is"), &runs));
            if (runs.size() > 1) {
                S.RichTexts.push_back(std::move(runs));
                cell.Rich = static_cast<std::uint32_t>(S.RichTexts.size());
            }
        } else if (type == "str") {
            if (v) cell.Value = Variant(AnsiString(vt));
        } else if (type == "b") {
            if (v) cell.Value = Variant(AnsiString(vt) == "1" || AnsiString(vt) == "true");
        } else if (type == "e") {
            if (v) cell.Value = Variant::MakeError(ErrorCode(vt));
        } else if (type == "d") {
            if (v) cell.Value = Variant(IsoSerial(vt));
        } else if (type.empty() || type == "n") {
            if (v && *vt != 0) {
                double d = 0;
                if (!ParseDouble(vt, d)) Bad(AnsiString("bad number \"") + vt + "\"");
                cell.Value = Variant(d);
            }
        } else {
            Bad("unknown cell type \"" + type + "\"");
        }
        if (cell.Value.IsString() && cell.Value.AsString().empty() && cell.Rich == 0)
            cell.Value = Variant();

        if (const pugi::xml_node f = Child(C, "f")) {
            AnsiString text = f.text().get();
            const AnsiString ft = f.attribute("t").value();
            if (ft == "shared" && f.attribute("si")) {
                const int si = IntAttr(f, "si", 0, 1 << 30, 0);
                if (!text.empty()) {
                    SharedF[si] = {text, Row, Col};
                } else {
                    const auto it = SharedF.find(si);
                    if (it != SharedF.end())
                        text = ShiftFormula(it->second.Text, Row - it->second.Row,
                                            Col - it->second.Col);
                }
            }
            if (!text.empty()) {
                S.Formulas.push_back(std::move(text));
                cell.Formula = static_cast<std::uint32_t>(S.Formulas.size());
            }
        }
    }

    void ReadComments(const AnsiString& Part, Sheet& S) {
        pugi::xml_document doc;
        if (!Load(Part, doc, false)) return;
        EachChild(
            Child(Child(doc, "comments"), "commentList"), "comment", [&](const pugi::xml_node& c) {
                int r = 0, k = 0;
                if (!ParseCellRef(c.attribute("ref").value(), r, k))
                    Bad(AnsiString("bad comment reference \"") + c.attribute("ref").value() + "\"");
                Count();
                S.Comments[Sheet::Key(r, k)] = StringItem(Child(c, "text"), nullptr);
            });
    }

    TWorkbookReadLimits FLimits;
    zip_t* FZip = nullptr;
    Book* FBook = nullptr;
    std::uint64_t FTotal = 0;
    std::uint64_t FCells = 0;
    std::uint32_t FTheme[12] = {};
    std::vector<std::uint32_t> FXfStyles;
    std::vector<Shared> FShared;
    std::vector<std::vector<RichRun>> FRichShared;
};

}  // namespace

std::unique_ptr<Book> ReadXlsxBytes(const std::vector<char>& Data) {
    Reader r(Data);
    return r.Read();
}

std::unique_ptr<Book> ReadXlsx(const AnsiString& FileName) {
    std::ifstream in(FileName, std::ios::binary | std::ios::ate);
    if (!in) Bad("the file cannot be opened");
    const std::streamoff size = in.tellg();
    if (size < 0) Bad("the file cannot be read");
    if (static_cast<std::uint64_t>(size) > GetWorkbookReadLimits().MaxFileBytes)
        Bad("the file is larger than the workbook size limit");
    std::vector<char> data(static_cast<size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(data.data(), size)) Bad("the file cannot be read");
    return ReadXlsxBytes(data);
}

}  // namespace carrelon::xl
