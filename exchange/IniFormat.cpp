#include "exchange/IniFormat.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

namespace carrelon {

namespace {

constexpr const char* kColumnKeys[ickCount] = {"Visible", "Movable",       "Resizable",
                                               "TabStop", "GridLineColor", "GridLineWidth",
                                               "Width",   "MaxWidth",      "MinWidth"};

constexpr const char* kTwinKeys[itkCount] = {
    "Font.Name",       "Font.Size",     "Font.Charset", "Font.Pitch",
    "Font.Style",      "Font.Color",    "Color",        "MaxLength",
    "WordWrap",        "TextAlignment", "TextLayout",   "GraphicAlignment",
    "GraphicLayout",   "ReadOnly",      "CheckBox",     "CheckBoxAlignment",
    "CheckBoxChecked", "Button"};

constexpr const char* kCellSections[iccCount] = {"Unions",
                                                 "Formula",
                                                 "Value",
                                                 "Hint",
                                                 "Cell.Color",
                                                 "Cell.SelectedColor",
                                                 "Cell.SelectedFontColor",
                                                 "Cell.Font.Charset",
                                                 "Cell.Font.Color",
                                                 "Cell.Font.Name",
                                                 "Cell.Font.Pitch",
                                                 "Cell.Font.Size",
                                                 "Cell.Font.Style",
                                                 "Cell.TextAlignment",
                                                 "Cell.TextLayout",
                                                 "Cell.GraphicAlignment",
                                                 "Cell.GraphicLayout",
                                                 "Cell.MaxLength",
                                                 "Cell.ReadOnly",
                                                 "Cell.WordWrap",
                                                 "Cell.CheckBox",
                                                 "Cell.CheckBoxChecked",
                                                 "Cell.CheckBoxAlignment",
                                                 "Cell.Button",
                                                 "Graphic",
                                                 "InnerBorders",
                                                 "OuterBorders"};

constexpr const char* kDefaultTag = "CarrelonTag";
constexpr const char* kHexDigits = "0123456789ABCDEF";

int HexValue(char C) {
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    return -1;
}

// The hexadecimal number of exactly the given digits; false when one is not a digit.
bool ReadHex(std::string_view Digits, unsigned long long& Value) {
    Value = 0;
    for (char c : Digits) {
        const int h = HexValue(c);
        if (h < 0) return false;
        Value = Value * 16 + static_cast<unsigned>(h);
    }
    return !Digits.empty();
}

[[noreturn]] void ConvertError(const AnsiString& Reason) {
    throw EConvertError(Reason);
}

// "'Text' " followed by Reason.
[[noreturn]] void ConvertError(std::string_view Text, const char* Reason) {
    AnsiString message = "'";
    message.append(Text);
    message += "' ";
    message += Reason;
    throw EConvertError(message);
}

bool IsBreak(char C) {
    return C == '\r' || C == '\n';
}

bool IsControl(char C) {
    return static_cast<unsigned char>(C) < 0x20 || C == 0x7F;
}

// True when Text begins with Prefix, letters compared without case.
bool StartsWithText(std::string_view Text, std::string_view Prefix) {
    if (Text.size() < Prefix.size()) return false;
    for (std::size_t i = 0; i < Prefix.size(); ++i) {
        char a = Text[i], b = Prefix[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
        if (a != b) return false;
    }
    return true;
}

Currency ReadCurrency(std::string_view Text) {
    TFormatSettings S = FormatSettings;
    Currency C;
    const AnsiString T(Text);
    if (TextToFloat(T, C, S)) return C;
    for (char sep : {'.', ','}) {
        S.DecimalSeparator = sep;
        if (TextToFloat(T, C, S)) return C;
    }
    ConvertError(T, "is not a valid currency value");
}

}  // namespace

AnsiString IniColumnSection(TIniColumnKey Key) {
    return AnsiString("Col.") + kColumnKeys[Key];
}

AnsiString IniTwinSection(TIniTwinKey Key, bool Fixed) {
    return AnsiString(Fixed ? "Col.FixedRows" : "Col.") + kTwinKeys[Key];
}

AnsiString IniCellSection(TIniCellKey Key) {
    return kCellSections[Key];
}

AnsiString IniEffectiveTag(const AnsiString& ExportTag) {
    AnsiString tag;
    for (char c : ExportTag)
        if (!IsBreak(c)) tag += c;
    for (char c : tag)
        if (static_cast<unsigned char>(c) > ' ') return tag;
    return kDefaultTag;
}

AnsiString IniTagBreaks(std::string_view Text, const AnsiString& Tag) {
    AnsiString out;
    out.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (!IsBreak(c)) {
            out += c;
            continue;
        }
        out += Tag;
        if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
    }
    return out;
}

AnsiString IniUntagBreaks(std::string_view Text, const AnsiString& Tag) {
    if (Tag.empty()) return AnsiString(Text);
    AnsiString out;
    out.reserve(Text.size());
    std::size_t from = 0;
    for (std::size_t at = Text.find(Tag); at != std::string_view::npos; at = Text.find(Tag, from)) {
        out.append(Text.substr(from, at - from));
        out += "\r\n";
        from = at + Tag.size();
    }
    out.append(Text.substr(from));
    return out;
}

AnsiString IniFormulaText(const AnsiString& Formula) {
    AnsiString out = Formula;
    for (char& c : out)
        if (IsBreak(c)) c = ' ';
    return out;
}

AnsiString IniWithoutControls(std::string_view Text) {
    AnsiString out;
    out.reserve(Text.size());
    for (char c : Text)
        if (!IsControl(c)) out += c;
    return out;
}

bool IniHasControls(std::string_view Text) {
    for (char c : Text)
        if (IsControl(c)) return true;
    return false;
}

// ---- values -------------------------------------------------------------------------------

bool IniValueText(const Variant& V, const AnsiString& Tag, AnsiString& Text) {
    const TVarType type = V.Type();
    if (type == varEmpty) return false;
    AnsiString body;
    try {
        switch (type) {
            case varString:
            case varOleStr:
                body = IniTagBreaks(V.AsString(), Tag);
                break;
            case varDate:
                body = FloatToStr(V.AsDateTime().Val);
                break;
            case varNull:
                break;
            case varError:
                // An error value has no text to show (a cell takes none), so it is not stored.
                return false;
            default:
                body = V.AsString();
                break;
        }
    } catch (const Exception&) {
        return false;
    }
    Text = IntToHex(type, 3);
    Text += body;
    return true;
}

bool IniReadFloat(std::string_view Text, double& Value) {
    const AnsiString T(Text);
    if (T == "NAN") {
        Value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    if (T == "INF" || T == "-INF") {
        Value = T[0] == '-' ? -std::numeric_limits<double>::infinity()
                            : std::numeric_limits<double>::infinity();
        return true;
    }
    TFormatSettings S = FormatSettings;
    if (TextToFloat(T, Value, S)) return true;
    for (char sep : {'.', ','}) {
        S.DecimalSeparator = sep;
        if (TextToFloat(T, Value, S)) return true;
    }
    return false;
}

Variant IniReadValue(std::string_view Text, const AnsiString& Tag) {
    unsigned long long code = 0;
    if (Text.size() < 3 || !ReadHex(Text.substr(0, 3), code))
        ConvertError(Text.substr(0, 3), "is not a value type code");
    const std::string_view body = Text.substr(3);
    switch (code) {
        case varEmpty:
        case varNull:
            return Unassigned;
        case varString:
            return Variant(IniUntagBreaks(body, Tag));
        case varOleStr:
            return Variant::MakeOleStr(IniUntagBreaks(body, Tag));
        case varBoolean:
            return Variant(!(StartsWithText(body, "0") || StartsWithText(body, "false")));
        case varCurrency:
            return Variant(ReadCurrency(body));
        default:
            break;
    }
    double v = 0;
    if (!IniReadFloat(body, v)) ConvertError(body, "is not a valid floating point value");
    if (code != varDate) return Variant(v);
    // A date is taken only where it has a text to show, as a cell takes values.
    const Variant date{TDateTime(v)};
    try {
        (void)date.AsString();
    } catch (const Exception&) {
        ConvertError(body, "is not a date that can be shown");
    }
    return date;
}

// ---- pictures -----------------------------------------------------------------------------

AnsiString IniGraphicText(const TGraphic& Graphic) {
    const AnsiString name = Graphic.ClassName();
    const char letter = name.size() >= 2 ? name[1] : '?';
    const std::vector<Byte> data = Graphic.SaveToData();
    if (data.empty()) return {};
    AnsiString out;
    out.reserve(10 + 2 * data.size());
    out += letter;
    if (letter == 'B' || letter == 'J') out += Graphic.GetTransparent() ? '1' : '0';
    if (letter == 'B')
        out += IntToHex(
            static_cast<std::uint32_t>(static_cast<const TBitmap&>(Graphic).GetTransparentColor()),
            8);
    const std::size_t start = out.size();
    out.resize(start + 2 * data.size());
    char* p = out.data() + start;
    for (Byte b : data) {
        *p++ = kHexDigits[b >> 4];
        *p++ = kHexDigits[b & 15];
    }
    return out;
}

std::unique_ptr<TGraphic> IniReadGraphic(std::string_view Text) {
    if (Text.empty()) return nullptr;
    std::unique_ptr<TGraphic> graphic;
    std::size_t skip = 1;
    const bool transparent = Text.size() >= 2 && Text[1] == '1';
    unsigned long long colour = 0;
    switch (Text[0]) {
        case 'B':
            if (Text.size() < 10) ConvertError("the bitmap's transparency is missing");
            if (transparent && !ReadHex(Text.substr(2, 8), colour))
                ConvertError(Text.substr(2, 8), "is not a hexadecimal colour");
            graphic = std::make_unique<TBitmap>();
            skip = 10;
            break;
        case 'J':
            graphic = std::make_unique<TJPEGImage>();
            skip = 2;
            break;
        case 'I':
            graphic = std::make_unique<TIcon>();
            break;
        case 'M':
            graphic = std::make_unique<TMetafile>();
            break;
        default:
            return nullptr;
    }
    if (Text.size() < skip) ConvertError("the picture's flags are missing");
    const std::string_view hex = Text.substr(skip);
    std::vector<Byte> data(hex.size() / 2);
    for (std::size_t i = 0; i < data.size(); ++i) {
        const int hi = HexValue(hex[2 * i]);
        const int lo = HexValue(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) ConvertError(hex.substr(2 * i, 2), "is not a hexadecimal byte");
        data[i] = static_cast<Byte>(hi * 16 + lo);
    }
    graphic->LoadFromData(data);
    if (Text[0] == 'B' && transparent)
        static_cast<TBitmap&>(*graphic).SetTransparentColor(
            static_cast<TColor>(static_cast<std::uint32_t>(colour)));
    if ((Text[0] == 'B' || Text[0] == 'J') && transparent) graphic->SetTransparent(true);
    return graphic;
}

}  // namespace carrelon
