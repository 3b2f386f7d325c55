#include "lights/lm63_reader.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <system_error>

namespace kiv {

namespace {

// Tag words of the tagged forms. Files of the 1986 form have no tag: their free text runs up to
// the TILT= line.
constexpr std::string_view kTags[] = {
    "IESNA91",          "IESNA:LM-63-1986", "IESNA:LM-63-1991",
    "IESNA:LM-63-1995", "IESNA:LM-63-2002", "IESNA:LM-63-2019",
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
// Numbers are separated by whitespace; some writers separate them by commas.
bool isSeparator(char c) { return isSpace(c) || c == ','; }

std::string quoted(std::string_view word) {
    constexpr std::size_t kShown = 24;
    std::string out = "'";
    for (std::size_t i = 0; i < word.size() && i < kShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        out += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    }
    if (word.size() > kShown) out += "...";
    return out + "'";
}

// A finite number spelled by the whole of word (a leading '+' allowed).
bool parseNumber(std::string_view word, double& value) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    if (word.empty()) return false;
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

// The number at the start of text, ignoring whatever follows it (the keyword values).
bool parseLeadingNumber(std::string_view text, double& value) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i])) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    const char* begin = text.data() + i;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr != begin && std::isfinite(value);
}

class Parser {
  public:
    Parser(const char* data, std::size_t size) : p_(data), end_(data + size) {}

    bool read(Lm63Table& t, std::string& error) {
        if (!readHeader(t) || !readTiltBlock() || !readNumbers(t)) {
            error = error_;
            return false;
        }
        return true;
    }

  private:
    // ---- lines of the header ------------------------------------------------------------

    // The next line without its end (LF, CR LF or a lone CR); false at the end of the data.
    bool nextLine(std::string_view& line) {
        if (p_ >= end_) return false;
        const char* start = p_;
        while (p_ < end_ && *p_ != '\n' && *p_ != '\r') ++p_;
        line = std::string_view(start, static_cast<std::size_t>(p_ - start));
        if (p_ < end_ && *p_ == '\r') {
            ++p_;
            if (p_ < end_ && *p_ == '\n') ++p_;
        } else if (p_ < end_) {
            ++p_;  // the '\n'
        }
        ++lineNumber_;
        return true;
    }

    static std::string_view trimFront(std::string_view s) {
        while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
        return s;
    }

    bool fail(const std::string& message) {
        error_ = message;
        return false;
    }
    bool failAtLine(const std::string& message) {
        return fail("line " + std::to_string(lineNumber_) + ": " + message);
    }

