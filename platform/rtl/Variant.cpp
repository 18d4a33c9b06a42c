#include "platform/rtl/Variant.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <new>
#include <vector>

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

namespace carrelon {

struct Variant::TSharedText {
    std::atomic<int> Refs{1};
    AnsiString Text;
};

struct Variant::TSharedArray {
    std::atomic<int> Refs{1};
    int Dims = 1;
    int Low[2] = {0, 0};
    int Count[2] = {0, 1};
    std::vector<Variant> Items;
};

static_assert(sizeof(Variant) <= 16, "a Variant must stay small: the grid keeps one per cell");

namespace {

bool IsIntegerType(TVarType T) {
    switch (T) {
        case varSmallint:
        case varInteger:
        case varShortInt:
        case varByte:
        case varWord:
        case varLongWord:
        case varInt64:
            return true;
        default:
            return false;
    }
}

bool IsStringType(TVarType T) {
    return T == varString || T == varOleStr;
}

// Day 0 shows as a time only, a whole day as a date only, anything else as both. A value
// outside the calendar has no text: the conversion fails.
AnsiString FormatDate(TDateTime D) {
    if (!(D.Val >= MinDateTime && D.Val < MaxDateTime + 1))
        throw EVariantTypeCastError("Could not convert variant of type (Date) into type (String)");
    const double whole = std::trunc(D.Val);
    if (whole == 0) return TimeToStr(D);
    if (D.Val == whole) return DateToStr(D);
    return DateTimeToStr(D);
}

}  // namespace

Variant::Variant(const AnsiString& Value) : FType(varString) {
    FData.Text = new TSharedText{};
    FData.Text->Text = Value;
}

Variant::Variant(const char* Value) : Variant(AnsiString(Value != nullptr ? Value : "")) {}

Variant Variant::MakeError(int Code) {
    Variant v;
    v.FType = varError;
    v.FData.Int = Code;
    return v;
}

Variant Variant::MakeOleStr(const AnsiString& Value) {
    Variant v(Value);
    v.FType = varOleStr;
    return v;
}

void Variant::AddRef() const noexcept {
    if (IsStringType(FType))
        FData.Text->Refs.fetch_add(1, std::memory_order_relaxed);
    else if (FType & varArray)
        FData.Array->Refs.fetch_add(1, std::memory_order_relaxed);
}

Variant::Variant(const Variant& Other) noexcept : FType(Other.FType), FData(Other.FData) {
    AddRef();
}

namespace {

constexpr long long MaxArrayElements = 1LL << 26;

[[noreturn]] void ArrayIndexError() {
    throw EVariantError("Variant or safe array index out of bounds");
}

}  // namespace

Variant Variant::MakeArray(int Low1, int High1) {
    Variant v = MakeArray(Low1, High1, 0, 0);
    v.FData.Array->Dims = 1;
    return v;
}

Variant Variant::MakeArray(int Low1, int High1, int Low2, int High2) {
    const long long n1 = static_cast<long long>(High1) - Low1 + 1;
    const long long n2 = static_cast<long long>(High2) - Low2 + 1;
    if (n1 < 0 || n2 < 0) throw EVariantError("Invalid variant array bounds");
    if (n1 * n2 > MaxArrayElements) throw EOutOfMemory(SOutOfMemory);
    auto* a = new TSharedArray{};
    a->Dims = 2;
    a->Low[0] = Low1;
    a->Low[1] = Low2;
    a->Count[0] = static_cast<int>(n1);
    a->Count[1] = static_cast<int>(n2);
    try {
        a->Items.resize(static_cast<size_t>(n1 * n2));
    } catch (...) {
        delete a;
        throw;
    }
    Variant v;
    v.FType = varArray | varVariant;
    v.FData.Array = a;
    return v;
}

Variant::Variant(Variant&& Other) noexcept : FType(Other.FType), FData(Other.FData) {
    Other.FType = varEmpty;
    Other.FData.Int = 0;
}

Variant& Variant::operator=(const Variant& Other) noexcept {
    if (this != &Other) {
        Other.AddRef();
        Release();
        FType = Other.FType;
        FData = Other.FData;
    }
    return *this;
}

Variant& Variant::operator=(Variant&& Other) noexcept {
    if (this != &Other) {
        Release();
        FType = Other.FType;
        FData = Other.FData;
        Other.FType = varEmpty;
        Other.FData.Int = 0;
    }
    return *this;
}

Variant::~Variant() {
    Release();
}

void Variant::Release() noexcept {
    if (IsStringType(FType) && FData.Text->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete FData.Text;
    else if ((FType & varArray) && FData.Array->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete FData.Array;
    FType = varEmpty;
    FData.Int = 0;
}

int Variant::ArrayDimCount() const {
    return IsArray() ? FData.Array->Dims : 0;
}

int Variant::ArrayLowBound(int Dim) const {
    if (!IsArray() || Dim < 1 || Dim > 2 || (Dim == 2 && FData.Array->Dims < 2)) ArrayIndexError();
    return FData.Array->Low[Dim - 1];
}

int Variant::ArrayHighBound(int Dim) const {
    ArrayLowBound(Dim);
    return FData.Array->Low[Dim - 1] + FData.Array->Count[Dim - 1] - 1;
}

const Variant& Variant::ArrayAt(int I, int J, int Dims) const {
    if (!IsArray() || FData.Array->Dims != Dims) ArrayIndexError();
    const TSharedArray& a = *FData.Array;
    const long long i = static_cast<long long>(I) - a.Low[0];
    const long long j = static_cast<long long>(J) - a.Low[1];
    if (i < 0 || i >= a.Count[0] || j < 0 || j >= a.Count[1]) ArrayIndexError();
    return a.Items[static_cast<size_t>(i * a.Count[1] + j)];
}

Variant& Variant::MutableArrayAt(int I, int J, int Dims) {
    ArrayAt(I, J, Dims);  // checks
    if (FData.Array->Refs.load(std::memory_order_acquire) > 1) {
        auto* copy = new TSharedArray{};
        copy->Dims = FData.Array->Dims;
        for (int d = 0; d < 2; ++d) {
            copy->Low[d] = FData.Array->Low[d];
            copy->Count[d] = FData.Array->Count[d];
        }
        try {
            copy->Items = FData.Array->Items;
        } catch (...) {
            delete copy;
            throw;
        }
        Release();
        FType = varArray | varVariant;
        FData.Array = copy;
    }
    return const_cast<Variant&>(ArrayAt(I, J, Dims));
}

const Variant& Variant::ArrayGet(int I) const {
    return ArrayAt(I, 0, 1);
}

const Variant& Variant::ArrayGet(int I, int J) const {
    return ArrayAt(I, J, 2);
}

void Variant::ArrayPut(const Variant& Value, int I) {
    MutableArrayAt(I, 0, 1) = Value;
}

void Variant::ArrayPut(const Variant& Value, int I, int J) {
    MutableArrayAt(I, J, 2) = Value;
}

bool Variant::IsNumeric() const {
    return IsIntegerType(FType) || FType == varSingle || FType == varDouble || FType == varCurrency;
}

void Variant::CastError(TVarType Target) const {
    throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(FType) +
                                ") into type (" + VarTypeAsText(Target) + ")");
}

AnsiString Variant::AsString() const {
    if (IsIntegerType(FType)) return IntToStr(FData.Int);
    switch (FType) {
        case varEmpty:
            return {};
        case varSingle:
            return FloatToStrF(FData.Single, ffGeneral, 7, 0);
        case varDouble:
            return FloatToStr(FData.Double);
        case varCurrency:
            return CurrToStr(Currency::FromRaw(FData.Int));
        case varDate:
            return FormatDate(TDateTime(FData.Double));
        case varBoolean:
            return FData.Bool ? "True" : "False";
        case varString:
        case varOleStr:
            return FData.Text->Text;
        default:
            CastError(varString);
    }
}

Extended Variant::AsExtended() const {
    if (IsIntegerType(FType)) return static_cast<Extended>(FData.Int);
    switch (FType) {
        case varEmpty:
            return 0;
        case varSingle:
            return FData.Single;
        case varDouble:
        case varDate:
            return FData.Double;
        case varCurrency:
            return Currency::FromRaw(FData.Int).ToExtended();
        case varBoolean:
            return FData.Bool ? -1 : 0;
        case varString:
        case varOleStr: {
            Extended v = 0;
            if (TextToFloat(FData.Text->Text, v)) return v;
            break;
        }
        default:
            break;
    }
    CastError(varDouble);
}

double Variant::AsDouble() const {
    if (IsStringType(FType)) {
        double v = 0;  // read straight into a double: no second rounding
        if (TextToFloat(FData.Text->Text, v)) return v;
        CastError(varDouble);
    }
    return static_cast<double>(AsExtended());
}

Int64 Variant::AsInt64() const {
    if (IsIntegerType(FType)) return FData.Int;
    if (FType == varBoolean) return FData.Bool ? -1 : 0;
    if (FType == varCurrency) {
        // Whole units, halves to even.
        const Int64 raw = FData.Int;
        Int64 q = raw / Currency::Scale;
        const Int64 r = raw % Currency::Scale;
        const Int64 twice = 2 * (r < 0 ? -r : r);
        if (twice > Currency::Scale || (twice == Currency::Scale && q % 2 != 0))
            q += raw < 0 ? -1 : 1;
        return q;
    }
    if (IsStringType(FType)) {
        Int64 i = 0;
        if (TryStrToInt64(FData.Text->Text, i)) return i;
    }
    const Extended v = std::nearbyint(AsExtended());
    if (!(v >= -9223372036854775808.0L && v < 9223372036854775808.0L))
        throw EVariantOverflowError("Overflow while converting variant of type (" +
                                    VarTypeAsText(FType) + ") into type (Int64)");
    return static_cast<Int64>(v);
}

int Variant::AsInteger() const {
    const Int64 v = AsInt64();
    if (v < INT_MIN || v > INT_MAX)
        throw EVariantOverflowError("Overflow while converting variant of type (" +
                                    VarTypeAsText(FType) + ") into type (Integer)");
    return static_cast<int>(v);
}

Currency Variant::AsCurrency() const {
    if (FType == varCurrency) return Currency::FromRaw(FData.Int);
    Currency c;
    if (!Currency::TryFromExtended(AsExtended(), c))
        throw EVariantOverflowError("Overflow while converting variant of type (" +
                                    VarTypeAsText(FType) + ") into type (Currency)");
    return c;
}

TDateTime Variant::AsDateTime() const {
    if (IsStringType(FType)) {
        TDateTime d;
        if (TryStrToDateTime(FData.Text->Text, d)) return d;
        Extended v = 0;
        if (TextToFloat(FData.Text->Text, v)) return TDateTime(static_cast<double>(v));
        CastError(varDate);
    }
    return TDateTime(static_cast<double>(AsExtended()));
}

bool Variant::AsBoolean() const {
    if (FType == varBoolean) return FData.Bool;
    if (IsStringType(FType)) {
        bool b = false;
        if (TryStrToBool(FData.Text->Text, b)) return b;
        CastError(varBoolean);
    }
    return AsExtended() != 0;
}

bool operator==(const Variant& A, const Variant& B) {
    const bool aStr = IsStringType(A.FType), bStr = IsStringType(B.FType);
    if (aStr || bStr) return aStr && bStr && A.FData.Text->Text == B.FData.Text->Text;
    if (A.FType == varEmpty || B.FType == varEmpty || A.FType == varNull || B.FType == varNull)
        return A.FType == B.FType;
    if (A.FType == varError || B.FType == varError)
        return A.FType == B.FType && A.FData.Int == B.FData.Int;
    if (IsIntegerType(A.FType) && IsIntegerType(B.FType)) return A.FData.Int == B.FData.Int;
    if (A.FType == varCurrency && B.FType == varCurrency) return A.FData.Int == B.FData.Int;
    const auto numeric = [](const Variant& V) {
        const TVarType t = V.Type();
        return IsIntegerType(t) || t == varSingle || t == varDouble || t == varCurrency ||
               t == varDate || t == varBoolean;
    };
    if (!numeric(A) || !numeric(B)) return false;
    return A.AsExtended() == B.AsExtended();
}

AnsiString VarToStr(const Variant& V) {
    return V.IsNull() ? AnsiString() : V.AsString();
}

Variant VarAsType(const Variant& V, TVarType Type) {
    if (V.Type() == Type) return V;
    switch (Type) {
        case varEmpty:
            return Variant();
        case varNull:
            return Null;
        case varSmallint: {
            const int i = V.AsInteger();
            if (i < SHRT_MIN || i > SHRT_MAX) break;
            return Variant(static_cast<short>(i));
        }
        case varShortInt: {
            const int i = V.AsInteger();
            if (i < SCHAR_MIN || i > SCHAR_MAX) break;
            return Variant(static_cast<signed char>(i));
        }
        case varByte: {
            const int i = V.AsInteger();
            if (i < 0 || i > UCHAR_MAX) break;
            return Variant(static_cast<unsigned char>(i));
        }
        case varWord: {
            const int i = V.AsInteger();
            if (i < 0 || i > USHRT_MAX) break;
            return Variant(static_cast<unsigned short>(i));
        }
        case varLongWord: {
            const Int64 i = V.AsInt64();
            if (i < 0 || i > static_cast<Int64>(UINT_MAX)) break;
            return Variant(static_cast<unsigned int>(i));
        }
        case varInteger:
            return Variant(V.AsInteger());
        case varInt64:
            return Variant(static_cast<long long>(V.AsInt64()));
        case varSingle:
            return Variant(static_cast<float>(V.AsExtended()));
        case varDouble:
            return Variant(V.AsDouble());
        case varCurrency:
            return Variant(V.AsCurrency());
        case varDate:
            return Variant(V.AsDateTime());
        case varBoolean:
            return Variant(V.AsBoolean());
        case varString:
            return Variant(V.AsString());
        case varOleStr:
            return Variant::MakeOleStr(V.AsString());
        default:
            throw EVariantTypeCastError("Could not convert variant of type (" +
                                        VarTypeAsText(V.Type()) + ") into type (" +
                                        VarTypeAsText(Type) + ")");
    }
    throw EVariantOverflowError("Overflow while converting variant of type (" +
                                VarTypeAsText(V.Type()) + ") into type (" + VarTypeAsText(Type) +
                                ")");
}

AnsiString VarTypeAsText(TVarType Type) {
    switch (Type & varTypeMask) {
        case varEmpty:
            return "Empty";
        case varNull:
            return "Null";
        case varSmallint:
            return "Smallint";
        case varInteger:
            return "Integer";
        case varSingle:
            return "Single";
        case varDouble:
            return "Double";
        case varCurrency:
            return "Currency";
        case varDate:
            return "Date";
        case varOleStr:
            return "OleStr";
        case varDispatch:
            return "Dispatch";
        case varError:
            return "Error";
        case varBoolean:
            return "Boolean";
        case varVariant:
            return "Variant";
        case varUnknown:
            return "Unknown";
        case varShortInt:
            return "ShortInt";
        case varByte:
            return "Byte";
        case varWord:
            return "Word";
        case varLongWord:
            return "LongWord";
        case varInt64:
            return "Int64";
        case varStrArg:
            return "StrArg";
        case varString:
            return "String";
        default:
            return "Unknown";
    }
}

}  // namespace carrelon
