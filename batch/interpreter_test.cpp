#include "batch/interpreter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/KivRadiosity.h"
#include "engine/scene.h"

using namespace kiv::batch;

namespace {

// Runs script text through the interpreter and returns the result file's text.
std::string run(const std::string& script, BatchState& st) {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::fwrite(script.data(), 1, script.size(), in);
    std::rewind(in);
    st.diagnostics = nullptr;
    runScript(in, out, st, standardTable());
    std::string text;
    std::rewind(out);
    char buf[8192];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, out)) > 0) text.append(buf, n);
    std::fclose(in);
    std::fclose(out);
    return text;
}

std::string handleText(void* h) { return std::to_string(reinterpret_cast<std::intptr_t>(h)); }

struct ScriptRun : ::testing::Test {
    BatchState st;
    void TearDown() override {
        for (void* h : st.created) KivScene_Delete(h);
        KivScene_MakeCurrent(nullptr);
    }
};

}  // namespace

TEST(Tokenizer, ArgumentTextIsTakenByPosition) {
    struct Case {
        const char* line;
        const char* name;
        bool hasCode;
        int code;
        const char* args;
    } cases[] = {
        {"SceneCreate 0", "SceneCreate", true, 0, ""},
        {"AttributeInstanciate 155 wall paint", "AttributeInstanciate", true, 155, "wall paint"},
        {"SurfaceSetFlags 66  5", "SurfaceSetFlags", true, 66, " 5"},
        {"X 007 a", "X", true, 7, "a"},
        {"X abc 1", "X", true, 0, "1"},
        {"X -1 1", "X", true, -1, "1"},
        {"X 12abc 1", "X", true, 12, "1"},
        {"X\t1 2", "X\t1", true, 2, ""},
        {"Lonely", "Lonely", false, 0, ""},
        {"X 99999999999999999999 1", "X", true, 2147483647, "1"},
    };
    for (const auto& c : cases) {
        const Tokens t = tokenize(c.line);
        EXPECT_EQ(t.name, c.name) << c.line;
        EXPECT_EQ(t.hasCode, c.hasCode) << c.line;
        EXPECT_EQ(t.code, c.code) << c.line;
        EXPECT_STREQ(t.args, c.args) << c.line;
    }
}

TEST_F(ScriptRun, SceneCommandsAndCodesWithoutCommand) {
    const std::string out = run(
        "SceneCreate 0\n"
        "SceneInitialize 2\n"
        "MapEnd 267\n"
        "Far 400 1\n"
        "Neg -1\n"
        "Code%d 57\n"
        "100%Name 398\n"
        "SceneEnd 4\n"
        "SceneEnd 4 2\n"
        "NoNewline 0",
        st);
    ASSERT_EQ(st.created.size(), 0u);
    // The handle printed by SceneCreate is not known in advance; check the rest exactly.
    const auto firstNl = out.find('\n');
    const std::string first = out.substr(0, firstNl);
    ASSERT_EQ(first.rfind("0 ", 0), 0u);
    EXPECT_NE(first.substr(2), "0");
    EXPECT_EQ(out.substr(firstNl + 1),
              "2 \nMapEnd\nFar\nNeg\nCode%d\n100%Name\n4 1\n4 0\n");
    EXPECT_EQ(st.problems, 1);  // the second SceneEnd had nothing to end
}

TEST_F(ScriptRun, HandlesAreCheckedAndSwitchScenes) {
    std::string out = run("SceneCreate 0\nSceneCreate 0\n", st);
    ASSERT_EQ(st.created.size(), 2u);
    void* second = st.current;
    void* first = nullptr;
    for (void* h : st.created)
        if (h != second) first = h;
    out = run("SceneMakeCurrent 1 " + handleText(first) + "\nSceneMakeCurrent 1 12345\n", st);
    EXPECT_EQ(out, "1 \n1 \n");
    EXPECT_EQ(st.current, first);
    EXPECT_EQ(kiv::currentScenePointer(), first);
    EXPECT_EQ(st.problems, 1);

    // Ending the current scene through its handle leaves no current scene, and later commands
    // that need one are skipped instead of touching freed memory.
    out = run("SceneEnd 3 " + handleText(first) + "\nSceneEnd 3 77\nSceneInitialize 2\n", st);
    EXPECT_EQ(out, "3 1\n3 0\n2 \n");
    EXPECT_EQ(st.current, nullptr);
    EXPECT_EQ(kiv::currentScenePointer(), nullptr);
    EXPECT_EQ(st.created.size(), 1u);
}

TEST_F(ScriptRun, EmptyAndLongLines) {
    EXPECT_EQ(run("", st), "");
    EXPECT_EQ(run("\n\n   \r\n", st), "");
    // A 5000-character line runs as its first 4094 characters, then the rest.
    std::string longName(5000, 'a');
    const std::string out = run(longName + "\n", st);
    EXPECT_EQ(out, std::string(4094, 'a') + "\n" + std::string(906, 'a') + "\n");
    // Exactly 4094 characters and a newline is one line.
    EXPECT_EQ(run(std::string(4094, 'b') + "\n", st), std::string(4094, 'b') + "\n");
}

TEST_F(ScriptRun, RandomBytesNeverCrash) {
    std::uint32_t seed = 12345;
    for (int round = 0; round < 200; ++round) {
        std::string s;
        const int len = static_cast<int>(seed % 600);
        for (int i = 0; i < len; ++i) {
            seed = seed * 1664525u + 1013904223u;
            // Bias towards digits, spaces and newlines so that real codes come up.
            const char pool[] = "0123456789 \n-abcXYZ\t%\r";
            s.push_back((seed >> 24) % 3 == 0 ? static_cast<char>(seed >> 16)
                                              : pool[(seed >> 8) % (sizeof pool - 1)]);
        }
        run(s, st);
    }
    SUCCEED();
}
