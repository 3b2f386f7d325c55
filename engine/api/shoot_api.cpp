#include "engine/api/shoot_api.h"

#include "engine/scene.h"

using kiv::scene;

void KivShoot_SetType(char type) { scene().shooting.shootType = type; }
char KivShoot_GetType() { return scene().shooting.shootType; }
void KivShoot_SetShooterType(char type) { scene().shooting.shooterType = type; }
char KivShoot_GetShooterType() { return scene().shooting.shooterType; }
void KivShoot_SetShooterIndex(int index) { scene().shooting.shooterIndex = index; }
int KivShoot_GetShooterIndex() { return scene().shooting.shooterIndex; }
float KivShoot_GetCloseLengthThreshold() { return scene().shooting.closeLengthThreshold; }
