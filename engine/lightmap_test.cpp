#include "engine/lightmap.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/KivRadiosity.h"
#include "engine/scene.h"

namespace {

const KivPoint kSquare[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};

struct Decoded {
    int width = 0, height = 0, components = 0;
    std::vector<unsigned char> pixels;
};

// Reads a JPEG back with the library's own decoder; an unreadable file gives width 0.
Decoded readJpeg(const std::string& path) {
    Decoded d;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return d;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    d.width = static_cast<int>(cinfo.output_width);
    d.height = static_cast<int>(cinfo.output_height);
    d.components = cinfo.output_components;
    d.pixels.resize(static_cast<std::size_t>(d.width) * d.height * d.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = d.pixels.data() +
                       static_cast<std::size_t>(cinfo.output_scanline) * d.width * d.components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return d;
}

bool exists(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}

struct LightmapFixture : testing::Test {
    void SetUp() override {
        KivScene_Create();
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.25f, 1), k);
    }
    void TearDown() override { KivScene_End(); }
    std::string base(const char* name) { return testing::TempDir() + name; }
};

}  // namespace

using Lightmap = LightmapFixture;

TEST_F(Lightmap, OwnBuffersFollowEachGrid) {
    EXPECT_EQ(KivLightmap_GetNumComponents(), 4);
    EXPECT_EQ(KivLightmap_GetShare(), nullptr);
    KivLightmap_InstanciateAll();
    for (int i = 0; i < 3; ++i) {
        unsigned char* b = KivSurface_GetLightmap(i);
        ASSERT_NE(b, nullptr);
        b[0] = 1;
        b[99] = 2;  // 5 x 5 texels of 4 bytes: the last byte (bounds-checked under the sanitizer)
    }
    EXPECT_NE(KivSurface_GetLightmap(0), KivSurface_GetLightmap(1));
    // Indirect grid 2 x 2 at 3 components.
    KivIndirectLightmap_SetNumComponents(3);
    KivIndirectLightmap_Instanciate(1);
    ASSERT_NE(KivSurface_GetLightmapIndirect(1), nullptr);
    KivSurface_GetLightmapIndirect(1)[11] = 3;
    EXPECT_EQ(KivSurface_GetLightmapIndirect(0), nullptr);
    // Components outside 1..4 give no buffer rather than one the texels would overrun.
    KivSurface_GetReference(2)->deleteLightmap();  // replacing a buffer does not release it
    KivLightmap_SetNumComponents(9);
    KivLightmap_Instanciate(2);
    EXPECT_EQ(KivSurface_GetLightmap(2), nullptr);
    KivLightmap_Instanciate(7);  // no such surface: nothing happens
}

TEST_F(Lightmap, SharedRegionsStartAtTheirTexel) {
    std::vector<unsigned char> share(64 * 32 * 4);
    EXPECT_EQ(KivLightmap_Instanciate(1, share.data(), 64, 32, 10, 2), 1);
    EXPECT_EQ(KivLightmap_GetShare(), share.data());
    EXPECT_EQ(KivLightmap_GetShareWidth(), 64);
    EXPECT_EQ(KivLightmap_GetShareHeight(), 32);
    unsigned char* region = KivSurface_GetLightmap(1);
    EXPECT_EQ(region, share.data() + 552);
    const kiv::LightmapSettings& settings = kiv::scene().lightmaps;
    const int L = kiv::lightmapRowLength(settings, KivSurface_GetWidth(1));
    EXPECT_EQ(L, 64);
    EXPECT_EQ(region + (1 + 1 * L) * 4, share.data() + 552 + (1 + 64) * 4);

    EXPECT_EQ(KivLightmap_Instanciate(2, 59, 27), 1);  // the last region that fits
    EXPECT_EQ(KivSurface_GetLightmap(2), share.data() + (59 + 27 * 64) * 4);

    struct Bad {
        int i, x, y;
    };
    for (const Bad& b : {Bad{0, 60, 0}, Bad{0, 0, 28}, Bad{0, -1, 0}, Bad{0, 0, -3}, Bad{5, 0, 0},
                         Bad{-1, 0, 0}}) {
        EXPECT_EQ(KivLightmap_Instanciate(b.i, b.x, b.y), 0) << b.i << " " << b.x << " " << b.y;
    }
    EXPECT_EQ(KivSurface_GetLightmap(0), nullptr);  // unchanged by the refused placements

    // Without a shared height only the width bounds the region.
    KivLightmap_SetShareHeight(0);
    EXPECT_EQ(KivLightmap_Instanciate(0, 0, 28), 1);
    KivLightmap_SetShare(nullptr);
    EXPECT_EQ(KivLightmap_Instanciate(0, 0, 0), 0);
    // The regions are the caller's: detach them before the scene ends.
    for (int i = 0; i < 3; ++i) KivSurface_SetLightmap(i, nullptr);
}

