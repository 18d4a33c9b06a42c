#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "platform/controls/StdCtrls.h"
#include "platform/controls/Streaming.h"
#include "tests/support/ControlsTestProbe.h"

using namespace carrelon;

namespace {

class TStreamThing : public TComponent {
public:
    using TComponent::TComponent;
    AnsiString ClassName() const override { return "TStreamThing"; }

    Int64 Count = 0;
    bool Flag = false;
    AnsiString Text;
    Extended Real = 0;
    Variant Value;
    int Kind = 0;
    std::uint64_t Bits = 0;
    AnsiString Formula;
    int LoadedCalls = 0;
    bool LoadingDuringRead = false;
    bool ReadNothing = false;

    void DefineProperties(TFiler& F) override {
        TComponent::DefineProperties(F);
        F.DefineInteger(
            "Count", [this] { return Count; }, [this](Int64 V) { Count = V; }, 0, 1000);
        F.DefineBoolean(
            "Flag", [this] { return Flag; }, [this](bool V) { Flag = V; });
        F.DefineString(
            "Text", [this] { return Text; },
            [this](const AnsiString& V) {
                LoadingDuringRead = GetComponentState().Contains(csLoading);
                Text = V;
            });
        F.DefineFloat(
            "Real", [this] { return Real; }, [this](Extended V) { Real = V; });
        F.DefineVariant(
            "Value", [this] { return Value; }, [this](const Variant& V) { Value = V; });
        F.DefineEnum(
            "Kind", {"kA", "kB", "kC"}, [this] { return Kind; }, [this](int V) { Kind = V; });
        F.DefineSet(
            "Bits", [this] { return Bits; }, [this](std::uint64_t V) { Bits = V; }, 0x7);
        F.DefineProperty(
            "FFormula",
            [this](TReader& R) {
                if (!ReadNothing) Formula = R.ReadString();
            },
            [this](TWriter& W) { W.WriteString(Formula); }, !Formula.empty());
    }
    void GetChildren(const TGetChildProc& Proc, TComponent*) override {
        for (int i = 0; i < GetComponentCount(); ++i)
            Proc(GetComponents(i));
    }

protected:
    void Loaded() override {
        TComponent::Loaded();
        ++LoadedCalls;
    }
};

struct Registered {
    Registered() { RegisterClasses({ClassOf<TStreamThing>(), ClassOf<carrelon::test::TProbe>()}); }
};

std::unique_ptr<TStreamThing> MakeSample() {
    RegisterClasses({ClassOf<TStreamThing>()});
    auto Root = std::make_unique<TStreamThing>(nullptr);
    Root->SetName("Cells");
    Root->Count = 7;
    Root->Flag = true;
    Root->Text = "line one\r\nzwei — drei";
    Root->Real = 1.0L / 3.0L;
    Root->Value = Variant(Currency::FromRaw(123456));
    Root->Kind = 2;
    Root->Bits = 5;
    Root->Formula = "SUM(A1:B2)";
    Root->SetTag(-42);
    const Variant Values[] = {Variant(),
                              Variant::MakeNull(),
                              Variant(true),
                              Variant(12),
                              Variant(static_cast<long long>(1) << 40),
                              Variant(2.5),
                              Variant(TDateTime(45000.25)),
                              Variant("text"),
                              Variant::MakeError(7)};
    for (const Variant& V : Values) {
        auto* Child = new TStreamThing(Root.get());
        Child->Value = V;
    }
    return Root;
}

std::unique_ptr<TMemoryStream> Written(TComponent* C) {
    auto S = std::make_unique<TMemoryStream>();
    WriteComponent(*S, C);
    S->SetPosition(0);
    return S;
}

// Raw stream pieces for crafted input.
struct TRaw {
    std::vector<Byte> B;
    TRaw& Sig() {
        for (char c : {'C', 'R', 'L', 'N'})
            B.push_back(static_cast<Byte>(c));
        B.push_back(1);
        return *this;
    }
    TRaw& U8(Byte V) {
        B.push_back(V);
        return *this;
    }
    TRaw& U32(std::uint32_t V) {
        for (int i = 0; i < 4; ++i)
            B.push_back(static_cast<Byte>(V >> (8 * i)));
        return *this;
    }
    TRaw& I64(Int64 V) {
        for (int i = 0; i < 8; ++i)
            B.push_back(static_cast<Byte>(static_cast<std::uint64_t>(V) >> (8 * i)));
        return *this;
    }
    TRaw& Str(const std::string& S) {
        U32(static_cast<std::uint32_t>(S.size()));
        B.insert(B.end(), S.begin(), S.end());
        return *this;
    }
    std::unique_ptr<TMemoryStream> Stream() const {
        auto S = std::make_unique<TMemoryStream>();
        S->WriteBuffer(B.data(), static_cast<Int64>(B.size()));
        S->SetPosition(0);
        return S;
    }
};

}  // namespace

