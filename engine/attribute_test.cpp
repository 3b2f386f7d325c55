#include "engine/attribute.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/KivRadiosity.h"
#include "engine/scene.h"

namespace {

struct AttributeScene : ::testing::Test {
    void SetUp() override { KivScene_Create(); }
    void TearDown() override { KivScene_Delete(); }
};

// A bitmap the map registry may take over and release as an array.
unsigned char* newBitmap(const std::vector<unsigned char>& bytes) {
    auto* b = new unsigned char[bytes.size()];
    std::memcpy(b, bytes.data(), bytes.size());
    return b;
}

void expectRgb(const KivColor& c, float r, float g, float b) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, 1.0f);
}

bool sameColor(const KivColor& x, const KivColor& y) {
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}

// Field by field, the name as a string.
void expectSameAttribute(const KivAttribute& x, const KivAttribute& y) {
    EXPECT_STREQ(x.name, y.name);
    EXPECT_TRUE(sameColor(x.diffuse, y.diffuse));
    EXPECT_TRUE(sameColor(x.specular, y.specular));
    EXPECT_TRUE(sameColor(x.emission, y.emission));
    EXPECT_EQ(x.reflectivity, y.reflectivity);
    EXPECT_EQ(x.shineness, y.shineness);
    EXPECT_TRUE(sameColor(x.transparency, y.transparency));
    EXPECT_EQ(x.refractionIndex, y.refractionIndex);
    EXPECT_EQ(x.textureSize[0], y.textureSize[0]);
    EXPECT_EQ(x.textureSize[1], y.textureSize[1]);
    EXPECT_EQ(x.index, y.index);
    EXPECT_EQ(x.mapType, y.mapType);
    EXPECT_EQ(x.diffuseMapIndex, y.diffuseMapIndex);
}

}  // namespace

TEST(AttributeStack, SetMapRebuildsTheBitsFromTheFlags) {
    const struct {
        int flags;
        int bits;
    } cases[] = {
        {0x000, 0x000}, {0x001, 0x001}, {0x002, 0x000}, {0x004, 0x004}, {0x008, 0x009},
        {0x00C, 0x00D}, {0x005, 0x005}, {0x100, 0x109}, {0x200, 0x209}, {0x104, 0x109},
        {0x300, 0x209}, {0x010, 0x000}, {-1, 0x209},
    };
    kiv::AttributeStack s;
    for (const auto& c : cases) {
        s.setMap(0x001, "previous");
        s.setMap(c.flags, "brick");
        EXPECT_EQ(s.mapBits, c.bits) << std::hex << c.flags;
        // The name is kept exactly when some bit results.
        EXPECT_STREQ(s.mapName, c.bits != 0 ? "brick" : "") << std::hex << c.flags;
    }
}

