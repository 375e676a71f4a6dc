// Owns one reference to an interface: acquired on construction (by query, by adoption of an
// already counted pointer, or by instantiation through a database) and released on
// destruction. No raw pointer owns a reference anywhere else.
// Same threading as the boss it points into.
#pragma once

#include <utility>

#include "IDataBase.h"
#include "IPMUnknown.h"
#include "UIDRef.h"

template <class T>
class InterfacePtr {
public:
    InterfacePtr() = default;
    // Adopts a pointer that already carries a reference (the result of a Query… call).
    explicit InterfacePtr(T* counted) : fPtr(counted) {}
    InterfacePtr(const IPMUnknown* from, PMIID iid)
        : fPtr(from ? static_cast<T*>(from->QueryInterface(iid)) : nullptr) {}
    explicit InterfacePtr(const IPMUnknown* from) : InterfacePtr(from, IID_OF<T>()) {}
    InterfacePtr(const UIDRef& ref, PMIID iid)
        : fPtr(ref.GetDataBase() ? static_cast<T*>(ref.GetDataBase()->Instantiate(ref.GetUID(), iid)) : nullptr) {}
    InterfacePtr(IDataBase* db, UID uid, PMIID iid)
        : fPtr(db ? static_cast<T*>(db->Instantiate(uid, iid)) : nullptr) {}

    InterfacePtr(const InterfacePtr& other) : fPtr(other.fPtr) { if (fPtr) fPtr->AddRef(); }
    InterfacePtr(InterfacePtr&& other) noexcept : fPtr(std::exchange(other.fPtr, nullptr)) {}
    InterfacePtr& operator=(InterfacePtr other) noexcept { std::swap(fPtr, other.fPtr); return *this; }
    ~InterfacePtr() { if (fPtr) fPtr->Release(); }

    T* get() const { return fPtr; }
    T* operator->() const { return fPtr; }
    T& operator*() const { return *fPtr; }
    explicit operator bool() const { return fPtr != nullptr; }
    bool operator==(std::nullptr_t) const { return fPtr == nullptr; }
    // Gives up ownership: the caller now holds the reference.
    T* forget() { return std::exchange(fPtr, nullptr); }
    void reset(T* counted = nullptr) { InterfacePtr(counted).swap(*this); }
    void swap(InterfacePtr& other) noexcept { std::swap(fPtr, other.fPtr); }

private:
    T* fPtr = nullptr;
};
