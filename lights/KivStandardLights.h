#pragma once
// The standard light creators. Each light kind offers _Create (an unregistered object) and
// _Instanciate (registered in the current scene, returns its index).
#include "engine/KivRadiosity.h"
