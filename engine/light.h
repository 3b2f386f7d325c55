#pragma once
// The abstract light interfaces shared by the engine and every light library. The engine knows
// no concrete light: it keeps KivLight and KivLightData pointers in its registries and drives
// the objects only through the virtual operations below. The order of the virtual operations is
// part of the binary contract between the libraries built against this header, so new
// operations may only ever be added after the last one.
//
// A default getter answers 1e38 (or a point or vector of 1e38 components) for a quantity the
// light type does not have, -1 for an index and 0 or null for a count or a pointer.
#include <cstdio>

#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

class KivHDRI;

// Light type codes, the values of getType(). 3 and 4 are not assigned.
inline constexpr char kKivPointLight = 1;
inline constexpr char kKivSpotLight = 2;
inline constexpr char kKivGeneralLight = 5;
inline constexpr char kKivDirectionalLight = 6;
inline constexpr char kKivSkyLight = 7;
inline constexpr char kKivHDRILight = 8;
// Shooter type of a shooting surface; never the type of a light.
inline constexpr char kKivSurfaceShooter = 9;

class KIV_API KivLight {
public:
    KivLight() = default;
    KivLight(const KivLight&) = default;
    KivLight& operator=(const KivLight&) = default;
    virtual ~KivLight();

    // Sets the type code and the defaults of the derived class.
    virtual void init() = 0;
    // Releases what the light owns; called before destruction and when the light is deleted
    // from its registry.
    virtual void del() = 0;
    // Energy the light delivers to sample point vertexIndex. The engine has loaded the shooter
    // parameters from the getters and set the point's receiving position before calling it.
    virtual KivColor shoot(int vertexIndex) = 0;
    // Derives secondary values (such as cosines) from the stored parameters.
    virtual void doSet();
    virtual void setType(char type);
    virtual char getType();
    virtual void setUnshot(KivColor unshot);
    virtual KivColor getUnshot();
    virtual void setPosition(KivPoint position);
    virtual KivPoint getPosition();
    virtual void setFalloffStart(float distance);
    virtual float getFalloffStart();
    virtual void setFalloffEnd(float distance);
    virtual float getFalloffEnd();
    virtual void setDirection(KivVector direction);
    virtual KivVector getDirection();
    virtual void setField(float angle);
    virtual float getField();
    virtual void setFieldCos(float cosine);
    virtual float getFieldCos();
    virtual void setBeam(float angle);
    virtual float getBeam();
    virtual void setBeamCos(float cosine);
    virtual float getBeamCos();
    virtual void setSourceSpotCoefficient(float coefficient);
    virtual float getSourceSpotCoefficient();
    virtual void setWorldToLight(KivMatrix worldToLight);
    virtual KivMatrix getWorldToLight();
    virtual void setLightDataIndex(int index);
    virtual KivLong getLightDataIndex();
    virtual const KivVector* getDirectionList();
    virtual const KivColor* getEmissionList();
    virtual KivLong getSampleNum();
    virtual KivLong getUpIndex();
    virtual KivLong getHatIndex();
    virtual KivLong getDirIndex();
    virtual const KivHDRI* getHDRI();
    virtual void setSkylightType(char skylightType);
    virtual char getSkylightType();
    virtual KivLong getStack();
    virtual KivLong getSlice();
    // Writes the light's text description.
    virtual void output(std::FILE* file);

    // 0 until the light has shot in the current solution, then 1. The engine reads and writes
    // it directly.
    KivLong alreadyShoot = 0;
    // Type code, set by the derived class's init.
    char type = 0;
    // Energy still to be shot; setters copy red, green and blue and keep the fourth component.
    KivColor unshot;
};

// Goniometric data shared by several lights, which refer to it by light-data registry index.
// The engine reads none of its fields.
class KIV_API KivLightData {
public:
    KivLightData() = default;
    KivLightData(const KivLightData&) = default;
    KivLightData& operator=(const KivLightData&) = default;
    virtual ~KivLightData();

    virtual void init() = 0;
    // Releases what the data owns; called before destruction.
    virtual void del() = 0;
    // Writes the data's text description.
    virtual void output(std::FILE* file);
};
