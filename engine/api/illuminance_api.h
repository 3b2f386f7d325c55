#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
