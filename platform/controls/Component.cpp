#include "platform/controls/Component.h"

#include <algorithm>
#include <map>

#include "platform/controls/Streaming.h"

namespace carrelon {

namespace {
bool GCreatingForDesign = false;

template <class V>
void EraseOne(std::vector<V>& List, const V& Item) {
    auto It = std::find(List.begin(), List.end(), Item);
    if (It != List.end()) List.erase(It);
}
}  // namespace

bool IsValidIdent(const AnsiString& Name) {
    if (Name.empty()) return false;
    auto Alpha = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (!Alpha(Name[0])) return false;
    return std::all_of(Name.begin(), Name.end(),
                       [&](char c) { return Alpha(c) || (c >= '0' && c <= '9'); });
}

TComponent::TComponent(TComponent* AOwner) {
    if (GCreatingForDesign) FComponentState.Include(csDesigning);
    if (AOwner != nullptr) {
        if (AOwner->FComponentState.Contains(csDesigning)) FComponentState.Include(csDesigning);
        AOwner->InsertComponent(this);
    }
}

TComponent::~TComponent() {
    Destroying();
    // Those who asked hear of the destruction first, then owned components go, last first.
    while (!FFreeNotifies.empty()) {
        TComponent* C = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        EraseOne(C->FFreeNotifies, this);
        C->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying)) return;
    FComponentState.Include(csDestroying);
    for (TComponent* C : FComponents)
        C->Destroying();
}

TComponent* TComponent::GetComponents(int Index) const {
    if (Index < 0 || Index >= GetComponentCount())
        throw EComponentError("List index out of bounds (" + std::to_string(Index) + ")");
    return FComponents[static_cast<size_t>(Index)];
}

int TComponent::GetComponentIndex() const {
    if (FOwner == nullptr) return -1;
    auto& L = FOwner->FComponents;
    auto It = std::find(L.begin(), L.end(), this);
    return It == L.end() ? -1 : static_cast<int>(It - L.begin());
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* C : FComponents)
        if (C->FName == AName) return C;
    return nullptr;
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                                const AnsiString& NewName) const {
    if (NewName.empty() || NewName == CurName) return;
    TComponent* Other = FindComponent(NewName);
    if (Other != nullptr && Other != AComponent)
        throw EComponentError("A component named " + NewName + " already exists");
}

void TComponent::SetName(const AnsiString& NewName) {
    if (FName == NewName) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name");
    if (FOwner != nullptr) FOwner->ValidateRename(this, FName, NewName);
    FName = NewName;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (AComponent == nullptr || AComponent->FOwner == this) return;
    ValidateRename(AComponent, "", AComponent->FName);
    if (AComponent->FOwner != nullptr) AComponent->FOwner->RemoveComponent(AComponent);
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (AComponent == nullptr || AComponent->FOwner != this) return;
    Notification(AComponent, opRemove);
    EraseOne(FComponents, AComponent);
    AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* C = FComponents.back();
        // Detach first so the child's destructor does not come back to remove itself.
        FComponents.pop_back();
        C->FOwner = nullptr;
        Notification(C, opRemove);
        delete C;
    }
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (AComponent == nullptr || AComponent == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
        FFreeNotifies.push_back(AComponent);
    // Both sides hear when the other goes, so neither keeps a dangling pointer.
    if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
        AComponent->FFreeNotifies.end())
        AComponent->FFreeNotifies.push_back(this);
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (AComponent == nullptr) return;
    EraseOne(FFreeNotifies, AComponent);
    EraseOne(AComponent->FFreeNotifies, this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
    EraseOne(FFreeNotifies, AComponent);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation != opRemove || AComponent == nullptr) return;
    RemoveNotification(AComponent);
    // The owner passes a removal on to everything it owns, so siblings drop their references.
    // Insertions are not passed on and a dying owner passes nothing: both would make filling or
    // emptying an owner quadratic.
    if (FComponentState.Contains(csDestroying)) return;
    for (size_t i = 0; i < FComponents.size(); ++i)
        if (FComponents[i] != AComponent) FComponents[i]->Notification(AComponent, Operation);
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading);
}

void TComponent::BeginLoading() {
    FComponentState.Include(csLoading);
}

void TComponent::EndLoading() {
    if (!FComponentState.Contains(csLoading)) return;
    Loaded();
    FComponentState.Exclude(csLoading);
}

void TComponent::SetReading(bool Value) {
    if (Value)
        FComponentState.Include(csReading);
    else
        FComponentState.Exclude(csReading);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
    if (Value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    if (SetChildren)
        for (TComponent* C : FComponents)
            C->SetDesigning(Value, true);
}

void TComponent::DefineProperties(TFiler& Filer) {
    Filer.DefineInteger(
        "Tag", [this] { return static_cast<Int64>(FTag); },
        [this](Int64 V) { FTag = static_cast<std::intptr_t>(V); }, INTPTR_MIN, INTPTR_MAX,
        FTag != 0);
}
void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}
void TComponent::SetParentComponent(TComponent*) {}

void TComponent::SetCreatingForDesign(bool Value) {
    GCreatingForDesign = Value;
}
bool TComponent::CreatingForDesign() {
    return GCreatingForDesign;
}

// ---- Class registry ---------------------------------------------------------------------------

namespace {
std::map<AnsiString, TComponentClass>& ClassTable() {
    static std::map<AnsiString, TComponentClass> Table;
    return Table;
}
struct TPaletteEntry {
    AnsiString Page;
    TComponentClass Class;
};
std::vector<TPaletteEntry>& Palette() {
    static std::vector<TPaletteEntry> Entries;
    return Entries;
}
}  // namespace

void RegisterClass(TComponentClass AClass) {
    if (AClass == nullptr) return;
    ClassTable()[AClass->Name] = AClass;
}

void RegisterClasses(std::initializer_list<TComponentClass> Classes) {
    for (TComponentClass C : Classes)
        RegisterClass(C);
}

void UnRegisterClass(TComponentClass AClass) {
    if (AClass == nullptr) return;
    auto It = ClassTable().find(AClass->Name);
    if (It != ClassTable().end() && It->second == AClass) ClassTable().erase(It);
}

TComponentClass GetClass(const AnsiString& ClassName) {
    auto It = ClassTable().find(ClassName);
    return It == ClassTable().end() ? nullptr : It->second;
}

TComponentClass FindClass(const AnsiString& ClassName) {
    TComponentClass C = GetClass(ClassName);
    if (C == nullptr) throw EClassNotFound("Class " + ClassName + " not found");
    return C;
}

void RegisterComponents(const AnsiString& Page, std::initializer_list<TComponentClass> Classes) {
    for (TComponentClass C : Classes) {
        if (C == nullptr) continue;
        RegisterClass(C);
        auto& P = Palette();
        auto It = std::find_if(P.begin(), P.end(),
                               [&](const TPaletteEntry& E) { return E.Class->Name == C->Name; });
        if (It != P.end())
            *It = {Page, C};
        else
            P.push_back({Page, C});
    }
}

AnsiString GetComponentPage(const AnsiString& ClassName) {
    for (const TPaletteEntry& E : Palette())
        if (E.Class->Name == ClassName) return E.Page;
    return "";
}

std::vector<TComponentClass> GetPageClasses(const AnsiString& Page) {
    std::vector<TComponentClass> Result;
    for (const TPaletteEntry& E : Palette())
        if (E.Page == Page) Result.push_back(E.Class);
    return Result;
}

}  // namespace carrelon
