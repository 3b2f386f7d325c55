#include <gtest/gtest.h>

#include "batch/command_table.h"
#include "batch/interpreter.h"
#include "engine/KivRadiosity.h"

using namespace kiv::batch;

namespace {
class CountedLight : public KivLight {
public:
    void init() override {}
    void del() override {}
    KivColor shoot(int) override { return {}; }
};
}  // namespace

TEST(LightRows, GetInstanceCountCountsDeletedEntriesToo) {
    BatchState st;
    st.diagnostics = nullptr;
    const CommandTable& t = standardTable();
    executeLine("SceneCreate 0", st, t);
    EXPECT_EQ(executeLine("LightGetInstanceCount 129", st, t), "129 0");
    KivLight_Append(new CountedLight);
    KivLight_Append(new CountedLight);
    KivLight_Delete(0);
    EXPECT_EQ(executeLine("LightGetInstanceCount 129 ignored words", st, t), "129 2");
    KivScene_End();
}