TEST_F(Lightmap, OutputChecksItsRangeAndWritesViewableImages) {
    const std::string b = base("lm_out");
    for (const char* suffix : {"_0.jpg", "_1.jpg", "_2.jpg", "_ShareIndirectAll.jpg"})
        std::remove((b + suffix).c_str());
    EXPECT_EQ(KivLightmap_Output(-1, -1, 'j', b.c_str()), 0);  // no shared image
    EXPECT_EQ(KivLightmap_Output(0, 5, 'j', b.c_str()), 0);    // only three surfaces
    EXPECT_EQ(KivLightmap_Output(2, 1, 'j', b.c_str()), 0);
    EXPECT_EQ(KivLightmap_Output(-1, 0, 'j', b.c_str()), 0);
    EXPECT_EQ(KivLightmap_Output(0, 2, 'j', b.c_str()), 0);  // no lightmaps yet
    EXPECT_FALSE(exists(b + "_0.jpg"));

    KivLightmap_InstanciateAll();
    for (int i = 0; i < 3; ++i) {
        unsigned char* t = KivSurface_GetLightmap(i);
        for (int k = 0; k < 25; ++k) {
            t[4 * k + 0] = 200;
            t[4 * k + 1] = 60;
            t[4 * k + 2] = static_cast<unsigned char>(20 + 100 * i);
            t[4 * k + 3] = 255;
        }
    }
    EXPECT_EQ(KivLightmap_Output(0, 2, 'j', b.c_str()), 1);
    for (int i = 0; i < 3; ++i) {
        const Decoded d = readJpeg(b + "_" + std::to_string(i) + ".jpg");
        ASSERT_EQ(d.width, 5);
        ASSERT_EQ(d.height, 5);
        ASSERT_EQ(d.components, 3);
        EXPECT_NEAR(d.pixels[12 * 3 + 0], 200, 6);
        EXPECT_NEAR(d.pixels[12 * 3 + 1], 60, 6);
        EXPECT_NEAR(d.pixels[12 * 3 + 2], 20 + 100 * i, 6);
    }
    EXPECT_EQ(KivLightmap_Output(0, 2, 'j', "/nonexistent-dir/lm"), 0);

    // The shared image: 64 x 32, grey everywhere.
    std::vector<unsigned char> share(64 * 32 * 3, 128);
    KivIndirectLightmap_SetNumComponents(3);
    KivIndirectLightmap_SetShare(share.data());
    KivIndirectLightmap_SetShareWidth(64);
    KivIndirectLightmap_SetShareHeight(32);
    EXPECT_EQ(KivIndirectLightmap_Output(-1, -1, 'j', b.c_str()), 1);
    const Decoded d = readJpeg(b + "_ShareIndirectAll.jpg");
    EXPECT_EQ(d.width, 64);
    EXPECT_EQ(d.height, 32);
    EXPECT_NEAR(d.pixels[100], 128, 3);
    EXPECT_EQ(KivLightmap_Output(-1, -1, 'j', b.c_str()), 0);  // the direct kind has none
    KivIndirectLightmap_SetShare(nullptr);
}

TEST_F(Lightmap, EndReleasesOwnedBuffersOnceAndNeverTheSharedImage) {
    KivLightmap_InstanciateAll();
    // A caller buffer passes to the engine; a copied record names the same buffer twice.
    KivSurface_GetReference(0)->deleteLightmap();  // replacing a buffer does not release it
    KivLightmap_Instanciate(0, new unsigned char[100]);
    KivSurface_Append(*KivSurface_GetReference(1));
    EXPECT_EQ(KivSurface_GetLightmap(3), KivSurface_GetLightmap(1));
    EXPECT_EQ(KivLightmap_End(), 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(KivSurface_GetLightmap(i), nullptr);

    std::vector<unsigned char> share(64 * 8 * 4);
    ASSERT_EQ(KivLightmap_Instanciate(0, share.data(), 64, 8, 0, 0), 1);
    EXPECT_EQ(KivLightmap_End(), 1);
    EXPECT_EQ(KivSurface_GetLightmap(0), share.data());  // the caller's image is left alone
    KivSurface_SetLightmap(0, nullptr);

    // Lightmaps of a scene that is reinitialised or deleted are released with it (the sanitizer
    // build reports a leak otherwise).
    KivLightmap_SetShare(nullptr);
    KivIndirectLightmap_InstanciateAll();
    KivScene_Initialize();
    EXPECT_EQ(KivSurface_GetInstanceCount(), 0);
    KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.25f, 1);
    KivLightmap_InstanciateAll();
    KivSurface_Initialize();
    KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.25f, 1);
    KivLightmap_InstanciateAll();
    EXPECT_EQ(KivSurface_End(), 1);
    KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.25f, 1);
    KivLightmap_InstanciateAll();
    void* first = kiv::currentScenePointer();
    void* other = KivScene_Create();
    KivSurface_Instanciate(4, kSquare, nullptr, nullptr, 0.25f, 1);
    KivLightmap_InstanciateAll();
    KivScene_MakeCurrent(first);
    EXPECT_EQ(KivScene_Delete(other), 1);
    KivScene_Delete();
    KivScene_Create();  // for TearDown
}
