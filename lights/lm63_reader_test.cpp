#include "lights/lm63_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "lights/KivStandardLights.h"
#include "lights/lm63_test_support.h"

using kiv::Lm63Table;
using kiv::readLm63;

namespace {

// Three vertical and two horizontal angles, six candela values.
const char kBody[] =
    "1 1000 2.5 3 2 1 2 0.5 0.4 0.1\n"
    "1 1 50\n"
    "0 45 90\n"
    "0 90\n"
    "100 80 20\n"
    "110 85 25\n";

struct Read {
    bool ok;
    Lm63Table table;
    std::string error;
};

Read read(const std::string& text) {
    Read r;
    r.ok = readLm63(text.data(), text.size(), r.table, r.error);
    return r;
}

void expectBodyTable(const Read& r, const std::string& label) {
    ASSERT_TRUE(r.ok) << label << ": " << r.error;
    EXPECT_EQ(r.table.standardEnergy, 1000.0f) << label;
    EXPECT_EQ(r.table.multiplex, 2.5f) << label;
    EXPECT_EQ(r.table.apartureSizeUnit, 2) << label;
    EXPECT_EQ(r.table.width, 0.5f) << label;
    EXPECT_EQ(r.table.depth, 0.4f) << label;
    EXPECT_EQ(r.table.height, 0.1f) << label;
    EXPECT_EQ(r.table.verticalAngles, (std::vector<float>{0, 45, 90})) << label;
    EXPECT_EQ(r.table.horizontalAngles, (std::vector<float>{0, 90})) << label;
    EXPECT_EQ(r.table.candela, (std::vector<double>{100, 80, 20, 110, 85, 25})) << label;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
        s.replace(p, from.size(), to);
    return s;
}

}  // namespace

TEST(Lm63Reader, ReadsEveryRealFileWithTheTableAsWritten) {
    const auto files = kiv::testing::realIesFiles();
    if (files.empty()) GTEST_SKIP() << "no photometric files in " << kiv::testing::iesDataDir();
    EXPECT_GE(files.size(), 29u);
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::string text = kiv::testing::fileContents(path);
        const kiv::testing::ExpectedTable want = kiv::testing::expectedTable(text);
        ASSERT_FALSE(want.candela.empty()) << "the test's own reading failed";

        KivGeneralLightData data;
        ASSERT_EQ(data.setDataFromFile(path.c_str()), 1) << KivGeneralLightData_GetLastError();
        EXPECT_STREQ(data.getFileName(), path.c_str());
        EXPECT_EQ(data.getStandardEnergy(), static_cast<float>(want.lumens));
        EXPECT_EQ(data.getMultiplex(), static_cast<float>(want.multiplier));
        ASSERT_EQ(data.getLatitude(), want.vertical);
        // Tables ending between 180 and 360 degrees gain one plane; none of these files do.
        ASSERT_EQ(data.getLongitude(), want.horizontal);
        const int nv = want.vertical;
        for (int i = 0; i < nv; ++i)
            EXPECT_EQ(data.getLatitudeAngles()[i], static_cast<float>(want.verticalAngles[i]));
        for (int j = 0; j < want.horizontal; ++j) {
            const float h = static_cast<float>(want.horizontalAngles[j]);
            EXPECT_EQ(data.getLongitudeAngles()[j], h);
            for (int i = 0; i < nv; ++i) {
                const double candela = want.candela[static_cast<std::size_t>(j * nv + i)];
                // Stored exactly as written: the multiplier is not applied.
                EXPECT_EQ(data.getEnergyList()[j * nv + i], candela);
                // The spline passes through every measured value.
                const float v = data.getLatitudeAngles()[i];
                EXPECT_NEAR(data.calcEnergy(v, h), candela, 1e-5 * std::fabs(candela) + 1e-4)
                    << "vertical " << v << " horizontal " << h;
            }
        }
    }
}

