#include "platform/controls/Menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <algorithm>

#include "platform/controls/MenusQt.h"
#include "platform/controls/WindowWidgetQt.h"

namespace carrelon {

TShortCut ShortCut(Word Key, TShiftState Shift) {
    TShortCut S = static_cast<TShortCut>(Key & 0xFF);
    if (Shift.Contains(ssShift)) S |= scShift;
    if (Shift.Contains(ssCtrl)) S |= scCtrl;
    if (Shift.Contains(ssAlt)) S |= scAlt;
    return S;
}

AnsiString ShortCutToText(TShortCut Value) {
    const Word Key = Value & 0xFF;
    AnsiString Name;
    if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9'))
        Name = AnsiString(1, static_cast<char>(Key));
    else if (Key >= VK_F1 && Key <= VK_F12)
        Name = std::string("F").append(std::to_string(Key - VK_F1 + 1));
    else {
        switch (Key) {
            case VK_BACK:
                Name = "BkSp";
                break;
            case VK_TAB:
                Name = "Tab";
                break;
            case VK_RETURN:
                Name = "Enter";
                break;
            case VK_ESCAPE:
                Name = "Esc";
                break;
            case VK_SPACE:
                Name = "Space";
                break;
            case VK_PRIOR:
                Name = "PgUp";
                break;
            case VK_NEXT:
                Name = "PgDn";
                break;
            case VK_END:
                Name = "End";
                break;
            case VK_HOME:
                Name = "Home";
                break;
            case VK_LEFT:
                Name = "Left";
                break;
            case VK_UP:
                Name = "Up";
                break;
            case VK_RIGHT:
                Name = "Right";
                break;
            case VK_DOWN:
                Name = "Down";
                break;
            case VK_INSERT:
                Name = "Ins";
                break;
            case VK_DELETE:
                Name = "Del";
                break;
            default:
                return "";
        }
    }
    AnsiString Result;
    Result.reserve(16 + Name.size());
    if (Value & scShift) Result.append("Shift+");
    if (Value & scCtrl) Result.append("Ctrl+");
    if (Value & scAlt) Result.append("Alt+");
    Result.append(Name);
    return Result;
}

// ---- TMenuItem ------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    Destroying();
    Clear();
    if (FParent != nullptr) FParent->Remove(this);
}

