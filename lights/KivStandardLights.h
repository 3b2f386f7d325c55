#pragma once
// The standard-lights library: the concrete light classes and their creators. Every class
// derives from the engine's KivLight. Each kind offers two exported creators:
//   <Class>_Create       constructs, runs init() and applies the parameters as setData does;
//                        the object is registered nowhere and the caller owns it (null when
//                        memory runs out);
//   <Class>_Instanciate  the same, then appends the object to the current scene's light
//                        registry, which owns it from then on, and answers its index there
//                        (-1 when memory runs out).
// Colour, point and vector parameters carry their values in the first three components.
#include "engine/KivRadiosity.h"
#include "lights/directional_light.h"
#include "lights/point_light.h"
#include "lights/spot_light.h"

// Directional light: energy `unshot` per unit area travelling along `direction` (normalised).
KIV_API KivDirectionalLight* KivDirectionalLight_Create(KivColor unshot, KivVector direction);
KIV_API int KivDirectionalLight_Instanciate(KivColor unshot, KivVector direction);

// Point light of total power `unshot`; a falloff end below the start is raised to the start.
KIV_API KivPointLight* KivPointLight_Create(KivColor unshot, KivPoint position, float falloffStart,
                                            float falloffEnd);
KIV_API int KivPointLight_Instanciate(KivColor unshot, KivPoint position, float falloffStart,
                                      float falloffEnd);

// Spot light along `direction` (normalised) with field and beam half-angles in degrees; a field
// narrower than the beam is widened to the beam, a falloff end below the start raised to it.
KIV_API KivSpotLight* KivSpotLight_Create(KivColor unshot, KivPoint position, KivVector direction,
                                          float field, float beam, float falloffStart,
                                          float falloffEnd);
KIV_API int KivSpotLight_Instanciate(KivColor unshot, KivPoint position, KivVector direction,
                                     float field, float beam, float falloffStart, float falloffEnd);
