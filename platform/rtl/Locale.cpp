#include "platform/rtl/Locale.h"

namespace carrelon {

TFormatSettings FormatSettings;

char& DecimalSeparator = FormatSettings.DecimalSeparator;
char& ThousandSeparator = FormatSettings.ThousandSeparator;
char& ListSeparator = FormatSettings.ListSeparator;
AnsiString& CurrencyString = FormatSettings.CurrencyString;
Byte& CurrencyFormat = FormatSettings.CurrencyFormat;
Byte& NegCurrFormat = FormatSettings.NegCurrFormat;
Byte& CurrencyDecimals = FormatSettings.CurrencyDecimals;
char& DateSeparator = FormatSettings.DateSeparator;
char& TimeSeparator = FormatSettings.TimeSeparator;
AnsiString& ShortDateFormat = FormatSettings.ShortDateFormat;
AnsiString& LongDateFormat = FormatSettings.LongDateFormat;
AnsiString& ShortTimeFormat = FormatSettings.ShortTimeFormat;
AnsiString& LongTimeFormat = FormatSettings.LongTimeFormat;
AnsiString& TimeAMString = FormatSettings.TimeAMString;
AnsiString& TimePMString = FormatSettings.TimePMString;
std::array<AnsiString, 12>& ShortMonthNames = FormatSettings.ShortMonthNames;
std::array<AnsiString, 12>& LongMonthNames = FormatSettings.LongMonthNames;
std::array<AnsiString, 7>& ShortDayNames = FormatSettings.ShortDayNames;
std::array<AnsiString, 7>& LongDayNames = FormatSettings.LongDayNames;

TLocaleScope::TLocaleScope(bool Reset) : Saved(FormatSettings) {
    if (Reset) FormatSettings = TFormatSettings();
}

TLocaleScope::~TLocaleScope() {
    FormatSettings = Saved;
}

}  // namespace carrelon
