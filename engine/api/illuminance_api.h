#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Illuminancemap family: the float atlas of the solution.
KIV_API void KivIlluminancemap_Initialize();
KIV_API void KivIlluminancemap_Sorting();
KIV_API KivLong KivIlluminancemap_SortingBySurfaceGroup(int k);
KIV_API KivLong KivIlluminancemap_Create(float* buffer);
KIV_API int KivIlluminancemap_GetWidth();
KIV_API void KivIlluminancemap_SetWidth(int w);
KIV_API int KivIlluminancemap_GetHeight();
KIV_API void KivIlluminancemap_SetHeight(int h);
KIV_API int KivIlluminancemap_GetNumComponents();
KIV_API void KivIlluminancemap_SetNumComponents(int n);

// Uvmap family: every surface vertex's coordinate in the atlas.
KIV_API int KivUvmap_GetCount();
KIV_API int KivUvmap_GetCountBySurfaceGroup(int k);
KIV_API KivLong KivUvmap_Set();
KIV_API KivLong KivUvmap_SetBySurfaceGroup(int k);
KIV_API KivLong KivUvmap_Create(KivUvw* out);
KIV_API KivLong KivUvmap_CreateBySurfaceGroup(int k, KivUvw* out);
