#pragma once
// The dispatcher of KivBatch: one row per command code. Each family adds its rows in its own
// rows_<family>.cpp; a code without a row has no command.
#include <array>
#include <cstdio>
#include <set>
#include <string>

namespace kiv::batch {

// What the dispatcher knows between lines: the scenes this run created (the only handles a
// script may hand back), the one it believes current, and whether anything went wrong.
struct BatchState {
    std::set<void*> created;
    void* current = nullptr;
    int lineNumber = 0;  // script line being run; 0 once the script is done
    int problems = 0;
    std::FILE* diagnostics = stderr;

    // Reports a script problem on the diagnostics stream and remembers it for the exit status.
    void warn(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    // Reports something worth knowing about the scene that does not make the run fail.
    void note(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
};

// A row parses its argument text, calls one function and returns the result text ("" for
// commands without a result).
using RowFn = std::string (*)(const char* args, BatchState& state);

struct Row {
    RowFn fn = nullptr;
    bool needsScene = true;
};

class CommandTable {
public:
    static constexpr int kCodeCount = 398;

    void add(int code, RowFn fn, bool needsScene = true);
    const Row* find(int code) const;

private:
    std::array<Row, kCodeCount> rows_{};
};

// The table with every family's rows.
const CommandTable& standardTable();

// Row registration, one function per family file.
void addSceneRows(CommandTable& t);
void addParameterRows(CommandTable& t);
void addDisplayRows(CommandTable& t);
void addSurfaceRows(CommandTable& t);
void addAttributeRows(CommandTable& t);
void addLightRows(CommandTable& t);
void addLightmapRows(CommandTable& t);
void addVertexRows(CommandTable& t);
void addRadiosityRows(CommandTable& t);
void addStandardLightRows(CommandTable& t);
void addHdriLightRows(CommandTable& t);

}  // namespace kiv::batch
