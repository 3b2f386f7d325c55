#include "batch/command_table.h"

#include <cstdarg>

namespace kiv::batch {

namespace {
void report(std::FILE* diagnostics, int lineNumber, const char* fmt, va_list ap) {
    if (diagnostics == nullptr) return;
    if (lineNumber > 0)
        std::fprintf(diagnostics, "KivBatch: line %d: ", lineNumber);
    else
        std::fputs("KivBatch: ", diagnostics);
    std::vfprintf(diagnostics, fmt, ap);
    std::fputc('\n', diagnostics);
}
}  // namespace

void BatchState::warn(const char* fmt, ...) {
    ++problems;
    va_list ap;
    va_start(ap, fmt);
    report(diagnostics, lineNumber, fmt, ap);
    va_end(ap);
}

void BatchState::note(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    report(diagnostics, lineNumber, fmt, ap);
    va_end(ap);
}

void CommandTable::add(int code, RowFn fn, bool needsScene) {
    rows_.at(static_cast<std::size_t>(code)) = Row{fn, needsScene};
}

const Row* CommandTable::find(int code) const {
    if (code < 0 || code >= kCodeCount) return nullptr;
    const Row& r = rows_[static_cast<std::size_t>(code)];
    return r.fn != nullptr ? &r : nullptr;
}

const CommandTable& standardTable() {
    static const CommandTable table = [] {
        CommandTable t;
        addSceneRows(t);
        addParameterRows(t);
        addDisplayRows(t);
        addSurfaceRows(t);
        addAttributeRows(t);
        addLightRows(t);
        addLightmapRows(t);
        addVertexRows(t);
        addRadiosityRows(t);
        addStandardLightRows(t);
        addHdriLightRows(t);
        return t;
    }();
    return table;
}

}  // namespace kiv::batch
