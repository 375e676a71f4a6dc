// Bosses: implementations made on first query, reference counts per boss, destruction in
// reverse order of creation, inheritance and add-ins, withheld interfaces, and the
// database helpers GetDataBase and GetUIDRef.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Boss.h"
#include "BossClasses.h"
#include "DataBase.h"
#include "Host.h"
#include "HostIDs.h"
#include "IWorkspace.h"
#include "ImplRegistry.h"
#include "InterfacePtr.h"
#include "TestData.h"

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

TEST_F(ObjectModelTest, ImplementationsAreMadeOnFirstQueryAndOnlyOnce) {
    tshost::Boss* boss = tshost::Boss::Create(kParent);
    ASSERT_NE(boss, nullptr);
    EXPECT_TRUE(gEvents.empty());
    {
        InterfacePtr<IA> a(boss, IID_OF<IA>());
        InterfacePtr<IA> again(boss, IID_OF<IA>());
        ASSERT_TRUE(a);
        EXPECT_EQ(a.get(), again.get());
        EXPECT_EQ(a->Which(), 1);
    }
    EXPECT_EQ(gEvents, std::vector<std::string>{"make 1"});
    boss->Release();
}

TEST_F(ObjectModelTest, ReferenceCountsAreForTheWholeBoss) {
    tshost::Boss* boss = tshost::Boss::Create(kParent);
    IA* a = static_cast<IA*>(boss->QueryInterface(IID_OF<IA>()));
    EXPECT_EQ(boss->RefCount(), 2);
    a->AddRef();
    EXPECT_EQ(boss->RefCount(), 3);
    boss->Release();  // the creation reference: the boss lives on through `a`
    a->Release();
    EXPECT_TRUE(std::find(gEvents.begin(), gEvents.end(), "destroy 1") == gEvents.end());
    a->Release();
    EXPECT_EQ(gEvents.back(), "destroy 1");
}

TEST_F(ObjectModelTest, ImplementationsAreDestroyedInReverseOrderOfCreation) {
    tshost::Boss* boss = tshost::Boss::Create(kParent);
    InterfacePtr<IB>(boss, IID_OF<IB>());
    InterfacePtr<IA>(boss, IID_OF<IA>());
    boss->Release();
    EXPECT_EQ(gEvents, (std::vector<std::string>{"make 2", "make 1", "destroy 1", "destroy 2"}));
}

TEST_F(ObjectModelTest, ChildrenOverrideAndInheritAndAddInsReplace) {
    tshost::Boss* child = tshost::Boss::Create(kChild);
    EXPECT_EQ(InterfacePtr<IA>(child, IID_OF<IA>())->Which(), 3);
    EXPECT_TRUE(InterfacePtr<IB>(child, IID_OF<IB>()));
    child->Release();

    ASSERT_EQ(tshost::BossClasses::Get().AddIn(kParent, IID_OF<IA>(), ImplementationID(0x7f102)), kSuccess);
    tshost::Boss* parent = tshost::Boss::Create(kParent);
    EXPECT_EQ(InterfacePtr<IA>(parent, IID_OF<IA>())->Which(), 2);
    parent->Release();
    EXPECT_EQ(tshost::BossClasses::Get().AddIn(ClassID(0x7f1ff), IID_OF<IA>(), ImplementationID(0x7f102)), kFailure);
}

TEST_F(ObjectModelTest, WithheldInterfacesAnswerNullUntilRestored) {
    tshost::Boss* boss = tshost::Boss::Create(kChild);
    tshost::BossClasses::Get().Withhold(kChild, IID_OF<IB>());
    EXPECT_FALSE(InterfacePtr<IB>(boss, IID_OF<IB>()));
    tshost::BossClasses::Get().Restore(kChild, IID_OF<IB>());
    EXPECT_TRUE(InterfacePtr<IB>(boss, IID_OF<IB>()));
    boss->Release();
}

TEST_F(ObjectModelTest, UnknownClassesAndInterfacesGiveNull) {
    EXPECT_EQ(tshost::Boss::Create(ClassID(0x7f1ff)), nullptr);
    tshost::Boss* boss = tshost::Boss::Create(kParent);
    EXPECT_EQ(boss->QueryInterface(PMIID(0x7f1ff)), nullptr);
    EXPECT_EQ(boss->RefCount(), 1);
    boss->Release();
}

TEST_F(ObjectModelTest, DatabaseHelpersNameOnlyPersistentObjects) {
    ASSERT_EQ(tshost::ImplRegistry::Get().Register(tshost::HostImplementation<tstest::TestData>(ImplementationID(0x7f110), true)),
              kSuccess);
    ASSERT_EQ(tshost::BossClasses::Get().AddIn(tshost::kWorkspaceBoss, IID_OF<tstest::ITestData>(), ImplementationID(0x7f110)),
              kSuccess);
    auto db = tshost::DataBase::CreateNew(tshost::kWorkspaceBoss, "w");
    InterfacePtr<tstest::ITestData> data(db.get(), db->GetRootUID(), IID_OF<tstest::ITestData>());
    ASSERT_TRUE(data);
    EXPECT_EQ(GetDataBase(data.get()), db.get());
    EXPECT_EQ(GetUIDRef(data.get()), UIDRef(db.get(), db->GetRootUID()));

    tshost::Boss* loose = tshost::Boss::Create(kParent);
    EXPECT_EQ(GetDataBase(loose), nullptr);
    EXPECT_EQ(GetUIDRef(loose), UIDRef::gNull);
    EXPECT_EQ(GetDataBase(nullptr), nullptr);
    loose->Release();
}

}  // namespace
