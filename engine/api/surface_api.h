#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/parent_surface.h"

// Surface family: the surface stack, instancing of caller polygons into parent surfaces, the
// group list and access to every registered surface by index. Instancing functions return the
// index of the (last) surface appended, or -1 when the polygon is rejected; `n` and `uv` may be
// null. Per-surface functions do nothing (setters) or return 0, -1 or null (getters) for an
// index that names no surface.

KIV_API void KivSurface_InitializeStack();
KIV_API void KivSurface_Initialize();
KIV_API void KivSurface_SetAttributeName(const char* name);  // cut to 63 characters
KIV_API void KivSurface_SetMapWrapU(int mode);
KIV_API void KivSurface_SetMapWrapV(int mode);
KIV_API void KivSurface_SetMapWrapW(int mode);
KIV_API void KivSurface_SetFlags(int flags);
KIV_API void KivSurface_SetGroupId(int id);
KIV_API void KivSurface_SetCheckOnOnePlane(KivLong check);
KIV_API void KivSurface_SetCheckVertexOnOnePlane(KivLong check);

// Stack-based instancing; an interval or multiple of 0 takes the solver parameter.
KIV_API int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n,
                                   const KivUvw* uv, float interval, int multiple);
KIV_API int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n,
                                   const KivUvw* uv, float interval, int multiple,
                                   float intervalIndirect, int multipleIndirect);
KIV_API int KivSurface_InstanciateDouble(int nverts, const KivPoint* p, const KivVector* n,
                                         const KivUvw* uv, float interval, int multiple);
KIV_API int KivSurface_InstanciateDouble(int nverts, const KivPoint* p, const KivVector* n,
                                         const KivUvw* uv, float interval, int multiple,
                                         float intervalIndirect, int multipleIndirect);
// Direct instancing: no stack, no cleaning.
KIV_API int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n,
                                   const KivUvw* uv, float interval, int multiple, int flags,
                                   KivColor diffuse);
KIV_API int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n,
                                   const KivUvw* uv, float interval, int multiple,
                                   float intervalIndirect, int multipleIndirect, int flags,
                                   KivColor diffuse);
KIV_API int KivSurface_Instanciate(int nverts, const KivPoint* p, const KivVector* n,
                                   const KivUvw* uv, int flags, KivColor diffuse);

KIV_API void KivSurface_Append(KivParentSurface surface);
KIV_API int KivSurface_GetInstanceCount();
KIV_API int KivSurface_GetInstanceCount2();
KIV_API int KivSurface_EndInstance();
KIV_API KivParentSurface* KivSurface_GetReference(int i);  // throws std::out_of_range
KIV_API KivParentSurface* KivSurface_GetPointer();
KIV_API KivParentSurface* KivSurface_GetPointer(int i);  // untested index
KIV_API KivLong KivSurface_Output(int from, int to, const char* path);
KIV_API KivLong KivSurface_End();
KIV_API KivLong KivSurface_End(void* scene);
KIV_API KivLong KivSurface_Delete(int i);
KIV_API int KivSurface_GetGroupCount();

KIV_API void KivSurface_InitializeWithIndex(int i);
KIV_API void KivSurface_DoSet(int i);
KIV_API void KivSurface_SetInterval(int i, float value);
KIV_API float KivSurface_GetInterval(int i);
KIV_API void KivSurface_SetIntervalMultiple(int i, int value);
KIV_API int KivSurface_GetIntervalMultiple(int i);
KIV_API void KivSurface_SetIntervalIndirect(int i, float value);
KIV_API float KivSurface_GetIntervalIndirect(int i);
KIV_API void KivSurface_SetIntervalMultipleIndirect(int i, int value);
KIV_API int KivSurface_GetIntervalMultipleIndirect(int i);
KIV_API void KivSurface_SetAttributeIndex(int i, int value);
KIV_API int KivSurface_GetAttributeIndex(int i);
KIV_API void KivSurface_SetFlags(int i, int value);
KIV_API int KivSurface_GetFlags(int i);
KIV_API void KivSurface_SetGroupId(int i, int value);
KIV_API int KivSurface_GetGroupId(int i);
KIV_API void KivSurface_SetNverts(int i, int value);
KIV_API int KivSurface_GetNverts(int i);
KIV_API void KivSurface_SetPosition(int i, const KivPoint* value);
KIV_API KivPoint* KivSurface_GetPosition(int i);
KIV_API void KivSurface_SetNormal(int i, const KivVector* value);
KIV_API KivVector* KivSurface_GetNormal(int i);
KIV_API void KivSurface_SetUvw(int i, const KivUvw* value);
KIV_API KivUvw* KivSurface_GetUvw(int i);
KIV_API void KivSurface_SetDiffuse(int i, KivColor value);
KIV_API KivColor KivSurface_GetDiffuse(int i);
KIV_API void KivSurface_SetLightmap(int i, unsigned char* value);
KIV_API unsigned char* KivSurface_GetLightmap(int i);
KIV_API void KivSurface_SetLightmapUvw(int i, const KivUvw* value);
KIV_API KivUvw* KivSurface_GetLightmapUvw(int i);
KIV_API void KivSurface_SetUpdateLightmapFlag(int i, int value);
KIV_API int KivSurface_GetUpdateLightmapFlag(int i);
KIV_API void KivSurface_SetLightmapIndirect(int i, unsigned char* value);
KIV_API unsigned char* KivSurface_GetLightmapIndirect(int i);
KIV_API void KivSurface_SetLightmapUvwIndirect(int i, const KivUvw* value);
KIV_API KivUvw* KivSurface_GetLightmapUvwIndirect(int i);
KIV_API void KivSurface_SetUpdateLightmapIndirectFlag(int i, int value);
KIV_API int KivSurface_GetUpdateLightmapIndirectFlag(int i);
KIV_API int KivSurface_GetWidth(int i);
KIV_API int KivSurface_GetHeight(int i);
KIV_API float KivSurface_GetWInterval(int i);
KIV_API float KivSurface_GetHInterval(int i);
KIV_API int KivSurface_GetWidthIndirect(int i);
KIV_API int KivSurface_GetHeightIndirect(int i);
KIV_API float KivSurface_GetWIntervalIndirect(int i);
KIV_API float KivSurface_GetHIntervalIndirect(int i);
KIV_API float KivSurface_GetArea(int i);
KIV_API KivPoint* KivSurface_GetOuterSquarePos(int i);
KIV_API KivVector KivSurface_GetPlaneNormal(int i);
KIV_API float KivSurface_GetPlaneHeight(int i);
KIV_API int KivSurface_GetVertTotalCount(int i);
KIV_API int KivSurface_GetVertArrayIndex(int i);
KIV_API int KivSurface_GetVertInnerCount(int i);
KIV_API int KivSurface_GetIndirectVertTotalCount(int i);
KIV_API int KivSurface_GetIndirectVertArrayIndex(int i);
KIV_API int KivSurface_GetIndirectVertInnerCount(int i);
