#pragma once
// Argument parsing and result formatting shared by the command rows. Malformed numbers read
// as 0; nothing here can read past the end of the argument text.
#include <string>

#include "engine/kiv_types.h"

namespace kiv::batch {

// Optional blanks and sign, then decimal digits; stops at the first other character. Values
// beyond the range of int saturate.
int argInt(const char* text);
long long argLongLong(const char* text);
KivLong argLong(const char* text);
// Fixed or exponent notation; nothing readable gives 0.
float argFloat(const char* text);
// Three numbers separated by spaces; the fourth component is 1.
KivColor argColor(const char* text);
// The first character of the text ('\0' when empty).
char argChar(const char* text);

std::string fmtInt(long long v);
std::string fmtFloat(float v);
std::string fmtColor(const KivColor& c);

}  // namespace kiv::batch
