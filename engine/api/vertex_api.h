#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/vertex.h"

// Vertex and IndirectVertex families: the sample points laid on every surface's direct and
// indirect grid. Create returns the number of vertices, or -1 when a surface's grid or the
// scene's total is beyond the sample-point limits (no vertices exist then).

KIV_API void KivVertex_Initialize();
KIV_API int KivVertex_Create();
KIV_API int KivVertex_GetCount();
KIV_API int KivVertex_GetCount2();
KIV_API void KivVertex_SetCurrentUpdateNumber(int number);
KIV_API int KivVertex_GetCurrentUpdateNumber();
KIV_API void KivVertex_InitializeUpdateNumber();
KIV_API KivVertex* KivVertex_GetReference(int i);  // throws std::out_of_range
KIV_API KivVertex* KivVertex_GetPointer();
KIV_API KivVertex* KivVertex_GetPointer(int i);  // untested index
KIV_API void KivVertex_Output(const char* path);
KIV_API KivLong KivVertex_End();
KIV_API KivLong KivVertex_End(void* scene);

KIV_API void KivIndirectVertex_Initialize();
KIV_API int KivIndirectVertex_Create();
KIV_API int KivIndirectVertex_GetCount();
KIV_API int KivIndirectVertex_GetCount2();
KIV_API void KivIndirectVertex_InitializeUpdateNumber();
KIV_API KivIndirectVertex* KivIndirectVertex_GetReference(int i);  // throws std::out_of_range
KIV_API KivIndirectVertex* KivIndirectVertex_GetPointer();
KIV_API KivIndirectVertex* KivIndirectVertex_GetPointer(int i);  // untested index
KIV_API void KivIndirectVertex_Output(const char* path);
KIV_API KivLong KivIndirectVertex_End();
KIV_API KivLong KivIndirectVertex_End(void* scene);
