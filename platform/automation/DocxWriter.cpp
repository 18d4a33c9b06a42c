// Writes the word-processor server's document as .docx: the package parts built with pugixml,
// packed with libzip.
#include <zip.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>

#include "platform/automation/WordModel.h"

namespace carrelon::wd {

namespace {

constexpr const char* W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr int PageTextTwips = 9638;  // A4 less 2 cm margins

AnsiString Hex(int Bgr) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", Bgr & 0xFF, (Bgr >> 8) & 0xFF,
                  (Bgr >> 16) & 0xFF);
    return buf;
}

void Val(pugi::xml_node N, const char* Name, const AnsiString& Value) {
    N.append_child(Name).append_attribute("w:val") = Value.c_str();
}

AnsiString Str(const pugi::xml_document& D) {
    std::ostringstream out;
    D.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return out.str();
}

class Builder {
public:
    explicit Builder(const Document& D) : FDoc(D) {}

    AnsiString DocumentXml() {
        pugi::xml_document d;
        auto decl = d.append_child(pugi::node_declaration);
        decl.append_attribute("version") = "1.0";
        decl.append_attribute("encoding") = "UTF-8";
        decl.append_attribute("standalone") = "yes";
        auto doc = d.append_child("w:document");
        doc.append_attribute("xmlns:w") = W;
        doc.append_attribute("xmlns:r") = R;
        doc.append_attribute("xmlns:wp") =
            "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
        doc.append_attribute("xmlns:a") = "http://schemas.openxmlformats.org/drawingml/2006/main";
        doc.append_attribute("xmlns:pic") =
            "http://schemas.openxmlformats.org/drawingml/2006/picture";
        auto body = doc.append_child("w:body");
        for (const Block& b : FDoc.Body) {
            if (b.T)
                WriteTable(body, *b.T);
            else
                WritePara(body, b.P);
        }
        auto sect = body.append_child("w:sectPr");
        auto pg = sect.append_child("w:pgSz");
        pg.append_attribute("w:w") = 11906;
        pg.append_attribute("w:h") = 16838;
        auto mar = sect.append_child("w:pgMar");
        for (const char* side : {"w:top", "w:right", "w:bottom", "w:left"})
            mar.append_attribute(side) = 1134;
        mar.append_attribute("w:header") = 709;
        mar.append_attribute("w:footer") = 709;
        mar.append_attribute("w:gutter") = 0;
        return Str(d);
    }

    AnsiString RelsXml() const {
        pugi::xml_document d;
        auto rels = d.append_child("Relationships");
        rels.append_attribute("xmlns") =
            "http://schemas.openxmlformats.org/package/2006/relationships";
        const auto add = [&](const AnsiString& Id, const char* Type, const AnsiString& Target) {
            auto r = rels.append_child("Relationship");
            r.append_attribute("Id") = Id.c_str();
            r.append_attribute("Type") = Type;
            r.append_attribute("Target") = Target.c_str();
        };
        add("rIdStyles",
            "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles",
            "styles.xml");
        add("rIdSettings",
            "http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings",
            "settings.xml");
        for (size_t i = 0; i < FMedia.size(); ++i)
            add("rIdImg" + std::to_string(i + 1),
                "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image",
                MediaName(i));
        return Str(d);
    }

    AnsiString MediaName(size_t I) const {
        return "media/image" + std::to_string(I + 1) + (FMedia[I]->Jpeg ? ".jpeg" : ".png");
    }
    const std::vector<const Picture*>& Media() const { return FMedia; }

private:
    void WriteFmt(pugi::xml_node Parent, const RunFmt& F) {
        auto pr = Parent.append_child("w:rPr");
        if (!F.Name.empty()) {
            auto fonts = pr.append_child("w:rFonts");
            for (const char* a : {"w:ascii", "w:hAnsi", "w:cs"})
                fonts.append_attribute(a) = F.Name.c_str();
        }
        if (F.Bold == 1) pr.append_child("w:b");
        if (F.Italic == 1) pr.append_child("w:i");
        if (F.Strike == 1) pr.append_child("w:strike");
        int color = F.Color;
        if (color < 0 && F.ColorIndex > 0) color = ColorFromIndex(F.ColorIndex);
        if (color >= 0) Val(pr, "w:color", Hex(color));
        if (F.Size > 0) {
            const AnsiString half = std::to_string(static_cast<int>(std::lround(F.Size * 2)));
            Val(pr, "w:sz", half);
            Val(pr, "w:szCs", half);
        }
        if (F.Underline == 1) Val(pr, "w:u", "single");
        if (!pr.first_child()) Parent.remove_child(pr);
    }