    // Keyword lines ("[KEY] text") and free text up to the TILT= line. The orientation keywords
    // [TILT], [PAN] and [ROLL] carry a number in degrees; every other line is skipped.
    bool readHeader(Lm63Table& t) {
        if (end_ - p_ >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;  // UTF-8 BOM
        bool tagged = false;
        std::string_view line;
        while (nextLine(line)) {
            const std::string_view text = trimFront(line);
            if (lineNumber_ == 1) {
                std::size_t n = 0;
                while (n < text.size() && !isSpace(text[n])) ++n;
                for (std::string_view tag : kTags) tagged = tagged || text.substr(0, n) == tag;
                if (tagged) continue;
            }
            if (std::size_t at = tiltValueStart(text)) return readTiltLine(text.substr(at));
            if (!text.empty() && text.front() == '[') {
                const std::size_t close = text.find(']');
                if (close == std::string_view::npos) continue;
                const std::string_view key = text.substr(1, close - 1);
                float* target = key == "TILT"   ? &t.tilt
                                : key == "PAN"  ? &t.pan
                                : key == "ROLL" ? &t.roll
                                                : nullptr;
                if (target == nullptr) continue;
                double v = 0.0;
                if (!parseLeadingNumber(text.substr(close + 1), v) || std::fabs(v) > 1e6)
                    return failAtLine("[" + std::string(key) + "] needs an angle in degrees");
                *target = static_cast<float>(v);
            }
        }
        if (lineNumber_ == 0) return fail("the file is empty");
        return fail(tagged ? "no TILT= line after the keyword lines"
                           : "not a photometric file: no IESNA tag and no TILT= line");
    }

    // Where the value of a "TILT=" line starts (spaces before the '=' allowed); 0 for any
    // other line.
    static std::size_t tiltValueStart(std::string_view text) {
        if (text.substr(0, 4) != "TILT") return 0;
        std::size_t i = 4;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        return i < text.size() && text[i] == '=' ? i + 1 : 0;
    }

    bool readTiltLine(std::string_view value) {
        while (!value.empty() && isSpace(value.back())) value.remove_suffix(1);
        value = trimFront(value);
        includeTilt_ = value == "INCLUDE";
        return true;
    }

    // ---- numbers --------------------------------------------------------------------------

    // The next separator-delimited word; false at the end of the data.
    bool nextWord(std::string_view& word) {
        while (p_ < end_ && isSeparator(*p_)) {
            if (*p_ == '\n') ++lineNumber_;
            ++p_;
        }
        if (p_ >= end_) return false;
        const char* start = p_;
        while (p_ < end_ && !isSeparator(*p_)) ++p_;
        word = std::string_view(start, static_cast<std::size_t>(p_ - start));
        return true;
    }

    bool number(double& value, const std::string& what) {
        std::string_view word;
        if (!nextWord(word)) return fail("the file ends before " + what);
        if (!parseNumber(word, value))
            return failAtLine(what + " is not a finite number: " + quoted(word));
        return true;
    }

    // A number that fits a float.
    bool number(float& value, const std::string& what) {
        double v = 0.0;
        if (!number(v, what)) return false;
        if (std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max()))
            return failAtLine(what + " is out of range");
        value = static_cast<float>(v);
        return true;
    }

    // A whole-number count in [lo, hi].
    bool count(long long& value, long long lo, long long hi, const std::string& what) {
        double v = 0.0;
        if (!number(v, what)) return false;
        if (v != std::floor(v)) return failAtLine(what + " is not a whole number");
        if (v < static_cast<double>(lo) || v > static_cast<double>(hi)) {
            char shown[32];
            std::snprintf(shown, sizeof(shown), "%.15g", v);
            return failAtLine(what + " " + shown + " is outside " + std::to_string(lo) + ".." +
                              std::to_string(hi));
        }
        value = static_cast<long long>(v);
        return true;
    }

    // Upper bound of the number of words left: every word takes a byte and a separator.
    long long wordsLeft() const { return (end_ - p_ + 1) / 2; }

    // TILT=INCLUDE: lamp-to-luminaire geometry, a pair count, the angles and the multiplying
    // factors. The tilt factors are not used; the block is read only to reach the numbers
    // behind it.
    bool readTiltBlock() {
        if (!includeTilt_) return true;
        double v = 0.0;
        if (!number(v, "the lamp-to-luminaire geometry of the TILT=INCLUDE data")) return false;
        long long pairs = 0;
        if (!count(pairs, 0, kLm63MaxTiltPairs, "the angle count of the TILT=INCLUDE data"))
            return false;
        if (2 * pairs > wordsLeft())
            return fail("the file ends inside the TILT=INCLUDE data (" + std::to_string(pairs) +
                        " angles and factors announced)");
        for (long long k = 0; k < 2 * pairs; ++k) {
            const char* kind = k < pairs ? "angle " : "factor ";
            if (!number(v, std::string("tilt ") + kind + std::to_string(k % pairs + 1) + " of " +
                               std::to_string(pairs)))
                return false;
        }
        return true;
    }

