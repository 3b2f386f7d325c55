#include <gtest/gtest.h>

#include <string>

#include "batch/command_table.h"
#include "batch/interpreter.h"
#include "engine/KivRadiosity.h"

using namespace kiv::batch;

TEST(RadiosityRows, ModeByteAndDirectoryText) {
    BatchState st;
    st.diagnostics = nullptr;
    const CommandTable& t = standardTable();
    executeLine("SceneCreate 0", st, t);
    EXPECT_EQ(executeLine("RadiositySetCurrentMode 328 \x10", st, t), "328 ");
    EXPECT_EQ(KivRadiosity_GetCurrentMode(), 16);
    EXPECT_EQ(executeLine("RadiositySetCurrentDir 330 C:\\my scenes\\work", st, t), "330 ");
    EXPECT_STREQ(KivRadiosity_GetCurrentDir(), "C:\\my scenes\\work/");
    const std::string tooLong = "RadiositySetCurrentDir 330 " + std::string(300, 'x');
    const int before = st.problems;
    executeLine(tooLong.c_str(), st, t);
    EXPECT_EQ(st.problems, before + 1);
    EXPECT_STREQ(KivRadiosity_GetCurrentDir(), "C:\\my scenes\\work/");
    KivScene_End();
}

TEST(RadiosityRows, InitializeReportsSamplePointsBeyondTheLimit) {
    BatchState st;
    st.diagnostics = nullptr;
    const CommandTable& t = standardTable();
    executeLine("SceneCreate 0", st, t);
    EXPECT_EQ(executeLine("RadiosityInitialize 202", st, t), "202 ");
    EXPECT_EQ(st.problems, 0);
    KivScene_End();

    executeLine("SceneCreate 0", st, t);
    const KivPoint p[4] = {{0, 0, 0}, {5000, 0, 0}, {5000, 0, 5000}, {0, 0, 5000}};
    KivSurface_Instanciate(4, p, nullptr, nullptr, 1.0f, 1);
    KivSurface_EndInstance();
    executeLine("RadiosityInitialize 202", st, t);
    EXPECT_EQ(st.problems, 1);
    KivRadiosity_SetCurrentDir(const_cast<char*>("/nonexistent-kiv-dir/"));
    EXPECT_EQ(executeLine("RadiosityDoSolution 204", st, t), "204 ");
    EXPECT_EQ(KivRadiosity_GetIterationCount(), 0);
    KivScene_End();
}
