#pragma once
// Reader of IES LM-63 photometric files (the 1986, 1991, 1995, 2002 and 2019 forms): the
// keyword header, the tilt line with an optional tilt block, and the photometric numbers up to
// the candela table. It only parses; the goniometric light data validates and extends the
// table it hands over.
#include <cstddef>
#include <string>
#include <vector>

namespace kiv {

// Bounds that keep a hostile header from asking for unbounded memory. Real tables hold a few
// hundred angles per axis (0.1 degree steps over 360 degrees are 3601).
inline constexpr int kLm63MaxAngleCount = 100000;
// Largest number of candela values (vertical x horizontal angles) of one table.
inline constexpr long long kLm63MaxTableSize = 1LL << 20;
// Largest file the reader loads; real files are well under a megabyte.
inline constexpr std::size_t kLm63MaxFileSize = std::size_t{64} << 20;
// Largest count of a TILT=INCLUDE block.
inline constexpr int kLm63MaxTiltPairs = 100000;

struct Lm63Table {
    float tilt = 0.0f;  // values of the [TILT], [PAN] and [ROLL] header keywords, in degrees
    float pan = 0.0f;
    float roll = 0.0f;
    float standardEnergy = 0.0f;  // lumens per lamp
    float multiplex = 0.0f;       // candela multiplier; reported, not applied
    int apartureSizeUnit = 0;     // units type: 1 feet, 2 meters
    float width = 0.0f;
    float depth = 0.0f;
    float height = 0.0f;
    std::vector<float> verticalAngles;
    std::vector<float> horizontalAngles;
    // Candela values, horizontal-major: horizontal index j, vertical index i at
    // j * verticalAngles.size() + i.
    std::vector<double> candela;
};

// Parses the contents of a photometric file. Answers true with the table filled, or false
// with the reason in error (the table is then unspecified).
bool readLm63(const char* data, std::size_t size, Lm63Table& table, std::string& error);

// Loads the file at path (at most kLm63MaxFileSize bytes) and parses it as readLm63 does.
bool readLm63File(const char* path, Lm63Table& table, std::string& error);

}  // namespace kiv