TEST(Streaming, RoundTripKeepsEveryValueKindAndTheChildren) {
    Registered R;
    auto Root = MakeSample();
    auto S = Written(Root.get());
    TComponent Owner(nullptr);
    TComponent* Read = ReadComponent(*S, &Owner);
    ASSERT_NE(Read, nullptr);
    EXPECT_EQ(Read->GetOwner(), &Owner);
    auto* T = dynamic_cast<TStreamThing*>(Read);
    ASSERT_NE(T, nullptr);
    EXPECT_EQ(T->GetName(), "Cells");
    EXPECT_EQ(T->GetTag(), -42);
    EXPECT_EQ(T->Count, 7);
    EXPECT_TRUE(T->Flag);
    EXPECT_EQ(T->Text, Root->Text);
    EXPECT_EQ(T->Real, 1.0L / 3.0L) << "extended values come back exactly";
    EXPECT_EQ(T->Value.Type(), varCurrency);
    EXPECT_EQ(T->Value.AsCurrency().Raw(), 123456);
    EXPECT_EQ(T->Kind, 2);
    EXPECT_EQ(T->Bits, 5u);
    EXPECT_EQ(T->Formula, "SUM(A1:B2)");
    ASSERT_EQ(T->GetComponentCount(), Root->GetComponentCount());
    for (int i = 0; i < T->GetComponentCount(); ++i) {
        auto* A = static_cast<TStreamThing*>(Root->GetComponents(i));
        auto* B = static_cast<TStreamThing*>(T->GetComponents(i));
        EXPECT_EQ(B->Value.Type(), A->Value.Type() == varInt64 && A->Value.AsInt64() < (1LL << 31)
                                       ? varInteger
                                       : A->Value.Type())
            << "child " << i;
        EXPECT_TRUE(B->Value == A->Value || (A->Value.IsNull() && B->Value.IsNull())) << i;
        EXPECT_EQ(B->Value.ErrorCode(), A->Value.ErrorCode());
    }
}

TEST(Streaming, ReadComponentsAreLoadingWhileReadAndLoadedOnceAfter) {
    Registered R;
    auto Root = MakeSample();
    auto S = Written(Root.get());
    std::unique_ptr<TComponent> Read(ReadComponent(*S, nullptr));
    auto* T = static_cast<TStreamThing*>(Read.get());
    EXPECT_TRUE(T->LoadingDuringRead);
    EXPECT_EQ(T->LoadedCalls, 1);
    EXPECT_EQ(static_cast<TStreamThing*>(T->GetComponents(0))->LoadedCalls, 1);
    EXPECT_FALSE(T->GetComponentState().Contains(csLoading));
    EXPECT_FALSE(T->GetComponentState().Contains(csReading));
}

