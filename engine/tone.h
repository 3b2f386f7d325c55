#pragma once
// Placeholder: filled in by the family that owns this component.
namespace kiv {
struct ToneState {};
}  // namespace kiv
