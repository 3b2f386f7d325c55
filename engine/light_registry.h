#pragma once
// Placeholder: filled in by the family that owns this component.
#include "engine/kiv_types.h"
namespace kiv {
struct LightRegistry {
    void initialize() {}
    void end() {}
};
struct LightDataRegistry {
    void initialize() {}
    void end() {}
};
}  // namespace kiv
