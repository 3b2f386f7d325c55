#pragma once
// Goniometric light data: a table of candela values over vertical and horizontal angles, read
// from an LM-63 photometric file or given as arrays, with a cardinal spline over it. General
// lights refer to one by its index in the scene's light-data registry, so lights made from the
// same file share one table.
//
// Angles are in degrees. Vertical angles run from the light's axis (0), horizontal angles
// around it; the table is horizontal-major (horizontal index j, vertical index i at
// j * latitude + i). The candela multiplier and lumens of the file are kept and reported but
// not applied: energies are the table's values as read.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <vector>

#include "engine/interpolation.h"
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/light.h"

namespace kiv {
struct Lm63Table;
}

class KIV_API KivGeneralLightData : public KivLightData {
  public:
    KivGeneralLightData();
    KivGeneralLightData(const KivGeneralLightData& other);
    KivGeneralLightData& operator=(const KivGeneralLightData& other);
    ~KivGeneralLightData() override;

    // Empty names, zero numbers, no table, orientation 0.
    void init() override;
    // Releases the table and its spline; the data then has no table (counts 0).
    void del() override;
    void output(std::FILE* file) override;

    // Reads an LM-63 file. 1 on success; 0 when the file cannot be read or is rejected (the
    // reason is KivGeneralLightData_GetLastError()), leaving the data unchanged.
    KivLong setDataFromFile(const char* path);
    // The same on the contents of a photometric file in memory; name becomes the file name.
    KivLong setDataFromBuffer(const char* bytes, std::size_t size, const char* name);
    // Copies a table given as arrays (energies horizontal-major, latitude x longitude values)
    // and validates and builds it as the file reader does; the file name becomes empty.
    // 1 on success, 0 for a rejected table (the data is then unchanged).
    KivLong setData(float standardEnergy, float multiplex, int latitude,
                    const float* latitudeAngles, int longitude, const float* longitudeAngles,
                    const float* energies);

    // Candela for a vertical and a horizontal angle; 0 outside the measured ranges.
    // Quadrant- (0..90) and bilaterally symmetric tables (0..180, 90..270) are unfolded to the
    // full circle by their symmetry, and full-circle tables take any horizontal angle modulo
    // 360.
    float calcEnergy(float vertical, float horizontal) const;
    // Candela towards a unit direction in the light's frame. With one horizontal angle the
    // table is rotationally symmetric about x: vertical = acos(x). Otherwise z is the axis:
    // vertical = acos(z), horizontal = the azimuth from +x towards +y (0..360).
    float calcEnergy(KivVector direction) const;
    // Resamples the table turned by the [TILT] and [ROLL] orientation (each taken only when it
    // is at least 1 degree; the others are set to 0). Answers 1 when the table was resampled,
    // 0 when there was nothing to turn (or no table).
    KivLong resetDataByOption();
    // Makes this data the blend (1 - t) a + t b. The scalars are blended first; the tables
    // must share their angle grids, otherwise the answer is 0 and the table is unchanged.
    // Blending an object with itself adds 1000 t / (k + 1) to (1 - t) times value k.
    KivLong interpolate(const KivGeneralLightData& a, const KivGeneralLightData& b, float t);

    const char* getFileName() const { return fileName; }
    const char* getTestName() const { return testName; }
    const char* getManufactureName() const { return manufactureName; }
    float getStandardEnergy() const { return standardEnergy; }
    float getMultiplex() const { return multiplex; }
    KivLong getLatitude() const { return latitude; }
    KivLong getLongitude() const { return longitude; }
    KivLong getApartureSizeUnit() const { return apartureSizeUnit; }
    float getWidth() const { return width; }
    float getDepth() const { return depth; }
    float getHeight() const { return height; }
    const float* getLatitudeAngles() const { return latitudeAngles.data(); }
    const float* getLongitudeAngles() const { return longitudeAngles.data(); }
    const double* getEnergyList() const { return energyList.data(); }
    const KivInterpolate* getInterpolation() const { return interpolation.get(); }
    float getTilt() const { return tilt; }
    float getPan() const { return pan; }
    float getRoll() const { return roll; }
    void setTilt(float degrees) { tilt = degrees; }
    void setPan(float degrees) { pan = degrees; }
    void setRoll(float degrees) { roll = degrees; }

  private:
    // Validates the angle grid and the values, extends a table that ends between 180 and 360
    // degrees to 360 (when extend is set), allocates the output arrays and builds the spline,
    // then takes the table. On a rejected table the data is unchanged and the answer is 0.
    KivLong takeFileTable(kiv::Lm63Table& table, const char* name);
    KivLong takeTable(std::vector<float>& vertical, std::vector<float>& horizontal,
                      std::vector<double>& values, bool extend);
    void buildInterpolation();
    // The horizontal angle mapped into the measured range by the table's symmetry.
    float foldHorizontal(float horizontal) const;

    char fileName[260];
    char testName[256];
    char manufactureName[256];
    float standardEnergy;
    float multiplex;
    KivLong latitude;
    KivLong longitude;
    KivLong apartureSizeUnit;
    float width;
    float depth;
    float height;
    std::vector<float> latitudeAngles;
    std::vector<float> longitudeAngles;
    std::vector<double> energyList;
    // Kept for the text output only; never computed (zero).
    std::vector<double> deltaX;
    std::vector<double> deltaY;
    std::vector<double> derivatives;
    // KivCardinal1D with one horizontal angle, else KivCardinal2D; tension 0.2. Null without a
    // table.
    std::unique_ptr<KivInterpolate> interpolation;
    float tilt;
    float pan;
    float roll;
};