    bool readNumbers(Lm63Table& t) {
        double v = 0.0;
        long long vertical = 0, horizontal = 0;
        if (!number(v, "the number of lamps")) return false;
        if (!number(t.standardEnergy, "the lumens per lamp")) return false;
        if (!number(t.multiplex, "the candela multiplier")) return false;
        if (!count(vertical, 1, kLm63MaxAngleCount, "the number of vertical angles")) return false;
        if (!count(horizontal, 1, kLm63MaxAngleCount, "the number of horizontal angles"))
            return false;
        if (vertical * horizontal > kLm63MaxTableSize) {
            return failAtLine("a table of " + std::to_string(vertical) + " x " +
                              std::to_string(horizontal) + " candela values is larger than " +
                              std::to_string(kLm63MaxTableSize));
        }
        long long photometricType = 0;
        if (!count(photometricType, 1, 3, "the photometric type")) return false;
        if (photometricType != 1)
            return failAtLine("photometric type " + std::to_string(photometricType) +
                              " is not supported (only type C, 1)");
        long long units = 0;
        if (!count(units, -1000000, 1000000, "the units type")) return false;
        t.apartureSizeUnit = static_cast<int>(units);
        if (!number(t.width, "the luminous width")) return false;
        if (!number(t.depth, "the luminous length")) return false;
        if (!number(t.height, "the luminous height")) return false;
        if (!number(v, "the ballast factor")) return false;
        if (!number(v, "the ballast-lamp photometric factor")) return false;
        if (!number(v, "the input watts")) return false;

        const long long values = vertical + horizontal + vertical * horizontal;
        if (values > wordsLeft()) {
            return fail("the file ends before the table: " + std::to_string(values) +
                        " angles and candela values announced");
        }
        t.verticalAngles.resize(static_cast<std::size_t>(vertical));
        t.horizontalAngles.resize(static_cast<std::size_t>(horizontal));
        t.candela.resize(static_cast<std::size_t>(vertical * horizontal));
        for (long long i = 0; i < vertical; ++i) {
            if (!number(
                    t.verticalAngles[static_cast<std::size_t>(i)],
                    "vertical angle " + std::to_string(i + 1) + " of " + std::to_string(vertical)))
                return false;
        }
        for (long long j = 0; j < horizontal; ++j) {
            if (!number(t.horizontalAngles[static_cast<std::size_t>(j)],
                        "horizontal angle " + std::to_string(j + 1) + " of " +
                            std::to_string(horizontal)))
                return false;
        }
        for (long long k = 0; k < vertical * horizontal; ++k) {
            if (!number(v, "candela value " + std::to_string(k + 1) + " of " +
                               std::to_string(vertical * horizontal)))
                return false;
            t.candela[static_cast<std::size_t>(k)] = v;
        }
        return true;
    }

    const char* p_;
    const char* end_;
    int lineNumber_ = 0;
    bool includeTilt_ = false;
    std::string error_;
};

}  // namespace

bool readLm63(const char* data, std::size_t size, Lm63Table& table, std::string& error) {
    table = Lm63Table{};
    if (data == nullptr) size = 0;
    Parser parser(data, size);
    return parser.read(table, error);
}

bool readLm63File(const char* path, Lm63Table& table, std::string& error) {
    if (path == nullptr || path[0] == '\0') {
        error = "no file name";
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), &std::fclose);
    if (!file) {
        error = std::string("cannot open ") + path;
        return false;
    }
    std::string contents;
    char buffer[65536];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof(buffer), file.get());
        if (n == 0) break;
        if (contents.size() + n > kLm63MaxFileSize) {
            error = std::string(path) + " is larger than " + std::to_string(kLm63MaxFileSize) +
                    " bytes";
            return false;
        }
        contents.append(buffer, n);
    }
    if (std::ferror(file.get())) {
        error = std::string("cannot read ") + path;
        return false;
    }
    if (!readLm63(contents.data(), contents.size(), table, error)) {
        error = std::string(path) + ": " + error;
        return false;
    }
    return true;
}

}  // namespace kiv
