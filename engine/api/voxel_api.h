#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Voxel and Cell families: text dumps of the voxel grid and release of its cells.

// Writes the voxel counts, sizes, inverse sizes and the smallest size. 1 when the file was
// written, 0 when it could not be created.
KIV_API KivLong KivVoxel_Output(char* path);
// Writes one line per cell: the lowest surface index listed in it, or "NULL". 1 when the file
// was written, 0 when it could not be created.
KIV_API KivLong KivCell_Output(char* path);
// Number of cells of the grid, 0 when none are held.
KIV_API int KivCell_GetCount();
// Releases the cells of the current scene (or of the scene given); returns 1.
KIV_API KivLong KivCell_End();
KIV_API KivLong KivCell_End(void* scene);
