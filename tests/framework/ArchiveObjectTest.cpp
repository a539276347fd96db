// Object tags, object lists and the refusal of damaged object data.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Archive.h"

namespace svu {
namespace {

using Bytes = std::vector<uint8_t>;
using List = std::vector<std::unique_ptr<Serializable>>;

class Leaf : public Serializable {
public:
    int32_t value = 0;
    std::string name;
    uint16_t loadedSchema = 0;

    const char* ClassName() const override { return "Leaf"; }
    uint16_t Schema() const override { return 3; }
    void Serialize(Archive& ar) override {
        loadedSchema = ar.ObjectSchema();
        ar.Field(value);
        if (ar.ObjectSchema() >= 2) {
            ar.Field(name);
        }
    }
};

class Node : public Serializable {
public:
    std::string label;
    std::vector<uint32_t> values;
    List children;
    uint16_t schemaAfterChildren = 0;

    const char* ClassName() const override { return "Node"; }
    uint16_t Schema() const override { return 1; }
    void Serialize(Archive& ar) override {
        ar.Field(label);
        ar.DWordArray(values);
        ar.ObList(children);
        schemaAfterChildren = ar.ObjectSchema();
    }
};

std::unique_ptr<Leaf> MakeLeaf(int32_t value, std::string name = "") {
    auto leaf = std::make_unique<Leaf>();
    leaf->value = value;
    leaf->name = std::move(name);
    return leaf;
}

class ArchiveObjects : public ::testing::Test {
protected:
    ArchiveObjects() {
        reg.RegisterClass<Leaf>("Leaf");
        reg.RegisterClass<Node>("Node");
    }

    Bytes StoreList(List& list) {
        Archive ar = Archive::ForStoring(reg);
        ar.ObList(list);
        return ar.Bytes();
    }

    List LoadList(Bytes bytes) {
        Archive ar = Archive::ForLoading(std::move(bytes), reg);
        List list;
        ar.ObList(list);
        EXPECT_TRUE(ar.AtEnd());
        return list;
    }

    // A root node with a nested node, then a loose leaf: two classes, six objects.
    List SampleTree() {
        auto inner = std::make_unique<Node>();
        inner->label = "inner";
        inner->children.push_back(MakeLeaf(2, "two"));
        auto root = std::make_unique<Node>();
        root->label = "root";
        root->values = {1, 2};
        root->children.push_back(MakeLeaf(1, "one"));
        root->children.push_back(std::move(inner));
        root->children.push_back(MakeLeaf(3, "three"));
        List list;
        list.push_back(std::move(root));
        list.push_back(MakeLeaf(4, "four"));
        return list;
    }

