#pragma once
#include "engine/attribute.h"
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Map family: the named textures of the current scene.
KIV_API void KivMap_InitializeStack();
// Empties the registry (releasing bound bitmaps) and resets the stack.
KIV_API void KivMap_Initialize();
KIV_API void KivMap_SetMinFilter(int filter);
KIV_API void KivMap_SetMagFilter(int filter);
// Adds nothing and returns 0; KivMap_InstanciateNamed creates a map.
KIV_API int KivMap_Instanciate(const char* name, const char* path);
// A new map with the stack's filters, named name (cut to 63 characters) and with the image path
// (cut to 259 characters); returns its index. Attributes find it by name at once.
KIV_API int KivMap_InstanciateNamed(const char* name, const char* path);
KIV_API int KivMap_GetInstanceCount();
// Binds a bitmap made with new[] to a map, which then owns it, and computes the average colour.
// 1 on success; 0 for no such map, negative sizes, a plane count other than 3 or 4, or a null
// bitmap, with no bitmap bound afterwards.
KIV_API KivLong KivMap_BindImage(int map, int width, int height, int planes, unsigned char* bitmap);
KIV_API KivLong KivMap_BindImage(const char* name, int width, int height, int planes,
                                 unsigned char* bitmap);
// Hands the bitmap back to the caller (it is not released); 0 for no such map.
KIV_API KivLong KivMap_UnbindImage(int map);
KIV_API KivLong KivMap_UnbindImage(const char* name);
// Bounds-tested: an index outside raises std::out_of_range.
KIV_API KivMap* KivMap_GetReference(int i);
KIV_API KivMap* KivMap_GetPointer();
KIV_API KivMap* KivMap_GetPointer(int i);
KIV_API int KivMap_GetIndexFromName(const char* name);
// Releases every bound bitmap and the records; the map count becomes 0.
KIV_API KivLong KivMap_End();
KIV_API KivLong KivMap_End(void* scene);
