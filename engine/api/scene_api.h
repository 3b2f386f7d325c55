#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Scene family: create, select, reset and end scenes. Every other flat function acts on the
// scene made current here.
KIV_API void* KivScene_Create();
KIV_API void KivScene_MakeCurrent(void* scene);
KIV_API void KivScene_Initialize();
KIV_API KivLong KivScene_End();
KIV_API KivLong KivScene_End(void* scene);
KIV_API KivLong KivScene_Delete();
KIV_API KivLong KivScene_Delete(void* scene);