    ClassRegistry reg;
};

TEST_F(ArchiveObjects, TagsForNewClassKnownClassNullAndBackReference) {
    auto a = MakeLeaf(5, "x");
    auto b = MakeLeaf(6);
    Node n;
    Archive ar = Archive::ForStoring(reg);
    ar.WriteObject(a.get());
    ar.WriteObject(b.get());
    ar.WriteObject(nullptr);
    ar.WriteObject(a.get());
    ar.WriteObject(&n);
    // clang-format off
    EXPECT_EQ(ar.Bytes(), (Bytes{
        0xFF, 0xFF, 0x03, 0x00, 0x04, 0x00, 'L', 'e', 'a', 'f', 0x05, 0, 0, 0, 0x01, 'x',  // new class, schema 3
        0x01, 0x80, 0x06, 0, 0, 0, 0x00,                                                  // class index 1
        0x00, 0x00,                                                                       // null
        0x02, 0x00,                                                                       // object 2: a again
        0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00, 'N', 'o', 'd', 'e', 0x00, 0x00, 0x00, 0x00, 0x00}));
    // clang-format on
}

TEST_F(ArchiveObjects, NestedTreeRoundTripsWithSchemas) {
    List stored = SampleTree();
    const List loaded = LoadList(StoreList(stored));

    ASSERT_EQ(loaded.size(), 2u);
    const auto* root = dynamic_cast<const Node*>(loaded[0].get());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->label, "root");
    EXPECT_EQ(root->values, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(root->schemaAfterChildren, 1);  // restored after the nested objects of schema 3
    ASSERT_EQ(root->children.size(), 3u);
    const auto* inner = dynamic_cast<const Node*>(root->children[1].get());
    ASSERT_NE(inner, nullptr);
    ASSERT_EQ(inner->children.size(), 1u);
    const auto* two = dynamic_cast<const Leaf*>(inner->children[0].get());
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->name, "two");
    // Later leaves arrive through a class index and still see the schema of the first tag.
    const auto* four = dynamic_cast<const Leaf*>(loaded[1].get());
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(four->value, 4);
    EXPECT_EQ(four->name, "four");
    EXPECT_EQ(four->loadedSchema, 3);
}

TEST_F(ArchiveObjects, OlderSchemaInTheFileReachesSerialize) {
    const List loaded = LoadList(
        {0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00, 'L', 'e', 'a', 'f', 0x07, 0, 0, 0, 0x01, 0x80, 0x08, 0, 0, 0});
    ASSERT_EQ(loaded.size(), 2u);
    for (const auto& obj : loaded) {
        const auto& leaf = dynamic_cast<const Leaf&>(*obj);
        EXPECT_EQ(leaf.loadedSchema, 1);
        EXPECT_EQ(leaf.name, "");
    }
    EXPECT_EQ(dynamic_cast<const Leaf&>(*loaded[1]).value, 8);
}

TEST_F(ArchiveObjects, BigIndexTagsRoundTrip) {
    List list;
    for (int i = 0; i < 33000; ++i) {
        list.push_back(MakeLeaf(i));
    }
    // Leaf is index 1 and the leaves 2..33001, so Node is class 33002 (0x80EA), past the short form.
    list.push_back(std::make_unique<Node>());
    list.push_back(std::make_unique<Node>());
    Archive ar = Archive::ForStoring(reg);
    ar.ObList(list);
    ar.WriteObject(list[32800].get());
    ar.WriteObject(list[0].get());
    const Bytes& bytes = ar.Bytes();
    const Bytes tail(bytes.end() - 19, bytes.end());
    EXPECT_EQ(tail, (Bytes{0xFF, 0x7F, 0xEA, 0x80, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00,  // second Node
                           0xFF, 0x7F, 0x22, 0x80, 0x00, 0x00,                                // object 32802
                           0x02, 0x00}));

    Archive in = Archive::ForLoading(bytes, reg);
    List loaded;
    in.ObList(loaded);
    ASSERT_EQ(loaded.size(), 33002u);
    EXPECT_EQ(dynamic_cast<const Leaf&>(*loaded[32999]).value, 32999);
    EXPECT_NE(dynamic_cast<const Node*>(loaded[33001].get()), nullptr);
    // The same object twice would have two owners: refused.
    EXPECT_THROW(in.ReadObject(), ArchiveError);
}

TEST_F(ArchiveObjects, DamagedObjectDataIsRefused) {
    const Bytes leaf{0xFF, 0xFF, 0x03, 0x00, 0x04, 0x00, 'L', 'e', 'a', 'f', 0x01, 0, 0, 0, 0x00};
    auto after = [&](Bytes tail) {
        Bytes b = leaf;
        b.insert(b.end(), tail.begin(), tail.end());
        return b;
    };
    const std::vector<Bytes> cases = {
        {0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00, 'N', 'o', 'p', 'e'},  // unknown class
        {0x01, 0x80},                                              // class index never defined
        {0xFF, 0x7F, 0x00, 0x00, 0x00, 0x80},                      // big class tag with index 0
        {0xFF, 0xFF, 0x01, 0x00, 0xFF, 0x7F, 'L'},                 // absurd class-name length
        {0x05, 0x00},                                              // object never read
        after({0x02, 0x80}),                                       // class index naming an object
        after({0x01, 0x00}),                                       // object index naming a class
        after({0x02, 0x00}),                                       // shared object
    };
    for (const Bytes& bytes : cases) {
        Archive ar = Archive::ForLoading(bytes, reg);
        EXPECT_THROW(
            {
                ar.ReadObject();
                ar.ReadObject();
            },
            ArchiveError);
    }

    Archive wrongKind = Archive::ForLoading(leaf, reg);
    EXPECT_THROW(wrongKind.ReadObjectAs<Node>(), ArchiveError);
    for (const Bytes& list : {Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00}, Bytes{0x01, 0x00, 0x00, 0x00}}) {
        Archive ar = Archive::ForLoading(list, reg);
        List out;
        EXPECT_THROW(ar.ObList(out), ArchiveError);  // hopeless count; null entry
    }
    EXPECT_EQ(reg.Create("Nope"), nullptr);
}

