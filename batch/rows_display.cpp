#include <cstdio>

#include "batch/args.h"
#include "batch/command_table.h"
#include "batch/row_templates.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

std::string initializeParam(const char*, BatchState&) {
    KivDisplay_InitializeParam();
    return "";
}

// Values the format cannot read stay 0. The flag is one character: the one after the
// reference energy coefficient and its blanks.
std::string setAllParam(const char* a, BatchState&) {
    float gamma = 0, contrast = 0, brightness = 0, reference = 0, referenceCoef = 0;
    float coef[3] = {0, 0, 0}, white[3] = {0, 0, 0}, black[3] = {0, 0, 0};
    char autoReference = 0;
    int function = 0;
    std::sscanf(a, "%f %f %f %f %f %f %f %f %c %f %f %f %f %f %f %d", &gamma, &contrast,
                &brightness, &coef[0], &coef[1], &coef[2], &reference, &referenceCoef,
                &autoReference, &white[0], &white[1], &white[2], &black[0], &black[1], &black[2],
                &function);
    KivDisplay_SetAllParam(gamma, contrast, brightness, KivColor(coef[0], coef[1], coef[2], 1.0f),
                           reference, referenceCoef, autoReference,
                           KivColor(white[0], white[1], white[2], 1.0f),
                           KivColor(black[0], black[1], black[2], 1.0f), function);
    return "";
}

// Code 51 has no command of its own: its line becomes the code and a space.
std::string nothing(const char*, BatchState&) { return ""; }

std::string doSet(const char*, BatchState&) {
    KivDisplay_DoSet();
    return "";
}


}  // namespace

void addDisplayRows(CommandTable& t) {
    t.add(28, initializeParam);
    t.add(29, setAllParam);
    t.add(30, setFloat<KivDisplay_SetGamma>);
    t.add(31, getFloat<KivDisplay_GetGamma>);
    t.add(32, setFloat<KivDisplay_SetContrast>);
    t.add(33, getFloat<KivDisplay_GetContrast>);
    t.add(34, setFloat<KivDisplay_SetBrightness>);
    t.add(35, getFloat<KivDisplay_GetBrightness>);
    t.add(36, setColor<KivDisplay_SetCoefficient>);
    t.add(37, getColor<KivDisplay_GetCoefficient>);
    t.add(38, setFloat<KivDisplay_SetReferenceEnergy>);
    t.add(39, getFloat<KivDisplay_GetReferenceEnergy>);
    t.add(40, setFloat<KivDisplay_SetReferenceEnergyCoef>);
    t.add(41, getFloat<KivDisplay_GetReferenceEnergyCoef>);
    t.add(42, setInt<KivDisplay_SetAutoReferenceEnergy>);
    t.add(43, getInt<KivDisplay_GetAutoReferenceEnergy>);
    t.add(44, setColor<KivDisplay_SetWhiteBalance>);
    t.add(45, getColor<KivDisplay_GetWhiteBalance>);
    t.add(46, setColor<KivDisplay_SetBlackBalance>);
    t.add(47, getColor<KivDisplay_GetBlackBalance>);
    t.add(48, setInt<KivDisplay_SetReproductFunction>);
    t.add(49, getInt<KivDisplay_GetReproductFunction>);
    t.add(50, doSet);
    t.add(51, nothing, false);
}

}  // namespace kiv::batch