TEST(Lm63Reader, AcceptsEveryHeaderFormAndLayoutOfTheNumbers) {
    const std::string body = kBody;
    const std::string oneNumberPerLine = replaceAll(body, " ", "\n");
    const struct {
        const char* label;
        std::string text;
    } cases[] = {
        {"1995", "IESNA:LM-63-1995\n[TEST] 1\n[MANUFAC] m\nTILT=NONE\n" + body},
        {"2002", "IESNA:LM-63-2002\n[TEST] 1\nTILT=NONE\n" + body},
        {"2019", "IESNA:LM-63-2019\n[TEST] 1\n[_EXTRA] x\nTILT=NONE\n" + body},
        {"1991", "IESNA91\n[TEST] 1\nTILT=NONE\n" + body},
        {"leading spaces", "   IESNA:LM-63-1995\n [TEST] 1\n TILT=NONE\n" + body},
        {"1986 free text", "Maker Inc.\nLuminaire 12\n-\n[not a keyword\nTILT=NONE\n" + body},
        {"1986 without text", "TILT=NONE\n" + body},
        {"byte order mark", "\xEF\xBB\xBFIESNA:LM-63-2002\nTILT=NONE\n" + body},
        {"CR LF", replaceAll("IESNA:LM-63-1995\n[TEST] 1\nTILT=NONE\n" + body, "\n", "\r\n")},
        {"CR only", replaceAll("IESNA:LM-63-1995\n[TEST] 1\nTILT=NONE\n" + body, "\n", "\r")},
        {"one number per line", "IESNA:LM-63-1995\nTILT=NONE\n" + oneNumberPerLine},
        {"all on one line", "IESNA:LM-63-1995\nTILT=NONE\n" + replaceAll(body, "\n", " ")},
        {"commas", "IESNA91\nTILT=NONE\n" + replaceAll(body, " ", ",")},
        {"tabs and trailing text",
         "IESNA:LM-63-1995\nTILT=NONE  \n" + replaceAll(body, " ", "\t") + "END\nanything"},
        {"plus signs and exponents",
         "IESNA:LM-63-1995\nTILT=NONE\n" +
             replaceAll(replaceAll(body, "100 ", "+1e2 "), "80 ", "8.0E1 ")},
        {"tilt file name", "IESNA:LM-63-1995\nTILT=lamp.tlt\n" + body},
        {"spaces before the equals sign", "IESNA:LM-63-1995\nTILT =NONE\n" + body},
        {"TILTED in free text", "TILTED LUMINAIRE\nTILT= NONE\n" + body},
        {"tilt include",
         "IESNA:LM-63-2002\nTILT=INCLUDE\n1\n7\n0 15 30 45 60 75 90\n"
         "1.0 .95 .94 .90 .88 .87 .94\n" +
             body},
        {"tilt include split over lines",
         "IESNA:LM-63-1995\r\nTILT=INCLUDE\r\n3 2\r\n0\r\n90 1\r\n.5\r\n" +
             replaceAll(body, "\n", "\r\n")},
        {"tilt include without pairs", "IESNA:LM-63-1995\nTILT=INCLUDE\n1 0\n" + body},
    };
    for (const auto& c : cases) expectBodyTable(read(c.text), c.label);
}

TEST(Lm63Reader, ReadsTheOrientationKeywords) {
    const Read r = read(std::string("IESNA:LM-63-1995\n[TILT] 30\n[PAN]-5.5 deg\n[ROLL]  12\n"
                                    "[TEST] [TILT] 99\nTILT=NONE\n") +
                        kBody);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.table.tilt, 30.0f);
    EXPECT_EQ(r.table.pan, -5.5f);
    EXPECT_EQ(r.table.roll, 12.0f);
}