TEST_F(AttributeScene, InstanciateCopiesTheStackAndTakesTheArgumentName) {
    KivAttribute_SetName("floor");
    KivAttribute_SetDiffuse(KivColor(0.5f, 0.25f, 0.125f, 0.0f));
    KivAttribute_SetSpecular(KivColor(0.1f, 0.2f, 0.3f));
    KivAttribute_SetEmission(KivColor(4.0f, 5.0f, 6.0f));
    KivAttribute_SetTransparency(KivColor(0.7f, 0.8f, 0.9f));
    KivAttribute_SetReflectivity(0.4f);
    KivAttribute_SetShineness(12.0f);
    KivAttribute_SetRefractionIndex(1.5f);
    KivAttribute_SetTextureSize(2.0f, 3.0f);
    EXPECT_EQ(KivAttribute_Instanciate("wall"), 0);
    EXPECT_EQ(KivAttribute_Instanciate("wall paint"), 1);
    EXPECT_EQ(KivAttribute_GetInstanceCount(), 2);

    KivAttribute& a = *KivAttribute_GetReference(0);
    EXPECT_STREQ(a.getName(), "wall");
    expectRgb(a.getDiffuse(), 0.5f, 0.25f, 0.125f);
    expectRgb(a.getSpecular(), 0.1f, 0.2f, 0.3f);
    expectRgb(a.getEmission(), 4.0f, 5.0f, 6.0f);
    expectRgb(a.getTransparency(), 0.7f, 0.8f, 0.9f);
    EXPECT_FLOAT_EQ(a.getReflectivity(), 0.4f);
    EXPECT_FLOAT_EQ(a.getShineness(), 12.0f);
    EXPECT_FLOAT_EQ(a.getRefractionIndex(), 1.5f);
    EXPECT_FLOAT_EQ(a.getTextureSize()[0], 2.0f);
    EXPECT_FLOAT_EQ(a.getTextureSize()[1], 3.0f);
    EXPECT_EQ(a.getMapType(), 0);
    EXPECT_EQ(a.getDiffuseMapIndex(), -1);

    // The stack survives: the second record differs only by its name.
    KivAttribute b = *KivAttribute_GetReference(1);
    EXPECT_STREQ(b.getName(), "wall paint");
    b.setName("wall");
    expectSameAttribute(a, b);

    // Resetting the stack gives the neutral material.
    KivAttribute_InitializeStack();
    KivAttribute_Instanciate("plain");
    KivAttribute c = *KivAttribute_GetReference(2);
    KivAttribute expected;
    expected.init();
    expected.setName("plain");
    expectSameAttribute(c, expected);
}

TEST_F(AttributeScene, NamesAreFoundOnlyAmongEndedRecords) {
    EXPECT_EQ(KivAttribute_GetIndexFromName("a"), -1);
    KivAttribute_Instanciate("a");
    KivAttribute_Instanciate("b");
    EXPECT_EQ(KivAttribute_GetIndexFromName("a"), -1);
    EXPECT_EQ(KivAttribute_EndInstance(), 2);
    KivAttribute_Instanciate("c");
    KivAttribute_Instanciate("b");
    EXPECT_EQ(KivAttribute_GetIndexFromName("a"), 0);
    EXPECT_EQ(KivAttribute_GetIndexFromName("b"), 1);
    EXPECT_EQ(KivAttribute_GetIndexFromName("c"), -1);
    EXPECT_EQ(KivAttribute_GetIndexFromName("B"), -1);

    // Append ends everything before it as well.
    KivAttribute d;
    d.setName("d");
    KivAttribute_Append(d);
    EXPECT_EQ(KivAttribute_GetInstanceCount(), 5);
    EXPECT_EQ(KivAttribute_GetIndexFromName("c"), 2);
    EXPECT_EQ(KivAttribute_GetIndexFromName("d"), 4);
}

TEST_F(AttributeScene, LongNamesAndPathsAreCutToFit) {
    const std::string longName(200, 'n');
    const std::string longPath(1000, 'p');
    KivAttribute_SetName(longName.c_str());
    EXPECT_EQ(std::string(kiv::scene().attributes.stack.name), longName.substr(0, 63));
    KivAttribute_SetMap(1, longName.c_str());
    EXPECT_EQ(std::string(kiv::scene().attributes.stack.mapName), longName.substr(0, 63));
    KivAttribute_Instanciate(longName.c_str());
    KivAttribute_EndInstance();
    EXPECT_EQ(std::string(KivAttribute_GetReference(0)->getName()), longName.substr(0, 63));
    EXPECT_EQ(KivAttribute_GetIndexFromName(longName.substr(0, 63).c_str()), 0);

    EXPECT_EQ(KivMap_InstanciateNamed(longName.c_str(), longPath.c_str()), 0);
    KivMap& m = *KivMap_GetReference(0);
    EXPECT_EQ(std::string(m.getName()), longName.substr(0, 63));
    EXPECT_EQ(std::string(m.getImage_path()), longPath.substr(0, 259));
    KivImage img;
    img.setPath(longPath.c_str());
    EXPECT_EQ(std::strlen(img.getPath()), 259u);
}

