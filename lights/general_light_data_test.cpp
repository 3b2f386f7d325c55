#include "lights/general_light_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "lights/KivStandardLights.h"

namespace {

using Values = std::function<float(float vertical, float horizontal)>;

// A table over the given angles with value f(vertical, horizontal), horizontal-major.
KivLong fill(KivGeneralLightData& data, const std::vector<float>& vertical,
             const std::vector<float>& horizontal, const Values& f, float lumens = 1000.0f,
             float multiplier = 1.0f) {
    std::vector<float> e;
    for (float h : horizontal)
        for (float v : vertical) e.push_back(f(v, h));
    return data.setData(lumens, multiplier, static_cast<int>(vertical.size()), vertical.data(),
                        static_cast<int>(horizontal.size()), horizontal.data(), e.data());
}

// Value that tells the planes apart and varies smoothly with the vertical angle.
float planeValue(float v, float h) { return 1000.0f - 3.0f * v + 2.0f * h; }

std::vector<float> steps(float from, float to, float step) {
    std::vector<float> out;
    for (float a = from; a <= to + 1e-3f; a += step) out.push_back(a);
    return out;
}

std::string outputText(KivGeneralLightData& data) {
    std::FILE* f = std::tmpfile();
    data.output(f);
    std::rewind(f);
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
}

}  // namespace