TEST(Lm63Reader, RejectsBrokenFilesWithAReason) {
    const std::string head = "IESNA:LM-63-1995\nTILT=NONE\n";
    const std::string counts = "1 1000 1 ";
    const std::string rest = " 1 2 0 0 0\n1 1 50\n";
    const struct {
        const char* label;
        std::string text;
        const char* reason;
    } cases[] = {
        {"empty", "", "empty"},
        {"no tilt line", "IESNA:LM-63-1995\n[TEST] x\n", "no TILT= line"},
        {"not a photometric file", "hello\nworld\n", "not a photometric file"},
        {"ends in the header numbers", head + "1 1000 1 3", "ends before the number of horizontal"},
        {"ends in the angles", head + counts + "3 2" + rest + "0 45", "ends before"},
        {"too few candela values", head + counts + "3 2" + rest + "0 45 90 0 90 1 2 3 4 5",
         "ends before"},
        {"negative count", head + counts + "-3 2" + rest, "outside"},
        {"zero horizontal angles", head + counts + "3 0" + rest, "outside"},
        {"huge count", head + counts + "3000000000 1" + rest, "3000000000 is outside"},
        {"count beyond any integer", head + counts + "1e30 1" + rest, "1e+30 is outside"},
        {"table too large", head + counts + "50000 50000" + rest, "larger than"},
        {"counts beyond the file", head + counts + "1000 1000" + rest + "0 1 2", "ends before"},
        {"fractional count", head + counts + "2.5 2" + rest, "not a whole number"},
        {"word in the table", head + counts + "1 1" + rest + "0 0 abc", "not a finite number"},
        {"not a number", head + counts + "1 1" + rest + "0 0 nan", "not a finite number"},
        {"infinite", head + counts + "1 1" + rest + "0 inf 5", "not a finite number"},
        {"out of range", head + counts + "1 1" + rest + "0 0 1e999", "not a finite number"},
        {"angle beyond a float", head + counts + "1 1" + rest + "1e39 0 1", "out of range"},
        {"glued numbers", head + counts + "1 1" + rest + "0 0 12-4", "not a finite number"},
        {"type B", head + counts + "1 1 2 2 0 0 0 1 1 50 0 0 1", "photometric type 2"},
        {"orientation without a value",
         "IESNA:LM-63-1995\n[TILT]\nTILT=NONE\n" + counts + "1 1" + rest + "0 0 1",
         "[TILT] needs an angle"},
        {"tilt include without count", "IESNA:LM-63-1995\nTILT=INCLUDE\n1", "ends before"},
        {"tilt include negative count", "IESNA:LM-63-1995\nTILT=INCLUDE\n1 -4\n" + counts,
         "outside"},
        {"tilt include count beyond the file", "IESNA:LM-63-1995\nTILT=INCLUDE\n1 90000\n0 1",
         "TILT=INCLUDE"},
        {"tilt include word", "IESNA:LM-63-1995\nTILT=INCLUDE\n1 2\n0 90\n1 x\n" + counts,
         "tilt factor 2 of 2"},
        {"tilt include short",
         "IESNA:LM-63-1995\nTILT=INCLUDE\n1 3\n0 45 90\n1 1\n" + counts + "1 1" + rest + "0 0 7",
         "photometric type 2"},
    };
    for (const auto& c : cases) {
        const Read r = read(c.text);
        EXPECT_FALSE(r.ok) << c.label;
        EXPECT_NE(r.error.find(c.reason), std::string::npos)
            << c.label << ": '" << r.error << "' lacks '" << c.reason << "'";
    }
}

