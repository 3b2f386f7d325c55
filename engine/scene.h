#pragma once
// One radiosity problem: every component the flat interface acts on. The flat functions reach
// the current scene through kiv::scene(); algorithms take the component they need.
#include <cstdio>

#include "engine/attribute.h"
#include "engine/illuminance_map.h"
#include "engine/intersection.h"
#include "engine/kiv_types.h"
#include "engine/light_registry.h"
#include "engine/lightmap.h"
#include "engine/parameters.h"
#include "engine/shooting.h"
#include "engine/solution.h"
#include "engine/surface_registry.h"
#include "engine/tone.h"
#include "engine/vertex_store.h"
#include "engine/voxel_grid.h"

class KivScene {
public:
    KivScene();
    ~KivScene();
    KivScene(const KivScene&) = delete;
    KivScene& operator=(const KivScene&) = delete;

    // Brings every component back to the state of a fresh scene, except the indirect-lightmap
    // settings, which keep what their setters gave them.
    void initialize();
    // Releases what each family allocated, in the order the families are ended.
    void endSequence();

    char currentDir[260] = {};
    std::FILE* logFile = nullptr;
    unsigned char currentMode = 1;
    KivSolverParameters solverParameters;
    KivDisplayParameters displayParameters;
    kiv::SurfaceRegistry surfaces;  // records, group list and surface stack
    kiv::LightRegistry lights;
    kiv::LightDataRegistry lightData;
    kiv::AttributeRegistry attributes;  // records and attribute stack
    kiv::MapRegistry maps;              // records and map stack
    kiv::VertexStore vertices;          // both vertex arrays and the update number
    kiv::VoxelGrid voxels;
    kiv::ShootWorkLists workLists;
    kiv::LightmapSettings lightmaps;
    kiv::LightmapSettings indirectLightmaps;
    kiv::IlluminanceMapSettings illuminance;
    kiv::SolutionState solution;
    kiv::ShootingState shooting;
    kiv::ToneState tone;
    kiv::IntersectionState intersection;
};

namespace kiv {
// The process-wide current scene; null until a scene is created.
KivScene*& currentScenePointer();
// The current scene. Calling this without one is a precondition violation of every flat
// function; the engine does not check it.
inline KivScene& scene() { return *currentScenePointer(); }
}  // namespace kiv
