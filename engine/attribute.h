#pragma once
// Placeholder: filled in by the family that owns this component.
#include "engine/kiv_types.h"
namespace kiv {
struct AttributeRegistry {
    void initialize() {}
    void end() {}
};
struct MapRegistry {
    void initialize() {}
    void end() {}
};
}  // namespace kiv
