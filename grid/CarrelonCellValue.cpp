#include "grid/CarrelonCellValue.h"

#include "platform/rtl/Conversions.h"

namespace carrelon {

TCarrelonCellValue::TCarrelonCellValue(const Variant& V) : TCarrelonCellValue() {
    Assign(V);
}

void TCarrelonCellValue::Release() {
    if (Kind() == kHeapText)
        delete Payload<AnsiString*>();
    else if (Kind() == kHeapVariant)
        delete Payload<Variant*>();
    std::memset(FBytes, 0, sizeof FBytes);
}

void TCarrelonCellValue::Clear() {
    Release();
}

void TCarrelonCellValue::AssignText(const AnsiString& S) {
    if (S.size() <= kInlineCapacity) {
        Release();
        FBytes[0] = kInlineText;
        FBytes[1] = static_cast<Byte>(S.size());
        std::memcpy(FBytes + 2, S.data(), S.size());
        return;
    }
    auto* Text = new AnsiString(S);
    Release();
    SetPayload(kHeapText, Text);
}

void TCarrelonCellValue::Assign(const Variant& V) {
    switch (V.Type()) {
        case varEmpty:
            Release();
            return;
        case varNull:
            Release();
            FBytes[0] = kNull;
            return;
        case varInteger:
            Release();
            SetPayload(kInteger, static_cast<Int64>(V.AsInteger()));
            return;
        case varDouble:
            Release();
            SetPayload(kDouble, V.AsDouble());
            return;
        case varDate:
            Release();
            SetPayload(kDate, V.AsDateTime().Val);
            return;
        case varCurrency:
            Release();
            SetPayload(kCurrency, V.AsCurrency().Raw());
            return;
        case varBoolean:
            Release();
            SetPayload(kBoolean, static_cast<Int64>(V.AsBoolean()));
            return;
        case varInt64:
            Release();
            SetPayload(kInt64, V.AsInt64());
            return;
        case varString:
            AssignText(V.AsString());
            return;
        default: {
            auto* Copy = new Variant(V);
            Release();
            SetPayload(kHeapVariant, Copy);
            return;
        }
    }
}

Variant TCarrelonCellValue::Get() const {
    switch (Kind()) {
        case kNull:
            return Null;
        case kInteger:
            return Variant(static_cast<int>(Payload<Int64>()));
        case kDouble:
            return Variant(Payload<double>());
        case kDate:
            return Variant(TDateTime{Payload<double>()});
        case kCurrency:
            return Variant(Currency::FromRaw(Payload<Int64>()));
        case kBoolean:
            return Variant(Payload<Int64>() != 0);
        case kInt64:
            return Variant(static_cast<long long>(Payload<Int64>()));
        case kInlineText:
        case kHeapText:
            return Variant(StringValue());
        case kHeapVariant:
            return *Payload<Variant*>();
        default:
            return Unassigned;
    }
}

AnsiString TCarrelonCellValue::NumberText() const {
    switch (Kind()) {
        case kInteger:
        case kInt64:
            return IntToStr(Payload<Int64>());
        case kDouble:
            return FloatToStr(Payload<double>());
        default:
            return {};
    }
}

AnsiString TCarrelonCellValue::StringValue() const {
    if (Kind() == kInlineText)
        return AnsiString(reinterpret_cast<const char*>(FBytes + 2), FBytes[1]);
    if (Kind() == kHeapText) return *Payload<AnsiString*>();
    return {};
}

bool TCarrelonCellValue::EqualsString(const AnsiString& S) const {
    if (Kind() == kInlineText)
        return S.size() == FBytes[1] && std::memcmp(S.data(), FBytes + 2, S.size()) == 0;
    if (Kind() == kHeapText) return *Payload<AnsiString*>() == S;
    return false;
}

}  // namespace carrelon
