#include "engine/registry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

using kiv::Registry;

namespace {
struct Named {
    char name[64] = {};
    int value = 0;
};
const char* nameOf(const Named& n) { return n.name; }
Named make(const char* name, int v) {
    Named n;
    kiv::copyName(n.name, name);
    n.value = v;
    return n;
}
std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
}  // namespace

TEST(Registry, InstanciateEndInstanceAndNameLookup) {
    Registry<Named> r;
    EXPECT_EQ(r.getPointer(), nullptr);
    EXPECT_EQ(r.instanciate(make("a", 1)), 0);
    EXPECT_EQ(r.instanciate(make("b", 2)), 1);
    EXPECT_EQ(r.instanceCount(), 2);
    // Records are found by name only once they have been ended.
    EXPECT_EQ(r.indexFromName("b", nameOf), -1);
    EXPECT_EQ(r.endInstance(), 2);
    EXPECT_EQ(r.indexFromName("b", nameOf), 1);
    EXPECT_EQ(r.indexFromName("B", nameOf), -1);
    r.instanciate(make("c", 3));
    EXPECT_EQ(r.indexFromName("c", nameOf), -1);
    EXPECT_EQ(r.getReference(2)->value, 3);
    EXPECT_THROW(r.getReference(3), std::out_of_range);
    EXPECT_THROW(r.getReference(-1), std::out_of_range);
    r.clear();
    EXPECT_EQ(r.instanceCount(), 0);
    EXPECT_EQ(r.endedCount(), 0);
}

TEST(Registry, CopyNameCutsLongNames) {
    Named n;
    const std::string longName(200, 'x');
    kiv::copyName(n.name, longName.c_str());
    EXPECT_EQ(std::string(n.name), std::string(63, 'x'));
}

TEST(Registry, OutputChecksItsRange) {
    const std::string path = ::testing::TempDir() + "registry_output.txt";
    auto writeOne = [](std::FILE* f, int i) { std::fprintf(f, "record %d\n", i); };
    struct Case {
        int ended, from, to;
        long expect;
        const char* text;
    } cases[] = {
        {0, 0, 0, 0, "Index Argment Error. Exit.\n"},
        {3, 2, 1, 0, "Index Argment Error. Exit.\n"},
        {3, -1, 1, 0, "Index Argment Error. Exit.\n"},
        {3, 0, 3, 0, "Index Argment Error. Exit.\n"},
        {3, 1, 2, 1, "3\nrecord 1\nrecord 2\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kiv::outputRecords(c.ended, c.from, c.to, path.c_str(), writeOne), c.expect);
        EXPECT_EQ(slurp(path), c.text);
    }
    EXPECT_EQ(kiv::outputRecords(3, 0, 0, "/nonexistent-dir/x.txt", writeOne), 0);
}
