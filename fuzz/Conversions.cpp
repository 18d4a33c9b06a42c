// Runtime conversions between text and numbers, currency, booleans, dates and times, under a
// locale chosen by the input.
//
// Oracles: parsers accept or refuse the same texts in their raising, defaulting and trying
// forms; Val reports a position inside the text; whatever a formatter writes, its parser reads
// back to the same text (integers and currency exactly, floating point to the 15 digits shown,
// dates and times to the second); formatters with arbitrary format strings only raise the
// documented conversion errors.
#include <cmath>
#include <cstring>

#include "fuzz/support/FuzzSupport.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

// Separator pairs a user could really have; a locale never uses one character for both.
struct TNumberStyle {
    char Decimal, Thousand, List;
};
constexpr TNumberStyle NumberStyles[] = {
    {'.', ',', ','}, {',', '.', ';'}, {',', ' ', ';'}, {'.', '\'', ','}, {',', '\xa0', ';'}};

struct TDateStyle {
    char Separator;
    const char* ShortFormat;
    bool FourDigitYear;
};
constexpr TDateStyle DateStyles[] = {{'/', "M/d/yyyy", true},   {'.', "dd.MM.yyyy", true},
                                     {'-', "yyyy-MM-dd", true}, {'/', "d/M/yy", false},
                                     {'.', "d.M.yyyy", true},   {'/', "MM/dd/yy", false}};

constexpr const char* LongTimeFormats[] = {"h:nn:ss AMPM", "hh:nn:ss", "H:mm:ss"};

void ChooseLocale(FuzzedDataProvider& In, bool& FourDigitYear) {
    FormatSettings = TFormatSettings{};
    const TNumberStyle& n = In.PickValueInArray(NumberStyles);
    DecimalSeparator = n.Decimal;
    ThousandSeparator = n.Thousand;
    ListSeparator = n.List;
    const TDateStyle& d = In.PickValueInArray(DateStyles);
    DateSeparator = d.Separator;
    ShortDateFormat = d.ShortFormat;
    FourDigitYear = d.FourDigitYear;
    TimeSeparator = In.ConsumeBool() ? ':' : '.';
    LongTimeFormat = In.PickValueInArray(LongTimeFormats);
    CurrencyString = In.ConsumeBool() ? "$" : "EUR";
    CurrencyFormat = In.ConsumeIntegralInRange<Byte>(0, 3);
    NegCurrFormat = In.ConsumeIntegralInRange<Byte>(0, 15);
    CurrencyDecimals = In.ConsumeIntegralInRange<Byte>(0, 4);
}

// Every form of the integer parsers agrees on Text.
void CheckIntegerParsers(const AnsiString& Text) {
    int i = 0;
    const bool okInt = TryStrToInt(Text, i);
    bool raised = false;
    try {
        FUZZ_CHECK(StrToInt(Text) == i, "StrToInt(\"" + Escaped(Text) + "\")");
    } catch (const EConvertError&) {
        raised = true;
    }
    FUZZ_CHECK(raised != okInt, "StrToInt/TryStrToInt disagree on \"" + Escaped(Text) + "\"");
    FUZZ_CHECK(StrToIntDef(Text, -7) == (okInt ? i : -7), Escaped(Text));

    Int64 l = 0;
    const bool okInt64 = TryStrToInt64(Text, l);
    // Hexadecimal text may spell a 32-bit pattern ($FFFFFFFF is -1 as an int): the bits agree.
    FUZZ_CHECK(
        !okInt || (okInt64 && static_cast<std::uint32_t>(l) == static_cast<std::uint32_t>(i)),
        "int and Int64 parsers: \"" + Escaped(Text) + "\"");
    raised = false;
    try {
        FUZZ_CHECK(StrToInt64(Text) == l, Escaped(Text));
    } catch (const EConvertError&) {
        raised = true;
    }
    FUZZ_CHECK(raised != okInt64, "StrToInt64/TryStrToInt64 disagree on \"" + Escaped(Text) + "\"");
}

