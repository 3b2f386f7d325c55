#include "engine/scene.h"

#include <gtest/gtest.h>

#include "engine/KivRadiosity.h"

TEST(Scene, CreateMakeCurrentAndEnd) {
    void* first = KivScene_Create();
    EXPECT_EQ(kiv::currentScenePointer(), first);
    void* second = KivScene_Create();
    EXPECT_NE(first, second);
    EXPECT_EQ(kiv::currentScenePointer(), second);
    KivScene_MakeCurrent(first);
    EXPECT_EQ(kiv::currentScenePointer(), first);

    // Ending through a handle leaves the current pointer alone.
    EXPECT_EQ(KivScene_End(second), 1);
    EXPECT_EQ(kiv::currentScenePointer(), first);
    EXPECT_EQ(KivScene_End(), 1);
    EXPECT_EQ(kiv::currentScenePointer(), nullptr);
}

TEST(Scene, DeleteForms) {
    EXPECT_EQ(KivScene_Delete(), 1);  // no current scene: nothing to do
    void* a = KivScene_Create();
    void* b = KivScene_Create();
    EXPECT_EQ(KivScene_Delete(a), 1);
    EXPECT_EQ(kiv::currentScenePointer(), b);
    EXPECT_EQ(KivScene_Delete(nullptr), 1);
    EXPECT_EQ(KivScene_Delete(), 1);
    EXPECT_EQ(kiv::currentScenePointer(), nullptr);
}

TEST(Scene, InitializeResetsDirectoryAndMode) {
    KivScene_Create();
    KivScene& s = kiv::scene();
    s.currentMode = 0x12;
    std::snprintf(s.currentDir, sizeof s.currentDir, "/tmp/");
    KivScene_Initialize();
    EXPECT_EQ(s.currentMode, 1);
    EXPECT_STREQ(s.currentDir, "");
    KivScene_End();
}

TEST(Library, LeftoverExports) {
    EXPECT_EQ(fnKivRadiosity(), 42);
    EXPECT_EQ(nKivRadiosity, 0);
    CKivRadiosity a, b;
    EXPECT_EQ(&(a = b), &a);
}
