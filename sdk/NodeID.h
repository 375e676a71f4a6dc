// Node identity for tree views. A plug-in describes its nodes by subclassing NodeIDClass
// (one subclass per node type) and hands them to the host wrapped in a NodeID, which owns
// the object: a NodeID made from `new MyNodeID(…)` deletes it when it goes away, and a copy
// clones it (Clone), so no two NodeIDs ever share one object and a Read into one changes no
// other. An empty NodeID (kInvalidNodeID) stands for "no node".
// The host compares nodes only of the same type through Compare; nodes of different types
// are ordered by type, so a subclass need not expect foreign objects in Compare.
// Plain values; a NodeID is used on the user-interface thread, like the tree it belongs to.
#pragma once

#include <cstdio>
#include <utility>
#include <vector>

#include "IDTypes.h"
#include "K2Vector.h"
#include "PMString.h"

class IPMStream;

using NodeType = IDValue<struct NodeTypeKind>;
constexpr NodeType kInvalidNodeType{0};

class NodeIDClass {
public:
    virtual ~NodeIDClass() = default;

    virtual NodeType GetNodeType() const = 0;
    // -1, 0 or 1; `other` is always of this object's type.
    virtual int32 Compare(const NodeIDClass* other) const = 0;
    // A new object equal to this one; the caller owns it.
    virtual NodeIDClass* Clone() const = 0;
    // Restores what Write stored; the host makes a blank node (GetGenericNodeID) and reads it.
    virtual void Read(IPMStream* stream) = 0;
    virtual void Write(IPMStream* stream) const = 0;
    // For diagnostics: "node of type 0x61003".
    virtual PMString GetDescription() const {
        char text[48];
        std::snprintf(text, sizeof text, "node of type 0x%x", GetNodeType().Get());
        return PMString(text, PMString::kNoTranslate);
    }
};

class NodeID {
public:
    NodeID() = default;
    // Takes ownership of `node` (null gives an empty NodeID).
    NodeID(NodeIDClass* node) : fNode(node) {}
    NodeID(const NodeID& other) : fNode(other.fNode ? other.fNode->Clone() : nullptr) {}
    NodeID(NodeID&& other) noexcept : fNode(std::exchange(other.fNode, nullptr)) {}
    NodeID& operator=(NodeID other) noexcept {
        std::swap(fNode, other.fNode);
        return *this;
    }
    ~NodeID() { delete fNode; }

    bool IsValid() const { return fNode != nullptr; }
    explicit operator bool() const { return IsValid(); }
    // The wrapped object, still owned by this NodeID; null when empty.
    NodeIDClass* Get() const { return fNode; }
    NodeIDClass* operator->() const { return fNode; }
    NodeType GetNodeType() const { return fNode ? fNode->GetNodeType() : kInvalidNodeType; }
    // Deletes the wrapped object: the NodeID becomes empty.
    void Release() {
        delete fNode;
        fNode = nullptr;
    }

    // Empty first, then by type, then by the type's own Compare.
    int32 Compare(const NodeID& other) const {
        if (!fNode || !other.fNode) return fNode ? 1 : other.fNode ? -1 : 0;
        NodeType mine = fNode->GetNodeType(), theirs = other.fNode->GetNodeType();
        if (mine != theirs) return mine < theirs ? -1 : 1;
        int32 order = fNode->Compare(other.fNode);
        return order < 0 ? -1 : order > 0 ? 1 : 0;
    }
    bool operator==(const NodeID& other) const { return Compare(other) == 0; }
    bool operator!=(const NodeID& other) const { return Compare(other) != 0; }
    bool operator<(const NodeID& other) const { return Compare(other) < 0; }

private:
    NodeIDClass* fNode = nullptr;
};

inline const NodeID kInvalidNodeID;

using NodeIDList = K2Vector<NodeID>;
