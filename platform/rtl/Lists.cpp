#include "platform/rtl/Lists.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/TextScan.h"

namespace carrelon {

namespace {

[[noreturn]] void IndexError(int Index) {
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

}  // namespace

// ---- TList ----

void TList::Check(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
}

int TList::Add(void* Item) {
    FItems.push_back(Item);
    return GetCount() - 1;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    FItems.insert(FItems.begin() + Index, Item);
}

void TList::Delete(int Index) {
    Check(Index);
    FItems.erase(FItems.begin() + Index);
}

int TList::Remove(void* Item) {
    const int i = IndexOf(Item);
    if (i >= 0) Delete(i);
    return i;
}

int TList::IndexOf(void* Item) const {
    const auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TList::Clear() {
    FItems.clear();
}

void TList::Exchange(int Index1, int Index2) {
    Check(Index1);
    Check(Index2);
    std::swap(FItems[static_cast<std::size_t>(Index1)], FItems[static_cast<std::size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    Check(CurIndex);
    Check(NewIndex);
    void* item = FItems[static_cast<std::size_t>(CurIndex)];
    FItems.erase(FItems.begin() + CurIndex);
    FItems.insert(FItems.begin() + NewIndex, item);
}

void TList::Pack() {
    FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end());
}

void TList::Sort(const TListSortCompare& Compare) {
    std::stable_sort(FItems.begin(), FItems.end(),
                     [&](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::SetCount(int NewCount) {
    if (NewCount < 0)
        throw EListError("List count out of bounds (" + std::to_string(NewCount) + ")");
    FItems.resize(static_cast<std::size_t>(NewCount), nullptr);
}

void* TList::GetItems(int Index) const {
    Check(Index);
    return FItems[static_cast<std::size_t>(Index)];
}

void TList::SetItems(int Index, void* Item) {
    Check(Index);
    FItems[static_cast<std::size_t>(Index)] = Item;
}

// ---- TStrings ----

void TStrings::Error(const AnsiString& Message, int Index) const {
    throw EStringListError(Message + " (" + std::to_string(Index) + ")");
}

void TStrings::Put(int Index, const AnsiString& S) {
    TObject* o = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, o);
}

TObject* TStrings::GetObject(int) const {
    return nullptr;
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

int TStrings::Add(const AnsiString& S) {
    const int i = GetCount();
    Insert(i, S);
    return i;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject) {
    const int i = Add(S);
    PutObject(i, AObject);
    return i;
}

void TStrings::AddStrings(const TStrings& Strings) {
    BeginUpdate();
    try {
        for (int i = 0; i < Strings.GetCount(); ++i)
            AddObject(Strings.Get(i), Strings.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const TPersistent* Source) {
    if (const auto* src = dynamic_cast<const TStrings*>(Source)) {
        if (src == this) return;
        BeginUpdate();
        try {
            Clear();
            FNameValueSeparator = src->FNameValueSeparator;
            AddStrings(*src);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

bool TStrings::Equals(const TStrings& Strings) const {
    if (GetCount() != Strings.GetCount()) return false;
    for (int i = 0; i < GetCount(); ++i)
        if (Get(i) != Strings.Get(i)) return false;
    return true;
}

void TStrings::Exchange(int Index1, int Index2) {
    BeginUpdate();
    try {
        const AnsiString s = Get(Index1);
        TObject* o = GetObject(Index1);
        Put(Index1, Get(Index2));
        PutObject(Index1, GetObject(Index2));
        Put(Index2, s);
        PutObject(Index2, o);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    BeginUpdate();
    try {
        const AnsiString s = Get(CurIndex);
        TObject* o = GetObject(CurIndex);
        if (NewIndex < 0 || NewIndex >= GetCount()) IndexError(NewIndex);
        Delete(CurIndex);
        InsertObject(NewIndex, s, o);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::IndexOf(const AnsiString& S) const {
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const AnsiString& Name) const {
    for (int i = 0; i < GetCount(); ++i) {
        const AnsiString s = Get(i);
        const std::size_t p = s.find(FNameValueSeparator);
        if (p != AnsiString::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
    for (int i = 0; i < GetCount(); ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

AnsiString TStrings::GetNames(int Index) const {
    const AnsiString s = Get(Index);
    const std::size_t p = s.find(FNameValueSeparator);
    return p == AnsiString::npos ? AnsiString() : s.substr(0, p);
}

AnsiString TStrings::GetValues(const AnsiString& Name) const {
    const int i = IndexOfName(Name);
    return i < 0 ? AnsiString() : GetValueFromIndex(i);
}

void TStrings::SetValues(const AnsiString& Name, const AnsiString& Value) {
    const int i = IndexOfName(Name);
    if (!Value.empty()) {
        const AnsiString item = Name + FNameValueSeparator + Value;
        if (i < 0)
            Add(item);
        else
            Put(i, item);
    } else if (i >= 0) {
        Delete(i);
    }
}

AnsiString TStrings::GetValueFromIndex(int Index) const {
    const AnsiString s = Get(Index);
    const std::size_t p = s.find(FNameValueSeparator);
    return p == AnsiString::npos ? AnsiString() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int Index, const AnsiString& Value) {
    if (Value.empty()) {
        Delete(Index);
        return;
    }
    Put(Index, GetNames(Index) + FNameValueSeparator + Value);
}

AnsiString TStrings::GetText() const {
    std::size_t size = 0;
    const int n = GetCount();
    for (int i = 0; i < n; ++i)
        size += Get(i).size() + 2;
    AnsiString r;
    r.reserve(size);
    for (int i = 0; i < n; ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}

void TStrings::SetText(const AnsiString& Text) {
    BeginUpdate();
    try {
        Clear();
        ForEachLine(Text, [this](std::string_view Line) { Add(AnsiString(Line)); });
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const {
    return AnsiCompareText(S1, S2);
}

void TStrings::LoadFromStream(TStream& Stream) {
    const Int64 size = Stream.GetSize() - Stream.GetPosition();
    AnsiString text;
    if (size > 0) {
        text.resize(static_cast<std::size_t>(size));
        text.resize(static_cast<std::size_t>(Stream.Read(text.data(), size)));
    }
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    SetText(text);
}

void TStrings::SaveToStream(TStream& Stream) const {
    const AnsiString text = GetText();
    Stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

void TStrings::LoadFromFile(const AnsiString& FileName) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TStrings::SaveToFile(const AnsiString& FileName) const {
    TFileStream file(FileName, fmCreate);
    SaveToStream(file);
}

// ---- TStringList ----

void TStringList::Check(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
}

AnsiString TStringList::Get(int Index) const {
    Check(Index);
    return FItems[static_cast<std::size_t>(Index)].S;
}

void TStringList::Put(int Index, const AnsiString& S) {
    if (FSorted) throw EStringListError("Operation not allowed on sorted list");
    Check(Index);
    Changing();
    FItems[static_cast<std::size_t>(Index)].S = S;
    Changed();
}

TObject* TStringList::GetObject(int Index) const {
    Check(Index);
    return FItems[static_cast<std::size_t>(Index)].Object;
}

void TStringList::PutObject(int Index, TObject* AObject) {
    Check(Index);
    Changing();
    FItems[static_cast<std::size_t>(Index)].Object = AObject;
    Changed();
}

void TStringList::Insert(int Index, const AnsiString& S) {
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
    if (FSorted) throw EStringListError("Operation not allowed on sorted list");
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* AObject) {
    Changing();
    FItems.insert(FItems.begin() + Index, TItem{S, AObject});
    Changed();
}

void TStringList::Delete(int Index) {
    Check(Index);
    Changing();
    FItems.erase(FItems.begin() + Index);
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    Changing();
    FItems.clear();
    Changed();
}

int TStringList::Add(const AnsiString& S) {
    return AddObject(S, nullptr);
}

int TStringList::AddObject(const AnsiString& S, TObject* AObject) {
    int index = GetCount();
    if (FSorted && Find(S, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError)
            throw EStringListError("String list does not allow duplicates");
    }
    InsertItem(index, S, AObject);
    return index;
}

void TStringList::Exchange(int Index1, int Index2) {
    Check(Index1);
    Check(Index2);
    Changing();
    std::swap(FItems[static_cast<std::size_t>(Index1)], FItems[static_cast<std::size_t>(Index2)]);
    Changed();
}

int TStringList::IndexOf(const AnsiString& S) const {
    if (!FSorted) return TStrings::IndexOf(S);
    int i = 0;
    return Find(S, i) ? i : -1;
}

bool TStringList::Find(const AnsiString& S, int& Index) const {
    // The first of equal items when duplicates are accepted.
    int lo = 0, hi = GetCount() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = CompareStrings(FItems[static_cast<std::size_t>(mid)].S, S);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) found = true;
        }
    }
    Index = lo;
    return found;
}

void TStringList::Sort() {
    CustomSort([](TStringList* List, int A, int B) {
        return List->CompareStrings(List->FItems[static_cast<std::size_t>(A)].S,
                                    List->FItems[static_cast<std::size_t>(B)].S);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
    if (GetCount() < 2) return;
    Changing();
    // Sort indexes, comparing through the list as it stands, then apply the order.
    std::vector<int> order(FItems.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return Compare(this, a, b) < 0; });
    std::vector<TItem> sorted;
    sorted.reserve(FItems.size());
    for (int i : order)
        sorted.push_back(std::move(FItems[static_cast<std::size_t>(i)]));
    FItems.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (FSorted == Value) return;
    if (Value) Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (FCaseSensitive == Value) return;
    FCaseSensitive = Value;
    if (FSorted) Sort();
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const {
    return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStringList::Changed() {
    if (GetUpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (GetUpdateCount() == 0 && OnChanging) OnChanging(this);
}

}  // namespace carrelon
