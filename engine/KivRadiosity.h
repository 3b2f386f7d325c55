#pragma once
// The whole engine interface: value types, record types and every flat function family.
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
#include "engine/parent_surface.h"
#include "engine/vertex.h"

#include "engine/api/library_api.h"
#include "engine/api/scene_api.h"
