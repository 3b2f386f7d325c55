#pragma once
// Placeholder: filled in by the family that owns this component.
namespace kiv {
struct ShootWorkLists {
    void clear() {}
};
struct ShootingState {
    char shooterType = 0;
    void initializeAcosTable() {}
    void end() {}
};
}  // namespace kiv
