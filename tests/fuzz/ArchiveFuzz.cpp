// Reads an object list from arbitrary bytes. Damage must end in ArchiveError, never in a crash,
// a hang or an unbounded allocation; whatever loads must store and reload to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/Archive.h"

namespace {

using svu::Archive;
using svu::ArchiveError;
using svu::Serializable;
using List = std::vector<std::unique_ptr<Serializable>>;

class FuzzLeaf : public Serializable {
public:
    int32_t value = 0;
    std::string text;
    double reading = 0;

    const char* ClassName() const override { return "FuzzLeaf"; }
    uint16_t Schema() const override { return 2; }
    void Serialize(Archive& ar) override {
        ar.Field(value);
        ar.Field(text);
        if (ar.ObjectSchema() >= 2) {
            ar.Field(reading);
        }
    }
};

class FuzzNode : public Serializable {
public:
    std::string name;
    std::vector<uint32_t> codes;
    std::vector<std::string> labels;
    List children;
    std::unique_ptr<Serializable> extra;

    const char* ClassName() const override { return "FuzzNode"; }
    uint16_t Schema() const override { return 9; }
    void Serialize(Archive& ar) override {
        ar.ObList(children);
        ar.StringArray(labels);
        ar.DWordArray(codes);
        ar.Field(name);
        if (ar.IsStoring()) {
            ar.WriteObject(extra.get());
        } else {
            extra = ar.ReadObject();
        }
    }
};

class FuzzFlags : public Serializable {
public:
    bool on = false;
    uint16_t small = 0;
    float level = 0;

    const char* ClassName() const override { return "FuzzFlags"; }
    uint16_t Schema() const override { return 1; }
    void Serialize(Archive& ar) override {
        ar.Field(on);
        ar.Field(small);
        ar.Field(level);
    }
};

const svu::ClassRegistry& Registry() {
    static const svu::ClassRegistry reg = [] {
        svu::ClassRegistry r;
        r.RegisterClass<FuzzLeaf>("FuzzLeaf");
        r.RegisterClass<FuzzNode>("FuzzNode");
        r.RegisterClass<FuzzFlags>("FuzzFlags");
        return r;
    }();
    return reg;
}

std::vector<uint8_t> Store(List& list) {
    Archive ar = Archive::ForStoring(Registry());
    ar.ObList(list);
    return ar.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    List list;
    try {
        Archive ar = Archive::ForLoading(std::vector<uint8_t>(data, data + size), Registry());
        ar.ObList(list);
    } catch (const ArchiveError&) {
        return 0;
    }
    const std::vector<uint8_t> first = Store(list);
    List again;
    try {
        Archive ar = Archive::ForLoading(first, Registry());
        ar.ObList(again);
        if (!ar.AtEnd()) {
            std::abort();
        }
    } catch (const ArchiveError&) {
        std::abort();  // what we stored must load
    }
    if (Store(again) != first) {
        std::abort();
    }
    return 0;
}
