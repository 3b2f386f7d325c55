#pragma once
// Placeholder: filled in by the family that owns this component.
namespace kiv {
struct SolutionState {
    void resetCallbacks() {}
};
}  // namespace kiv
