#pragma once
// Materials and their textures: the attribute record (a named material), the map record (a
// named texture holding an image whose bitmap the caller binds), the image record, and the two
// registries of a scene with their staging stacks.
#include <cstddef>
#include <cstdint>

#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/registry.h"
#include "engine/set_rgb.h"

// Map type bits of an attribute (and of the attribute stack's map bits).
inline constexpr int kMapDiffuse = 0x001;       // the attribute has a diffuse map
inline constexpr int kMapLookUp = 0x004;        // look the map up by name when instanciated
inline constexpr int kMapDiffuseExtra = 0x008;  // set together with kMapDiffuse
inline constexpr int kMapAlphaWhite = 0x100;    // alpha from luminance, white transparent
inline constexpr int kMapAlphaBlack = 0x200;    // alpha from luminance, black transparent

class KIV_API KivAttribute {
  public:
    KivAttribute();
    KivAttribute(const KivAttribute&) = default;
    KivAttribute& operator=(const KivAttribute&) = default;

    // Back to a neutral white material; the diffuse map index is kept.
    void init();

    // Names longer than 63 characters are cut to fit.
    void setName(const char* n);
    const char* getName() const { return name; }
    void setDiffuse(KivColor c) { kiv::setRgb(diffuse, c); }
    KivColor getDiffuse() const { return diffuse; }
    void setSpecular(KivColor c) { kiv::setRgb(specular, c); }
    KivColor getSpecular() const { return specular; }
    void setEmission(KivColor c) { kiv::setRgb(emission, c); }
    KivColor getEmission() const { return emission; }
    void setReflectivity(float v) { reflectivity = v; }
    float getReflectivity() const { return reflectivity; }
    void setShineness(float v) { shineness = v; }
    float getShineness() const { return shineness; }
    void setTransparency(KivColor c) { kiv::setRgb(transparency, c); }
    KivColor getTransparency() const { return transparency; }
    void setRefractionIndex(float v) { refractionIndex = v; }
    float getRefractionIndex() const { return refractionIndex; }
    // Two floats, u then v; a null pointer changes nothing.
    void setTextureSize(const float* uv);
    float* getTextureSize() { return textureSize; }
    void setIndex(int i) { index = i; }
    int getIndex() const { return index; }
    void setMapType(int bits) { mapType = bits; }
    int getMapType() const { return mapType; }
    void setDiffuseMapIndex(int i) { diffuseMapIndex = i; }
    int getDiffuseMapIndex() const { return diffuseMapIndex; }

    // Fields in record order.
    char name[64] = {};
    KivColor diffuse{0.0f, 0.0f, 0.0f, 1.0f};
    KivColor specular{0.0f, 0.0f, 0.0f, 1.0f};
    KivColor emission{0.0f, 0.0f, 0.0f, 1.0f};
    float reflectivity = 0.0f;
    float shineness = 0.0f;
    KivColor transparency{0.0f, 0.0f, 0.0f, 1.0f};
    float refractionIndex = 0.0f;
    float textureSize[2] = {-1.0f, -1.0f};
    int index = 0;
    int mapType = 0;
    int diffuseMapIndex = -1;
};

// An image held by a map: its path, sizes, plane count and bitmap (height rows of width pixels,
// 3 bytes per pixel with 3 planes and 4 bytes otherwise). Copies share the bitmap.
class KIV_API KivImage {
  public:
    KivImage();
    KivImage(int originalWidth, int originalHeight, int width, int height, int numPlane,
             unsigned char* bitmap);
    KivImage(const KivImage&) = default;
    KivImage& operator=(const KivImage&) = default;

    // Paths longer than 259 characters are cut to fit.
    void setPath(const char* p);
    char* getPath() { return path; }
    void setOriginalWidth(int v) { originalWidth = v; }
    int getOriginalWidth() const { return originalWidth; }
    void setOriginalHeight(int v) { originalHeight = v; }
    int getOriginalHeight() const { return originalHeight; }
    void setWidth(int v) { width = v; }
    int getWidth() const { return width; }
    void setHeight(int v) { height = v; }
    int getHeight() const { return height; }
    void setNumPlane(int v) { numPlane = v; }
    int getNumPlane() const { return numPlane; }
    void setBitmap(unsigned char* b) { bitmap = b; }
    unsigned char* getBitmap() const { return bitmap; }
    // Releases the bitmap as an array and forgets it, so that a later release cannot free it
    // a second time.
    void deleteBitmap();

    int bytesPerPixel() const { return numPlane == 3 ? 3 : 4; }

    char path[260] = {};
    int originalWidth = 0;
    int originalHeight = 0;
    int width = 0;
    int height = 0;
    int numPlane = 0;
    unsigned char* bitmap = nullptr;
};

// A named texture. The record does not own its bitmap by itself (copies share it); the map
// registry releases bound bitmaps when it ends.
class KIV_API KivMap {
  public:
    KivMap();
    ~KivMap();
    KivMap(const KivMap&) = default;
    KivMap& operator=(const KivMap&) = default;

