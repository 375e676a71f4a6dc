// Persistent object identity: a UID names an object inside one database; a UIDRef names it
// in the whole process (database and UID); a UIDList is a list of UIDs in one database.
// Plain values; safe to copy on any thread, but the database they point into is used only
// on the user-interface thread.
#pragma once

#include <compare>
#include <functional>
#include <vector>

#include "PMTypes.h"

class IDataBase;

class UID {
public:
    constexpr UID() = default;
    constexpr explicit UID(uint32 value) : fValue(value) {}
    constexpr uint32 Get() const { return fValue; }
    constexpr bool IsValid() const { return fValue != 0; }
    constexpr auto operator<=>(const UID&) const = default;

private:
    uint32 fValue = 0;
};

constexpr UID kInvalidUID{0};

class UIDRef {
public:
    UIDRef() = default;
    UIDRef(IDataBase* db, UID uid) : fDataBase(db), fUID(uid) {}
    IDataBase* GetDataBase() const { return fDataBase; }
    UID GetUID() const { return fUID; }
    bool operator==(const UIDRef& other) const = default;
    // A strict order (database address, then UID), so references can key ordered maps.
    bool operator<(const UIDRef& other) const {
        if (fDataBase != other.fDataBase) return std::less<IDataBase*>()(fDataBase, other.fDataBase);
        return fUID < other.fUID;
    }

    static const UIDRef gNull;

private:
    IDataBase* fDataBase = nullptr;
    UID fUID;
};

inline const UIDRef UIDRef::gNull{};

class UIDList {
public:
    UIDList() = default;
    explicit UIDList(IDataBase* db) : fDataBase(db) {}
    explicit UIDList(const UIDRef& ref) : fDataBase(ref.GetDataBase()) { fUIDs.push_back(ref.GetUID()); }

    IDataBase* GetDataBase() const { return fDataBase; }
    int32 Length() const { return static_cast<int32>(fUIDs.size()); }
    bool IsEmpty() const { return fUIDs.empty(); }
    void Append(UID uid) { fUIDs.push_back(uid); }
    void Clear() { fUIDs.clear(); }
    UID At(int32 index) const { return fUIDs.at(static_cast<size_t>(index)); }
    UID operator[](int32 index) const { return At(index); }
    UIDRef GetRef(int32 index) const { return UIDRef(fDataBase, At(index)); }
    bool operator==(const UIDList& other) const = default;

private:
    IDataBase* fDataBase = nullptr;
    std::vector<UID> fUIDs;
};
