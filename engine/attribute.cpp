#include "engine/attribute.h"

#include <cstring>

// ---- KivAttribute ----

KivAttribute::KivAttribute() = default;

void KivAttribute::init() {
    name[0] = '\0';
    diffuse = KivColor(1.0f, 1.0f, 1.0f, 1.0f);
    specular = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    emission = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    reflectivity = 0.0f;
    shineness = 1.0f;
    transparency = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    refractionIndex = 1.0f;
    textureSize[0] = -1.0f;
    textureSize[1] = -1.0f;
    index = 0;
    mapType = 0;
}

void KivAttribute::setName(const char* n) { kiv::copyName(name, n); }

void KivAttribute::setTextureSize(const float* uv) {
    if (uv == nullptr) return;
    textureSize[0] = uv[0];
    textureSize[1] = uv[1];
}

// ---- KivImage ----

KivImage::KivImage() = default;

KivImage::KivImage(int originalWidth_, int originalHeight_, int width_, int height_, int numPlane_,
                   unsigned char* bitmap_)
    : originalWidth(originalWidth_),
      originalHeight(originalHeight_),
      width(width_),
      height(height_),
      numPlane(numPlane_),
      bitmap(bitmap_) {}

void KivImage::setPath(const char* p) { kiv::copyName(path, p); }

void KivImage::deleteBitmap() {
    delete[] bitmap;
    bitmap = nullptr;
}

// ---- KivMap ----

KivMap::KivMap() = default;
KivMap::~KivMap() = default;

void KivMap::setName(const char* n) { kiv::copyName(name, n); }

void KivMap::setAverageColor(float grey) { setAverageColor(KivColor(grey, grey, grey, 1.0f)); }