TEST(Lm63Reader, MissingAndOversizedFilesAreRejected) {
    Lm63Table table;
    std::string error;
    EXPECT_FALSE(kiv::readLm63File("no/such/file.ies", table, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_FALSE(kiv::readLm63File(nullptr, table, error));
    EXPECT_FALSE(kiv::readLm63File("", table, error));
    EXPECT_FALSE(kiv::readLm63(nullptr, 10, table, error));
}

// Corrupted copies of the real files: every one is read or rejected with a reason, and what is
// read is a sound table. Truncations before the last value and damaged counts must be rejected.
TEST(Lm63Reader, CorruptedCopiesOfRealFilesAreReadOrRejectedCleanly) {
    const auto files = kiv::testing::realIesFiles();
    if (files.empty()) GTEST_SKIP() << "no photometric files in " << kiv::testing::iesDataDir();
    std::mt19937 rng(20240611);
    const char noise[] = {'-', '9', '0', ' ', '\n', ',', 'x', '\0', '.', 'e', '[', '\r', '\xff'};
    int accepted = 0, rejected = 0;

    auto check = [&](const std::string& text, const std::string& label, bool mustReject) {
        KivGeneralLightData data;
        const KivLong ok = data.setDataFromBuffer(text.data(), text.size(), "mutant");
        if (mustReject) {
            EXPECT_EQ(ok, 0) << label;
        }
        if (!ok) {
            ++rejected;
            EXPECT_STRNE(KivGeneralLightData_GetLastError(), "") << label;
            EXPECT_EQ(data.getLatitude(), 0) << label;  // a rejected table leaves nothing
            return;
        }
        ++accepted;
        const int nv = data.getLatitude(), nh = data.getLongitude();
        ASSERT_GE(nv, 1) << label;
        ASSERT_GE(nh, 1) << label;
        for (int i = 1; i < nv; ++i)
            ASSERT_LT(data.getLatitudeAngles()[i - 1], data.getLatitudeAngles()[i]) << label;
        for (int j = 1; j < nh; ++j)
            ASSERT_LT(data.getLongitudeAngles()[j - 1], data.getLongitudeAngles()[j]) << label;
        for (float v = -10.0f; v <= 190.0f; v += 25.0f) {
            for (float h = -30.0f; h <= 400.0f; h += 47.0f) {
                const float e = data.calcEnergy(v, h);
                ASSERT_TRUE(std::isfinite(e) && e >= 0.0f) << label << " " << v << " " << h;
            }
        }
    };

    for (const auto& path : files) {
        const std::string text = kiv::testing::fileContents(path);
        const std::string name = path.filename().string();
        const kiv::testing::ExpectedTable want = kiv::testing::expectedTable(text);
        ASSERT_GT(want.lastTokenOffset, want.countOffset) << name;

        // Truncated anywhere before the last value starts.
        for (int k = 0; k < 12; ++k) {
            const std::size_t cut =
                std::uniform_int_distribution<std::size_t>(0, want.lastTokenOffset - 1)(rng);
            check(text.substr(0, cut), name + " cut at " + std::to_string(cut), true);
        }
        // The vertical angle count replaced by a bad one.
        std::size_t countEnd = want.countOffset;
        while (countEnd < text.size() &&
               !std::isspace(static_cast<unsigned char>(text[countEnd])) && text[countEnd] != ',')
            ++countEnd;
        for (const char* bad : {"-3", "0", "1e9", "2.5", "x", "99999"}) {
            std::string t = text;
            t.replace(want.countOffset, countEnd - want.countOffset, bad);
            check(t, name + " vertical count " + bad, true);
        }
        // Two vertical angles made equal.
        if (want.vertical >= 2) {
            const std::vector<kiv::testing::Token> tok = kiv::testing::numberTokens(text);
            std::string t = text;
            t.replace(tok[14].offset, tok[14].text.size(), tok[13].text);
            check(t, name + " repeated vertical angle", true);
        }
        // Random damage: bytes overwritten, inserted or removed.
        for (int k = 0; k < 40; ++k) {
            std::string t = text;
            const int edits = 1 + k % 4;
            for (int e = 0; e < edits && !t.empty(); ++e) {
                const std::size_t at =
                    std::uniform_int_distribution<std::size_t>(0, t.size() - 1)(rng);
                const char c = noise[std::uniform_int_distribution<int>(0, sizeof(noise) - 1)(rng)];
                switch (rng() % 3) {
                    case 0:
                        t[at] = c;
                        break;
                    case 1:
                        t.insert(at, 1, c);
                        break;
                    default:
                        t.erase(at, 1 + rng() % 8);
                        break;
                }
            }
            check(t, name + " damaged " + std::to_string(k), false);
        }
    }
    // The sample must exercise both outcomes.
    EXPECT_GT(accepted, 100);
    EXPECT_GT(rejected, 500);
}
