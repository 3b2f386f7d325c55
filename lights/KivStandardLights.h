#pragma once
// The standard-lights library: the concrete light classes and their creators. Every class
// derives from the engine's KivLight. Each kind offers two exported creators:
//   <Class>_Create       constructs, runs init() and applies the parameters as setData does;
//                        the object is registered nowhere and the caller owns it (null when
//                        memory runs out);
//   <Class>_Instanciate  the same, then appends the object to the current scene's light
//                        registry, which owns it from then on, and answers its index there
//                        (-1 when memory runs out).
// Colour, point and vector parameters carry their values in the first three components.
#include "engine/KivRadiosity.h"
#include "lights/directional_light.h"
#include "lights/point_light.h"
#include "lights/spot_light.h"

// Directional light: energy `unshot` per unit area travelling along `direction` (normalised).
KIV_API KivDirectionalLight* KivDirectionalLight_Create(KivColor unshot, KivVector direction);
KIV_API int KivDirectionalLight_Instanciate(KivColor unshot, KivVector direction);

// Point light of total power `unshot`; a falloff end below the start is raised to the start.
KIV_API KivPointLight* KivPointLight_Create(KivColor unshot, KivPoint position, float falloffStart,
                                            float falloffEnd);
KIV_API int KivPointLight_Instanciate(KivColor unshot, KivPoint position, float falloffStart,
                                      float falloffEnd);

// Spot light along `direction` (normalised) with field and beam half-angles in degrees; a field
// narrower than the beam is widened to the beam, a falloff end below the start raised to it.
KIV_API KivSpotLight* KivSpotLight_Create(KivColor unshot, KivPoint position, KivVector direction,
                                          float field, float beam, float falloffStart,
                                          float falloffEnd);
KIV_API int KivSpotLight_Instanciate(KivColor unshot, KivPoint position, KivVector direction,
                                     float field, float beam, float falloffStart, float falloffEnd);

// ---- General (goniometric) lights and their light data --------------------------------------
// Light data come from an LM-63 photometric file or from arrays (vertical angles, horizontal
// angles, candela values horizontal-major). Data read by path are shared: instanciating a path
// already registered answers the index of that data. Creators answer null or -1 for a file or
// table that is rejected; KivGeneralLightData_GetLastError() then tells why.
#include "lights/general_light.h"
#include "lights/general_light_data.h"

KIV_API KivGeneralLightData* KivGeneralLightData_Create(const char* path);
KIV_API KivGeneralLightData* KivGeneralLightData_Create(float standardEnergy, float multiplex,
                                                        int latitude, const float* latitudeAngles,
                                                        int longitude,
                                                        const float* longitudeAngles,
                                                        const float* energies);
KIV_API int KivGeneralLightData_Instanciate(const char* path);
KIV_API int KivGeneralLightData_Instanciate(float standardEnergy, float multiplex, int latitude,
                                            const float* latitudeAngles, int longitude,
                                            const float* longitudeAngles, const float* energies);
// Candela of the KivGeneralLightData at data for two angles in degrees; 0 for null.
KIV_API float KivGeneralLightData_GetEnergyFromAngles(void* data, float vertical,
                                                      float horizontal);
// out := the blend (1 - t) a + t b of two tables on the same angle grids; 1 or 0.
KIV_API KivLong KivGeneralLightData_Interpolate(const KivGeneralLightData* a,
                                                const KivGeneralLightData* b, float t,
                                                KivGeneralLightData* out);
// Why the last file or table was rejected; empty after a success.
KIV_API const char* KivGeneralLightData_GetLastError();

KIV_API KivGeneralLight* KivGeneralLight_Create(KivColor unshot, KivPoint position,
                                                int lightDataIndex, KivMatrix worldToLight);
KIV_API KivGeneralLight* KivGeneralLight_Create(KivColor unshot, KivPoint position,
                                                const char* path, KivMatrix worldToLight);
KIV_API KivGeneralLight* KivGeneralLight_Create(KivColor unshot, KivPoint position,
                                                float standardEnergy, float multiplex,
                                                int latitude, const float* latitudeAngles,
                                                int longitude, const float* longitudeAngles,
                                                const float* energies, KivMatrix worldToLight);
KIV_API int KivGeneralLight_Instanciate(KivColor unshot, KivPoint position, const char* path,
                                        KivMatrix worldToLight);
KIV_API int KivGeneralLight_Instanciate(KivColor unshot, KivPoint position, float standardEnergy,
                                        float multiplex, int latitude,
                                        const float* latitudeAngles, int longitude,
                                        const float* longitudeAngles, const float* energies,
                                        KivMatrix worldToLight);
// ---- end of general lights ------------------------------------------------------------------

// ---- Environment lights: HDRI light and sky light ----
#include "lights/hdri_light.h"
#include "lights/sky_light.h"

// HDRI light of image energy scaled by `unshot`, centred at `position` and turned by
// `worldToLight`, its image read from the RGBE file at `path` (null: no image). Axis codes
// 0..5 stand for +x, +y, +z, -x, -y, -z; `stack` + 1 elevation bands with `slice` samples at
// the horizon (negative: 10 and 40); `skylightType` 1 or 2. Null or -1 when memory runs out.
KIV_API KivHDRILight* KivHDRILight_Create(KivColor unshot, KivPoint position,
                                          KivMatrix worldToLight, const char* path, char upAxis,
                                          char dirAxis, int stack, int slice, char skylightType);
KIV_API int KivHDRILight_Instanciate(KivColor unshot, KivPoint position, KivMatrix worldToLight,
                                     const char* path, char upAxis, char dirAxis, int stack,
                                     int slice, char skylightType);
// The same with an image that already exists; the light takes a share of it.
KIV_API int KivHDRILight_Instanciate(KivColor unshot, KivPoint position, KivMatrix worldToLight,
                                     const KivHDRI* image, char upAxis, char dirAxis, int stack,
                                     int slice, char skylightType);

// Sky light over the hemisphere around the up axis: the light-probe image at `path` scaled by
// `colour`, or without a path (null) a uniform sky of twice `colour`. `shootingMethod` is
// stored only. Null or -1 when memory runs out.
KIV_API KivSkyLight* KivSkyLight_Create(KivColor colour, char upAxis, char dirAxis, int stack,
                                        int slice, const char* path, char shootingMethod);
KIV_API int KivSkyLight_Instanciate(KivColor colour, char upAxis, char dirAxis, int stack,
                                    int slice, const char* path, char shootingMethod);
// ---- end of the environment lights ----
