#pragma once
// Placeholder: filled in by the family that owns this component.
namespace kiv {
struct VoxelGrid {
    void resetGrid() {}
    void resetCells() {}
    void endCells() {}
};
}  // namespace kiv
