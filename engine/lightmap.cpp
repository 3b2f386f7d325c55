#include "engine/lightmap.h"

#include "engine/scene.h"

namespace kiv {
void endLightmaps(KivScene&) {}
void endIndirectLightmaps(KivScene&) {}
}  // namespace kiv
