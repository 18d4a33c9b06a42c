// Dates and times read out of free cell text for the date controls an application hands the grid
// as cell editors, under a date format, separator and month names chosen by the input.
//
// Input: the text, then a byte choosing whether the month names are the runtime's or a set with
// accents and a name inside another, then a last byte choosing the locale's date style.
// Oracles: neither reading raises; a text the locale reads as a date is read as that date, and
// any other reading is today or a date the runtime can write and read back; a time is midnight
// or the locale's reading, always within one day.
#include <cmath>

#include "fuzz/support/FuzzSupport.h"
#include "grid/EditControlRoutines.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Locale.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

struct TDateStyle {
    char Separator;
    const char* ShortFormat;
};
constexpr TDateStyle DateStyles[] = {{'/', "M/d/yyyy"}, {'.', "dd.MM.yyyy"}, {'-', "yyyy-MM-dd"},
                                     {'/', "d/M/yy"},   {'.', "d.M.yyyy"},   {' ', "d M yyyy"}};

const TDateTime Today = EncodeDate(2021, 6, 5);

void ChooseLocale(FuzzedDataProvider& In) {
    FormatSettings = TFormatSettings{};
    const TDateStyle& d = In.PickValueInArray(DateStyles);
    DateSeparator = d.Separator;
    ShortDateFormat = d.ShortFormat;
    if (In.ConsumeBool()) {
        // Names with multi-byte letters, and a short name that is part of a long one.
        LongMonthNames = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                          "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
        ShortMonthNames = {"janv.", "févr.", "mars", "avr.", "mai",  "juin",
                           "juil.", "août",  "sept", "oct.", "nov.", "déc."};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static const bool Clock = (SetFixedNow(Today + 0.5), true);
    (void)Clock;
    FuzzedDataProvider In(Data, Size);
    ChooseLocale(In);
    const AnsiString Text = In.ConsumeRemainingBytesAsString();

    const TDateTime Read = TextToDate(Text);
    TDateTime Direct;
    if (TryStrToDate(Text, Direct)) {
        FUZZ_CHECK(Read.Val == Direct.Val, "a readable date read otherwise: " + Escaped(Text));
    } else if (Read.Val != Today.Val) {
        TDateTime Back;
        FUZZ_CHECK(std::isfinite(Read.Val) && TryStrToDate(DateToStr(Read), Back),
                   "an unwritable date from " + Escaped(Text));
    }

    const TDateTime Time = TextToTime(Text);
    FUZZ_CHECK(Time.Val >= 0 && Time.Val < 1, "a time beyond one day from " + Escaped(Text));
    TDateTime DirectTime;
    if (!Text.empty() && TryStrToTime(Text, DirectTime)) {
        FUZZ_CHECK(Time.Val == DirectTime.Val, "a readable time read otherwise: " + Escaped(Text));
    } else {
        FUZZ_CHECK(Time.Val == 0, "an unreadable time not midnight: " + Escaped(Text));
    }
    return 0;
}
