// Vertex creation over many surfaces: the cost per sample point of laying the grids.
#include <benchmark/benchmark.h>

#include "engine/surface_registry.h"
#include "engine/vertex_store.h"

namespace {

void createVertices(benchmark::State& state, bool withNormals) {
    const KivPoint square[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0.2f}, {0, 1, 0.2f}};
    const KivVector normals[4] = {{0, -0.2f, 1}, {0.3f, -0.2f, 1}, {0.3f, -0.2f, 1}, {0, -0.2f, 1}};
    kiv::SurfaceRegistry surfaces;
    const kiv::SurfaceEnvironment env;
    for (int k = 0; k < 100; ++k)
        surfaces.instanciate(env, 4, square, withNormals ? normals : nullptr, nullptr,
                             {0.01f, 1, 0.04f, 1});
    kiv::LightmapSettings lightmaps;
    kiv::VertexStore store;
    long long points = 0;
    for (auto _ : state) {
        points += store.createDirect(surfaces, lightmaps);
        benchmark::DoNotOptimize(store.direct.data());
    }
    state.SetItemsProcessed(points);
}

void BM_CreateVertices(benchmark::State& state) { createVertices(state, false); }
void BM_CreateVerticesInterpolatedNormals(benchmark::State& state) { createVertices(state, true); }

}  // namespace

BENCHMARK(BM_CreateVertices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateVerticesInterpolatedNormals)->Unit(benchmark::kMillisecond);