namespace kiv {

namespace {
std::size_t pixelCount(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}
}  // namespace

KivColor averageColor(const unsigned char* bitmap, int width, int height, int numPlane) {
    const std::size_t n = pixelCount(width, height);
    if (bitmap == nullptr || n == 0) return KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    const std::size_t stride = numPlane == 3 ? 3 : 4;
    std::uint64_t sum[3] = {0, 0, 0};
    const unsigned char* p = bitmap;
    for (std::size_t i = 0; i < n; ++i, p += stride) {
        sum[0] += p[0];
        sum[1] += p[1];
        sum[2] += p[2];
    }
    const float count = static_cast<float>(n);
    return KivColor(static_cast<float>(sum[0]) / count / 255.0f,
                    static_cast<float>(sum[1]) / count / 255.0f,
                    static_cast<float>(sum[2]) / count / 255.0f, 1.0f);
}

void applyLuminanceAlpha(KivImage& image, bool whiteTransparent) {
    if (image.numPlane == 3 || image.bitmap == nullptr) return;
    const std::size_t n = pixelCount(image.width, image.height);
    unsigned char* p = image.bitmap;
    for (std::size_t i = 0; i < n; ++i, p += 4) {
        const int lum = (p[1] * 587 + p[2] * 299 + p[0] * 114) / 1000;
        const bool opaque = whiteTransparent ? lum <= 250 : lum > 4;
        p[3] = opaque ? 255 : 0;
    }
}

// ---- attribute stack ----

void AttributeStack::setDefaults() {
    name[0] = '\0';
    diffuse = KivColor(1.0f, 1.0f, 1.0f, 1.0f);
    specular = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    emission = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    reflectivity = 0.0f;
    shineness = 1.0f;
    transparency = KivColor(0.0f, 0.0f, 0.0f, 1.0f);
    refractionIndex = 1.0f;
    textureSize[0] = -1.0f;
    textureSize[1] = -1.0f;
    mapBits = 0;
    mapName[0] = '\0';
}

void AttributeStack::setMap(int flags, const char* name_) {
    if (flags == 0) {
        mapBits = 0;
        mapName[0] = '\0';
        return;
    }
    // Each rule sees the result of the earlier ones; the two alpha rules replace the bits.
    int bits = 0;
    if (flags & kMapDiffuse) bits = kMapDiffuse;
    if (flags & kMapLookUp) bits |= kMapLookUp;
    if (flags & kMapDiffuseExtra) bits |= kMapDiffuseExtra | kMapDiffuse;
    if (flags & kMapAlphaWhite) bits = kMapAlphaWhite | kMapDiffuseExtra | kMapDiffuse;
    if (flags & kMapAlphaBlack) bits = kMapAlphaBlack | kMapDiffuseExtra | kMapDiffuse;
    mapBits = bits;
    if (bits != 0)
        copyName(mapName, name_);
    else
        mapName[0] = '\0';
}

// ---- map registry ----

void MapRegistry::releaseBitmaps() {
    for (KivMap& m : records) {
        m.image.width = 0;
        m.image.height = 0;
        m.image.numPlane = 0;
        m.image.deleteBitmap();
    }
}

void MapRegistry::initialize() {
    releaseBitmaps();
    records.clear();
    stack.setDefaults();
}

int MapRegistry::instanciate(const char* name, const char* path) {
    KivMap m;
    m.setName(name);
    m.setMinFilter(stack.minFilter);
    m.setMagFilter(stack.magFilter);
    m.setImage_path(path);
    const int i = records.instanciate(m);
    records.endInstance();
    return i;
}

int MapRegistry::indexFromName(const char* name) const {
    return records.indexFromName(name, [](const KivMap& m) { return m.name; });
}

KivLong MapRegistry::bindImage(int map, int width, int height, int numPlane,
                               unsigned char* bitmap) {
    if (!records.contains(map)) return 0;
    KivImage& img = records[map].image;
    // A failed bind forgets whatever was bound; the bitmap passed stays the caller's.
    img.width = width;
    if (width < 0) {
        img.bitmap = nullptr;
        return 0;
    }
    img.height = height;
    if (height < 0) {
        img.bitmap = nullptr;
        return 0;
    }
    img.numPlane = numPlane;
    if ((numPlane != 3 && numPlane != 4) || bitmap == nullptr) {
        img.bitmap = nullptr;
        return 0;
    }
    img.bitmap = bitmap;
    records[map].setAverageColor(averageColor(bitmap, width, height, numPlane));
    return 1;
}

KivLong MapRegistry::unbindImage(int map) {
    if (!records.contains(map)) return 0;
    records[map].image.bitmap = nullptr;
    return 1;
}

KivLong MapRegistry::end() {
    releaseBitmaps();
    records.clear();
    return 1;
}

// ---- attribute registry ----

void AttributeRegistry::initialize() {
    records.clear();
    stack.setDefaults();
}

int AttributeRegistry::instanciate(const char* name, MapRegistry& maps) {
    KivAttribute a;
    a.setEmission(stack.emission);
    a.setDiffuse(stack.diffuse);
    a.setSpecular(stack.specular);
    a.setReflectivity(stack.reflectivity);
    a.setShineness(stack.shineness);
    a.setTransparency(stack.transparency);
    a.setRefractionIndex(stack.refractionIndex);
    a.setTextureSize(stack.textureSize);
    a.setName(name);
    a.setMapType(stack.mapBits);
    if (stack.mapBits & (kMapDiffuse | kMapLookUp)) {
        const int map = maps.indexFromName(stack.mapName);
        a.setDiffuseMapIndex(map);
        if (map != -1) {
            if (stack.mapBits & kMapAlphaWhite) applyLuminanceAlpha(maps[map].image, true);
            if (stack.mapBits & kMapAlphaBlack) applyLuminanceAlpha(maps[map].image, false);
        }
    }
    return records.instanciate(a);
}

void AttributeRegistry::append(const KivAttribute& a) {
    records.append(a);
    records.endInstance();
}

int AttributeRegistry::indexFromName(const char* name) const {
    return records.indexFromName(name, [](const KivAttribute& a) { return a.name; });
}

KivColor textureDiffuse(KivLong useTextureDiffuse, int attrIndex, const KivColor& current,
                        AttributeRegistry& attributes, MapRegistry& maps) {
    if (useTextureDiffuse != 0 && useTextureDiffuse != 1) return current;
    const KivAttribute* a = attributes.find(attrIndex);
    if (a == nullptr) return KivColor(1.0f, 1.0f, 1.0f, 1.0f);
    if (useTextureDiffuse == 1 && (a->getMapType() & kMapDiffuse) != 0) {
        const int map = a->getDiffuseMapIndex();
        if (maps.contains(map) && maps[map].getImage_bitmap() != nullptr)
            return maps[map].getAverageColor();
    }
    return a->getDiffuse();
}

}  // namespace kiv
