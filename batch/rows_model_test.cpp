// The Parameter, Display and Attribute rows driven through the interpreter.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "batch/command_table.h"
#include "batch/interpreter.h"
#include "engine/KivRadiosity.h"
#include "engine/scene.h"

using namespace kiv::batch;

namespace {

struct Rows : ::testing::Test {
    BatchState st;
    void SetUp() override {
        st.diagnostics = nullptr;
        line("SceneCreate 0");
    }
    void TearDown() override {
        for (void* h : st.created) KivScene_Delete(h);
        KivScene_MakeCurrent(nullptr);
    }
    std::string line(const std::string& text) {
        return executeLine(text.c_str(), st, standardTable());
    }
};

std::string handleText(void* h) { return std::to_string(reinterpret_cast<std::intptr_t>(h)); }

}  // namespace

TEST_F(Rows, DisplaySetAllParamTakesOneSignExtendedCharacter) {
    EXPECT_EQ(line("D 29 1 2 3 0.1 0.2 0.3 4 5 \xFF 0.6 0.7 0.8 0.01 0.02 0.03 2"), "29 ");
    EXPECT_EQ(line("D 43"), "43 -1");
    EXPECT_EQ(line("D 31"), "31 1.000000");
    EXPECT_EQ(line("D 41"), "41 5.000000");
    EXPECT_EQ(line("D 47"), "47 0.010000 0.020000 0.030000");
    EXPECT_EQ(line("D 49"), "49 2");
    // Blanks before the character are skipped; a short line leaves the rest 0.
    EXPECT_EQ(line("D 29 1 2 3 0.1 0.2 0.3 4 5    1 0.6"), "29 ");
    EXPECT_EQ(line("D 43"), "43 49");
    EXPECT_EQ(line("D 45"), "45 0.600000 0.000000 0.000000");
    EXPECT_EQ(line("D 49"), "49 0");
    EXPECT_EQ(line("D 51 ignored text"), "51 ");
}

TEST_F(Rows, ParameterSetAllRowsReadTheirFormats) {
    EXPECT_EQ(line("P 7 1.5 2 3.5 4 5 6 0.7 8 0.9 10 11 12"), "7 ");
    EXPECT_EQ(KivParameter_GetIntervalIndirect(), 3.5f);
    EXPECT_EQ(KivParameter_GetIntervalMultipleIndirect(), 4);
    EXPECT_EQ(line("P 19"), "19 8");
    EXPECT_EQ(line("P 27"), "27 12");
    EXPECT_EQ(line("P 6 100 3 5 6 0.7 -1 0.9 10 1 99999999999"), "6 ");
    EXPECT_EQ(KivParameter_GetIntervalIndirect(), 400.0f);
    EXPECT_EQ(KivParameter_GetIntervalMultipleIndirect(), 3);
    EXPECT_EQ(line("P 19"), "19 -1");
    EXPECT_EQ(line("P 27"), "27 2147483647");
    // Missing values read as 0.
    EXPECT_EQ(line("P 6 7"), "6 ");
    EXPECT_EQ(line("P 9"), "9 7.000000");
    EXPECT_EQ(line("P 11"), "11 0");
    EXPECT_EQ(line("P 23"), "23 0");
}

TEST_F(Rows, AttributeIndicesAreCheckedBeforeTheEngineSeesThem) {
    EXPECT_EQ(line("A 167 1 brick wall"), "167 ");
    EXPECT_STREQ(kiv::scene().attributes.stack.mapName, "brick");
    EXPECT_EQ(line("A 167 1 " + std::string(300, 'x')), "167 ");
    EXPECT_EQ(std::string(kiv::scene().attributes.stack.mapName), std::string(63, 'x'));
    EXPECT_EQ(line("A 167 nonsense"), "167 ");
    EXPECT_EQ(kiv::scene().attributes.stack.mapBits, 0);
    EXPECT_EQ(line("A 166 0.5 0.25"), "166 ");
    EXPECT_EQ(line("A 155 " + std::string(100, 'n')), "155 0");
    EXPECT_EQ(std::string(KivAttribute_GetReference(0)->getName()), std::string(63, 'n'));

    EXPECT_EQ(line("A 260 0 7"), "260 ");
    EXPECT_EQ(line("A 262 0 3"), "262 ");
    for (const std::string idx : {"-1", "1", "2147483647", "99999999999", "-99999999999"}) {
        EXPECT_EQ(line("A 259 " + idx), "259 0") << idx;
        EXPECT_EQ(line("A 261 " + idx), "261 -1") << idx;
        EXPECT_EQ(line("A 260 " + idx + " 5"), "260 ") << idx;
        EXPECT_EQ(line("A 262 " + idx + " 5"), "262 ") << idx;
        EXPECT_EQ(line("A 154 " + idx), "154 ") << idx;
    }
    // Record 0 kept what was written to it; a malformed index reads as 0.
    EXPECT_EQ(line("A 259 0"), "259 7");
    EXPECT_EQ(line("A 261 x"), "261 3");
    EXPECT_EQ(line("A 156"), "156 1");
}

TEST_F(Rows, AttributeEndByHandleAcceptsOnlyScenesOfThisRun) {
    line("A 155 a");
    EXPECT_EQ(line("A 255 12345"), "255 0");
    EXPECT_EQ(st.problems, 1);
    EXPECT_EQ(line("A 156"), "156 1");
    EXPECT_EQ(line("A 255 " + handleText(st.current)), "255 1");
    EXPECT_EQ(line("A 156"), "156 0");
    EXPECT_EQ(line("A 258 0"), "258 0");
    EXPECT_EQ(line("A 256"), "256 1");
}
