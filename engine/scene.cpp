#include "engine/scene.h"

namespace kiv {
KivScene*& currentScenePointer() {
    static KivScene* current = nullptr;
    return current;
}
}  // namespace kiv

KivScene::KivScene() { initialize(); }

KivScene::~KivScene() {
    if (logFile != nullptr) std::fclose(logFile);
    // Lightmap buffers the surfaces still own (a scene deleted without its end sequence).
    kiv::endLightmaps(*this);
    kiv::endIndirectLightmaps(*this);
}

void KivScene::initialize() {
    solution.resetCallbacks();
    solverParameters.setDefaults();
    displayParameters.setDefaults();
    // The surfaces about to be emptied release the lightmap buffers they own.
    kiv::endLightmaps(*this);
    kiv::endIndirectLightmaps(*this);
    surfaces.initialize();
    lights.initialize();
    lightData.initialize();
    vertices.initializeDirect();
    vertices.initializeIndirect();
    voxels.resetGrid();
    voxels.resetCells();
    attributes.initialize();
    maps.initialize();
    shooting.initializeAcosTable();
    illuminance.reset();
    lightmaps.reset();
    workLists.clear();
    currentDir[0] = '\0';
    currentMode = 1;
}

void KivScene::endSequence() {
    maps.end();
    lightData.end();
    // Lightmaps and indirect lightmaps: the surfaces' buffers are released unless shared.
    kiv::endLightmaps(*this);
    kiv::endIndirectLightmaps(*this);
    surfaces.end();
    lights.end();
    attributes.end();
    vertices.initializeDirect();
    vertices.initializeIndirect();
    voxels.endCells();
    shooting.end();
}