TEST(GeneralLightData, ClosesAPartialCircleAt360WithTheFirstPlane) {
    const std::vector<float> vertical = {0, 45, 90};
    const struct {
        std::vector<float> horizontal;
        bool extended;
    } cases[] = {
        {{0, 120, 240, 350}, true}, {{0, 190}, true},        {{0, 90, 180}, false},
        {{0, 180, 360}, false},     {{90, 180, 270}, false}, {{0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.horizontal.back());
        KivGeneralLightData data;
        ASSERT_EQ(fill(data, vertical, c.horizontal, planeValue), 1);
        const int n = static_cast<int>(c.horizontal.size());
        ASSERT_EQ(data.getLongitude(), c.extended ? n + 1 : n);
        if (!c.extended) continue;
        EXPECT_EQ(data.getLongitudeAngles()[n], 360.0f);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(data.getEnergyList()[n * 3 + i], planeValue(vertical[i], 0));
        EXPECT_FLOAT_EQ(data.calcEnergy(45, 360), data.calcEnergy(45, 0));
    }
}

TEST(GeneralLightData, RejectsUnsoundTablesAndKeepsTheOldOne) {
    KivGeneralLightData data;
    ASSERT_EQ(fill(data, {0, 90}, {0, 90}, planeValue), 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float good[] = {0, 45, 90};
    const float e[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const struct {
        const char* label;
        std::vector<float> v, h, e;
    } cases[] = {
        {"repeated vertical", {0, 0, 90}, {0}, {1, 2, 3}},
        {"decreasing vertical", {0, 90, 45}, {0}, {1, 2, 3}},
        {"decreasing horizontal", {0, 90}, {0, 90, 45}, {1, 2, 3, 4, 5, 6}},
        {"NaN angle", {0, nan}, {0}, {1, 2}},
        {"infinite angle", {0, inf}, {0}, {1, 2}},
        {"NaN value", {0, 90}, {0}, {1, nan}},
        {"infinite value", {0, 90}, {0}, {inf, 2}},
        {"value beyond the spline's range", {0, 90}, {0}, {3e38f, 2}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(data.setData(1, 1, static_cast<int>(c.v.size()), c.v.data(),
                               static_cast<int>(c.h.size()), c.h.data(), c.e.data()),
                  0)
            << c.label;
        EXPECT_STRNE(KivGeneralLightData_GetLastError(), "") << c.label;
    }
    EXPECT_EQ(data.setData(1, 1, 0, good, 1, good, e), 0);
    EXPECT_EQ(data.setData(1, 1, 3, good, -1, good, e), 0);
    EXPECT_EQ(data.setData(1, 1, 3, nullptr, 1, good, e), 0);
    EXPECT_EQ(data.setData(1, 1, 3, good, 1, good, nullptr), 0);
    EXPECT_EQ(data.setData(1, 1, 100000, good, 100000, good, e), 0);  // too large, not read

    // The first table is still in place.
    EXPECT_EQ(data.getLatitude(), 2);
    EXPECT_EQ(data.getLongitude(), 2);
    EXPECT_FLOAT_EQ(data.calcEnergy(90, 90), planeValue(90, 90));

    // The same checks apply to files.
    const std::string file =
        "IESNA:LM-63-1995\nTILT=NONE\n1 1000 1 3 1 1 2 0 0 0\n1 1 50\n0 50 40\n0\n1 2 3\n";
    EXPECT_EQ(data.setDataFromBuffer(file.data(), file.size(), "x.ies"), 0);
    EXPECT_NE(std::string(KivGeneralLightData_GetLastError()).find("not strictly increasing"),
              std::string::npos);
    EXPECT_EQ(data.getLatitude(), 2);
}

// Inputs that once broke the reader, kept with the reason they are rejected for.
TEST(GeneralLightData, FilesThatOnceBrokeTheReaderAreRejected) {
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"candela_overflow.ies", "candela value is out of range"},
    };
    for (const auto& c : cases) {
        const std::string path = std::string(KIV_SOURCE_DIR) + "/tests/data/lm63/" + c.file;
        KivGeneralLightData data;
        EXPECT_EQ(data.setDataFromFile(path.c_str()), 0) << c.file;
        const std::string error = KivGeneralLightData_GetLastError();
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.file << ": " << error;
    }
}

TEST(GeneralLightData, EnergyByAnglesUnfoldsSymmetricTablesAndZeroesOutsideTheRange) {
    const std::vector<float> vertical = {0, 30, 60, 90};
    struct Same {
        float h, sameAs;
    };
    const struct {
        const char* label;
        std::vector<float> horizontal;
        std::vector<Same> same;
        std::vector<float> outside;
    } cases[] = {
        {"quadrant", {0, 45, 90}, {{100, 80}, {270, 90}, {350, 10}, {-10, 10}, {190, 10}}, {}},
        {"bilateral", {0, 90, 180}, {{200, 160}, {360, 0}, {-90, 90}, {540, 180}}, {}},
        {"bilateral about 90-270", {90, 180, 270}, {{0, 180}, {300, 240}, {45, 135}}, {}},
        {"full", {0, 120, 240}, {{370, 10}, {-30, 330}, {720, 0}}, {}},
        {"partial", {0, 30, 60}, {}, {70, -5, 360}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        KivGeneralLightData data;
        ASSERT_EQ(fill(data, vertical, c.horizontal, planeValue), 1);
        for (const Same& s : c.same)
            EXPECT_FLOAT_EQ(data.calcEnergy(45, s.h), data.calcEnergy(45, s.sameAs)) << s.h;
        for (float h : c.outside) EXPECT_EQ(data.calcEnergy(45, h), 0.0f) << h;
        // Every measured plane answers its own values, the last one included.
        for (float h : c.horizontal)
            for (float v : vertical) EXPECT_NEAR(data.calcEnergy(v, h), planeValue(v, h), 1e-3f);
        EXPECT_EQ(data.calcEnergy(-1, c.horizontal.front()), 0.0f);
        EXPECT_EQ(data.calcEnergy(91, c.horizontal.front()), 0.0f);
        EXPECT_EQ(data.calcEnergy(std::numeric_limits<float>::quiet_NaN(), 0), 0.0f);
    }
    // An empty object answers 0.
    KivGeneralLightData empty;
    EXPECT_EQ(empty.calcEnergy(0, 0), 0.0f);
    EXPECT_EQ(empty.calcEnergy(KivVector(0, 0, 1)), 0.0f);
    EXPECT_EQ(KivGeneralLightData_GetEnergyFromAngles(nullptr, 0, 0), 0.0f);
}

TEST(GeneralLightData, EnergyByDirection) {
    // One horizontal angle: symmetric about x, the vertical angle is acos(x).
    KivGeneralLightData round;
    ASSERT_EQ(fill(round, {0, 45, 90, 135, 180}, {0}, planeValue), 1);
    EXPECT_NEAR(round.calcEnergy(KivVector(1, 0, 0)), planeValue(0, 0), 1e-3f);
    EXPECT_NEAR(round.calcEnergy(KivVector(0, 0, 1)), planeValue(90, 0), 1e-3f);
    EXPECT_NEAR(round.calcEnergy(KivVector(0, 1, 0)), planeValue(90, 0), 1e-3f);
    EXPECT_NEAR(round.calcEnergy(KivVector(-1, 0, 0)), planeValue(180, 0), 1e-3f);

    // Otherwise z is the axis and the horizontal angle is the azimuth from +x towards +y.
    KivGeneralLightData full;
    ASSERT_EQ(fill(full, steps(0, 180, 15), steps(0, 360, 15), planeValue), 1);
    auto expectAt = [&](KivVector d, float v, float h) {
        EXPECT_NEAR(full.calcEnergy(d), full.calcEnergy(v, h), 1e-2f)
            << d.x << " " << d.y << " " << d.z;
        EXPECT_NEAR(full.calcEnergy(d), planeValue(v, h), 1e-2f);
    };
    const float s = std::sqrt(0.5f);
    expectAt(KivVector(0, 0, 1), 0, 0);
    expectAt(KivVector(0, 1, 0), 90, 90);
    expectAt(KivVector(0, -1, 0), 90, 270);
    expectAt(KivVector(-1, 0, 0), 90, 180);
    // 45 degrees off the axis towards +x: azimuth 0 (not the 45 degrees between x and d).
    expectAt(KivVector(s, 0, s), 45, 0);
    expectAt(KivVector(0, -s, -s), 135, 270);
    expectAt(KivVector(0.5f, 0.5f, s), 45, 45);
}

TEST(GeneralLightData, OrientationBelowOneDegreeChangesNothing) {
    KivGeneralLightData data;
    const std::string file =
        "IESNA:LM-63-1995\n[TILT] 0.5\n[ROLL] 0.7\nTILT=NONE\n1 1000 1 3 1 1 2 0 0 0\n1 1 50\n"
        "0 45 90\n0\n100 50 10\n";
    ASSERT_EQ(data.setDataFromBuffer(file.data(), file.size(), "small.ies"), 1);
    EXPECT_EQ(data.getTilt(), 0.5f);
    EXPECT_EQ(data.getRoll(), 0.7f);
    EXPECT_EQ(data.resetDataByOption(), 0);
    EXPECT_EQ(data.getTilt(), 0.0f);
    EXPECT_EQ(data.getRoll(), 0.0f);
    EXPECT_EQ(data.getLatitude(), 3);
    EXPECT_EQ(data.getLongitude(), 1);
    EXPECT_EQ(data.getEnergyList()[1], 50.0);
    EXPECT_STREQ(data.getFileName(), "small.ies");

    // One degree is enough.
    data.setTilt(-1.0f);
    EXPECT_EQ(data.resetDataByOption(), 1);
    EXPECT_EQ(data.getLongitude(), 73);
    EXPECT_STREQ(data.getFileName(), "");
}

TEST(GeneralLightData, RollTurnsTheTableAboutItsAxisAndTiltTiltsIt) {
    const std::vector<float> vertical = steps(0, 180, 30);
    const std::vector<float> horizontal = steps(0, 360, 5);
    const Values around = [](float v, float h) {
        return 500.0f + v + 2.0f * (h <= 180.0f ? h : 360.0f - h);
    };
    KivGeneralLightData rolled;
    ASSERT_EQ(fill(rolled, vertical, horizontal, around, 1200.0f, 2.0f), 1);
    const KivGeneralLightData before = rolled;
    rolled.setRoll(30.0f);
    ASSERT_EQ(rolled.resetDataByOption(), 1);
    ASSERT_EQ(rolled.getLongitude(), 73);  // five or more angles keep their grid
    EXPECT_EQ(rolled.getStandardEnergy(), 1200.0f);
    EXPECT_EQ(rolled.getMultiplex(), 2.0f);
    for (float v : vertical) {
        if (v == 0.0f || v == 180.0f) continue;  // the poles have no azimuth
        for (float h : horizontal)
            EXPECT_NEAR(rolled.calcEnergy(v, h), before.calcEnergy(v, h + 30.0f), 0.05f)
                << v << " " << h;
    }

    KivGeneralLightData tilted;
    ASSERT_EQ(fill(tilted, vertical, {0}, [](float v, float) { return 1000.0f - 5.0f * v; }), 1);
    const KivGeneralLightData flat = tilted;
    tilted.setTilt(20.0f);
    ASSERT_EQ(tilted.resetDataByOption(), 1);
    ASSERT_EQ(tilted.getLongitude(), 73);  // fewer than five angles: the full circle in 5s
    for (float v : vertical) {
        if (v + 20.0f > 180.0f) continue;
        EXPECT_NEAR(tilted.calcEnergy(v, 0), flat.calcEnergy(v + 20.0f, 0), 0.05f) << v;
    }
}

TEST(GeneralLightData, BlendsTablesOnTheSameGrid) {
    KivGeneralLightData a, b, out;
    ASSERT_EQ(fill(a, {0, 45, 90}, {0, 90}, planeValue, 1000.0f, 1.0f), 1);
    ASSERT_EQ(fill(
                  b, {0, 45, 90}, {0, 90}, [](float, float) { return 10.0f; }, 2000.0f, 3.0f),
              1);
    ASSERT_EQ(KivGeneralLightData_Interpolate(&a, &b, 0.25f, &out), 1);
    EXPECT_FLOAT_EQ(out.getStandardEnergy(), 1250.0f);
    EXPECT_FLOAT_EQ(out.getMultiplex(), 1.5f);
    for (int k = 0; k < 6; ++k)
        EXPECT_DOUBLE_EQ(out.getEnergyList()[k], 0.75 * a.getEnergyList()[k] + 2.5);
    EXPECT_NEAR(out.calcEnergy(45, 90), 0.75f * planeValue(45, 90) + 2.5f, 1e-3f);

    // An object blended with itself gains 1000 t / (k + 1).
    ASSERT_EQ(KivGeneralLightData_Interpolate(&a, &a, 0.5f, &out), 1);
    for (int k = 0; k < 6; ++k)
        EXPECT_DOUBLE_EQ(out.getEnergyList()[k], 0.5 * a.getEnergyList()[k] + 500.0 / (k + 1));

    // Different grids: the scalars are blended, the table is kept, the answer is 0.
    KivGeneralLightData other;
    ASSERT_EQ(fill(other, {0, 50, 90}, {0, 90}, planeValue, 3000.0f), 1);
    const double kept = out.getEnergyList()[0];
    EXPECT_EQ(KivGeneralLightData_Interpolate(&a, &other, 0.5f, &out), 0);
    EXPECT_FLOAT_EQ(out.getStandardEnergy(), 2000.0f);
    EXPECT_EQ(out.getEnergyList()[0], kept);
    EXPECT_EQ(KivGeneralLightData_Interpolate(nullptr, &a, 0.5f, &out), 0);
    EXPECT_EQ(KivGeneralLightData_Interpolate(&a, &b, 0.5f, nullptr), 0);

    // The result may replace one of its inputs.
    ASSERT_EQ(KivGeneralLightData_Interpolate(&a, &b, 1.0f, &a), 1);
    EXPECT_DOUBLE_EQ(a.getEnergyList()[3], 10.0);
}

TEST(GeneralLightData, CopiesOwnTheirTables) {
    KivGeneralLightData* original = new KivGeneralLightData;
    ASSERT_EQ(fill(*original, {0, 45, 90}, {0, 90, 180}, planeValue), 1);
    KivGeneralLightData copy(*original);
    KivGeneralLightData assigned;
    assigned = *original;
    delete original;
    EXPECT_NEAR(copy.calcEnergy(45, 90), planeValue(45, 90), 1e-3f);
    EXPECT_NEAR(assigned.calcEnergy(45, 180), planeValue(45, 180), 1e-3f);
    copy.del();
    EXPECT_EQ(copy.calcEnergy(45, 90), 0.0f);
    EXPECT_EQ(copy.getLatitude(), 0);
}

TEST(GeneralLightData, OutputWritesTheFieldsAndTheTableInRunsOfSeven) {
    KivGeneralLightData data;
    const float v[] = {0, 90};
    const float h[] = {0};
    const float e[] = {5, 3};
    ASSERT_EQ(data.setData(1000, 1, 2, v, 1, h, e), 1);
    EXPECT_EQ(outputText(data),
              "testName\t\n"
              "manufactureName\t\n"
              "standardEnergy\t1000.000000\n"
              "multiplex\t1.000000\n"
              "latitude\t2\n"
              "longitude\t1\n"
              "apartureSizeUnit\t0\n"
              "width\t0.000000\n"
              "depth\t0.000000\n"
              "height\t0.000000\n"
              "\n\nlatitudeAngles ... \n0.000000 90.000000 "
              "\n\nlongitudeAngles ... \n0.000000 "
              "\n\nenergyList ... \n5.000000 3.000000 \n"
              "\n\ndeltaX ... \n0.000000 "
              "\n\ndeltaY ... \n"
              "derivatives ... \n0.000000 0.000000 ");

    // Nine vertical angles and three planes: runs break after seven values, deltaY is written
    // and the derivatives hold 16 x 2 x 8 values.
    ASSERT_EQ(fill(data, steps(0, 80, 10), {0, 90, 180}, planeValue), 1);
    const std::string text = outputText(data);
    EXPECT_NE(text.find("latitudeAngles ... \n0.000000 10.000000 20.000000 30.000000 40.000000 "
                        "50.000000 60.000000 \n70.000000 80.000000 \n\nlongitudeAngles"),
              std::string::npos);
    EXPECT_NE(text.find("deltaY ... \n0.000000 0.000000 derivatives"), std::string::npos);
    const std::string derivatives = text.substr(text.find("derivatives ... \n") + 17);
    EXPECT_EQ(std::count(derivatives.begin(), derivatives.end(), ' '), 256);

    // One vertical angle and two planes: the derivative array is empty and nothing is read
    // beyond it.
    const float one[] = {0};
    const float two[] = {0, 90};
    ASSERT_EQ(data.setData(1, 1, 1, one, 2, two, e), 1);
    const std::string small = outputText(data);
    EXPECT_EQ(small.substr(small.size() - 17), "derivatives ... \n");
}
