#include "batch/interpreter.h"

#include <cstring>

#include "batch/args.h"

namespace kiv::batch {

Tokens tokenize(const char* line) {
    Tokens t;
    const char* p = line;
    auto nextWord = [&p](const char*& begin, std::size_t& len) {
        while (*p == ' ') ++p;
        if (*p == '\0') return false;
        begin = p;
        while (*p != '\0' && *p != ' ') ++p;
        len = static_cast<std::size_t>(p - begin);
        return true;
    };
    const char* w = nullptr;
    std::size_t nameLen = 0, codeLen = 0, len = 0;
    if (!nextWord(w, nameLen)) return t;
    t.name.assign(w, nameLen);
    if (!nextWord(w, codeLen)) return t;
    t.hasCode = true;
    t.code = argInt(std::string(w, codeLen).c_str());
    if (nextWord(w, len)) {
        // A third word exists, so the line is at least this long.
        t.args = line + nameLen + 1 + codeLen + 1;
    }
    return t;
}

std::string executeLine(const char* line, BatchState& state, const CommandTable& table) {
    const Tokens t = tokenize(line);
    // A line with a name but no code brings no command of its own: echo the name.
    const Row* row = t.hasCode ? table.find(t.code) : nullptr;
    if (row == nullptr) return t.name;
    std::string result = fmtInt(t.code) + " ";
    if (row->needsScene && state.current == nullptr) {
        state.warn("%s (code %d) needs a scene, but there is no current scene; skipped",
                   t.name.c_str(), t.code);
        return result;
    }
    return result + row->fn(t.args, state);
}

void runScript(std::FILE* script, std::FILE* result, BatchState& state, const CommandTable& table) {
    // 4094 characters plus the newline fit in the read; longer lines arrive in pieces.
    char buf[4095];
    for (;;) {
        if (std::fgets(buf, sizeof buf, script) == nullptr) break;
        if (std::feof(script)) break;  // the last line has no newline: it is not executed
        ++state.lineNumber;
        if (char* nl = std::strchr(buf, '\n')) *nl = '\0';
        // Scripts written with CR LF line ends read like those written with LF alone.
        std::size_t n = std::strlen(buf);
        if (n > 0 && buf[n - 1] == '\r') buf[--n] = '\0';
        if (std::strspn(buf, " ") == n) continue;  // empty line: nothing to run
        const std::string out = executeLine(buf, state, table);
        std::fwrite(out.data(), 1, out.size(), result);
        std::fputc('\n', result);
    }
}

}  // namespace kiv::batch
