#pragma once
// The standard light creators. Each light kind offers _Create (an unregistered object) and
// _Instanciate (registered in the current scene, returns its index).
#include "engine/KivRadiosity.h"

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