TEST(Streaming, ControlsKeepTheirPublishedPropertiesAndChildControls) {
    Registered R;
    carrelon::test::TProbe Panel(nullptr);
    Panel.SetName("Panel");
    Panel.SetBounds(5, 6, 200, 100);
    Panel.SetColor(clYellow);
    Panel.GetFont()->SetName("Courier New");
    Panel.GetFont()->SetStyle({fsBold});
    Panel.SetHint("a hint");
    Panel.SetShowHint(true);
    Panel.SetCursor(crHandPoint);
    auto* Child = new carrelon::test::TProbe(&Panel);
    Child->SetName("Child");
    Child->SetParent(&Panel);
    Child->SetBounds(1, 2, 30, 40);
    Child->SetTabStop(false);
    auto S = Written(&Panel);
    std::unique_ptr<TComponent> Read(ReadComponent(*S, nullptr));
    auto* P = dynamic_cast<carrelon::test::TProbe*>(Read.get());
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(P->GetBoundsRect(), (TRect{5, 6, 205, 106}));
    EXPECT_EQ(P->GetColor(), clYellow);
    EXPECT_FALSE(P->GetParentColor());
    EXPECT_EQ(P->GetFont()->GetName(), "Courier New");
    EXPECT_TRUE(P->GetFont()->GetStyle().Contains(fsBold));
    EXPECT_FALSE(P->GetParentFont());
    EXPECT_EQ(P->GetHint(), "a hint");
    EXPECT_TRUE(P->GetShowHint());
    EXPECT_EQ(P->GetCursor(), crHandPoint);
    ASSERT_EQ(P->GetControlCount(), 1);
    auto* C = dynamic_cast<carrelon::test::TProbe*>(P->GetControls(0));
    ASSERT_NE(C, nullptr);
    EXPECT_EQ(C->GetName(), "Child");
    EXPECT_EQ(C->GetOwner(), P);
    EXPECT_EQ(C->GetBoundsRect(), (TRect{1, 2, 31, 42}));
    EXPECT_FALSE(C->GetTabStop());
    EXPECT_EQ(C->GetColor(), clYellow) << "a parent colour is inherited again after reading";
}

TEST(Streaming, ParentColourSurvivesInControlsThatStartWithoutIt) {
    RegisterClasses({ClassOf<TPanel>()});
    TPanel Outer(nullptr);
    Outer.SetName("Outer");
    Outer.SetColor(clYellow);
    auto* Inner = new TPanel(&Outer);
    Inner->SetName("Inner");
    Inner->SetParent(&Outer);
    Inner->SetColor(clRed);
    Inner->SetParentColor(true);
    ASSERT_EQ(Inner->GetColor(), clYellow);
    auto S = Written(&Outer);
    std::unique_ptr<TComponent> Read(ReadComponent(*S, nullptr));
    auto* P = dynamic_cast<TPanel*>(Read.get());
    ASSERT_NE(P, nullptr);
    ASSERT_EQ(P->GetControlCount(), 1);
    auto* C = dynamic_cast<TPanel*>(P->GetControls(0));
    ASSERT_NE(C, nullptr);
    EXPECT_TRUE(C->GetParentColor());
    EXPECT_EQ(C->GetColor(), clYellow);
    EXPECT_FALSE(P->GetParentColor());
}

TEST(Streaming, EveryTruncationIsAReadError) {
    Registered R;
    auto Root = MakeSample();
    auto Full = Written(Root.get());
    const auto* Bytes = static_cast<const Byte*>(Full->Memory());
    for (Int64 Len = 0; Len < Full->GetSize(); ++Len) {
        TMemoryStream Cut;
        Cut.WriteBuffer(Bytes, Len);
        Cut.SetPosition(0);
        EXPECT_THROW(ReadComponent(Cut, nullptr), EReadError) << "length " << Len;
    }
}

TEST(Streaming, CorruptedBytesGiveAReadErrorOrAValidComponentNeverACrash) {
    Registered R;
    auto Root = MakeSample();
    auto Full = Written(Root.get());
    const auto* Bytes = static_cast<const Byte*>(Full->Memory());
    const auto Size = static_cast<std::size_t>(Full->GetSize());
    std::mt19937 Rng(20261208);
    int Errors = 0;
    for (int Round = 0; Round < 3000; ++Round) {
        std::vector<Byte> Copy(Bytes, Bytes + Size);
        const int Flips = 1 + static_cast<int>(Rng() % 4);
        for (int f = 0; f < Flips; ++f)
            Copy[Rng() % Size] = static_cast<Byte>(Rng());
        TMemoryStream S;
        S.WriteBuffer(Copy.data(), static_cast<Int64>(Copy.size()));
        S.SetPosition(0);
        try {
            delete ReadComponent(S, nullptr);
        } catch (const EReadError&) {
            ++Errors;
        } catch (const EClassNotFound&) {
            ++Errors;
        }
    }
    EXPECT_GT(Errors, 0);
}

