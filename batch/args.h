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

// Reads numbers in the order of kinds ('d' an integer, 'f' a float) the way a scanf format of
// those conversions would: the first number that does not read ends the reading; with
// finiteOnly a float that is not finite (nan, inf, beyond the float range) ends it as well.
// Unread values keep what they hold. Returns how many were read.
int readNumbers(const char* text, const char* kinds, int* ints, float* floats,
                bool finiteOnly = false);

std::string fmtInt(long long v);
std::string fmtFloat(float v);
std::string fmtColor(const KivColor& c);

}  // namespace kiv::batch
