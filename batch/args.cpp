#include "batch/args.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace kiv::batch {

long long argLongLong(const char* text) {
    if (text == nullptr) return 0;
    errno = 0;
    return std::strtoll(text, nullptr, 10);  // saturates at the range ends
}

int argInt(const char* text) {
    const long long v = argLongLong(text);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

KivLong argLong(const char* text) { return static_cast<KivLong>(argInt(text)); }

float argFloat(const char* text) {
    if (text == nullptr) return 0.0f;
    float v = 0.0f;
    if (std::sscanf(text, "%f", &v) != 1) return 0.0f;
    return v;
}

KivColor argColor(const char* text) {
    float c[3] = {0.0f, 0.0f, 0.0f};
    if (text != nullptr) std::sscanf(text, "%f %f %f", &c[0], &c[1], &c[2]);
    return KivColor(c[0], c[1], c[2], 1.0f);
}

char argChar(const char* text) { return text == nullptr ? '\0' : text[0]; }

std::string fmtInt(long long v) { return std::to_string(v); }

std::string fmtFloat(float v) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%f", static_cast<double>(v));
    return buf;
}

std::string fmtColor(const KivColor& c) {
    return fmtFloat(c.r) + " " + fmtFloat(c.g) + " " + fmtFloat(c.b);
}

}  // namespace kiv::batch