TMenuItem* TMenuItem::GetItems(int Index) const {
    if (Index < 0 || Index >= GetCount()) throw EComponentError("Menu index out of range");
    return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(GetCount(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (Item == nullptr) return;
    if (Item->FParent != nullptr) throw EComponentError("Menu inserted twice");
    if (Index < 0 || Index > GetCount()) throw EComponentError("Menu index out of range");
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
}

void TMenuItem::Delete(int Index) {
    TMenuItem* Item = GetItems(Index);
    FItems.erase(FItems.begin() + Index);
    Item->FParent = nullptr;
}

void TMenuItem::Remove(TMenuItem* Item) {
    const int I = IndexOf(Item);
    if (I >= 0) Delete(I);
}

void TMenuItem::Clear() {
    while (!FItems.empty()) {
        TMenuItem* Item = FItems.back();
        FItems.pop_back();
        Item->FParent = nullptr;
        delete Item;
    }
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

int TMenuItem::GetMenuIndex() const {
    return FParent == nullptr ? -1 : FParent->IndexOf(this);
}

void TMenuItem::SetMenuIndex(int Value) {
    if (FParent == nullptr) return;
    TMenuItem* P = FParent;
    const int Count = P->GetCount();
    Value = std::clamp(Value, 0, Count - 1);
    P->Remove(this);
    P->Insert(Value, this);
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const {
    auto Strip = [](const AnsiString& S) {
        AnsiString R;
        // "&x" marks an accelerator; "&&" is a literal ampersand.
        for (size_t i = 0; i < S.size(); ++i) {
            if (S[i] == '&' && i + 1 < S.size()) ++i;
            if (S[i] != '&' || (i > 0 && S[i - 1] == '&')) R += S[i];
        }
        return R;
    };
    const AnsiString Wanted = Strip(ACaption);
    for (TMenuItem* Item : FItems)
        if (Strip(Item->FCaption) == Wanted) return Item;
    return nullptr;
}

void TMenuItem::Click() {
    if (FEnabled && OnClick) OnClick(this);
}

// ---- TPopupMenu -----------------------------------------------------------------------------

struct TPopupMenu::TPrivate {
    std::unique_ptr<QMenu> Menu;
};

namespace {
bool ContainsItem(const TMenuItem* Root, const TMenuItem* Item) {
    if (Root == Item) return true;
    for (int i = 0; i < Root->GetCount(); ++i)
        if (ContainsItem(Root->GetItems(i), Item)) return true;
    return false;
}

TMenuItem* FindByName(const TMenuItem* Root, const AnsiString& Name) {
    for (int i = 0; i < Root->GetCount(); ++i) {
        TMenuItem* Item = Root->GetItems(i);
        if (Item->GetName() == Name) return Item;
        if (TMenuItem* Sub = FindByName(Item, Name)) return Sub;
    }
    return nullptr;
}
}  // namespace

TPopupMenu::TPopupMenu(TComponent* AOwner)
    : TComponent(AOwner),
      FItems(std::make_unique<TMenuItem>(nullptr)),
      D(std::make_unique<TPrivate>()) {}

TPopupMenu::~TPopupMenu() {
    Destroying();
    D->Menu.reset();
    if (FPopupComponent != nullptr) FPopupComponent->RemoveFreeNotification(this);
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    if (FPopupComponent == Value) return;
    if (FPopupComponent != nullptr) FPopupComponent->RemoveFreeNotification(this);
    FPopupComponent = Value;
    if (Value != nullptr) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

TMenuItem* TPopupMenu::FindItem(const AnsiString& AName) const {
    return FindByName(FItems.get(), AName);
}

namespace {
void BuildMenu(QMenu* Menu, TMenuItem* Parent, TMenuItem* Root) {
    for (int i = 0; i < Parent->GetCount(); ++i) {
        TMenuItem* Item = Parent->GetItems(i);
        if (!Item->GetVisible()) continue;
        if (Item->IsLine()) {
            Menu->addSeparator();
            continue;
        }
        const QString Caption = QString::fromStdString(Item->GetCaption());
        if (Item->GetCount() > 0) {
            QMenu* Sub = Menu->addMenu(Caption);
            Sub->setEnabled(Item->GetEnabled());
            BuildMenu(Sub, Item, Root);
            continue;
        }
        QAction* A = Menu->addAction(Caption);
        A->setEnabled(Item->GetEnabled());
        A->setCheckable(Item->GetChecked());
        A->setChecked(Item->GetChecked());
        const AnsiString Keys = ShortCutToText(Item->GetShortCut());
        if (!Keys.empty())
            A->setShortcut(QKeySequence(QString::fromStdString(Keys), QKeySequence::PortableText));
        // The item may be freed while the menu shows; only a live item is clicked.
        QObject::connect(A, &QAction::triggered, [Item, Root]() {
            if (ContainsItem(Root, Item)) GuardedCall(Item, [Item] { Item->Click(); });
        });
    }
}
}  // namespace

void TPopupMenu::Popup(int X, int Y) {
    if (OnPopup) OnPopup(this);
    D->Menu = std::make_unique<QMenu>();
    BuildMenu(D->Menu.get(), FItems.get(), FItems.get());
    D->Menu->popup(QPoint(X, Y));
}

void TPopupMenu::CloseMenu() {
    if (D->Menu) D->Menu->close();
}

bool TPopupMenu::IsShowing() const {
    return D->Menu && D->Menu->isVisible();
}

QMenu* TPopupMenuQt::Widget(const TPopupMenu& Menu) {
    return Menu.D->Menu.get();
}

}  // namespace carrelon
