#include "engine/parameters.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "engine/KivRadiosity.h"
#include "engine/scene.h"

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
}

struct ParameterScene : ::testing::Test {
    void SetUp() override { KivScene_Create(); }
    void TearDown() override { KivScene_Delete(); }
};

const char* kDefaultSolverDump =
    "150.000000\n1\n600.000000\n1\n1\n1\n1.000000\n1\n0.500000\n65535\n1\n1\n";
const char* kDefaultDisplayDump =
    "2.500000\n0.000000\n0.000000\n0.299000 0.587000 0.114000\n0.500000\n1.000000\n1\n"
    "1.000000 1.000000 1.000000\n0.000000 0.000000 0.000000\n1\n";

void expectColor(const KivColor& c, float r, float g, float b) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, 1.0f);
}

}  // namespace

TEST_F(ParameterScene, FreshSceneDumpsTheDefaults) {
    const std::string solver = ::testing::TempDir() + "params_default.txt";
    const std::string display = ::testing::TempDir() + "display_default.txt";
    EXPECT_EQ(KivParameter_Output(solver.c_str()), 1);
    EXPECT_EQ(slurp(solver), kDefaultSolverDump);
    EXPECT_EQ(KivDisplay_Output(display.c_str()), 1);
    EXPECT_EQ(slurp(display), kDefaultDisplayDump);
}

TEST_F(ParameterScene, EverySolverSetterReachesItsOwnGetter) {
    // Distinct values everywhere, so that two crossed fields cannot pass.
    KivParameter_SetInterval(11.5f);
    KivParameter_SetIntervalMultiple(2);
    KivParameter_SetIntervalIndirect(33.5f);
    KivParameter_SetIntervalMultipleIndirect(4);
    KivParameter_SetShootStep(5);
    KivParameter_SetReceiveStep(6);
    KivParameter_SetColorBleeding(0.75f);
    KivParameter_SetUseTextureDiffuse(-1);
    KivParameter_SetConvergence(0.25f);
    KivParameter_SetMaxShootCount(-9);  // stored unchanged, no range check
    KivParameter_SetDirectLightShoot(0);
    KivParameter_SetIndirectLightShoot(12);
    EXPECT_FLOAT_EQ(KivParameter_GetInterval(), 11.5f);
    EXPECT_EQ(KivParameter_GetIntervalMultiple(), 2);
    EXPECT_FLOAT_EQ(KivParameter_GetIntervalIndirect(), 33.5f);
    EXPECT_EQ(KivParameter_GetIntervalMultipleIndirect(), 4);
    EXPECT_EQ(KivParameter_GetShootStep(), 5);
    EXPECT_EQ(KivParameter_GetReceiveStep(), 6);
    EXPECT_FLOAT_EQ(KivParameter_GetColorBleeding(), 0.75f);
    EXPECT_EQ(KivParameter_GetUseTextureDiffuse(), -1);
    EXPECT_FLOAT_EQ(KivParameter_GetConvergence(), 0.25f);
    EXPECT_EQ(KivParameter_GetMaxShootCount(), -9);
    EXPECT_EQ(KivParameter_GetDirectLightShoot(), 0);
    EXPECT_EQ(KivParameter_GetIndirectLightShoot(), 12);

    // Both the family's own reset and the scene's initialisation bring the defaults back.
    const std::string path = ::testing::TempDir() + "params_reset.txt";
    KivParameter_Initialize();
    EXPECT_EQ(KivParameter_GetMaxShootCount(), 65535);
    KivParameter_Output(path.c_str());
    EXPECT_EQ(slurp(path), kDefaultSolverDump);
    KivParameter_SetInterval(1.0f);
    KivScene_Initialize();
    KivParameter_Output(path.c_str());
    EXPECT_EQ(slurp(path), kDefaultSolverDump);
}

TEST_F(ParameterScene, SetAllFillsTheFieldsInOrder) {
    const std::string path = ::testing::TempDir() + "params_setall.txt";
    KivParameter_SetAll(10.0f, 2, 30.0f, 4, 5, 6, 0.7f, 8, 0.9f, 10, 11, 12);
    EXPECT_EQ(KivParameter_Output(path.c_str()), 1);
    EXPECT_EQ(slurp(path), "10.000000\n2\n30.000000\n4\n5\n6\n0.700000\n8\n0.900000\n10\n11\n12\n");

    // The ten-argument form derives the indirect grid from the direct one.
    KivParameter_SetAll(100.0f, 3, 5, 6, 0.7f, 0, 0.9f, 10, 1, 0);
    EXPECT_FLOAT_EQ(KivParameter_GetIntervalIndirect(), 400.0f);
    EXPECT_EQ(KivParameter_GetIntervalMultipleIndirect(), 3);
    EXPECT_EQ(KivParameter_Output(path.c_str()), 1);
    EXPECT_EQ(slurp(path), "100.000000\n3\n400.000000\n3\n5\n6\n0.700000\n0\n0.900000\n10\n1\n0\n");
}

