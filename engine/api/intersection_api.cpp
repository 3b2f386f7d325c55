#include "engine/api/intersection_api.h"

#include "engine/intersection.h"
#include "engine/scene.h"

float KivIntersection_JudgeIntersection() { return kiv::judgeIntersection(kiv::scene()); }

float KivIntersection_JudgeDirectionalIntersection() {
    return kiv::judgeDirectionalIntersection(kiv::scene());
}

float KivIntersection_JudgeIntersection(KivPoint point, int surface, KivPoint shooterPoint,
                                        int shooterSurface) {
    return kiv::judgeIntersection(kiv::scene(), point, surface, shooterPoint, shooterSurface);
}

float KivIntersection_JudgeDirectionalIntersection(KivPoint point, int surface,
                                                   KivVector direction) {
    return kiv::judgeDirectionalIntersection(kiv::scene(), point, surface, direction);
}

KivColor KivIntersection_GetTransparencyColorResult() {
    return kiv::scene().intersection.transparencyColorResult;
}

void KivIntersection_ResetShadowSurfaceIndex() {
    kiv::scene().intersection.resetShadowSurfaceIndex();
}
