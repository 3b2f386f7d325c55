#include "batch/args.h"

#include <cctype>
#include <cerrno>
#include <cmath>
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

int readNumbers(const char* text, const char* kinds, int* ints, float* floats, bool finiteOnly) {
    if (text == nullptr) return 0;
    int read = 0, ni = 0, nf = 0;
    for (const char* k = kinds; *k != '\0'; ++k) {
        int used = 0;
        bool ok;
        if (*k == 'd') {
            ok = std::sscanf(text, " %d%n", &ints[ni], &used) == 1;
        } else {
            float v = 0.0f;
            ok = std::sscanf(text, " %f%n", &v, &used) == 1 && (!finiteOnly || std::isfinite(v));
            if (ok) floats[nf] = v;
        }
        if (!ok) break;
        text += used;
        ++read;
        (*k == 'd' ? ni : nf)++;
    }
    return read;
}

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
