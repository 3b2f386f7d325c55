#pragma once
// The command-script interpreter: reads a script line by line, dispatches each line through the
// command table and writes one result line per executed line.
#include <cstdio>
#include <string>

#include "batch/command_table.h"

namespace kiv::batch {

// A line split into its name, code and argument text.
struct Tokens {
    std::string name;
    bool hasCode = false;
    int code = 0;
    const char* args = "";  // points into the line; "" when the line has no third word
};

// Splits a newline-free line. The argument text is located by position: it begins after the
// name, one space, the code token and one space, so extra spaces stay part of it.
Tokens tokenize(const char* line);

// Runs one line and returns its result line (without newline). The line must not hold its
// newline. A code without a command gives the name alone.
std::string executeLine(const char* line, BatchState& state, const CommandTable& table);

// Reads every complete line of the script (a last line without newline is not executed),
// executes it and writes its result line. Empty lines are skipped.
void runScript(std::FILE* script, std::FILE* result, BatchState& state, const CommandTable& table);

}  // namespace kiv::batch
