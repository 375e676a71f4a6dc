// NodeID's ownership, order and streaming: copies never share the wrapped object, empty
// nodes come first, nodes of different types order by type without calling the type's
// Compare, and a node read from a stream equals the one written.
#include <gtest/gtest.h>

#include "MemoryStream.h"
#include "NodeID.h"

namespace {

struct Counted : NodeIDClass {
    Counted(uint32 nodeType, int32 node) : type(nodeType), id(node) { ++alive; }
    ~Counted() override { --alive; }
    NodeType GetNodeType() const override { return NodeType(type); }
    int32 Compare(const NodeIDClass* other) const override {
        ++compares;
        return (id - static_cast<const Counted*>(other)->id) * 5;  // any sign, not just -1/1
    }
    NodeIDClass* Clone() const override { return new Counted(type, id); }
    void Read(IPMStream* stream) override { stream->XferInt32(id); }
    void Write(IPMStream* stream) const override { stream->XferInt32(id); }
    uint32 type;
    mutable int32 id;  // a writing stream only reads it
    static inline int alive = 0, compares = 0;
};

TEST(NodeIDTest, CopiesOwnTheirObjectsAndOrderIsEmptyThenTypeThenTheTypesOwnCompare) {
    {
        NodeID a(new Counted(1, 5)), b = a, six(new Counted(1, 6));
        EXPECT_EQ(Counted::alive, 3);
        tshost::MemoryStream out;
        six->Write(&out);
        tshost::MemoryStream in(out.TakeBytes());
        b->Read(&in);
        EXPECT_EQ(b, six);
        EXPECT_NE(a, b) << "a read into a copy changed the original";
        NodeID c = std::move(a);
        EXPECT_FALSE(a.IsValid());
        c.Release();
        b = kInvalidNodeID;
        EXPECT_EQ(Counted::alive, 1);
        b = new Counted(1, 1);
    }
    EXPECT_EQ(Counted::alive, 0);

    NodeID empty, t1a(new Counted(1, 1)), t1b(new Counted(1, 2)), t2(new Counted(2, 0));
    std::tuple<const NodeID*, const NodeID*, int32> cases[] = {
        {&empty, &empty, 0}, {&empty, &t1a, -1}, {&t1a, &empty, 1}, {&t1a, &t1b, -1},
        {&t1b, &t1a, 1},     {&t1a, &t1a, 0},    {&t1b, &t2, -1},   {&t2, &t1a, 1}};
    Counted::compares = 0;
    for (auto [left, right, order] : cases) EXPECT_EQ(left->Compare(*right), order);
    EXPECT_EQ(Counted::compares, 3) << "Compare is called only between nodes of one type";
}

}  // namespace
