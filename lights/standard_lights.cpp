#include "lights/KivStandardLights.h"

// Light kinds are added one file per class.
