// The clipboard records of copied cells and their stream form.
#include "grid/ClipboardCells.h"

#include <algorithm>
#include <mutex>

#include "platform/controls/Streaming.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

namespace carrelon {

namespace {

const std::vector<AnsiString> kAlignmentNames{"taLeftJustify", "taRightJustify", "taCenter"};
const std::vector<AnsiString> kLayoutNames{"tlTop", "tlCenter", "tlBottom"};

// The variant types a cell holds that the stream's own value tags would read back as another
// type (a small Int64 as an Integer, a Single as a Double, ...); for these the type is written
// beside the value.
bool TypeNeedsTag(const Variant& V) {
    switch (V.Type()) {
        case varSmallint:
        case varShortInt:
        case varByte:
        case varWord:
        case varLongWord:
        case varSingle:
        case varOleStr:
            return true;
        case varInt64:
            return V.AsInt64() >= INT32_MIN && V.AsInt64() <= INT32_MAX;
        default:
            return false;
    }
}

void DefineColor(TFiler& F, const AnsiString& Name, TColor& Field) {
    F.DefineInteger(
        Name, [&Field] { return Int64{Field}; },
        [&Field](Int64 V) { Field = static_cast<TColor>(V); }, INT32_MIN, INT32_MAX);
}

void DefineByte(TFiler& F, const AnsiString& Name, Byte& Field) {
    F.DefineInteger(
        Name, [&Field] { return Int64{Field}; },
        [&Field](Int64 V) { Field = static_cast<Byte>(V); }, 0, 255);
}

void DefineBool(TFiler& F, const AnsiString& Name, bool& Field) {
    F.DefineBoolean(
        Name, [&Field] { return Field; }, [&Field](bool V) { Field = V; });
}

template <typename E>
void DefineOrdinal(TFiler& F, const AnsiString& Name, const std::vector<AnsiString>& Names,
                   E& Field) {
    F.DefineEnum(
        Name, Names, [&Field] { return static_cast<int>(Field); },
        [&Field](int V) { Field = static_cast<E>(V); });
}

}  // namespace

// ---- TCarrelonClipboardCell ---------------------------------------------------------------

TCarrelonClipboardCell::TCarrelonClipboardCell(TComponent* AOwner)
    : TComponent(AOwner),
      FPicture(std::make_unique<TPicture>()),
      FFont(std::make_unique<TFont>()) {}

TCarrelonClipboardCell::~TCarrelonClipboardCell() {
    Destroying();
}

void TCarrelonClipboardCell::SetPicture(const TPicture* Value) {
    FPicture->Assign(Value);
}

void TCarrelonClipboardCell::SetFont(const TFont* Value) {
    FFont->Assign(Value);
}

TGraphic* TCarrelonClipboardCell::GetGraphic() const {
    return FPicture->GetGraphic();
}

void TCarrelonClipboardCell::SetGraphic(const TGraphic* Value) {
    FPicture->SetGraphic(Value);
}

void TCarrelonClipboardCell::DefineProperties(TFiler& F) {
    TComponent::DefineProperties(F);
    // Coordinates are read within the grid's largest counts.
    F.DefineInteger(
        "Col", [this] { return Int64{FCol}; }, [this](Int64 V) { FCol = static_cast<int>(V); }, 0,
        134217724);
    F.DefineInteger(
        "Row", [this] { return Int64{FRow}; }, [this](Int64 V) { FRow = static_cast<int>(V); }, 0,
        134217724);
    F.DefineVariant(
        "Value", [this] { return FValue; }, [this](const Variant& V) { FValue = V; });
    F.DefineInteger(
        "ValueType", [this] { return Int64{FValue.Type()}; },
        [this](Int64 T) {
            const auto Type = static_cast<TVarType>(T);
            Variant Typed;
            try {
                Typed = Type == varOleStr ? Variant::MakeOleStr(FValue.AsString())
                                          : VarAsType(FValue, Type);
            } catch (const std::exception&) {
                throw EReadError("Invalid property value of ValueType");
            }
            if (!TypeNeedsTag(Typed)) throw EReadError("Invalid property value of ValueType");
            FValue = Typed;
        },
        varSmallint, varInt64, TypeNeedsTag(FValue));
    F.DefineString(
        "Formula", [this] { return FFormula; }, [this](const AnsiString& V) { FFormula = V; });
    F.DefineString(
        "Hint", [this] { return FHint; }, [this](const AnsiString& V) { FHint = V; });
    DefinePictureProperty(F, "Picture", FPicture.get());
    DefineFontProperties(F, "Font", FFont.get());
    DefineColor(F, "Color", FColor);
    DefineOrdinal(F, "TextAlignment", kAlignmentNames, FTextAlignment);
    DefineOrdinal(F, "TextLayout", kLayoutNames, FTextLayout);
    DefineOrdinal(F, "GraphicAlignment", kAlignmentNames, FGraphicAlignment);
    DefineOrdinal(F, "GraphicLayout", kLayoutNames, FGraphicLayout);
    F.DefineInteger(
        "MaxLength", [this] { return Int64{FMaxLength}; },
        [this](Int64 V) { FMaxLength = static_cast<Word>(V); }, 0, 65535);
    DefineBool(F, "ReadOnly", FReadOnly);
    DefineBool(F, "WordWrap", FWordWrap);
    DefineBool(F, "CheckBox", FCheckBox);
    DefineBool(F, "CheckBoxChecked", FCheckBoxChecked);
    DefineOrdinal(F, "CheckBoxAlignment", kAlignmentNames, FCheckBoxAlignment);
    DefineByte(F, "InnerBorderWidth", FInnerBorderWidth);
    DefineColor(F, "InnerBorderColor", FInnerBorderColor);
    DefineByte(F, "OuterBorderWidth", FOuterBorderWidth);
    DefineColor(F, "OuterBorderColor", FOuterBorderColor);
    DefineBool(F, "Button", FButton);
    DefineColor(F, "SelectedColor", FSelectedColor);
    DefineColor(F, "SelectedFontColor", FSelectedFontColor);
}

void TCarrelonClipboardCell::SetParentComponent(TComponent* Value) {
    auto* Cells = dynamic_cast<TCarrelonClipboardCells*>(Value);
    if (Cells == nullptr) throw EReadError("A clipboard cell can only be read into a cell list");
    Cells->Adopt(this);
}

// ---- TCarrelonClipboardCells --------------------------------------------------------------

TCarrelonClipboardCells::TCarrelonClipboardCells(TComponent* AOwner) : TComponent(AOwner) {}

TCarrelonClipboardCells::~TCarrelonClipboardCells() {
    Destroying();
    // The owned cells go with the components; the list must not be walked by their removal.
    FCells.clear();
}

TCarrelonClipboardCell* TCarrelonClipboardCells::AddCell() {
    auto* Cell = new TCarrelonClipboardCell(this);
    FCells.push_back(Cell);
    return Cell;
}

void TCarrelonClipboardCells::Adopt(TCarrelonClipboardCell* Cell) {
    FCells.push_back(Cell);
}

void TCarrelonClipboardCells::DefineProperties(TFiler& F) {
    TComponent::DefineProperties(F);
    F.DefineInteger(
        "MinCol", [this] { return Int64{FMinCol}; },
        [this](Int64 V) { FMinCol = static_cast<int>(V); }, INT32_MIN, INT32_MAX);
    F.DefineInteger(
        "MinRow", [this] { return Int64{FMinRow}; },
        [this](Int64 V) { FMinRow = static_cast<int>(V); }, INT32_MIN, INT32_MAX);
}

void TCarrelonClipboardCells::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    for (TCarrelonClipboardCell* C : FCells)
        if (C->GetOwner() == Root) Proc(C);
}

void TCarrelonClipboardCells::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || FCells.empty()) return;
    // Cells leave from the back when the record is torn down; others are searched.
    if (FCells.back() == AComponent) {
        FCells.pop_back();
        return;
    }
    std::erase(FCells, AComponent);
}

void RegisterClipboardClasses() {
    static std::once_flag Once;
    std::call_once(Once, [] {
        RegisterClasses({ClassOf<TCarrelonClipboardCell>(), ClassOf<TCarrelonClipboardCells>()});
    });
}

namespace {

// Registered as the code is loaded, so that a program can read the clipboard's cells before any
// grid has copied or pasted. The class registry and the class descriptors are made on first use,
// and a probe record needs only constant-initialised state, so no other file's initialisation
// has to come first.
[[maybe_unused]] const bool kClipboardClassesRegistered = (RegisterClipboardClasses(), true);

}  // namespace

}  // namespace carrelon
