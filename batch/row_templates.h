#pragma once
// Rows for commands with one parameter or one result: one template instance per engine function.
#include <string>

#include "batch/args.h"
#include "batch/command_table.h"

namespace kiv::batch {

template <void (*Call)()>
std::string callRow(const char*, BatchState&) {
    Call();
    return "";
}
template <void (*Set)(float)>
std::string setFloat(const char* a, BatchState&) {
    Set(argFloat(a));
    return "";
}
template <void (*Set)(int)>
std::string setInt(const char* a, BatchState&) {
    Set(argInt(a));
    return "";
}
template <void (*Set)(KivColor)>
std::string setColor(const char* a, BatchState&) {
    Set(argColor(a));
    return "";
}
template <float (*Get)()>
std::string getFloat(const char*, BatchState&) {
    return fmtFloat(Get());
}
template <int (*Get)()>
std::string getInt(const char*, BatchState&) {
    return fmtInt(Get());
}
template <KivColor (*Get)()>
std::string getColor(const char*, BatchState&) {
    return fmtColor(Get());
}

}  // namespace kiv::batch