    void WriteText(pugi::xml_node Run, const AnsiString& Text) {
        AnsiString part;
        const auto flush = [&] {
            if (part.empty()) return;
            auto t = Run.append_child("w:t");
            t.append_attribute("xml:space") = "preserve";
            t.text() = part.c_str();
            part.clear();
        };
        for (char c : Text) {
            if (c == '\t') {
                flush();
                Run.append_child("w:tab");
            } else if (c == '\v' || c == '\n') {
                flush();
                Run.append_child("w:br");
            } else if (static_cast<unsigned char>(c) >= 0x20 || c < 0) {
                part += c;
            }
        }
        flush();
    }

    void WritePicture(pugi::xml_node Run, const Picture& P) {
        FMedia.push_back(&P);
        const size_t id = FMedia.size();
        const long long cx = static_cast<long long>(P.Width) * 9525,
                        cy = static_cast<long long>(P.Height) * 9525;
        auto inl = Run.append_child("w:drawing").append_child("wp:inline");
        for (const char* a : {"distT", "distB", "distL", "distR"})
            inl.append_attribute(a) = 0;
        auto ext = inl.append_child("wp:extent");
        ext.append_attribute("cx") = cx;
        ext.append_attribute("cy") = cy;
        auto pr = inl.append_child("wp:docPr");
        pr.append_attribute("id") = static_cast<unsigned>(id);
        pr.append_attribute("name") = ("Picture " + std::to_string(id)).c_str();
        auto graphic = inl.append_child("a:graphic");
        auto gd = graphic.append_child("a:graphicData");
        gd.append_attribute("uri") = "http://schemas.openxmlformats.org/drawingml/2006/picture";
        auto pic = gd.append_child("pic:pic");
        auto nv = pic.append_child("pic:nvPicPr");
        auto cnv = nv.append_child("pic:cNvPr");
        cnv.append_attribute("id") = static_cast<unsigned>(id);
        cnv.append_attribute("name") = ("image" + std::to_string(id)).c_str();
        nv.append_child("pic:cNvPicPr");
        auto fill = pic.append_child("pic:blipFill");
        fill.append_child("a:blip").append_attribute("r:embed") =
            ("rIdImg" + std::to_string(id)).c_str();
        fill.append_child("a:stretch").append_child("a:fillRect");
        auto sp = pic.append_child("pic:spPr");
        auto xfrm = sp.append_child("a:xfrm");
        auto off = xfrm.append_child("a:off");
        off.append_attribute("x") = 0;
        off.append_attribute("y") = 0;
        auto e = xfrm.append_child("a:ext");
        e.append_attribute("cx") = cx;
        e.append_attribute("cy") = cy;
        sp.append_child("a:prstGeom").append_attribute("prst") = "rect";
    }

    void WritePara(pugi::xml_node Parent, const Para& P) {
        auto p = Parent.append_child("w:p");
        auto ppr = p.append_child("w:pPr");
        static const char* const Jc[] = {"left", "center", "right", "both"};
        if (P.Align > 0 && P.Align <= 3) Val(ppr, "w:jc", Jc[P.Align]);
        WriteFmt(ppr, P.MarkFmt);
        if (!ppr.first_child()) p.remove_child(ppr);
        for (const Run& r : P.Runs) {
            auto run = p.append_child("w:r");
            WriteFmt(run, r.Fmt);
            if (r.Pic)
                WritePicture(run, *r.Pic);
            else
                WriteText(run, r.Text);
        }
    }

