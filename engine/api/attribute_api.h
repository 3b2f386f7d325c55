#pragma once
#include "engine/attribute.h"
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Attribute family: the materials of the current scene and the stack they are built from.
KIV_API void KivAttribute_InitializeStack();
KIV_API void KivAttribute_Initialize();
// Resets record i with KivAttribute::init(); an index without a record changes nothing.
KIV_API void KivAttribute_InitializeWithIndex(int i);
// Names longer than 63 characters are cut to fit.
KIV_API void KivAttribute_SetName(const char* name);
KIV_API void KivAttribute_SetDiffuse(KivColor c);
KIV_API void KivAttribute_SetSpecular(KivColor c);
KIV_API void KivAttribute_SetEmission(KivColor c);
KIV_API void KivAttribute_SetTransparency(KivColor c);
KIV_API void KivAttribute_SetReflectivity(float v);
KIV_API void KivAttribute_SetShineness(float v);
KIV_API void KivAttribute_SetRefractionIndex(float v);
KIV_API void KivAttribute_SetTextureSize(float u, float v);
// Map bits and map name of the stack: 0x001 diffuse map, 0x004 look-up, 0x008 (adds 0x001),
// 0x100 and 0x200 alpha from luminance (white or black transparent).
KIV_API void KivAttribute_SetMap(int flags, const char* mapName);
// A new record from the stack, named name; returns its index.
KIV_API int KivAttribute_Instanciate(const char* name);
// Appends a copy; the ended count becomes the instance count.
KIV_API void KivAttribute_Append(KivAttribute a);
KIV_API int KivAttribute_GetInstanceCount();
KIV_API int KivAttribute_EndInstance();
// Map type and diffuse map index of record i. An index without a record reads as 0 and -1 and
// is not written.
KIV_API int KivAttribute_GetMapType(int i);
KIV_API void KivAttribute_SetMapType(int i, int bits);
KIV_API int KivAttribute_GetDiffuseMapIndex(int i);
KIV_API void KivAttribute_SetDiffuseMapIndex(int i, int map);
// Bounds-tested: an index outside raises std::out_of_range.
KIV_API KivAttribute* KivAttribute_GetReference(int i);
KIV_API KivAttribute* KivAttribute_GetPointer();
KIV_API KivAttribute* KivAttribute_GetPointer(int i);
// Searches the ended records only; -1 if none matches.
KIV_API int KivAttribute_GetIndexFromName(const char* name);
KIV_API KivLong KivAttribute_End();
KIV_API KivLong KivAttribute_End(void* scene);
KIV_API KivLong KivAttribute_Delete(int i);
