#include "engine/api/voxel_api.h"

#include "engine/scene.h"

KivLong KivVoxel_Output(char* path) { return kiv::scene().voxels.outputVoxels(path) ? 1 : 0; }

KivLong KivCell_Output(char* path) { return kiv::scene().voxels.outputCells(path) ? 1 : 0; }

int KivCell_GetCount() { return kiv::scene().voxels.cellCount(); }

KivLong KivCell_End() { return kiv::scene().voxels.endCells(); }

KivLong KivCell_End(void* scene) {
    if (scene == nullptr) return 1;
    return static_cast<KivScene*>(scene)->voxels.endCells();
}