    void WriteTable(pugi::xml_node Parent, const Table& T) {
        auto tbl = Parent.append_child("w:tbl");
        auto pr = tbl.append_child("w:tblPr");
        auto tw = pr.append_child("w:tblW");
        tw.append_attribute("w:w") = 0;
        tw.append_attribute("w:type") = "auto";
        auto borders = pr.append_child("w:tblBorders");
        for (const char* side :
             {"w:top", "w:left", "w:bottom", "w:right", "w:insideH", "w:insideV"}) {
            auto b = borders.append_child(side);
            b.append_attribute("w:val") = "single";
            b.append_attribute("w:sz") = 4;
            b.append_attribute("w:space") = 0;
            b.append_attribute("w:color") = "auto";
        }
        pr.append_child("w:tblLayout").append_attribute("w:type") = "fixed";
        if (T.Space >= 0) {
            auto mar = pr.append_child("w:tblCellMar");
            const int half =
                static_cast<int>(std::lround(T.Space * 10));  // half the space, in twips
            for (const char* side : {"w:left", "w:right"}) {
                auto m = mar.append_child(side);
                m.append_attribute("w:w") = half;
                m.append_attribute("w:type") = "dxa";
            }
        }
        std::vector<int> twips(static_cast<size_t>(T.Cols));
        for (int c = 0; c < T.Cols; ++c) {
            const float w =
                c < static_cast<int>(T.Widths.size()) ? T.Widths[static_cast<size_t>(c)] : 0;
            twips[static_cast<size_t>(c)] =
                w > 0 ? static_cast<int>(std::lround(w * 20)) : PageTextTwips / std::max(1, T.Cols);
        }
        auto grid = tbl.append_child("w:tblGrid");
        for (int w : twips)
            grid.append_child("w:gridCol").append_attribute("w:w") = w;
        static const char* const VAlign[] = {"top", "center", "center", "bottom"};
        for (int r = 0; r < T.Rows; ++r) {
            auto tr = tbl.append_child("w:tr");
            for (int c = 0; c < T.Cols; ++c) {
                const TableCell& cell = T.Cells[static_cast<size_t>(r * T.Cols + c)];
                if (cell.Covered) continue;
                auto tc = tr.append_child("w:tc");
                auto tcpr = tc.append_child("w:tcPr");
                int width = 0;
                for (int k = c; k < c + cell.Span && k < T.Cols; ++k)
                    width += twips[static_cast<size_t>(k)];
                auto w = tcpr.append_child("w:tcW");
                w.append_attribute("w:w") = width;
                w.append_attribute("w:type") = "dxa";
                if (cell.Span > 1) Val(tcpr, "w:gridSpan", std::to_string(cell.Span));
                if (cell.VMerge == 1) Val(tcpr, "w:vMerge", "restart");
                if (cell.VMerge == 2) tcpr.append_child("w:vMerge");
                int shade = cell.Shade;
                if (shade < 0 && cell.ShadeIndex > 0) shade = ColorFromIndex(cell.ShadeIndex);
                if (shade >= 0) {
                    auto shd = tcpr.append_child("w:shd");
                    shd.append_attribute("w:val") = "clear";
                    shd.append_attribute("w:color") = "auto";
                    shd.append_attribute("w:fill") = Hex(shade).c_str();
                }
                if (cell.VAlign > 0 && cell.VAlign <= 3) Val(tcpr, "w:vAlign", VAlign[cell.VAlign]);
                for (const Para& p : cell.Paras)
                    WritePara(tc, p);
                if (cell.Paras.empty()) tc.append_child("w:p");
            }
        }
    }

    const Document& FDoc;
    std::vector<const Picture*> FMedia;
};

const char* const ContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Default Extension="png" ContentType="image/png"/>)"
    R"(<Default Extension="jpeg" ContentType="image/jpeg"/>)"
    R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
    R"(<Override PartName="/word/settings.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>)"
    R"(</Types>)";

const char* const PackageRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
    R"(</Relationships>)";

const char* const Styles =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:cs="Calibri"/>)"
    R"(<w:sz w:val="22"/><w:szCs w:val="22"/></w:rPr></w:rPrDefault>)"
    R"(<w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>)"
    R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>)"
    R"(</w:styles>)";

AnsiString SettingsXml(const Document& D) {
    AnsiString s =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<w:settings xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)";
    if (D.ViewType == 1) s += R"(<w:view w:val="normal"/>)";
    s += R"(<w:defaultTabStop w:val="708"/></w:settings>)";
    return s;
}

}  // namespace

void WriteDocx(const Document& Doc, const AnsiString& FileName) {
    Builder b(Doc);
    std::deque<AnsiString> parts;  // kept alive until the archive is closed
    const AnsiString document = b.DocumentXml();
    int err = 0;
    zip_t* z = zip_open(FileName.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (z == nullptr) throw std::runtime_error("cannot create \"" + FileName + "\"");
    const auto add = [&](const AnsiString& Name, const char* Data, size_t Size) {
        zip_source_t* src = zip_source_buffer(z, Data, Size, 0);
        if (src == nullptr ||
            zip_file_add(z, Name.c_str(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
            if (src != nullptr) zip_source_free(src);
            zip_discard(z);
            throw std::runtime_error("cannot write part " + Name);
        }
    };
    const auto addText = [&](const AnsiString& Name, AnsiString Text) {
        parts.push_back(std::move(Text));
        add(Name, parts.back().data(), parts.back().size());
    };
    addText("[Content_Types].xml", ContentTypes);
    addText("_rels/.rels", PackageRels);
    addText("word/document.xml", document);
    addText("word/_rels/document.xml.rels", b.RelsXml());
    addText("word/styles.xml", Styles);
    addText("word/settings.xml", SettingsXml(Doc));
    for (size_t i = 0; i < b.Media().size(); ++i) {
        const Picture* p = b.Media()[i];
        add("word/" + b.MediaName(i), p->Png.data(), p->Png.size());
    }
    if (zip_close(z) != 0) {
        const AnsiString message = zip_strerror(z);
        zip_discard(z);
        throw std::runtime_error("cannot write \"" + FileName + "\": " + message);
    }
}

}  // namespace carrelon::wd
