#include "grid/CarrelonTextRules.h"

#include <cstring>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

namespace carrelon {

bool CarrelonCellTextIsNormal(const AnsiString& S) {
    if (S.empty()) return true;
    if (static_cast<unsigned char>(S.back()) <= ' ') return false;
    // Most cell texts are short: a plain loop costs less than two searches.
    if (S.size() < 64) {
        for (const char C : S)
            if (C == '\r' || C == '\n') return false;
        return true;
    }
    return std::memchr(S.data(), '\n', S.size()) == nullptr &&
           std::memchr(S.data(), '\r', S.size()) == nullptr;
}

AnsiString CarrelonNormaliseCellText(const AnsiString& S) {
    // Most texts have no line break and no trailing blank: nothing to do.
    if (CarrelonCellTextIsNormal(S)) return S;
    AnsiString T = TrimRight(S);
    AnsiString Out;
    Out.reserve(T.size());
    for (std::size_t i = 0; i < T.size(); ++i) {
        if (T[i] == '\n' && i + 1 < T.size() && T[i + 1] == '\r') {
            Out += "\r\n";
            ++i;
        } else {
            Out += T[i];
        }
    }
    return AdjustLineBreaks(Out);
}

AnsiString CarrelonValueText(const Variant& V) {
    switch (V.Type()) {
        case varBoolean:
            return AnsiUpperCase(BoolToStr(V.AsBoolean(), true));
        case varCurrency:
            return CurrToStrF(V.AsCurrency(), ffCurrency, CurrencyDecimals);
        case varDate: {
            AnsiString T = VarToStr(V);
            const AnsiString Tail = AnsiString(1, TimeSeparator) + "00";
            if (T.size() >= Tail.size() &&
                T.compare(T.size() - Tail.size(), Tail.size(), Tail) == 0)
                T.erase(T.size() - Tail.size());
            return T;
        }
        default:
            return VarToStr(V);
    }
}

bool CarrelonIsStringVariant(const Variant& V) {
    const TVarType T = V.Type();
    return T == varString || T == varOleStr || T == varStrArg;
}

AnsiString CarrelonVariantString(const Variant& V) {
    return V.AsString();
}

bool CarrelonSameVariant(const Variant& A, const Variant& B) {
    return A.Type() == B.Type() && A == B;
}

AnsiString CarrelonTrim(const AnsiString& S) {
    return Trim(S);
}

AnsiString CarrelonUpperCase(const AnsiString& S) {
    return AnsiUpperCase(S);
}

int CarrelonAnsiCompareStr(const AnsiString& S1, const AnsiString& S2) {
    return AnsiCompareStr(S1, S2);
}

AnsiString CarrelonColumnLetters(long long N) {
    AnsiString Out;
    while (N > 0) {
        --N;
        Out.insert(Out.begin(), static_cast<char>('A' + N % 26));
        N /= 26;
    }
    return Out;
}

void CarrelonListIndexError(long long Index) {
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void CarrelonCopyFirstFontDifference(const TFont& Shadow, const TFont& Font, TFont& Target) {
    if (Shadow.GetColor() != Font.GetColor())
        Target.SetColor(Font.GetColor());
    else if (Shadow.GetSize() != Font.GetSize())
        Target.SetSize(Font.GetSize());
    else if (Shadow.GetStyle() != Font.GetStyle())
        Target.SetStyle(Font.GetStyle());
    else if (Shadow.GetName() != Font.GetName())
        Target.SetName(Font.GetName());
    else if (Shadow.GetCharset() != Font.GetCharset())
        Target.SetCharset(Font.GetCharset());
    else if (Shadow.GetPitch() != Font.GetPitch())
        Target.SetPitch(Font.GetPitch());
}

}  // namespace carrelon
