// Bosses: implementations made on first query, reference counts per boss, destruction in
// reverse order of creation, inheritance and add-ins, withheld interfaces. (GetDataBase and
// GetUIDRef of persistent bosses are seen through documents.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Boss.h"
#include "BossClasses.h"
#include "CPMUnknown.h"
#include "DataBase.h"
#include "Host.h"
#include "ImplRegistry.h"
#include "InterfacePtr.h"

namespace {

std::vector<std::string> gEvents;

struct IA : IPMUnknown { enum : uint32 { kDefaultIID = 0x7f101 }; virtual int Which() const = 0; };
// Every test implementation serves both interfaces, so any pairing in a class is sound.
struct IB : IA { enum : uint32 { kDefaultIID = 0x7f102 }; };

template <int N>
class Traced : public CPMUnknown<IB> {
public:
    explicit Traced(IPMUnknown* boss) : CPMUnknown<IB>(boss) { gEvents.push_back("make " + std::to_string(N)); }
    ~Traced() override { gEvents.push_back("destroy " + std::to_string(N)); }
    int Which() const override { return N; }
};

constexpr ClassID kParent{0x7f100};
constexpr ClassID kChild{0x7f101};

class ObjectModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Boot(error)) << error;
        gEvents.clear();
        auto& impls = tshost::ImplRegistry::Get();
        ASSERT_EQ(impls.Register(tshost::HostImplementation<Traced<1>>(ImplementationID(0x7f101))), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<Traced<2>>(ImplementationID(0x7f102))), kSuccess);
        ASSERT_EQ(impls.Register(tshost::HostImplementation<Traced<3>>(ImplementationID(0x7f103))), kSuccess);
        auto& classes = tshost::BossClasses::Get();
        ASSERT_EQ(classes.Define({kParent, kInvalidClass, "parent", {{IID_OF<IA>(), ImplementationID(0x7f101)},
                                                                     {IID_OF<IB>(), ImplementationID(0x7f102)}}}), kSuccess);
        ASSERT_EQ(classes.Define({kChild, kParent, "child", {{IID_OF<IA>(), ImplementationID(0x7f103)}}}), kSuccess);
    }
    tshost::Host host;
};

TEST_F(ObjectModelTest, ImplementationsAreMadeOnFirstQueryCountedPerBossAndDestroyedInReverse) {
    tshost::Boss* boss = tshost::Boss::Create(kParent);
    ASSERT_NE(boss, nullptr);
    EXPECT_TRUE(gEvents.empty());
    {
        InterfacePtr<IB> b(boss, IID_OF<IB>());
        InterfacePtr<IA> a(boss, IID_OF<IA>());
        InterfacePtr<IA> again(boss, IID_OF<IA>());
        ASSERT_TRUE(a);
        EXPECT_EQ(a.get(), again.get());
        EXPECT_EQ(a->Which(), 1);
        EXPECT_EQ(boss->QueryInterface(PMIID(0x7f1ff)), nullptr);
        EXPECT_EQ(GetUIDRef(boss), UIDRef::gNull);  // a boss outside any database
    }
    // The creation reference goes first: the boss lives on through its interfaces.
    IA* a = static_cast<IA*>(boss->QueryInterface(IID_OF<IA>()));
    a->AddRef();
    EXPECT_EQ(boss->RefCount(), 3);
    boss->Release();
    a->Release();
    EXPECT_EQ(gEvents.back(), "make 1");
    a->Release();
    EXPECT_EQ(gEvents, (std::vector<std::string>{"make 2", "make 1", "destroy 1", "destroy 2"}));
    EXPECT_EQ(tshost::Boss::Create(ClassID(0x7f1ff)), nullptr);
    EXPECT_EQ(GetDataBase(nullptr), nullptr);
}

TEST_F(ObjectModelTest, ChildrenOverrideAndInheritAddInsReplaceAndWithheldGiveNull) {
    tshost::Boss* child = tshost::Boss::Create(kChild);
    EXPECT_EQ(InterfacePtr<IA>(child, IID_OF<IA>())->Which(), 3);
    tshost::BossClasses::Get().Withhold(kChild, IID_OF<IB>());
    EXPECT_FALSE(InterfacePtr<IB>(child, IID_OF<IB>()));
    tshost::BossClasses::Get().Restore(kChild, IID_OF<IB>());
    EXPECT_TRUE(InterfacePtr<IB>(child, IID_OF<IB>()));
    child->Release();

    ASSERT_EQ(tshost::BossClasses::Get().AddIn(kParent, IID_OF<IA>(), ImplementationID(0x7f102)), kSuccess);
    tshost::Boss* parent = tshost::Boss::Create(kParent);
    EXPECT_EQ(InterfacePtr<IA>(parent, IID_OF<IA>())->Which(), 2);
    parent->Release();
    EXPECT_EQ(tshost::BossClasses::Get().AddIn(ClassID(0x7f1ff), IID_OF<IA>(), ImplementationID(0x7f102)), kFailure);
}

}  // namespace