TEST(Streaming, MalformedStreamsAreRefusedWithClearErrors) {
    Registered R;
    struct Case {
        const char* What;
        TRaw Raw;
        const char* Message;  // expected start of the message
    };
    auto Header = [](const char* Class) {
        TRaw R;
        R.Sig().Str(Class).Str("");
        return R;
    };
    std::vector<Case> Cases;
    Cases.push_back({"bad signature", TRaw().Str("XXXX"), "Invalid stream format"});
    Cases.push_back({"unknown property",
                     Header("TStreamThing").Str("Nope").U8(vaInt).I64(1).U32(0).U8(0),
                     "Property Nope does not exist"});
    Cases.push_back({"integer out of range",
                     Header("TStreamThing").Str("Count").U8(vaInt).I64(1001).U32(0).U8(0),
                     "Property Count out of range"});
    Cases.push_back({"wrong value type",
                     Header("TStreamThing").Str("Count").U8(vaString).Str("x").U32(0).U8(0),
                     "Invalid property value"});
    Cases.push_back({"unknown value type", Header("TStreamThing").Str("Count").U8(200).U32(0).U8(0),
                     "Invalid property value type 200"});
    Cases.push_back({"enumeration name unknown",
                     Header("TStreamThing").Str("Kind").U8(vaIdent).Str("kZ").U32(0).U8(0),
                     "Invalid property value kZ"});
    Cases.push_back({"set bits outside the set",
                     Header("TStreamThing").Str("Bits").U8(vaSet).I64(8).U32(0).U8(0),
                     "Invalid property value of Bits"});
    Cases.push_back({"huge string length",
                     Header("TStreamThing").Str("Text").U8(vaString).U32(0xFFFFFFF0u),
                     "Invalid stream format: length"});
    Cases.push_back({"bad float text",
                     Header("TStreamThing").Str("Real").U8(vaExtended).Str("1e").U32(0).U8(0),
                     "Invalid floating point value"});
    Cases.push_back({"bad child marker", Header("TStreamThing").U32(0).U8(7),
                     "Invalid stream format: bad child marker"});
    Cases.push_back({"bad component name", TRaw().Sig().Str("TStreamThing").Str("1x").U32(0).U8(0),
                     "Invalid stream format: bad component name"});
    TRaw Dup = Header("TStreamThing").U32(0);
    for (int i = 0; i < 2; ++i)
        Dup.U8(1).Str("TStreamThing").Str("Twin").U32(0).U8(0);
    Dup.U8(0);
    Cases.push_back({"duplicate child names", Dup, "Error reading component"});
    for (const Case& C : Cases) {
        auto S = C.Raw.Stream();
        try {
            delete ReadComponent(*S, nullptr);
            ADD_FAILURE() << C.What << ": no exception";
        } catch (const EReadError& E) {
            EXPECT_EQ(E.Message.rfind(C.Message, 0), 0u) << C.What << ": " << E.Message;
        }
    }
}

TEST(Streaming, UnknownClassIsClassNotFound) {
    TRaw Raw;
    Raw.Sig().Str("TNeverRegistered").Str("").U32(0).U8(0);
    auto S = Raw.Stream();
    EXPECT_THROW(ReadComponent(*S, nullptr), EClassNotFound);
}

TEST(Streaming, NestingBeyondTheLimitIsRefused) {
    Registered R;
    TRaw Raw;
    Raw.Sig();
    const int Depth = TReader::MaxDepth + 5;
    for (int i = 0; i < Depth; ++i) {
        Raw.Str("TStreamThing").Str("").U32(0);
        if (i + 1 < Depth) Raw.U8(1);
    }
    for (int i = 0; i < Depth; ++i)
        Raw.U8(0);
    auto S = Raw.Stream();
    EXPECT_THROW(ReadComponent(*S, nullptr), EReadError);
}

