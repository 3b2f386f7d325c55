#pragma once
// The computations on survey surfaces that the environment passes of the solution run: the
// survey modify pass, the HDRI shoot and the survey ratio. Each writes its own block into the
// solution log through the driver.
namespace kiv {

class SolutionDriver;

// After the environment lights have shot at the survey surfaces: exchanges their energy among
// the survey surfaces and rewrites the survey points' reflectance and current energy.
void surveyModifyPass(SolutionDriver& driver);
// Sends the environment lights' sky samples to the ordinary sample points, then lets the
// survey surfaces shoot their energy into the scene (shoot type 3, shooter type 9).
void hdriShoot(SolutionDriver& driver);
// After the environment lights have shot again at the survey surfaces: turns the result on
// survey points into a display ratio and clears every other surface's current energy.
void surveyRatio(SolutionDriver& driver);

}  // namespace kiv
