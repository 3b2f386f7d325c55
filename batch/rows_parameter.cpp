#include <climits>
#include <cstdio>

#include "batch/args.h"
#include "batch/command_table.h"
#include "batch/row_templates.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

// The multi-value rows read their flags with "%ld"; the engine's flags are 32-bit.
KivLong toLong(long v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<KivLong>(v);
}

std::string initialize(const char*, BatchState&) {
    KivParameter_Initialize();
    return "";
}

// Values the format cannot read stay 0.
std::string setAllTen(const char* a, BatchState&) {
    float interval = 0, bleeding = 0, convergence = 0;
    int multiple = 0, shootStep = 0, receiveStep = 0, maxShoot = 0;
    long useTexture = 0, direct = 0, indirect = 0;
    std::sscanf(a, "%f %d %d %d %f %ld %f %d %ld %ld", &interval, &multiple, &shootStep,
                &receiveStep, &bleeding, &useTexture, &convergence, &maxShoot, &direct, &indirect);
    KivParameter_SetAll(interval, multiple, shootStep, receiveStep, bleeding, toLong(useTexture),
                        convergence, maxShoot, toLong(direct), toLong(indirect));
    return "";
}

std::string setAllTwelve(const char* a, BatchState&) {
    float interval = 0, intervalIndirect = 0, bleeding = 0, convergence = 0;
    int multiple = 0, multipleIndirect = 0, shootStep = 0, receiveStep = 0, maxShoot = 0;
    long useTexture = 0, direct = 0, indirect = 0;
    std::sscanf(a, "%f %d %f %d %d %d %f %ld %f %d %ld %ld", &interval, &multiple,
                &intervalIndirect, &multipleIndirect, &shootStep, &receiveStep, &bleeding,
                &useTexture, &convergence, &maxShoot, &direct, &indirect);
    KivParameter_SetAll(interval, multiple, intervalIndirect, multipleIndirect, shootStep,
                        receiveStep, bleeding, toLong(useTexture), convergence, maxShoot,
                        toLong(direct), toLong(indirect));
    return "";
}


}  // namespace

void addParameterRows(CommandTable& t) {
    t.add(5, initialize);
    t.add(6, setAllTen);
    t.add(7, setAllTwelve);
    t.add(8, setFloat<KivParameter_SetInterval>);
    t.add(9, getFloat<KivParameter_GetInterval>);
    t.add(10, setInt<KivParameter_SetIntervalMultiple>);
    t.add(11, getInt<KivParameter_GetIntervalMultiple>);
    t.add(12, setInt<KivParameter_SetShootStep>);
    t.add(13, getInt<KivParameter_GetShootStep>);
    t.add(14, setInt<KivParameter_SetReceiveStep>);
    t.add(15, getInt<KivParameter_GetReceiveStep>);
    t.add(16, setFloat<KivParameter_SetColorBleeding>);
    t.add(17, getFloat<KivParameter_GetColorBleeding>);
    t.add(18, setInt<KivParameter_SetUseTextureDiffuse>);
    t.add(19, getInt<KivParameter_GetUseTextureDiffuse>);
    t.add(20, setFloat<KivParameter_SetConvergence>);
    t.add(21, getFloat<KivParameter_GetConvergence>);
    t.add(22, setInt<KivParameter_SetMaxShootCount>);
    t.add(23, getInt<KivParameter_GetMaxShootCount>);
    t.add(24, setInt<KivParameter_SetDirectLightShoot>);
    t.add(25, getInt<KivParameter_GetDirectLightShoot>);
    t.add(26, setInt<KivParameter_SetIndirectLightShoot>);
    t.add(27, getInt<KivParameter_GetIndirectLightShoot>);
}

}  // namespace kiv::batch