TEST_F(AttributeScene, RecordIndexFunctionsAndTheirMissingRecords) {
    KivAttribute_SetMap(0x004, "m");
    KivAttribute_Instanciate("a");
    EXPECT_EQ(KivAttribute_GetMapType(0), 0x004);
    KivAttribute_SetMapType(0, 0x109);
    KivAttribute_SetDiffuseMapIndex(0, 7);
    EXPECT_EQ(KivAttribute_GetMapType(0), 0x109);
    EXPECT_EQ(KivAttribute_GetDiffuseMapIndex(0), 7);

    // init() keeps the diffuse map index and resets everything else.
    KivAttribute_InitializeWithIndex(0);
    const KivAttribute& a = *KivAttribute_GetReference(0);
    EXPECT_STREQ(a.getName(), "");
    expectRgb(a.getDiffuse(), 1, 1, 1);
    EXPECT_FLOAT_EQ(a.getShineness(), 1.0f);
    EXPECT_FLOAT_EQ(a.getRefractionIndex(), 1.0f);
    EXPECT_FLOAT_EQ(a.textureSize[0], -1.0f);
    EXPECT_EQ(a.getMapType(), 0);
    EXPECT_EQ(a.getDiffuseMapIndex(), 7);

    // Indices without a record read as "no map" and are never written.
    for (int i : {-1, 1, 1000000}) {
        KivAttribute_InitializeWithIndex(i);
        KivAttribute_SetMapType(i, 5);
        KivAttribute_SetDiffuseMapIndex(i, 5);
        EXPECT_EQ(KivAttribute_GetMapType(i), 0);
        EXPECT_EQ(KivAttribute_GetDiffuseMapIndex(i), -1);
    }
    EXPECT_EQ(KivAttribute_GetInstanceCount(), 1);
    EXPECT_THROW(KivAttribute_GetReference(1), std::out_of_range);
    EXPECT_EQ(KivAttribute_Delete(0), 0);
    EXPECT_EQ(KivAttribute_GetInstanceCount(), 1);
    EXPECT_EQ(KivAttribute_End(), 1);
    EXPECT_EQ(KivAttribute_GetInstanceCount(), 0);
    EXPECT_EQ(KivAttribute_GetPointer(), nullptr);
}

