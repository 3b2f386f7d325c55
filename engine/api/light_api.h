#pragma once
// Light and LightData families: the current scene's registries of light objects and of the
// goniometric data that general lights share. Lights are reached by registry index; an index is
// valid when 0 <= index < ended count and its entry has not been deleted. For an invalid index
// a setter does nothing, a float getter answers 0, a colour, point or vector getter answers
// (0, 0, 0, 1) and GetType and GetAlreadyShoot answer 0.
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/light.h"

// Light registry.
KIV_API void KivLight_Initialize();
KIV_API KivLong KivLight_End();
KIV_API KivLong KivLight_End(void* scene);
// Both take ownership of the object and set the ended count to the number of entries.
KIV_API int KivLight_Instanciate(KivLight* light);
KIV_API void KivLight_Append(KivLight* light);
KIV_API int KivLight_EndInstance();
KIV_API int KivLight_GetInstanceCount();
KIV_API void KivLight_InitializeWithIndex(int i);
KIV_API KivLong KivLight_Delete(int i);
KIV_API void KivLight_DoSet(int i);
KIV_API void KivLight_SetType(int i, char type);
KIV_API char KivLight_GetType(int i);
KIV_API void KivLight_SetAlreadyShoot(int i, KivLong alreadyShoot);
KIV_API KivLong KivLight_GetAlreadyShoot(int i);
KIV_API void KivLight_SetUnshot(int i, KivColor unshot);
KIV_API KivColor KivLight_GetUnshot(int i);
KIV_API void KivLight_SetPosition(int i, KivPoint position);
KIV_API KivPoint KivLight_GetPosition(int i);
KIV_API void KivLight_SetFalloffStart(int i, float distance);
KIV_API float KivLight_GetFalloffStart(int i);
KIV_API void KivLight_SetFalloffEnd(int i, float distance);
KIV_API float KivLight_GetFalloffEnd(int i);
KIV_API void KivLight_SetDirection(int i, KivVector direction);
KIV_API KivVector KivLight_GetDirection(int i);
KIV_API void KivLight_SetField(int i, float angle);
KIV_API float KivLight_GetField(int i);
KIV_API void KivLight_SetBeam(int i, float angle);
KIV_API float KivLight_GetBeam(int i);
KIV_API float KivLight_GetFieldCos(int i);
KIV_API float KivLight_GetBeamCos(int i);
KIV_API float KivLight_GetSourceSpotCoefficient(int i);
// Light i; an invalid index raises std::out_of_range.
KIV_API KivLight& KivLight_GetReference(int i);
// Light i, or null for an invalid index.
KIV_API KivLight* KivLight_GetPointer(int i);
// The entry array (entries may be null); null when the registry is empty.
KIV_API KivLight** KivLight_GetPointer();
KIV_API KivLong KivLight_Output(int first, int last, const char* path);

// Light-data registry.
KIV_API void KivLightData_Initialize();
KIV_API KivLong KivLightData_End();
KIV_API KivLong KivLightData_End(void* scene);
KIV_API int KivLightData_Instanciate(KivLightData* data);
KIV_API void KivLightData_Append(KivLightData* data);
KIV_API int KivLightData_EndInstance();
KIV_API int KivLightData_GetCount();
KIV_API void KivLightData_InitializeWithIndex(int i);
// Data i, or null for an index outside 0..ended count - 1.
KIV_API KivLightData* KivLightData_GetPointer(int i);
// Data i; an index outside raises std::out_of_range.
KIV_API KivLightData& KivLightData_GetReference(int i);
KIV_API KivLightData** KivLightData_GetPointer();
KIV_API KivLong KivLightData_Output(int first, int last, const char* path);
// Light data stay registered until the registry is released: does nothing and answers 0.
KIV_API KivLong KivLightData_Delete(int i);