TEST(Streaming, AReaderRoutineThatSkipsItsValueIsCaught) {
    Registered R;
    TStreamThing Thing(nullptr);
    Thing.Formula = "A1";
    auto S = Written(&Thing);
    // The same class reading with a routine that takes no value falls out of step.
    static TComponentClassInfo Skipping{"TStreamThing", [](TComponent* Owner) -> TComponent* {
                                            auto* T = new TStreamThing(Owner);
                                            T->ReadNothing = true;
                                            return T;
                                        }};
    RegisterClass(&Skipping);
    EXPECT_THROW(ReadComponent(*S, nullptr), EReadError);
    RegisterClass(ClassOf<TStreamThing>());
}

TEST(Streaming, OwnerNameClashIsAReadErrorAndNothingIsKept) {
    Registered R;
    TStreamThing Owner(nullptr);
    auto* Existing = new TStreamThing(&Owner);
    Existing->SetName("Cells");
    auto Root = MakeSample();
    auto S = Written(Root.get());
    EXPECT_THROW(ReadComponent(*S, &Owner), EReadError);
    EXPECT_EQ(Owner.GetComponentCount(), 1);
}

TEST(Streaming, AcceptedClassesLimitWhatIsMadeBeforeAnythingElseIsBuilt) {
    Registered R;
    int Made = 0;
    static int* Counter = nullptr;
    Counter = &Made;
    // Registered under its own name, with a factory that counts what it makes.
    static TComponentClassInfo Counted{"TCountedThing", [](TComponent* Owner) -> TComponent* {
                                           ++*Counter;
                                           return new TStreamThing(Owner);
                                       }};
    RegisterClass(&Counted);
    TRaw Root;
    Root.Sig().Str("TCountedThing").Str("").U32(0).U8(0);
    TRaw Child;  // an accepted root naming a refused child
    Child.Sig()
        .Str("TStreamThing")
        .Str("")
        .U32(0)
        .U8(1)
        .Str("TCountedThing")
        .Str("")
        .U32(0)
        .U8(0)
        .U8(0);
    const std::vector<TComponentClass> Accepted{ClassOf<TStreamThing>()};
    for (const TRaw* Raw : {&Root, &Child}) {
        SCOPED_TRACE(Raw == &Root ? "root" : "child");
        auto S = Raw->Stream();
        EXPECT_THROW(ReadComponent(*S, nullptr, Accepted), EReadError);
        EXPECT_EQ(Made, 0);
        // Without the limit the same stream reads.
        S->SetPosition(0);
        std::unique_ptr<TComponent> Read(ReadComponent(*S, nullptr));
        EXPECT_NE(Read, nullptr);
        EXPECT_EQ(Made, 1);
        Made = 0;
    }
    // The accepted classes read as before, children included.
    auto Sample = MakeSample();
    auto S = Written(Sample.get());
    std::unique_ptr<TComponent> Read(ReadComponent(*S, nullptr, Accepted));
    ASSERT_NE(Read, nullptr);
    EXPECT_EQ(Read->GetComponentCount(), Sample->GetComponentCount());
    // Another class registered under an accepted class's name is not accepted.
    static TComponentClassInfo Impostor{"TStreamThing", [](TComponent* Owner) -> TComponent* {
                                            ++*Counter;
                                            return new TStreamThing(Owner);
                                        }};
    RegisterClass(&Impostor);
    S->SetPosition(0);
    EXPECT_THROW(ReadComponent(*S, nullptr, Accepted), EReadError);
    EXPECT_EQ(Made, 0);
    RegisterClass(ClassOf<TStreamThing>());
    UnRegisterClass(&Counted);
    // A class that is not registered at all is still not found.
    TRaw Unregistered;
    Unregistered.Sig().Str("TNeverRegistered").Str("").U32(0).U8(0);
    auto U = Unregistered.Stream();
    EXPECT_THROW(ReadComponent(*U, nullptr, Accepted), EClassNotFound);
}