TEST_F(AttributeScene, MapsComeOnlyFromTheNamedCreation) {
    EXPECT_EQ(KivMap_Instanciate("m", "m.png"), 0);
    EXPECT_EQ(KivMap_GetInstanceCount(), 0);
    unsigned char bytes[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(KivMap_BindImage("m", 2, 1, 3, bytes), 0);
    EXPECT_EQ(KivMap_UnbindImage("m"), 0);

    KivMap_SetMinFilter(3);
    KivMap_SetMagFilter(4);
    EXPECT_EQ(KivMap_InstanciateNamed("m", "m.png"), 0);
    KivMap_InitializeStack();
    EXPECT_EQ(KivMap_InstanciateNamed("n", nullptr), 1);
    EXPECT_EQ(KivMap_GetInstanceCount(), 2);
    EXPECT_EQ(KivMap_GetIndexFromName("n"), 1);
    const KivMap& m = *KivMap_GetReference(0);
    EXPECT_EQ(m.getMinFilter(), 3);
    EXPECT_EQ(m.getMagFilter(), 4);
    EXPECT_STREQ(m.image.path, "m.png");
    EXPECT_EQ(m.getImage_bitmap(), nullptr);
    expectRgb(m.getAverageColor(), 0, 0, 0);
    EXPECT_EQ(KivMap_GetReference(1)->getMinFilter(), 0);
    EXPECT_THROW(KivMap_GetReference(2), std::out_of_range);
}

TEST_F(AttributeScene, BindImageComputesTheAverageColour) {
    KivMap_InstanciateNamed("rgb", "");
    KivMap_InstanciateNamed("rgba", "");
    EXPECT_EQ(KivMap_BindImage(0, 2, 1, 3, newBitmap({255, 0, 0, 0, 0, 255})), 1);
    expectRgb(KivMap_GetReference(0)->getAverageColor(), 0.5f, 0.0f, 0.5f);
    // Four bytes a pixel: the fourth is skipped; rows follow one another.
    EXPECT_EQ(
        KivMap_BindImage("rgba", 1, 3, 4, newBitmap({255, 0, 51, 9, 0, 255, 0, 9, 0, 0, 0, 9})), 1);
    const KivMap& m = *KivMap_GetReference(1);
    expectRgb(m.getAverageColor(), 1.0f / 3.0f, 1.0f / 3.0f, 51.0f / 3.0f / 255.0f);
    EXPECT_EQ(m.getImage_width(), 1);
    EXPECT_EQ(m.getImage_height(), 3);
    EXPECT_EQ(m.getImage_numPlane(), 4);
    // Both bitmaps now belong to the maps; the scene's end releases them.
}

TEST_F(AttributeScene, BindImageRejectsUnusableInputWithoutTakingTheBitmap) {
    KivMap_InstanciateNamed("m", "");
    std::vector<unsigned char> bytes(16, 7);
    const struct {
        int map, width, height, planes;
        bool nullBitmap;
    } bad[] = {{-1, 2, 2, 4, false}, {1, 2, 2, 4, false},  {-7, 2, 2, 4, false},
               {0, -1, 2, 4, false}, {0, 2, -1, 4, false}, {0, 2, 2, 2, false},
               {0, 2, 2, 5, false},  {0, 2, 2, 4, true}};
    for (const auto& b : bad) {
        // Something valid is bound first: a failed bind leaves no bitmap bound.
        unsigned char own[3] = {0, 0, 0};
        ASSERT_EQ(KivMap_BindImage(0, 1, 1, 3, own), 1);
        EXPECT_EQ(KivMap_BindImage(b.map, b.width, b.height, b.planes,
                                   b.nullBitmap ? nullptr : bytes.data()),
                  0);
        if (b.map == 0) {
            EXPECT_EQ(KivMap_GetReference(0)->getImage_bitmap(), nullptr);
        } else {
            KivMap_UnbindImage(0);
        }  // hand "own" back before it goes out of scope
    }
    EXPECT_EQ(KivMap_BindImage("missing", 2, 2, 4, bytes.data()), 0);

    // Unbinding hands the bitmap back: the map forgets it and the caller frees it.
    EXPECT_EQ(KivMap_BindImage(0, 4, 1, 4, bytes.data()), 1);
    EXPECT_EQ(KivMap_UnbindImage("m"), 1);
    EXPECT_EQ(KivMap_GetReference(0)->getImage_bitmap(), nullptr);
    EXPECT_EQ(KivMap_UnbindImage(-1), 0);
    EXPECT_EQ(KivMap_UnbindImage(3), 0);
    EXPECT_EQ(KivMap_End(), 1);
    EXPECT_EQ(KivMap_GetInstanceCount(), 0);
}

TEST_F(AttributeScene, InstanciateLooksUpItsMapAndRewritesAlpha) {
    // Grey pixels at both thresholds, and a pure red and blue pair that tells which byte the
    // luminance takes as red: (0,0,17) has luminance 5, (17,0,0) luminance 1.
    const std::vector<unsigned char> pixels = {250, 250, 250, 9, 251, 251, 251, 9, 4,  4, 4, 9,
                                               5,   5,   5,   9, 0,   0,   17,  9, 17, 0, 0, 9};
    KivMap_InstanciateNamed("white", "");
    KivMap_InstanciateNamed("black", "");
    KivMap_InstanciateNamed("rgb", "");
    KivMap_InstanciateNamed("plain", "");
    KivMap_BindImage("white", 3, 2, 4, newBitmap(pixels));
    KivMap_BindImage("black", 6, 1, 4, newBitmap(pixels));
    KivMap_BindImage("rgb", 8, 1, 3, newBitmap(pixels));
    KivMap_BindImage("plain", 6, 1, 4, newBitmap(pixels));

    const struct {
        int flags;
        const char* map;
        int mapIndex;
    } cases[] = {
        {0x100, "white", 0}, {0x200, "black", 1}, {0x200, "rgb", 2},   {0x001, "plain", 3},
        {0x004, "plain", 3}, {0x008, "plain", 3}, {0x200, "none", -1}, {0x002, "plain", -1},
    };
    for (const auto& c : cases) {
        KivAttribute_SetMap(c.flags, c.map);
        const int i = KivAttribute_Instanciate(c.map);
        EXPECT_EQ(KivAttribute_GetDiffuseMapIndex(i), c.mapIndex) << c.flags << c.map;
    }
    auto alpha = [](int map) {
        const KivMap& m = *KivMap_GetReference(map);
        std::vector<int> a;
        for (int p = 0; p < 6; ++p) a.push_back(m.getImage_bitmap()[4 * p + 3]);
        return a;
    };
    EXPECT_EQ(alpha(0), (std::vector<int>{255, 0, 255, 255, 255, 255}));
    EXPECT_EQ(alpha(1), (std::vector<int>{255, 255, 0, 255, 255, 0}));
    EXPECT_EQ(alpha(3), (std::vector<int>{9, 9, 9, 9, 9, 9}));
    // Three-byte pixels have no alpha to rewrite.
    EXPECT_EQ(std::memcmp(KivMap_GetReference(2)->getImage_bitmap(), pixels.data(), 24), 0);
}

TEST_F(AttributeScene, TextureDiffuseRuleChoosesTheSurfaceColour) {
    KivMap_InstanciateNamed("tex", "");
    KivMap_InstanciateNamed("empty", "");
    KivMap_BindImage("tex", 1, 1, 3, newBitmap({51, 102, 153}));
    KivAttribute_SetDiffuse(KivColor(0.2f, 0.3f, 0.4f));
    KivAttribute_SetMap(1, "tex");
    KivAttribute_Instanciate("textured");  // 0
    KivAttribute_SetMap(1, "empty");
    KivAttribute_Instanciate("unbound");  // 1
    KivAttribute_SetMap(4, "tex");
    KivAttribute_Instanciate("lookup only");  // 2

    auto& attrs = kiv::scene().attributes;
    auto& maps = kiv::scene().maps;
    const KivColor keep(0.6f, 0.6f, 0.6f);
    const struct {
        KivLong use;
        int attr;
        float r, g, b;
    } cases[] = {
        {1, 0, 0.2f, 0.4f, 0.6f}, {0, 0, 0.2f, 0.3f, 0.4f},  {1, 1, 0.2f, 0.3f, 0.4f},
        {1, 2, 0.2f, 0.3f, 0.4f}, {1, -1, 1, 1, 1},          {0, -1, 1, 1, 1},
        {1, 99, 1, 1, 1},         {-1, 0, 0.6f, 0.6f, 0.6f}, {2, -1, 0.6f, 0.6f, 0.6f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "use " << c.use << " attr " << c.attr);
        expectRgb(kiv::textureDiffuse(c.use, c.attr, keep, attrs, maps), c.r, c.g, c.b);
    }
}

TEST_F(AttributeScene, SceneEndAndInitializeReleaseBoundBitmaps) {
    // Run under the address sanitizer, a leak or a double release here fails the test.
    KivMap_InstanciateNamed("a", "");
    KivMap_BindImage("a", 2, 2, 4, newBitmap(std::vector<unsigned char>(16, 1)));
    KivScene_Initialize();
    EXPECT_EQ(KivMap_GetInstanceCount(), 0);
    KivMap_InstanciateNamed("a", "");
    KivMap_BindImage("a", 2, 2, 4, newBitmap(std::vector<unsigned char>(16, 1)));
    KivMap_GetReference(0)->deleteImage_bitmap();  // released early: must not be freed again
    EXPECT_EQ(KivMap_GetReference(0)->getImage_bitmap(), nullptr);
    KivMap_BindImage("a", 2, 2, 4, newBitmap(std::vector<unsigned char>(16, 1)));
    EXPECT_EQ(KivScene_End(), 1);
    KivScene_Create();  // for TearDown
}
