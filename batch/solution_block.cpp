#include "batch/solution_block.h"

#include <cinttypes>
#include <vector>

#include "engine/KivRadiosity.h"

namespace kiv::batch {

bool writeSolutionBlock(std::FILE* result, BatchState& state, AtlasImage* atlas) {
    if (state.current == nullptr) {
        state.warn("the script leaves no current scene: nothing to solve");
        return false;
    }
    // Scenes the host never sends, but a hand-written script may: solved all the same (to an
    // empty or black result), and said so.
    if (KivSurface_GetInstanceCount() == 0)
        state.note("the scene has no surfaces: there is nothing to light");
    else if (KivSurface_GetInstanceCount2() == 0)
        state.note("every surface is flagged out of the solution (0x04): nothing receives light");
    if (KivLight_GetInstanceCount() == 0)
        state.note("the scene has no lights: every energy stays 0");
    KivRadiosity_DoSolution();
    KivIlluminancemap_Sorting();
    std::fprintf(result, "%d\n", 187);
    const int width = KivIlluminancemap_GetWidth();
    std::fprintf(result, "%d %d\n", 190, width);
    const int height = KivIlluminancemap_GetHeight();
    std::fprintf(result, "%d %d\n", 192, height);
    KivIlluminancemap_SetNumComponents(3);
    const int components = KivIlluminancemap_GetNumComponents();
    std::fprintf(result, "%d %d\n", 194, components);

    // An atlas beyond 4096 x 4096 texels only comes from grids no real scene has (and whose
    // sample points the engine refuses to create): it is reported unfilled instead of
    // allocating gigabytes.
    constexpr long long kMaxAtlasTexels = 1LL << 24;
    const long long texels =
        width > 0 && height > 0 ? static_cast<long long>(width) * static_cast<long long>(height) : 0;
    std::vector<float> buffer;
    KivLong flag = 0;
    if (texels > kMaxAtlasTexels) {
        state.warn("the illuminance atlas would be %d x %d texels; it is not filled", width, height);
    } else {
        buffer.assign(static_cast<std::size_t>(texels) * static_cast<std::size_t>(components > 0 ? components : 0), 0.0f);
        flag = KivIlluminancemap_Create(buffer.data());
    }
    const std::size_t n = buffer.size();
    std::fprintf(result, "%d %" PRId32 "\n", 189, flag);
    if (flag != 0 && n > 0) {
        for (std::size_t k = 0; k < (n + 2) / 3; ++k) {
            const float a = buffer[3 * k];
            const float b = 3 * k + 1 < n ? buffer[3 * k + 1] : 0.0f;
            const float c = 3 * k + 2 < n ? buffer[3 * k + 2] : 0.0f;
            std::fprintf(result, "%d %f %f %f\n", 399, a, b, c);
        }
    }
    if (atlas != nullptr && flag != 0 && components == 3) {
        atlas->width = width;
        atlas->height = height;
        atlas->rgb = buffer;
    }

    const int groups = KivSurface_GetGroupCount();
    std::fprintf(result, "%d %d\n", 71, groups);
    for (int g = 0; g < groups; ++g) {
        const int count = KivUvmap_GetCountBySurfaceGroup(g);
        std::fprintf(result, "%d %d\n", 197, count);
        std::vector<KivUvw> uv(static_cast<std::size_t>(count > 0 ? count : 0));
        const KivLong ok = KivUvmap_CreateBySurfaceGroup(g, uv.empty() ? nullptr : uv.data());
        std::fprintf(result, "%d %" PRId32 "\n", 199, ok);
        if (ok != 0)
            for (const KivUvw& t : uv) std::fprintf(result, "%d %f %f\n", 399, t.u, t.v);
    }
    return true;
}

}  // namespace kiv::batch
