// A whole solution on a closed box of about 550 mm with two blocks, lit by one point light, at
// three sample densities. Reports seconds per solve, the shots made and the shooter-receiver
// pairs examined per second (every pair of a surface shot, visibility queries included).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "engine/solve_test_scene.h"

namespace {

using kiv::testing::SceneFixture;
using kiv::testing::TestPointLight;

void solve(benchmark::State& state) {
    const float interval = static_cast<float>(state.range(0)) * 0.1f;
    const int maxShots = static_cast<int>(state.range(1));
    double pairs = 0.0, shots = 0.0, seconds = 0.0;
    int points = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SceneFixture f;
        f.cornellBox(interval);
        f->lights.instanciate(new TestPointLight(KivColor(1e6f, 1e6f, 1e6f), {275, 540, 275}));
        f->solverParameters.maxShootCount = maxShots;
        f->solverParameters.convergence = 0.999f;
        kiv::SolutionDriver driver(*f);
        driver.initialize();
        points = static_cast<int>(f->vertices.direct.size());
        std::snprintf(f->currentDir, sizeof f->currentDir, "%s", "/tmp/");
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        driver.doSolution();
        const auto t1 = std::chrono::steady_clock::now();
        state.PauseTiming();
        seconds += std::chrono::duration<double>(t1 - t0).count();
        pairs += static_cast<double>(f->shooting.pairCount);
        shots += static_cast<double>(f->solution.iterationCount);
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["points"] = points;
    state.counters["shots"] = shots / n;
    state.counters["s_per_solve"] = seconds / n;
    state.counters["pairs_per_s"] = pairs / seconds;
}

// Sample spacing in tenths of a millimetre and the shot limit of the indirect phase.
BENCHMARK(solve)
    ->Args({340, 8})
    ->Args({170, 3})
    ->Args({85, 1})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
