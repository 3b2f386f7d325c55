#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Lightmap and IndirectLightmap families: the scene's lightmap settings and the placement of
// every surface's lightmap (own buffer, caller buffer, or region of a shared image). The
// region forms return 1 when placed and 0 when the region does not fit the shared image (see
// kiv::placeLightmapRegion). Output writes the lightmaps as JPEG files and returns 1 when the
// range is valid and every image was written.

KIV_API void KivLightmap_SetShare(unsigned char* share);
KIV_API unsigned char* KivLightmap_GetShare();
KIV_API void KivLightmap_SetShareWidth(int width);
KIV_API int KivLightmap_GetShareWidth();
KIV_API void KivLightmap_SetShareHeight(int height);
KIV_API int KivLightmap_GetShareHeight();
KIV_API void KivLightmap_SetNumComponents(int components);
KIV_API int KivLightmap_GetNumComponents();
KIV_API void KivLightmap_InstanciateAll();
KIV_API void KivLightmap_Instanciate(int i);
KIV_API void KivLightmap_Instanciate(int i, unsigned char* buffer);
KIV_API KivLong KivLightmap_Instanciate(int i, unsigned char* share, int shareWidth,
                                        int shareHeight, int x, int y);
KIV_API KivLong KivLightmap_Instanciate(int i, int x, int y);
KIV_API KivLong KivLightmap_Output(int from, int to, char mode, const char* basePath);
KIV_API KivLong KivLightmap_End();
KIV_API KivLong KivLightmap_End(void* scene);

KIV_API void KivIndirectLightmap_SetShare(unsigned char* share);
KIV_API unsigned char* KivIndirectLightmap_GetShare();
KIV_API void KivIndirectLightmap_SetShareWidth(int width);
KIV_API int KivIndirectLightmap_GetShareWidth();
KIV_API void KivIndirectLightmap_SetShareHeight(int height);
KIV_API int KivIndirectLightmap_GetShareHeight();
KIV_API void KivIndirectLightmap_SetNumComponents(int components);
KIV_API int KivIndirectLightmap_GetNumComponents();
KIV_API void KivIndirectLightmap_InstanciateAll();
KIV_API void KivIndirectLightmap_Instanciate(int i);
KIV_API void KivIndirectLightmap_Instanciate(int i, unsigned char* buffer);
KIV_API KivLong KivIndirectLightmap_Instanciate(int i, unsigned char* share, int shareWidth,
                                                int shareHeight, int x, int y);
KIV_API KivLong KivIndirectLightmap_Instanciate(int i, int x, int y);
KIV_API KivLong KivIndirectLightmap_Output(int from, int to, char mode, const char* basePath);
KIV_API KivLong KivIndirectLightmap_End();
KIV_API KivLong KivIndirectLightmap_End(void* scene);
