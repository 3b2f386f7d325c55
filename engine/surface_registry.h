#pragma once
// Placeholder: filled in by the family that owns this component.
#include "engine/parent_surface.h"
#include "engine/registry.h"
namespace kiv {
struct SurfaceRegistry {
    Registry<KivParentSurface> records;
    void initialize() {}
    void end() {}
};
}  // namespace kiv
