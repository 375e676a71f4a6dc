// How a plug-in hands its implementations to the host. Each implementation has one
// registration record, a file-scope object constructed when the plug-in loads, which links
// itself at the head of the plug-in's list. The host creates an implementation by
// allocating SizeOf() bytes and calling Create with that memory and the boss; it later calls
// Destroy and frees the memory. Persistent implementations also have a ReadWrite function.
// Records are built before main and read once by LoadFactories, on the thread that loads
// the plug-in (the user-interface thread); nothing changes them after.
#pragma once

#include <cstddef>

#include "IDTypes.h"

class IPMUnknown;
class IPMStream;

using CreateImplementationFn = IPMUnknown* (*)(void* memory, IPMUnknown* boss);
using DestroyImplementationFn = void (*)(IPMUnknown* object);
using SizeOfImplementationFn = std::size_t (*)();
using ReadWriteImplementationFn = void (*)(IPMUnknown* object, IPMStream* stream, ImplementationID implID);

struct ImplementationRecord {
    ImplementationRecord(ImplementationID implID, CreateImplementationFn create, DestroyImplementationFn destroy,
                         SizeOfImplementationFn sizeOf, ReadWriteImplementationFn readWrite)
        : fImplID(implID), fCreate(create), fDestroy(destroy), fSizeOf(sizeOf), fReadWrite(readWrite), fNext(Head()) {
        Head() = this;
    }
    ImplementationRecord(const ImplementationRecord&) = delete;
    ImplementationRecord& operator=(const ImplementationRecord&) = delete;

    // The plug-in's list, newest record first.
    static ImplementationRecord*& Head() {
        static ImplementationRecord* head = nullptr;
        return head;
    }

    ImplementationID fImplID;
    CreateImplementationFn fCreate;
    DestroyImplementationFn fDestroy;
    SizeOfImplementationFn fSizeOf;
    ReadWriteImplementationFn fReadWrite;  // null for implementations that are not persistent
    void* fHook1 = nullptr;                // reserved; always null
    void* fHook2 = nullptr;                // reserved; always null
    ImplementationRecord* fNext;
};

// Defines the factory set of `Class` for `ImplID`: CreatekXImpl_, DestroykXImpl_, SizeOfkXImpl_.
#define CREATE_PMINTERFACE(Class, ImplID)                                                                    \
    IPMUnknown* Create##ImplID##_(void* memory, IPMUnknown* boss) {                                          \
        return memory ? static_cast<IPMUnknown*>(new (memory) Class(boss)) : nullptr;                        \
    }                                                                                                        \
    void Destroy##ImplID##_(IPMUnknown* object) { static_cast<Class*>(object)->~Class(); }                   \
    std::size_t SizeOf##ImplID##_() { return sizeof(Class); }                                                \
    static ImplementationRecord g##ImplID##_Record(ImplID, Create##ImplID##_, Destroy##ImplID##_,            \
                                                   SizeOf##ImplID##_, nullptr)

// The same for a persistent implementation, adding ReadWritekXImpl_, which calls the object's
// own ReadWrite(IPMStream*, ImplementationID).
#define CREATE_PERSIST_PMINTERFACE(Class, ImplID)                                                            \
    IPMUnknown* Create##ImplID##_(void* memory, IPMUnknown* boss) {                                          \
        return memory ? static_cast<IPMUnknown*>(new (memory) Class(boss)) : nullptr;                        \
    }                                                                                                        \
    void Destroy##ImplID##_(IPMUnknown* object) { static_cast<Class*>(object)->~Class(); }                   \
    std::size_t SizeOf##ImplID##_() { return sizeof(Class); }                                                \
    void ReadWrite##ImplID##_(IPMUnknown* object, IPMStream* stream, ImplementationID implID) {              \
        static_cast<Class*>(object)->ReadWrite(stream, implID);                                              \
    }                                                                                                        \
    static ImplementationRecord g##ImplID##_Record(ImplID, Create##ImplID##_, Destroy##ImplID##_,            \
                                                   SizeOf##ImplID##_, ReadWrite##ImplID##_)
