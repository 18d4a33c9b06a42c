// Lists: TList of pointers, the abstract TStrings and the TStringList that stores strings with
// an attached object each. Index errors raise EListError "List index out of bounds (n)".
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace carrelon {

class TStream;

// ---- TList ----

using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
public:
    AnsiString ClassName() const override { return "TList"; }

    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    // Removes the first occurrence; its former index, or -1.
    int Remove(void* Item);
    int IndexOf(void* Item) const;
    void Clear();
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    // Removes the nil items.
    void Pack();
    // Stable: items that compare equal keep their order.
    void Sort(const TListSortCompare& Compare);
    void* First() const { return GetItems(0); }
    void* Last() const { return GetItems(GetCount() - 1); }

    int GetCount() const { return static_cast<int>(FItems.size()); }
    void SetCount(int NewCount);  // new slots are nil
    void* GetItems(int Index) const;
    void SetItems(int Index, void* Item);
    void** List() { return FItems.data(); }

private:
    void Check(int Index) const;
    std::vector<void*> FItems;
};

// ---- TStrings ----

class TStrings : public TPersistent {
public:
    AnsiString ClassName() const override { return "TStrings"; }

    // The storage a descendant provides.
    virtual int GetCount() const = 0;
    virtual AnsiString Get(int Index) const = 0;
    virtual void Put(int Index, const AnsiString& S);
    virtual TObject* GetObject(int Index) const;
    virtual void PutObject(int Index, TObject* AObject);
    virtual void Insert(int Index, const AnsiString& S) = 0;
    virtual void InsertObject(int Index, const AnsiString& S, TObject* AObject);
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    // The new item's index.
    virtual int Add(const AnsiString& S);
    virtual int AddObject(const AnsiString& S, TObject* AObject);
    void Append(const AnsiString& S) { Add(S); }
    void AddStrings(const TStrings& Strings);
    void Assign(const TPersistent* Source) override;
    bool Equals(const TStrings& Strings) const;
    virtual void Exchange(int Index1, int Index2);
    virtual void Move(int CurIndex, int NewIndex);

    // Searches compare with CompareStrings (case-insensitive here). -1 when absent.
    virtual int IndexOf(const AnsiString& S) const;
    int IndexOfName(const AnsiString& Name) const;
    int IndexOfObject(const TObject* AObject) const;

    AnsiString GetStrings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const AnsiString& S) { Put(Index, S); }
    TObject* GetObjects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

    // "name=value" items. Names: the text before the separator ("" when there is none).
    AnsiString GetNames(int Index) const;
    AnsiString GetValues(const AnsiString& Name) const;
    // An empty value deletes the item.
    void SetValues(const AnsiString& Name, const AnsiString& Value);
    AnsiString GetValueFromIndex(int Index) const;
    void SetValueFromIndex(int Index, const AnsiString& Value);
    char GetNameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(char C) { FNameValueSeparator = C; }

    // Every item followed by CR LF. Setting splits at CR LF, LF or a lone CR; a break at the end
    // does not start another item.
    virtual AnsiString GetText() const;
    virtual void SetText(const AnsiString& Text);

    void BeginUpdate();
    void EndUpdate();
    int GetUpdateCount() const { return FUpdateCount; }

    // Text files: the bytes as they are (UTF-8); a leading UTF-8 byte-order mark is skipped.
    virtual void LoadFromStream(TStream& Stream);
    virtual void SaveToStream(TStream& Stream) const;
    void LoadFromFile(const AnsiString& FileName);
    void SaveToFile(const AnsiString& FileName) const;

protected:
    // Called when the outermost update starts (True) and ends (False).
    virtual void SetUpdateState(bool Updating);
    virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2) const;
    [[noreturn]] void Error(const AnsiString& Message, int Index) const;

private:
    int FUpdateCount = 0;
    char FNameValueSeparator = '=';
};

// ---- TStringList ----

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
public:
    AnsiString ClassName() const override { return "TStringList"; }

    int GetCount() const override { return static_cast<int>(FItems.size()); }
    AnsiString Get(int Index) const override;
    void Put(int Index, const AnsiString& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    // Raises EStringListError "Operation not allowed on sorted list" when Sorted.
    void Insert(int Index, const AnsiString& S) override;
    void InsertObject(int Index, const AnsiString& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    // On a sorted list: placed in order; a duplicate is ignored (index of the existing item),
    // accepted, or raises EStringListError "String list does not allow duplicates".
    int Add(const AnsiString& S) override;
    int AddObject(const AnsiString& S, TObject* AObject) override;
    void Exchange(int Index1, int Index2) override;
    int IndexOf(const AnsiString& S) const override;

    // Binary search of a sorted list: True when found; Index is the match or the insert point.
    bool Find(const AnsiString& S, int& Index) const;
    // Stable sorts.
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& Compare);

    bool GetSorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool GetCaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool Updating) override;
    int CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;
    virtual void Changed();
    virtual void Changing();

private:
    struct TItem {
        AnsiString S;
        TObject* Object = nullptr;
    };
    void Check(int Index) const;
    void InsertItem(int Index, const AnsiString& S, TObject* AObject);

    std::vector<TItem> FItems;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
};

}  // namespace carrelon
