#pragma once
// Placeholder: filled in by the family that owns this component.
namespace kiv {
struct IlluminanceMapSettings {
    void reset() {}
};
}  // namespace kiv
