// The solution's passes for environment light (current mode bit 0x10): the environment direct
// pass before the direct loop and the survey multiple pass after the indirect phase. Both
// drive the environment (HDRI) lights; the survey computations themselves are in survey.cpp.
#include "engine/light.h"
#include "engine/scene.h"
#include "engine/shooting.h"
#include "engine/solution.h"
#include "engine/survey.h"
#include "engine/tone.h"

namespace kiv {

void SolutionDriver::environmentDirectPass() {
    SolutionState& so = s_.solution;
    ShootingState& st = s_.shooting;
    ShootWorkLists& lists = s_.workLists;
    so.setStatus("Shoot Direct Light -HDRILight-");
    lists.hdriLights.clear();
    lists.hdriLights.reserve(4);
    lists.hdriPositions.clear();
    lists.hdriPositions.reserve(4);
    lists.pointLight.assign(s_.vertices.direct.size(), -1);

    Shooter shooter(s_);
    if (shooter.chooseNextLight(kKivHDRILight) < 0) {
        so.iterationCount = 0;
        iterationCallback();
        return;
    }
    iterationCallback();
    clearCurrent();
    int repetitions = 0;
    const int limit = s_.lights.endedCount();
    while (repetitions < limit) {
        if (quitRequested()) {
            log("\tQuitCallBack is calles. Break.\n\n");
            break;
        }
        s_.intersection.resetShadowSurfaceIndex();
        shooter.setShooterParam();
        // An environment light reaches the survey surfaces only.
        shooter.radiosity();
        shooter.clearShooter();
        lists.hdriLights.push_back(st.shooterIndex);
        lists.hdriPositions.push_back(st.shooterPosition);
        ++repetitions;
        const int next = shooter.chooseNextLight(kKivHDRILight);
        iterationCallback();
        if (next < 0) break;
    }

    surveyModifyPass(s_, *this);
    shooter.updateReceiveUnshot();
    toneReproduction(s_);
    st.shootType = kShootSurvey;
    st.shooterType = kKivSurfaceShooter;
    hdriShoot(s_, *this);
    st.shootType = kShootLight;
    st.shooterType = kKivHDRILight;
    setCurrentTotalEnergy();
    so.iterationCount += repetitions;
}

void SolutionDriver::surveyMultiplePass() {
    SolutionState& so = s_.solution;
    ShootingState& st = s_.shooting;
    so.setStatus("Calculate Survey Multiple");
    log("Survey Multple Log\n\n");
    for (int i = 0; i < s_.lights.endedCount(); ++i) {
        KivLight* L = s_.lights.at(i);
        if (L != nullptr && L->getType() == kKivHDRILight) L->alreadyShoot = 0;
    }
    log("\tHDRILight AlreadyShoot is KIV_FALSE.\n");

    Shooter shooter(s_);
    if (shooter.chooseNextLight(kKivHDRILight) < 0) {
        log("\tThere is not HDRILight.\n\n");
        return;
    }
    log("\tThere is HDRILight.\n");
    clearCurrent();
    log("\tCurrentReceived Clear.\n");
    const int limit = s_.lights.endedCount();
    for (int repetition = 0; repetition < limit; ++repetition) {
        s_.intersection.resetShadowSurfaceIndex();
        shooter.setShooterParam();
        shooter.radiosity();
        shooter.clearShooter();
        log("\tShooting. %d\n", st.shooterIndex);
        if (shooter.chooseNextLight(kKivHDRILight) < 0) break;
    }
    surveyRatio(s_);
    log("\tCalculateSurveyMult.\n");
    toneReproduction(s_);
    log("\tToneReproduction.\n");
    log("\nEnd Survey Multple\n\n");
    s_.workLists.clear();
}

}  // namespace kiv
