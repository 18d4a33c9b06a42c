// Variant: a tagged value with the runtime's type codes (stored files carry them). Kept to 16
// bytes - a type code and an 8-byte payload; strings are shared, immutable and reference
// counted - because the grid holds one per cell.
#pragma once

#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Types.h"

namespace carrelon {

using TVarType = Word;

inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002;
inline constexpr TVarType varInteger = 0x0003;
inline constexpr TVarType varSingle = 0x0004;
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varCurrency = 0x0006;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varOleStr = 0x0008;
inline constexpr TVarType varDispatch = 0x0009;
inline constexpr TVarType varError = 0x000A;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;
inline constexpr TVarType varUnknown = 0x000D;
inline constexpr TVarType varShortInt = 0x0010;
inline constexpr TVarType varByte = 0x0011;
inline constexpr TVarType varWord = 0x0012;
inline constexpr TVarType varLongWord = 0x0013;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varStrArg = 0x0048;
inline constexpr TVarType varString = 0x0100;
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;

class Variant {
public:
    constexpr Variant() noexcept = default;
    Variant(const Variant& Other) noexcept;
    Variant(Variant&& Other) noexcept;
    Variant& operator=(const Variant& Other) noexcept;
    Variant& operator=(Variant&& Other) noexcept;
    ~Variant();

    Variant(bool Value) : FType(varBoolean) { FData.Bool = Value; }
    Variant(int Value) : FType(varInteger) { FData.Int = Value; }
    Variant(long Value) : FType(varInt64) { FData.Int = Value; }
    Variant(long long Value) : FType(varInt64) { FData.Int = Value; }
    Variant(short Value) : FType(varSmallint) { FData.Int = Value; }
    Variant(signed char Value) : FType(varShortInt) { FData.Int = Value; }
    Variant(unsigned char Value) : FType(varByte) { FData.Int = Value; }
    Variant(unsigned short Value) : FType(varWord) { FData.Int = Value; }
    Variant(unsigned int Value) : FType(varLongWord) { FData.Int = Value; }
    Variant(float Value) : FType(varSingle) { FData.Single = Value; }
    Variant(double Value) : FType(varDouble) { FData.Double = Value; }
    // Extended values are held as Double, as the runtime's variants do.
    Variant(long double Value) : FType(varDouble) { FData.Double = static_cast<double>(Value); }
    Variant(Currency Value) : FType(varCurrency) { FData.Int = Value.Raw(); }
    Variant(TDateTime Value) : FType(varDate) { FData.Double = Value.Val; }
    Variant(const AnsiString& Value);
    Variant(const char* Value);

    enum class TNullTag { Null };
    constexpr explicit Variant(TNullTag) : FType(varNull) {}
    static Variant MakeNull() { return Variant(TNullTag::Null); }
    static Variant MakeError(int Code);
    static Variant MakeOleStr(const AnsiString& Value);
    // An array of variants (type varArray | varVariant) with one or two dimensions, each given
    // as low and high bound; every element starts Empty. Copies share the elements until one of
    // them is changed. Raises EVariantError for bad bounds and EOutOfMemory beyond 2^26
    // elements.
    static Variant MakeArray(int Low1, int High1);
    static Variant MakeArray(int Low1, int High1, int Low2, int High2);

    TVarType Type() const { return FType; }
    bool IsEmpty() const { return FType == varEmpty; }
    bool IsNull() const { return FType == varNull; }
    bool IsString() const { return FType == varString || FType == varOleStr; }
    bool IsNumeric() const;  // an integer type, Single, Double or Currency
    bool IsArray() const { return (FType & varArray) != 0; }

    // Arrays: dimension count (0 for a non-array), bounds of a dimension counted from 1, and
    // element access by index per dimension. A bad dimension or index raises
    // EVariantError ("Variant or safe array index out of bounds").
    int ArrayDimCount() const;
    int ArrayLowBound(int Dim) const;
    int ArrayHighBound(int Dim) const;
    const Variant& ArrayGet(int I) const;
    const Variant& ArrayGet(int I, int J) const;
    void ArrayPut(const Variant& Value, int I);
    void ArrayPut(const Variant& Value, int I, int J);

    // Conversions raise EVariantTypeCastError ("Could not convert variant of type (String)
    // into type (Double)") when impossible and EVariantOverflowError when out of range.
    // Text: numbers through FloatToStr / IntToStr, Currency through CurrToStr, a date through
    // DateToStr (no time part), TimeToStr (day 0) or DateTimeToStr, booleans "True"/"False".
    AnsiString AsString() const;
    Extended AsExtended() const;
    double AsDouble() const;
    Int64 AsInt64() const;  // fractions round halves to even
    int AsInteger() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    int ErrorCode() const { return FType == varError ? static_cast<int>(FData.Int) : 0; }

    // Same value: numbers (integers, Single, Double, Currency, dates, booleans) compare by
    // value across those types; strings byte for byte; Empty equals Empty and Null equals Null;
    // a string never equals a number (no conversion is attempted).
    friend bool operator==(const Variant& A, const Variant& B);

private:
    struct TSharedText;
    struct TSharedArray;
    void Release() noexcept;
    void AddRef() const noexcept;
    const Variant& ArrayAt(int I, int J, int Dims) const;
    Variant& MutableArrayAt(int I, int J, int Dims);
    Int64 IntValue() const { return FData.Int; }
    [[noreturn]] void CastError(TVarType Target) const;

    TVarType FType = varEmpty;
    union TData {
        Int64 Int;
        double Double;
        float Single;
        bool Bool;
        TSharedText* Text;
        TSharedArray* Array;
    } FData{0};
};

inline const Variant Unassigned;
inline const Variant Null{Variant::TNullTag::Null};

inline TVarType VarType(const Variant& V) {
    return V.Type();
}
inline bool VarIsEmpty(const Variant& V) {
    return V.IsEmpty();
}
inline bool VarIsNull(const Variant& V) {
    return V.IsNull();
}
// The text of V; Empty and Null give "".
AnsiString VarToStr(const Variant& V);
// V converted to the given type code (raising as the As... conversions).
Variant VarAsType(const Variant& V, TVarType Type);
inline bool VarIsArray(const Variant& V) {
    return V.IsArray();
}
inline int VarArrayDimCount(const Variant& V) {
    return V.ArrayDimCount();
}
inline int VarArrayLowBound(const Variant& V, int Dim) {
    return V.ArrayLowBound(Dim);
}
inline int VarArrayHighBound(const Variant& V, int Dim) {
    return V.ArrayHighBound(Dim);
}
// "Empty", "Null", "Integer", "Double", "String"... for a type code.
AnsiString VarTypeAsText(TVarType Type);

}  // namespace carrelon
