// TComponent: ownership, names, component state and notifications; the class registry that
// creates components by class name; the design environment's palette registration.
#pragma once

#include <concepts>
#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Set.h"

namespace carrelon {

CARRELON_EXCEPTION(EComponentError, Exception);
CARRELON_EXCEPTION(EClassNotFound, Exception);

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

class TComponent;
class TFiler;
using TGetChildProc = std::function<void(TComponent* Child)>;

// A component is owned by another (its Owner), which deletes it when it is deleted itself.
// Components that must hear of another's destruction without owning it ask for a free
// notification. A member kept in a std::unique_ptr must be created without an owner.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    AnsiString ClassName() const override { return "TComponent"; }

    TComponent* GetOwner() const { return FOwner; }
    int GetComponentCount() const { return static_cast<int>(FComponents.size()); }
    // Raises EListError-like EComponentError for an index out of range.
    TComponent* GetComponents(int Index) const;
    int GetComponentIndex() const;
    TComponent* FindComponent(const AnsiString& AName) const;

    const AnsiString& GetName() const { return FName; }
    // Raises EComponentError for a name that is not an identifier or that another component of
    // the same owner already has.
    virtual void SetName(const AnsiString& NewName);

    TComponentState GetComponentState() const { return FComponentState; }
    std::intptr_t GetTag() const { return FTag; }
    void SetTag(std::intptr_t Value) { FTag = Value; }

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();

    // AComponent hears (Notification opRemove) when this component is destroyed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Marks the start of destruction; derived destructors call it first so that handlers can
    // tell a component being torn down (csDestroying).
    void Destroying();

    // Loading protocol used by streaming (csLoading/csReading) and by hosts that set many
    // properties before the component is usable.
    void BeginLoading();
    void EndLoading();  // clears csLoading and calls Loaded
    void SetDesigning(bool Value, bool SetChildren = true);

    // Streaming hooks: extra named properties, the children written after this component, and
    // the parent a child read from a stream is placed in.
    virtual void DefineProperties(TFiler& Filer);
    virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
    virtual void SetParentComponent(TComponent* Value);

    // Components created while this flag is on start in the designing state (the design
    // environment creating a component for its form designer).
    static void SetCreatingForDesign(bool Value);
    static bool CreatingForDesign();

protected:
    friend class TReader;
    virtual void Loaded();
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    void SetReading(bool Value);

private:
    void ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                        const AnsiString& NewName) const;
    void RemoveNotification(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    AnsiString FName;
    TComponentState FComponentState;
    std::intptr_t FTag = 0;
};

// True when Name is a valid component name (letter or underscore, then letters, digits,
// underscores).
bool IsValidIdent(const AnsiString& Name);

// ---- Class registry ---------------------------------------------------------------------------

using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;

struct TComponentClassInfo {
    AnsiString Name;
    TComponentFactory Create;
};
// A registered class: its name and a factory creating an instance with an owner.
using TComponentClass = const TComponentClassInfo*;

// The class descriptor of T, made once; its name is the ClassName() of a probe instance created
// without an owner.
template <class T>
requires std::derived_from<T, TComponent> TComponentClass ClassOf() {
    static const TComponentClassInfo Info{
        T(nullptr).ClassName(), [](TComponent* Owner) -> TComponent* { return new T(Owner); }};
    return &Info;
}

void RegisterClass(TComponentClass AClass);
void RegisterClasses(std::initializer_list<TComponentClass> Classes);
void UnRegisterClass(TComponentClass AClass);
// nullptr when no class of that name is registered.
TComponentClass GetClass(const AnsiString& ClassName);
// Raises EClassNotFound ("Class X not found") when no class of that name is registered.
TComponentClass FindClass(const AnsiString& ClassName);

// ---- Design environment -----------------------------------------------------------------------

// Records the classes shown on a palette page (and registers them as classes).
void RegisterComponents(const AnsiString& Page, std::initializer_list<TComponentClass> Classes);
// The palette page a class was registered on, "" when none.
AnsiString GetComponentPage(const AnsiString& ClassName);
// The classes registered on a page, in registration order.
std::vector<TComponentClass> GetPageClasses(const AnsiString& Page);

}  // namespace carrelon
