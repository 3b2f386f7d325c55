#pragma once
// Placeholder: filled in by the family that owns this component.
#include <vector>
#include "engine/vertex.h"
namespace kiv {
struct VertexStore {
    std::vector<KivVertex> direct;
    std::vector<KivIndirectVertex> indirect;
    int currentUpdateNumber = 0;
    void initializeDirect() { std::vector<KivVertex>().swap(direct); }
    void initializeIndirect() { std::vector<KivIndirectVertex>().swap(indirect); }
};
}  // namespace kiv