    // Names longer than 63 characters are cut to fit.
    void setName(const char* n);
    const char* getName() const { return name; }
    void setMinFilter(int f) { minFilter = f; }
    int getMinFilter() const { return minFilter; }
    void setMagFilter(int f) { magFilter = f; }
    int getMagFilter() const { return magFilter; }
    void setAverageColor(KivColor c) { kiv::setRgb(averageColor, c); }
    // A grey: the value in red, green and blue.
    void setAverageColor(float grey);
    KivColor getAverageColor() const { return averageColor; }
    void setGlName(std::uint32_t n) { glName = n; }
    std::uint32_t getGlName() const { return glName; }
    void setImage(const KivImage& i) { image = i; }
    KivImage getImage() const { return image; }
    void setImage_path(const char* p) { image.setPath(p); }
    char* getImage_path() { return image.getPath(); }
    void setImage_orgWidth(int v) { image.originalWidth = v; }
    int getImage_orgWidth() const { return image.originalWidth; }
    void setImage_orgHeight(int v) { image.originalHeight = v; }
    int getImage_orgHeight() const { return image.originalHeight; }
    void setImage_width(int v) { image.width = v; }
    int getImage_width() const { return image.width; }
    void setImage_height(int v) { image.height = v; }
    int getImage_height() const { return image.height; }
    void setImage_numPlane(int v) { image.numPlane = v; }
    int getImage_numPlane() const { return image.numPlane; }
    void setImage_bitmap(unsigned char* b) { image.bitmap = b; }
    unsigned char* getImage_bitmap() const { return image.bitmap; }
    void deleteImage_bitmap() { image.deleteBitmap(); }

    char name[64] = {};
    int minFilter = 0;
    int magFilter = 0;
    KivColor averageColor{0.0f, 0.0f, 0.0f, 1.0f};
    std::uint32_t glName = 0;  // a display layer's texture name; only stored
    KivImage image;
};

namespace kiv {

// Mean of bytes 0, 1 and 2 over width x height pixels (3 or 4 bytes apart), each divided by
// 255, as red, green and blue. No pixels give black.
KivColor averageColor(const unsigned char* bitmap, int width, int height, int numPlane);

// Rewrites byte 3 of every 4-byte pixel from the pixel's luminance, which weighs byte 2 as red
// and byte 0 as blue: opaque up to a luminance of 250 and transparent above (whiteTransparent),
// or opaque above 4 and transparent at or below (black transparent). Images with 3-byte pixels
// or no bitmap are left alone.
void applyLuminanceAlpha(KivImage& image, bool whiteTransparent);

// Staging values for the next attribute.
struct AttributeStack {
    char name[64];
    KivColor diffuse, specular, emission;
    float reflectivity, shineness;
    KivColor transparency;
    float refractionIndex;
    float textureSize[2];
    int mapBits;
    char mapName[64];

    AttributeStack() { setDefaults(); }
    void setDefaults();
    // Rebuilds the map bits from flags and keeps the map name only when some bit results.
    void setMap(int flags, const char* mapName);
};

// Staging values for maps.
struct MapStack {
    int minFilter = 0;
    int magFilter = 0;
    void setDefaults() { *this = MapStack(); }
};

// The scene's maps. Bitmaps bound here belong to the registry until they are unbound or the
// registry ends, is initialised again or is destroyed.
class MapRegistry {
  public:
    MapRegistry() = default;
    ~MapRegistry() { releaseBitmaps(); }
    MapRegistry(const MapRegistry&) = delete;
    MapRegistry& operator=(const MapRegistry&) = delete;

    // Empties the registry (releasing bound bitmaps) and resets the stack.
    void initialize();
    void initializeStack() { stack.setDefaults(); }
    // A new map named name with the image path and the stack's filters; returns its index.
    int instanciate(const char* name, const char* path);
    int instanceCount() const { return records.instanceCount(); }
    // Index of the first map with this name, -1 if none.
    int indexFromName(const char* name) const;
    bool contains(int i) const { return records.contains(i); }
    KivMap& operator[](int i) { return records[i]; }

    // Binds a caller's bitmap to map i and computes its average colour. Returns 1, or 0 when the
    // map does not exist or the sizes, the plane count or the bitmap are unusable; then no
    // bitmap stays bound and the caller keeps the one it passed.
    KivLong bindImage(int map, int width, int height, int numPlane, unsigned char* bitmap);
    // Hands the bitmap back to the caller without releasing it. 1, or 0 for no such map.
    KivLong unbindImage(int map);
    // Releases every bound bitmap and the records.
    KivLong end();

    Registry<KivMap> records;  // the count of maps is both the instance and the ended count
    MapStack stack;

  private:
    void releaseBitmaps();
};

// The scene's attributes and the attribute stack.
class AttributeRegistry {
  public:
    // Empties the registry and resets the stack.
    void initialize();
    void initializeStack() { stack.setDefaults(); }
    // A new record from the stack, named name; a diffuse or look-up map is found by the stack's
    // map name in maps, whose bitmap may get its alpha rewritten. Returns the new index.
    int instanciate(const char* name, MapRegistry& maps);
    // Appends a copy and ends it together with every earlier record.
    void append(const KivAttribute& a);
    int instanceCount() const { return records.instanceCount(); }
    int endInstance() { return records.endInstance(); }
    int indexFromName(const char* name) const;
    bool contains(int i) const { return records.contains(i); }
    // Record i, or null when there is none.
    KivAttribute* find(int i) { return contains(i) ? &records[i] : nullptr; }
    KivLong end() {
        records.clear();
        return 1;
    }

    Registry<KivAttribute> records;
    AttributeStack stack;
};

// The diffuse colour a surface takes from its attribute when the solution starts, by the
// solver's use-texture-diffuse value: 1 takes the average colour of the attribute's diffuse
// map when the attribute has one (bit 0x001) and it holds a bitmap, else the attribute's diffuse
// colour; 0 always takes the attribute's diffuse colour; with either, a surface without an
// attribute (or with an index that has no record) takes white. Any other value keeps current.
KivColor textureDiffuse(KivLong useTextureDiffuse, int attrIndex, const KivColor& current,
                        AttributeRegistry& attributes, MapRegistry& maps);

}  // namespace kiv
