#pragma once
// The standard light creators. Each light kind offers _Create (an unregistered object) and
// _Instanciate (registered in the current scene, returns its index).
#include "engine/KivRadiosity.h"

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
