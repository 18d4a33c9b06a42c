#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Component.h"

using namespace carrelon;

namespace {

std::vector<std::string> GLog;

class TProbe : public TComponent {
public:
    using TComponent::TComponent;
    ~TProbe() override { GLog.push_back("free " + GetName()); }
    AnsiString ClassName() const override { return "TProbe"; }
    TComponent* Watched = nullptr;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        GLog.push_back(GetName() + (Operation == opInsert ? " hears insert " : " hears remove ") +
                       AComponent->GetName());
        if (Operation == opRemove && AComponent == Watched) Watched = nullptr;
    }
};

class TProbeLoaded : public TProbe {
public:
    using TProbe::TProbe;
    AnsiString ClassName() const override { return "TProbeLoaded"; }
    int LoadedCalls = 0;

protected:
    void Loaded() override {
        TProbe::Loaded();
        ++LoadedCalls;
    }
};

}  // namespace

TEST(Component, OwnerFreesWhatItOwnsLastFirstAndChildLeavesOwnerWhenFreed) {
    GLog.clear();
    auto* Owner = new TProbe(nullptr);
    Owner->SetName("Owner");
    auto* A = new TProbe(Owner);
    A->SetName("A");
    auto* B = new TProbe(Owner);
    B->SetName("B");
    auto* C = new TProbe(Owner);
    C->SetName("C");
    ASSERT_EQ(Owner->GetComponentCount(), 3);
    EXPECT_EQ(B->GetComponentIndex(), 1);

    delete B;
    EXPECT_EQ(Owner->GetComponentCount(), 2);
    EXPECT_EQ(Owner->GetComponents(1), C);
    EXPECT_EQ(Owner->FindComponent("B"), nullptr);

    GLog.clear();
    delete Owner;
    // Owned components go last first, after the owner's own destructor ran.
    const std::vector<std::string> Expected = {"free Owner", "free C", "free A"};
    EXPECT_EQ(GLog, Expected);
}

TEST(Component, RemovalIsPassedToSiblingsSoTheyDropTheirReferences) {
    TProbe Owner(nullptr);
    auto* Holder = new TProbe(&Owner);
    Holder->SetName("Holder");
    auto* Menu = new TProbe(&Owner);
    Menu->SetName("Menu");
    Holder->Watched = Menu;
    delete Menu;
    EXPECT_EQ(Holder->Watched, nullptr);
}

TEST(Component, FreeNotificationWorksBothWaysAndCanBeWithdrawn) {
    auto* A = new TProbe(nullptr);
    A->SetName("A");
    auto* B = new TProbe(nullptr);
    B->SetName("B");
    auto* C = new TProbe(nullptr);
    C->SetName("C");
    A->FreeNotification(B);
    B->Watched = A;
    C->Watched = A;
    A->FreeNotification(C);
    A->RemoveFreeNotification(C);
    GLog.clear();
    delete A;
    EXPECT_EQ(B->Watched, nullptr);
    EXPECT_EQ(C->Watched, A) << "withdrawn notification still delivered";
    // B watched A; A going first must not leave B with a dangling link back.
    delete B;
    delete C;
}

TEST(Component, NamesMustBeIdentifiersAndUniqueWithinTheOwner) {
    TProbe Owner(nullptr);
    auto* A = new TProbe(&Owner);
    auto* B = new TProbe(&Owner);
    A->SetName("Grid1");
    struct Case {
        const char* Name;
        bool Valid;
    };
    for (Case C : {Case{"Grid2", true}, Case{"_x9", true}, Case{"", true}, Case{"9a", false},
                   Case{"a b", false}, Case{"Grid1", false}, Case{"é", false}}) {
        if (C.Valid) {
            EXPECT_NO_THROW(B->SetName(C.Name)) << C.Name;
        } else {
            EXPECT_THROW(B->SetName(C.Name), EComponentError) << C.Name;
        }
    }
    // The same name may be reused by the component that has it.
    EXPECT_NO_THROW(A->SetName("Grid1"));
    EXPECT_THROW(Owner.GetComponents(5), EComponentError);
}

TEST(Component, InsertingANamedComponentIntoAnOwnerWithThatNameFails) {
    TProbe Owner(nullptr);
    auto* A = new TProbe(&Owner);
    A->SetName("X");
    auto* Loose = new TProbe(nullptr);
    Loose->SetName("X");
    EXPECT_THROW(Owner.InsertComponent(Loose), EComponentError);
    EXPECT_EQ(Loose->GetOwner(), nullptr);
    delete Loose;
}

TEST(Component, DesigningStateComesFromTheFlagOrTheOwner) {
    TComponent::SetCreatingForDesign(true);
    auto Designed = std::make_unique<TProbe>(nullptr);
    TComponent::SetCreatingForDesign(false);
    EXPECT_TRUE(Designed->GetComponentState().Contains(csDesigning));
    auto* Child = new TProbe(Designed.get());
    EXPECT_TRUE(Child->GetComponentState().Contains(csDesigning));
    TProbe Runtime(nullptr);
    EXPECT_FALSE(Runtime.GetComponentState().Contains(csDesigning));
}

TEST(Component, EndLoadingCallsLoadedOnce) {
    TProbeLoaded P(nullptr);
    P.BeginLoading();
    EXPECT_TRUE(P.GetComponentState().Contains(csLoading));
    P.EndLoading();
    P.EndLoading();
    EXPECT_EQ(P.LoadedCalls, 1);
    EXPECT_FALSE(P.GetComponentState().Contains(csLoading));
}

TEST(ClassRegistry, RegisteredClassesAreFoundAndCreatedWithAnOwner) {
    RegisterClasses({ClassOf<TProbe>(), ClassOf<TProbeLoaded>()});
    TComponentClass C = FindClass("TProbeLoaded");
    ASSERT_NE(C, nullptr);
    EXPECT_EQ(C->Name, "TProbeLoaded");
    TProbe Owner(nullptr);
    TComponent* Made = C->Create(&Owner);
    EXPECT_EQ(Made->ClassName(), "TProbeLoaded");
    EXPECT_EQ(Made->GetOwner(), &Owner);
    EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
    try {
        FindClass("TNoSuchThing");
        FAIL() << "no exception";
    } catch (const EClassNotFound& E) {
        EXPECT_EQ(E.Message, "Class TNoSuchThing not found");
    }
    UnRegisterClass(ClassOf<TProbeLoaded>());
    EXPECT_EQ(GetClass("TProbeLoaded"), nullptr);
}

TEST(ClassRegistry, PaletteRegistrationRecordsPageAndRegistersTheClass) {
    RegisterComponents("Carrelon Test", {ClassOf<TProbe>()});
    EXPECT_EQ(GetComponentPage("TProbe"), "Carrelon Test");
    ASSERT_EQ(GetPageClasses("Carrelon Test").size(), 1u);
    EXPECT_EQ(GetPageClasses("Carrelon Test")[0]->Name, "TProbe");
    EXPECT_NE(GetClass("TProbe"), nullptr);
    EXPECT_EQ(GetComponentPage("TUnknown"), "");
}
