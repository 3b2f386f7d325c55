#include "engine/api/shoot_api.h"

#include "engine/scene.h"
#include "engine/shooting.h"
#include "engine/solution.h"

using kiv::scene;

namespace {
kiv::Shooter shooter() { return kiv::Shooter(scene()); }
}  // namespace

void KivShoot_Initialize() {
    KivScene& s = scene();
    kiv::Shooter(s).initialize();
    s.solution.divergence.clear();
}

KivLong KivShoot_End() { return KivShoot_End(&scene()); }

KivLong KivShoot_End(void* handle) {
    if (handle == nullptr) return 0;
    KivScene& s = *static_cast<KivScene*>(handle);
    s.solution.divergence.clear();
    s.shooting.end();
    return 1;
}

void KivShoot_InitializeAcosTable() { scene().shooting.initializeAcosTable(); }
float KivShoot_InterpolateACOS(double x) {
    // The tables are the same in every scene; light classes may ask before any scene exists
    // (creating a light that is not registered yet), so a process-wide copy answers then.
    if (kiv::currentScenePointer() == nullptr) {
        static kiv::ShootingState tables;
        return tables.interpolateAcos(x);
    }
    return scene().shooting.interpolateAcos(x);
}
void KivShoot_SetType(char type) { scene().shooting.shootType = type; }
char KivShoot_GetType() { return scene().shooting.shootType; }
void KivShoot_SetShooterType(char type) { scene().shooting.shooterType = type; }
char KivShoot_GetShooterType() { return scene().shooting.shooterType; }
void KivShoot_SetShooterIndex(int index) { scene().shooting.shooterIndex = index; }
int KivShoot_GetShooterIndex() { return scene().shooting.shooterIndex; }
float KivShoot_GetCloseLengthThreshold() { return scene().shooting.closeLengthThreshold; }
void KivShoot_SetShooterParam() { shooter().setShooterParam(); }

void KivShoot_SetShooterParamWithIndex(int index) {
    scene().shooting.shooterIndex = index;
    shooter().setShooterParam();
}

KivColor KivShoot_RadiosityToVertex(int point) { return shooter().radiosityToVertex(point); }
KivLong KivShoot_RadiosityToSurface(int surface) { return shooter().radiosityToSurface(surface); }
void KivShoot_Radiosity() { shooter().radiosity(); }
void KivShoot_DirectLightWithIndex(int index) { shooter().directLightWithIndex(index); }
void KivShoot_UpdateReceiveUnshot() { shooter().updateReceiveUnshot(); }
void KivShoot_OutputPrivate() { shooter().outputPrivate("vertPrivateOut.txt"); }
void KivShoot_DirectLight() { kiv::SolutionDriver(scene()).directLoop(); }
void KivShoot_IndirectLight() { kiv::SolutionDriver(scene()).indirectLoop(); }
