// KivBatch: runs a command script against the radiosity engine, solves and writes the result.
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <string>
#include <vector>

#include "batch/batch_run.h"

namespace {

const char* const kUsage = "usage: KivBatch [options] SCRIPT RESULT\n";

void printHelp() {
    std::printf(
        "%s\n"
        "Executes the command script SCRIPT line by line against the radiosity engine, writes\n"
        "one result line per executed line to RESULT, then solves the scene and appends the\n"
        "illuminance atlas and each surface group's texture coordinates.\n\n"
        "Options:\n"
        "  --image PATH       also write the atlas, tone-mapped, as a PNG picture\n"
        "  --atlas PATH       also write the atlas as a Radiance RGBE (.hdr) image\n"
        "  --progress         show the solver's progress on stderr (default on a terminal)\n"
        "  --quiet            do not show progress\n"
        "  --help             show this help and exit\n"
        "  --version          show the version and exit\n\n"
        "Exit status: 0 success, 1 a file could not be opened or written, 2 wrong usage,\n"
        "3 the script had problems (reported on stderr).\n",
        kUsage);
}

}  // namespace

int main(int argc, char** argv) {
    kiv::batch::BatchOptions options;
    std::vector<std::string> positional;
    int progress = -1;  // -1: decide by whether stderr is a terminal
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            printHelp();
            return kiv::batch::kExitOk;
        }
        if (std::strcmp(a, "--version") == 0) {
            std::printf("KivBatch %s\n", KIV_VERSION);
            return kiv::batch::kExitOk;
        }
        if (std::strcmp(a, "--image") == 0 || std::strcmp(a, "--atlas") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "KivBatch: %s needs a path\n%s", a, kUsage);
                return kiv::batch::kExitUsage;
            }
            (a[2] == 'i' ? options.imagePath : options.atlasPath) = argv[++i];
            continue;
        }
        if (std::strcmp(a, "--progress") == 0 || std::strcmp(a, "--quiet") == 0) {
            progress = a[2] == 'p' ? 1 : 0;
            continue;
        }
        if (std::strcmp(a, "--") == 0) {
            for (++i; i < argc; ++i) positional.emplace_back(argv[i]);
            break;
        }
        if (a[0] == '-' && a[1] == '-') {
            std::fprintf(stderr, "KivBatch: unknown option '%s'\n%s", a, kUsage);
            return kiv::batch::kExitUsage;
        }
        positional.emplace_back(a);
    }
    if (positional.size() != 2) {
        std::fputs(kUsage, stderr);
        return kiv::batch::kExitUsage;
    }
    options.scriptPath = positional[0];
    options.resultPath = positional[1];
    options.progress = progress == -1 ? isatty(STDERR_FILENO) != 0 : progress == 1;
    return kiv::batch::runBatch(options);
}
