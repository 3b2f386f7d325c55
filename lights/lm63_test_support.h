#pragma once
// Test support for the photometric tests: the real files of the shared data directory and an
// independent reading of their tables (plain whitespace-and-comma splitting after the TILT=
// line, which is all the real files need).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kiv::testing {

inline std::filesystem::path iesDataDir() { return KIV_IES_DATA_DIR; }

// The real photometric files in name order; empty when the data directory is missing.
inline std::vector<std::filesystem::path> realIesFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(iesDataDir(), ec)) {
        if (entry.path().extension() == ".ies") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string fileContents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Token {
    std::size_t offset;
    std::string text;
};

// The words after the TILT=NONE line, with their offsets in the file.
inline std::vector<Token> numberTokens(const std::string& text) {
    std::vector<Token> tokens;
    std::size_t tilt = text.find("TILT=");
    if (tilt == std::string::npos) return tokens;
    std::size_t p = text.find('\n', tilt);
    if (p == std::string::npos) return tokens;
    auto separator = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',';
    };
    while (p < text.size()) {
        while (p < text.size() && separator(text[p])) ++p;
        const std::size_t start = p;
        while (p < text.size() && !separator(text[p])) ++p;
        if (p > start) tokens.push_back({start, text.substr(start, p - start)});
    }
    return tokens;
}

struct ExpectedTable {
    int vertical = 0, horizontal = 0;
    double lumens = 0.0, multiplier = 0.0;
    std::vector<double> verticalAngles, horizontalAngles, candela;
    std::size_t lastTokenOffset = 0;  // where the last candela value starts
    std::size_t countOffset = 0;      // where the number of vertical angles starts
};

inline ExpectedTable expectedTable(const std::string& text) {
    ExpectedTable t;
    const std::vector<Token> tok = numberTokens(text);
    if (tok.size() < 13) return t;
    auto num = [&](std::size_t i) { return std::strtod(tok[i].text.c_str(), nullptr); };
    t.lumens = num(1);
    t.multiplier = num(2);
    t.vertical = static_cast<int>(num(3));
    t.horizontal = static_cast<int>(num(4));
    t.countOffset = tok[3].offset;
    const std::size_t need =
        13 + static_cast<std::size_t>(t.vertical + t.horizontal + t.vertical * t.horizontal);
    if (tok.size() < need) return t;
    std::size_t k = 13;
    for (int i = 0; i < t.vertical; ++i) t.verticalAngles.push_back(num(k++));
    for (int j = 0; j < t.horizontal; ++j) t.horizontalAngles.push_back(num(k++));
    for (int n = 0; n < t.vertical * t.horizontal; ++n) t.candela.push_back(num(k++));
    t.lastTokenOffset = tok[need - 1].offset;
    return t;
}

}  // namespace kiv::testing