TEST_F(ArchiveObjects, DeepNestingIsRefused) {
    auto chain = std::make_unique<Node>();
    for (int i = 0; i < Archive::kMaxDepth + 5; ++i) {
        auto parent = std::make_unique<Node>();
        parent->children.push_back(std::move(chain));
        chain = std::move(parent);
    }
    List list;
    list.push_back(std::move(chain));
    EXPECT_THROW(LoadList(StoreList(list)), ArchiveError);
}

TEST_F(ArchiveObjects, EveryTruncationRaisesArchiveError) {
    List stored = SampleTree();
    const Bytes bytes = StoreList(stored);
    for (size_t n = 0; n < bytes.size(); ++n) {
        EXPECT_THROW(LoadList(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n))), ArchiveError)
            << "cut at " << n;
    }
}

}  // namespace
}  // namespace svu

namespace svu {
namespace {

// A record that refers to its owner and to a peer it does not own, as derived channels do.
class Linked : public Serializable {
public:
    Serializable* self = nullptr;
    Serializable* peer = nullptr;

    const char* ClassName() const override { return "Linked"; }
    uint16_t Schema() const override { return 1; }
    void Serialize(Archive& ar) override {
        if (ar.IsStoring()) {
            ar.WriteObject(self);
            ar.WriteObject(peer);
        } else {
            self = ar.ReadObjectRef();
            peer = ar.ReadObjectRef();
        }
    }
};

TEST(ArchiveReferences, SelfAndForwardReferencesResolveToTheOwnedObjects) {
    ClassRegistry reg;
    reg.RegisterClass<Linked>("Linked");
    std::vector<std::unique_ptr<Linked>> list;
    list.push_back(std::make_unique<Linked>());
    list.push_back(std::make_unique<Linked>());
    list[0]->self = list[0].get();
    list[0]->peer = list[1].get();  // written in full inside the first record, then referred to by the list
    list[1]->self = list[1].get();
    list[1]->peer = list[0].get();
    Archive out = Archive::ForStoring(reg);
    out.ObList(list);

    Archive in = Archive::ForLoading(out.Bytes(), reg);
    std::vector<std::unique_ptr<Linked>> loaded;
    in.ObList(loaded);
    in.FinishLoading();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0]->self, loaded[0].get());
    EXPECT_EQ(loaded[0]->peer, loaded[1].get());
    EXPECT_EQ(loaded[1]->self, loaded[1].get());
    EXPECT_EQ(loaded[1]->peer, loaded[0].get());
}

TEST(ArchiveReferences, AReferencedObjectThatNoListOwnsIsRefused) {
    ClassRegistry reg;
    reg.RegisterClass<Linked>("Linked");
    Linked stray;
    std::vector<std::unique_ptr<Linked>> list;
    list.push_back(std::make_unique<Linked>());
    list[0]->peer = &stray;
    Archive out = Archive::ForStoring(reg);
    out.ObList(list);

    Archive in = Archive::ForLoading(out.Bytes(), reg);
    std::vector<std::unique_ptr<Linked>> loaded;
    in.ObList(loaded);
    EXPECT_THROW(in.FinishLoading(), ArchiveError);
}

}  // namespace
}  // namespace svu