void CheckVal(const AnsiString& Text) {
    const int end = static_cast<int>(Text.size()) + 1;
    int code = -1;
    Extended e = 1;
    Val(Text, e, code);
    FUZZ_CHECK(code >= 0 && code <= end && (code == 0 || e == 0),
               "Val(Extended) code " + std::to_string(code) + " on \"" + Escaped(Text) + "\"");
    double d = 1;
    Val(Text, d, code);
    FUZZ_CHECK(code >= 0 && code <= end && (code == 0 || d == 0), Escaped(Text));
    Int64 l = 1;
    Val(Text, l, code);
    FUZZ_CHECK(code >= 0 && code <= end && (code == 0 || l == 0), Escaped(Text));
    int i = 1;
    Val(Text, i, code);
    FUZZ_CHECK(code >= 0 && code <= end && (code == 0 || i == 0), Escaped(Text));
}

void CheckFloatParsers(const AnsiString& Text) {
    Extended e = 0;
    const bool ok = TextToFloat(Text, e);
    FUZZ_CHECK(!ok || !std::isnan(e), "TextToFloat gave NaN for \"" + Escaped(Text) + "\"");
    bool raised = false;
    try {
        const Extended v = StrToFloat(Text);
        FUZZ_CHECK(v == e, "StrToFloat/TextToFloat values differ on \"" + Escaped(Text) + "\"");
    } catch (const EConvertError&) {
        raised = true;
    }
    FUZZ_CHECK(raised != ok, "StrToFloat/TextToFloat disagree on \"" + Escaped(Text) + "\"");
    Extended t = 0;
    FUZZ_CHECK(TryStrToFloat(Text, t) == ok && (!ok || t == e), Escaped(Text));
    double d = 0;
    if (TextToFloat(Text, d))
        FUZZ_CHECK(ok, "double accepts what Extended refuses: " + Escaped(Text));

    Currency c;
    const bool okCurr = TryStrToCurr(Text, c);
    raised = false;
    try {
        FUZZ_CHECK(StrToCurr(Text) == c, Escaped(Text));
    } catch (const EConvertError&) {
        raised = true;
    }
    FUZZ_CHECK(raised != okCurr, "StrToCurr/TryStrToCurr disagree on \"" + Escaped(Text) + "\"");

    bool b = false;
    const bool okBool = TryStrToBool(Text, b);
    raised = false;
    try {
        FUZZ_CHECK(StrToBool(Text) == b, Escaped(Text));
    } catch (const EConvertError&) {
        raised = true;
    }
    FUZZ_CHECK(raised != okBool, "StrToBool/TryStrToBool disagree on \"" + Escaped(Text) + "\"");
}

// A date the parser accepted has a text, and that text reads back as the same moment (to the
// second shown).
void CheckDateParsers(const AnsiString& Text, bool FourDigitYear) {
    TDateTime d;
    if (TryStrToDate(Text, d)) {
        FUZZ_CHECK(std::isfinite(static_cast<double>(d)), Escaped(Text));
        const AnsiString shown = DateToStr(d);
        TDateTime back;
        FUZZ_CHECK(TryStrToDate(shown, back), "date text \"" + Escaped(shown) + "\" of \"" +
                                                  Escaped(Text) + "\" does not read back");
        if (FourDigitYear) FUZZ_CHECK(back == d, "date \"" + Escaped(Text) + "\" -> " + shown);
    }
    if (TryStrToTime(Text, d)) {
        const AnsiString shown = TimeToStr(d);
        TDateTime back;
        FUZZ_CHECK(TryStrToTime(shown, back), "time text \"" + Escaped(shown) + "\" of \"" +
                                                  Escaped(Text) + "\" does not read back");
        FUZZ_CHECK(TimeToStr(back) == shown, Escaped(Text) + " -> " + shown);
    }
    if (TryStrToDateTime(Text, d)) {
        const AnsiString shown = DateTimeToStr(d);
        TDateTime back;
        FUZZ_CHECK(TryStrToDateTime(shown, back), "date and time text \"" + Escaped(shown) +
                                                      "\" of \"" + Escaped(Text) +
                                                      "\" does not read back");
        // The text shows whole seconds and leaves out a midnight, so the moment read back is
        // compared by its date and its time to the second.
        if (FourDigitYear)
            FUZZ_CHECK(DateToStr(back) == DateToStr(d) && TimeToStr(back) == TimeToStr(d),
                       Escaped(Text) + " -> " + shown);
    }
}