TEST_F(ParameterScene, DisplaySettersStoreRgbAndTheirGettersReadBack) {
    KivDisplay_SetGamma(2.2f);
    KivDisplay_SetContrast(-10.0f);
    KivDisplay_SetBrightness(5.0f);
    KivDisplay_SetCoefficient(KivColor(1, 2, 3, 7));  // the fourth component is not taken
    KivDisplay_SetReferenceEnergy(0.125f);
    KivDisplay_SetReferenceEnergyCoef(3.0f);
    KivDisplay_SetAutoReferenceEnergy(0);
    KivDisplay_SetWhiteBalance(KivColor(0.9f, 0.8f, 0.7f, 0.0f));
    KivDisplay_SetBlackBalance(KivColor(0.1f, 0.2f, 0.3f, -5.0f));
    KivDisplay_SetReproductFunction(3);
    EXPECT_FLOAT_EQ(KivDisplay_GetGamma(), 2.2f);
    EXPECT_FLOAT_EQ(KivDisplay_GetContrast(), -10.0f);
    EXPECT_FLOAT_EQ(KivDisplay_GetBrightness(), 5.0f);
    expectColor(KivDisplay_GetCoefficient(), 1, 2, 3);
    EXPECT_FLOAT_EQ(KivDisplay_GetReferenceEnergy(), 0.125f);
    EXPECT_FLOAT_EQ(KivDisplay_GetReferenceEnergyCoef(), 3.0f);
    EXPECT_EQ(KivDisplay_GetAutoReferenceEnergy(), 0);
    expectColor(KivDisplay_GetWhiteBalance(), 0.9f, 0.8f, 0.7f);
    expectColor(KivDisplay_GetBlackBalance(), 0.1f, 0.2f, 0.3f);
    EXPECT_EQ(KivDisplay_GetReproductFunction(), 3);

    KivDisplay_InitializeParam();
    const std::string path = ::testing::TempDir() + "display_reset.txt";
    KivDisplay_Output(path.c_str());
    EXPECT_EQ(slurp(path), kDefaultDisplayDump);
}

TEST_F(ParameterScene, SetAllParamSignExtendsTheFlagCharacter) {
    const struct {
        char c;
        int stored;
    } cases[] = {{'A', 65},
                 {static_cast<char>(0xFF), -1},
                 {static_cast<char>(0x80), -128},
                 {'\0', 0},
                 {'1', 49}};
    for (const auto& k : cases) {
        KivDisplay_SetAllParam(2.0f, 1.0f, -1.0f, KivColor(0.2f, 0.7f, 0.1f, 9.0f), 0.4f, 2.0f, k.c,
                               KivColor(0.9f, 0.9f, 0.8f), KivColor(0.1f, 0.0f, 0.05f), 2);
        EXPECT_EQ(KivDisplay_GetAutoReferenceEnergy(), k.stored) << int(k.c);
    }
    const std::string path = ::testing::TempDir() + "display_setall.txt";
    EXPECT_EQ(KivDisplay_Output(path.c_str()), 1);
    EXPECT_EQ(slurp(path),
              "2.000000\n1.000000\n-1.000000\n0.200000 0.700000 0.100000\n0.400000\n2.000000\n"
              "49\n0.900000 0.900000 0.800000\n0.100000 0.000000 0.050000\n2\n");
    EXPECT_FLOAT_EQ(KivDisplay_GetCoefficient().a, 1.0f);
}

TEST_F(ParameterScene, OutputTruncatesAndReportsAnUncreatableFile) {
    const std::string path = ::testing::TempDir() + "params_truncate.txt";
    spit(path, std::string(1000, 'x'));
    EXPECT_EQ(KivParameter_Output(path.c_str()), 1);
    EXPECT_EQ(slurp(path), kDefaultSolverDump);
    spit(path, std::string(1000, 'x'));
    EXPECT_EQ(KivDisplay_Output(path.c_str()), 1);
    EXPECT_EQ(slurp(path), kDefaultDisplayDump);

    EXPECT_EQ(KivParameter_Output("/nonexistent/dir/params.txt"), 0);
    EXPECT_EQ(KivDisplay_Output("/nonexistent/dir/display.txt"), 0);
    EXPECT_EQ(KivParameter_Output(nullptr), 0);
}
