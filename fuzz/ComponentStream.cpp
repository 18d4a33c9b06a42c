// The component stream reader, as the clipboard's component format feeds it: the bytes are a
// stream written by WriteComponent, or anything else.
//
// Registered for reading: a record declaring one property of every kind the streaming knows
// (integer with bounds, boolean, string, float, variant, enumeration, set, a routine-read
// property, a font, a picture) and owning children of its own class, and the panel control.
//
// Oracles: reading either gives a component inserted in the owner, or raises EReadError or
// EClassNotFound and leaves the owner as it was; what was read writes a stream that reads back,
// and writing that again gives the same bytes.
#include <memory>
#include <vector>

#include "fuzz/support/FuzzSupport.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/Streaming.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"

using namespace carrelon;
using carrelon::fuzz::Escaped;

namespace {

class TFuzzRecord : public TComponent {
public:
    explicit TFuzzRecord(TComponent* AOwner)
        : TComponent(AOwner),
          FFont(std::make_unique<TFont>()),
          FPicture(std::make_unique<TPicture>()) {}
    AnsiString ClassName() const override { return "TFuzzRecord"; }

    void DefineProperties(TFiler& F) override {
        TComponent::DefineProperties(F);
        F.DefineInteger(
            "Count", [this] { return FCount; }, [this](Int64 V) { FCount = V; }, -1000, 1000,
            FCount != 0);
        F.DefineBoolean(
            "Flag", [this] { return FFlag; }, [this](bool V) { FFlag = V; }, FFlag);
        F.DefineString(
            "Text", [this] { return FText; }, [this](const AnsiString& V) { FText = V; },
            !FText.empty());
        F.DefineFloat(
            "Real", [this] { return FReal; }, [this](Extended V) { FReal = V; }, FReal != 0);
        F.DefineVariant(
            "Value", [this] { return FValue; }, [this](const Variant& V) { FValue = V; },
            !FValue.IsEmpty());
        F.DefineEnum(
            "Kind", {"kA", "kB", "kC"}, [this] { return FKind; }, [this](int V) { FKind = V; },
            FKind != 0);
        F.DefineSet(
            "Bits", [this] { return FBits; }, [this](std::uint64_t V) { FBits = V; }, 0x2F,
            FBits != 0);
        F.DefineProperty(
            "FFormula", [this](TReader& R) { FFormula = R.ReadString(); },
            [this](TWriter& W) { W.WriteString(FFormula); }, !FFormula.empty());
        DefineFontProperties(F, "Font", FFont.get());
        DefinePictureProperty(F, "Picture", FPicture.get());
    }
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override {
        for (TComponent* C : FChildren)
            if (C->GetOwner() == Root) Proc(C);
    }
    void SetParentComponent(TComponent* Value) override {
        if (auto* parent = dynamic_cast<TFuzzRecord*>(Value)) parent->FChildren.push_back(this);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove) std::erase(FChildren, AComponent);
    }

private:
    Int64 FCount = 0;
    bool FFlag = false;
    AnsiString FText;
    Extended FReal = 0;
    Variant FValue;
    int FKind = 0;
    std::uint64_t FBits = 0;
    AnsiString FFormula;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPicture> FPicture;
    std::vector<TComponent*> FChildren;
};

std::vector<Byte> Written(TComponent* C) {
    TMemoryStream s;
    WriteComponent(s, C);
    return fuzz::StreamBytes(s);
}

TComponent* Read(const Byte* Data, std::size_t Size, TComponent* Owner) {
    TMemoryStream s;
    fuzz::FillStream(s, Data, Size);
    return ReadComponent(s, Owner);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartOffscreenApplication();
    RegisterClasses({ClassOf<TFuzzRecord>(), ClassOf<TPanel>()});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static TComponent* const owner = new TComponent(nullptr);
    TComponent* root = nullptr;
    try {
        root = Read(Data, Size, owner);
    } catch (const EReadError&) {
    } catch (const EClassNotFound&) {
    }
    if (root == nullptr) {
        FUZZ_CHECK(owner->GetComponentCount() == 0, "a failed read left components behind");
        return 0;
    }
    FUZZ_CHECK(owner->GetComponentCount() == 1 && root->GetOwner() == owner,
               "the component read is not the owner's only one");
    std::unique_ptr<TComponent> first(root);
    const std::vector<Byte> once = Written(first.get());
    first.reset();
    TComponent* again = nullptr;
    try {
        again = Read(once.data(), once.size(), owner);
    } catch (const Exception& e) {
        FUZZ_CHECK(false, "a written stream does not read back: " + e.Message);
    }
    std::unique_ptr<TComponent> second(again);
    const std::vector<Byte> twice = Written(second.get());
    FUZZ_CHECK(once == twice, "writing what was read changes the stream: " +
                                  Escaped(std::string(once.begin(), once.end())) + " then " +
                                  Escaped(std::string(twice.begin(), twice.end())));
    return 0;
}