// Text conversions of a variant holding the text follow the runtime's parsers: a value, or a
// variant conversion error.
void CheckVariantText(const AnsiString& Text) {
    const Variant v(Text);
    for (auto convert : {+[](const Variant& V) { (void)V.AsExtended(); },
                         +[](const Variant& V) { (void)V.AsCurrency(); },
                         +[](const Variant& V) { (void)V.AsInt64(); },
                         +[](const Variant& V) { (void)V.AsBoolean(); },
                         +[](const Variant& V) { (void)V.AsDateTime(); }}) {
        try {
            convert(v);
        } catch (const EVariantError&) {
        }
    }
    FUZZ_CHECK(VarToStr(v) == Text, Escaped(Text));
}

void CheckNumberRoundTrips(FuzzedDataProvider& In) {
    const Int64 l = In.ConsumeIntegral<Int64>();
    FUZZ_CHECK(StrToInt64(IntToStr(l)) == l, std::to_string(l));

    // Currency text is read through Extended, whose 64-bit mantissa holds every amount exactly
    // up to about 2^62 ten-thousandths; beyond that the last decimal may be off by one.
    const Currency c = Currency::FromRaw(In.ConsumeIntegral<Int64>());
    const AnsiString ct = CurrToStr(c);
    Currency cb;
    const bool exact = c.Raw() > -(Int64{1} << 62) && c.Raw() < (Int64{1} << 62);
    FUZZ_CHECK(
        TryStrToCurr(ct, cb) &&
            (exact ? cb == c : cb.Raw() / 2 - c.Raw() / 2 >= -1 && cb.Raw() / 2 - c.Raw() / 2 <= 1),
        "currency " + std::to_string(c.Raw()) + " shown as \"" + Escaped(ct) + "\"");

    long double e = 0;
    const auto raw = In.ConsumeBytes<unsigned char>(sizeof(long double));
    if (!raw.empty()) std::memcpy(&e, raw.data(), std::min(raw.size(), std::size_t{10}));
    const AnsiString et = FloatToStr(e);
    // Beyond this the 15 digits shown may round past the largest Extended.
    if (std::isfinite(e) && std::fabs(e) < 1e4930L) {
        Extended eb = 0;
        FUZZ_CHECK(TextToFloat(et, eb) && FloatToStr(eb) == et, "Extended shown as " + et);
        const Variant v(static_cast<double>(e));
        (void)v.AsString();
    }
    const int precision = In.ConsumeIntegralInRange(1, 20);
    const int digits = In.ConsumeIntegralInRange(0, 20);
    for (TFloatFormat f : {ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency}) {
        const AnsiString s = FloatToStrF(e, f, precision, digits);
        FUZZ_CHECK(std::isfinite(e) || !s.empty(), et);
        (void)CurrToStrF(c, f, digits);
    }
    const AnsiString ff = FloatToStrF(e, ffFixed, precision, digits);
    if (std::isfinite(e) && std::fabs(e) < 1e4930L) {
        Extended fb = 0;
        FUZZ_CHECK(TextToFloat(ff, fb), "ffFixed text \"" + Escaped(ff) + "\" does not read back");
    }

    // Dates within years 1..9999 have a text, and it reads back to the second shown.
    const double day = In.ConsumeFloatingPointInRange(-693593.0, 2958465.0);
    const TDateTime dt(day);
    const AnsiString dts = DateTimeToStr(dt);
    TDateTime db;
    FUZZ_CHECK(TryStrToDateTime(dts, db), "date and time text \"" + Escaped(dts) + "\" of " +
                                              std::to_string(day) + " does not read back");
}

void CheckFormatters(FuzzedDataProvider& In) {
    const AnsiString format = In.ConsumeRandomLengthString(64);
    const Extended e = In.ConsumeFloatingPoint<double>();
    (void)FormatFloat(format, e);
    (void)FormatCurr(format, Currency::FromRaw(In.ConsumeIntegral<Int64>()));
    try {
        (void)FormatDateTime(format, TDateTime(In.ConsumeFloatingPoint<double>()));
    } catch (const EConvertError&) {
        // A moment outside years 1..9999 has no text.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    FuzzedDataProvider In(Data, Size);
    TLocaleScope restore;
    bool fourDigitYear = true;
    ChooseLocale(In, fourDigitYear);
    const AnsiString text = In.ConsumeRandomLengthString(256);
    CheckIntegerParsers(text);
    CheckVal(text);
    CheckFloatParsers(text);
    CheckDateParsers(text, fourDigitYear);
    CheckVariantText(text);
    CheckNumberRoundTrips(In);
    CheckFormatters(In);
    return 0;
}
