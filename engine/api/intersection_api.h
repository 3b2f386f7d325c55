#pragma once
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Intersection family: visibility between a receiving point and a shooter. The judge
// functions answer 0.0 for a free path, 0.5 for a path through transparent surfaces only and
// 1.0 for a blocked one.

// Receiver point to shooter position, on the current shooting state.
KIV_API float KivIntersection_JudgeIntersection();
// From the receiver point against the shooter direction, on the current shooting state.
KIV_API float KivIntersection_JudgeDirectionalIntersection();
// The same for the given receiver and shooter; the shooting state is left unchanged. The
// shooter surface never occludes (-1 for none).
KIV_API float KivIntersection_JudgeIntersection(KivPoint point, int surface, KivPoint shooterPoint,
                                                int shooterSurface);
// The same for the given receiver and light travel direction (normalised here).
KIV_API float KivIntersection_JudgeDirectionalIntersection(KivPoint point, int surface,
                                                           KivVector direction);
// Product of the transparencies the last query crossed: (1, 1, 1) free, (0, 0, 0) blocked.
KIV_API KivColor KivIntersection_GetTransparencyColorResult();
// Forgets the surface that blocked the last blocked query.
KIV_API void KivIntersection_ResetShadowSurfaceIndex();
