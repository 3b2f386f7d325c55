// Visibility queries per second and grid build time on a room with a 24 x 24 grid of boxes
// (3462 polygons, a fifth of the boxes transparent).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/intersection.h"
#include "engine/visibility_test_scene.h"
#include "engine/voxel_grid.h"

namespace {

using kiv::IntersectionState;
using kiv::QueryState;
using kiv::VoxelGrid;
using kiv::testing::TestScene;

struct World {
    TestScene scene = kiv::testing::boxesInARoom(24);
    VoxelGrid grid;
    IntersectionState state;
    std::vector<int> owner;  // surface of each sample point

    World() {
        scene.build(grid);
        scene.prepare(grid, state);
        owner.resize(scene.vertices.size());
        for (int s = 0; s < static_cast<int>(scene.surfaces.size()); ++s) {
            const KivParentSurface& f = scene.surfaces[s];
            for (int v = 0; v < f.width * f.height; ++v) owner[f.vertArrayIndex + v] = s;
        }
    }
    void describe(benchmark::State& st) const {
        st.counters["polygons"] = static_cast<double>(scene.surfaces.size());
        st.counters["samplePoints"] = static_cast<double>(scene.vertices.size());
        st.counters["cells"] = grid.cellCount();
    }
};

World& world() {
    static World w;
    return w;
}

struct Ray {
    KivPoint from, to;
    KivVector travel;
    int receiver, shooter;
};

// Random pairs of sample points on different surfaces, and random light directions.
std::vector<Ray> randomRays(const World& w, int n) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(w.scene.vertices.size()) - 1);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<Ray> rays;
    while (static_cast<int>(rays.size()) < n) {
        const int a = pick(rng), b = pick(rng);
        if (w.owner[a] == w.owner[b]) continue;
        rays.push_back({w.scene.vertices[a].receivePoint, w.scene.vertices[b].shootPoint,
                        kiv::normalise(KivVector(unit(rng), unit(rng), unit(rng))), w.owner[a],
                        w.owner[b]});
    }
    return rays;
}

void BM_PointToPointRandom(benchmark::State& st) {
    World& w = world();
    const std::vector<Ray> rays = randomRays(w, 1 << 14);
    QueryState q;
    q.shootType = 2;
    q.shooterType = 9;
    std::size_t i = 0;
    for (auto _ : st) {
        const Ray& r = rays[i++ & (rays.size() - 1)];
        q.receiverPoint = r.from;
        q.receiverSurface = r.receiver;
        q.shooterPosition = r.to;
        q.shooterIndex = r.shooter;
        benchmark::DoNotOptimize(w.state.judgePointToPoint(w.grid, q));
    }
    st.SetItemsProcessed(st.iterations());
    w.describe(st);
}
BENCHMARK(BM_PointToPointRandom);

// As a shooting surface point does: one shooter, every sample point of the scene in order,
// so consecutive rays are coherent and the shadow cache helps.
void BM_PointToPointFromOneShooter(benchmark::State& st) {
    World& w = world();
    const int ceiling = 5;  // the room's top face
    const KivParentSurface& c = w.scene.surfaces[ceiling];
    QueryState q;
    q.shootType = 2;
    q.shooterType = 9;
    q.shooterIndex = ceiling;
    q.shooterPosition =
        w.scene.vertices[c.vertArrayIndex + c.width * c.height / 2 + c.width / 3].shootPoint;
    const int n = static_cast<int>(w.scene.vertices.size());
    int v = 0;
    for (auto _ : st) {
        q.receiverPoint = w.scene.vertices[v].receivePoint;
        q.receiverSurface = w.owner[v];
        benchmark::DoNotOptimize(w.state.judgePointToPoint(w.grid, q));
        if (++v == n) v = 0;
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_PointToPointFromOneShooter);

void BM_DirectionalRandom(benchmark::State& st) {
    World& w = world();
    const std::vector<Ray> rays = randomRays(w, 1 << 14);
    QueryState q;
    q.shootType = 1;
    q.shooterType = 6;
    std::size_t i = 0;
    for (auto _ : st) {
        const Ray& r = rays[i++ & (rays.size() - 1)];
        q.receiverPoint = r.from;
        q.receiverSurface = r.receiver;
        q.shooterDirection = r.travel;
        benchmark::DoNotOptimize(w.state.judgeDirectional(w.grid, q));
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_DirectionalRandom);

// As a directional light does: one direction, every sample point in order.
void BM_DirectionalOneLight(benchmark::State& st) {
    World& w = world();
    QueryState q;
    q.shootType = 1;
    q.shooterType = 6;
    q.shooterDirection = kiv::normalise(KivVector(0.3f, 0.2f, -1.0f));
    const int n = static_cast<int>(w.scene.vertices.size());
    int v = 0;
    for (auto _ : st) {
        q.receiverPoint = w.scene.vertices[v].receivePoint;
        q.receiverSurface = w.owner[v];
        benchmark::DoNotOptimize(w.state.judgeDirectional(w.grid, q));
        if (++v == n) v = 0;
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_DirectionalOneLight);

// Sizing, bounding faces, cell fill and packing the surfaces for the queries.
void BM_BuildGrid(benchmark::State& st) {
    World& w = world();
    VoxelGrid grid;
    IntersectionState state;
    for (auto _ : st) {
        w.scene.build(grid);
        w.scene.prepare(grid, state);
        benchmark::DoNotOptimize(grid.cellCount());
    }
    st.counters["cells"] = grid.cellCount();
    st.counters["blockStep"] = grid.blockStep();
    w.describe(st);
}
BENCHMARK(BM_BuildGrid)->Unit(benchmark::kMillisecond);

}  // namespace
