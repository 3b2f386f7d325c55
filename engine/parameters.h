#pragma once
// Placeholder: filled in by the family that owns this component.
#include "engine/kiv_types.h"
struct KivSolverParameters {
    void setDefaults() {}
};
struct KivDisplayParameters {
    void setDefaults() {}
};
