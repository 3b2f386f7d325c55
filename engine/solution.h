#pragma once
// Placeholder: filled in by the family that owns this component.
namespace kiv {
struct SolutionState {
    float totalArea = 0.0f;
    void resetCallbacks() {}
};
}  // namespace kiv
