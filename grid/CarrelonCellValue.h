// The value of a cell in 12 bytes. A grid holds a cell object per slot, so the value is kept
// compact: short texts live inline, numbers, dates, currency amounts and Booleans in the
// payload, and anything else (long texts, rarer variant types) in one heap block. Reading it
// back gives exactly the variant that was stored.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

namespace carrelon {

class TCarrelonCellValue {
public:
    TCarrelonCellValue() { std::memset(FBytes, 0, sizeof FBytes); }
    explicit TCarrelonCellValue(const Variant& V);
    TCarrelonCellValue(const TCarrelonCellValue&) = delete;
    TCarrelonCellValue& operator=(const TCarrelonCellValue&) = delete;
    ~TCarrelonCellValue() { Release(); }

    void Assign(const Variant& V);
    void AssignText(const AnsiString& S);  // as a string variant; empty text stores a string too
    void Clear();                          // Unassigned

    Variant Get() const;
    bool IsUnassigned() const { return Kind() == kEmpty; }
    bool IsString() const { return Kind() == kInlineText || Kind() == kHeapText; }
    // True for integers and doubles: their text is one non-empty line of ASCII characters
    // (given an ASCII decimal separator).
    bool IsNumber() const { return Kind() == kInteger || Kind() == kDouble || Kind() == kInt64; }
    // True for the kinds whose display text can fail to form (dates out of range, rare types).
    bool TextMayFail() const { return Kind() == kDate || Kind() == kHeapVariant; }
    // The text of a number (IsNumber) as its variant gives it; empty for other kinds.
    AnsiString NumberText() const;
    // The text of a string value without building a variant; empty for other kinds.
    AnsiString StringValue() const;
    // The text of a string value in place; empty for other kinds.
    std::string_view StringView() const {
        if (Kind() == kInlineText) return {reinterpret_cast<const char*>(FBytes + 2), FBytes[1]};
        if (Kind() == kHeapText) return *Payload<AnsiString*>();
        return {};
    }
    // True when the stored value is a string equal to S.
    bool EqualsString(const AnsiString& S) const;

private:
    enum Kinds : Byte {
        kEmpty,
        kNull,
        kInteger,  // 32-bit signed
        kDouble,
        kDate,      // TDateTime as a double
        kCurrency,  // the scaled 64-bit integer
        kBoolean,
        kInt64,
        kInlineText,  // length in FBytes[1], text in FBytes[2..11]
        kHeapText,    // AnsiString* in the payload
        kHeapVariant  // Variant* in the payload, for every other type
    };
    static constexpr std::size_t kInlineCapacity = 10;

    Byte Kind() const { return FBytes[0]; }
    template <typename T>
    T Payload() const {
        T v;
        std::memcpy(&v, FBytes + 4, sizeof v);
        return v;
    }
    template <typename T>
    void SetPayload(Byte K, T v) {
        FBytes[0] = K;
        std::memcpy(FBytes + 4, &v, sizeof v);
    }
    void Release();

    alignas(4) Byte FBytes[12];
};
static_assert(sizeof(TCarrelonCellValue) == 12);

}  // namespace carrelon
