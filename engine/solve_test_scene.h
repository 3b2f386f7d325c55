#pragma once
// Scenes for the shooting and solution tests and benchmarks, built through the real surface
// registry and sample-point creation, and a point light with the standard isotropic formula.
#include <algorithm>
#include <initializer_list>

#include "engine/api/scene_api.h"
#include "engine/api/shoot_api.h"
#include "engine/light.h"
#include "engine/scene.h"
#include "engine/shooting.h"
#include "engine/solution.h"

namespace kiv::testing {

// Isotropic point light: E = unshot x cos x 1/(4 pi) / d^2, with the occlusion query and the
// close-length marking of the standard point light.
class TestPointLight : public KivLight {
  public:
    TestPointLight(KivColor power, KivPoint where) {
        init();
        unshot = power;
        position = where;
    }
    void init() override { type = kKivPointLight; }
    void del() override {}
    char getType() override { return type; }
    KivColor getUnshot() override { return unshot; }
    KivPoint getPosition() override { return position; }
    float getFalloffStart() override { return 0.0f; }
    float getFalloffEnd() override { return 0.0f; }
    KivColor shoot(int i) override {
        KivScene& s = kiv::scene();
        KivVertex& v = s.vertices.direct[static_cast<std::size_t>(i)];
        const KivVector D = vectorBetween(v.receivePoint, position);
        const float d = length(D);
        const KivVector L = normalise(D);
        const float c = dot(L, v.normal);
        const KivColor zero = KivColor::make(0.0f, 0.0f, 0.0f);
        if (c < 0.001f) return zero;
        const float f = c * 0.0795774683f / (d * d);
        if (f < 1e-10f) {
            v.shotFlags = 1;
            return zero;
        }
        KivColor E = unshot * f;
        if (v.inside() > 0.0f) {
            const float r = judgeIntersection(s);
            if (r == 1.0f) {
                v.shotFlags = 1;
                return zero;
            }
            if (r == 0.5f) E *= s.intersection.transparencyColorResult;
        }
        v.shotFlags = KivShoot_GetCloseLengthThreshold() > d ? 6 : 2;
        return E;
    }
    KivPoint position;
};

// A light of any type code that answers a fixed energy for every point and counts its calls.
class FixedLight : public KivLight {
  public:
    FixedLight(char code, KivColor power, KivColor answer) : answer_(answer) {
        type = code;
        unshot = power;
    }
    void init() override {}
    void del() override {}
    char getType() override { return type; }
    KivColor getUnshot() override { return unshot; }
    KivColor shoot(int) override {
        ++calls;
        return answer_;
    }
    int calls = 0;

  private:
    KivColor answer_;
};

// A current scene that is ended when the fixture goes away.
struct SceneFixture {
    KivScene* scene;
    SceneFixture() : scene(static_cast<KivScene*>(KivScene_Create())) {}
    ~SceneFixture() {
        KivScene_End(scene);
        kiv::currentScenePointer() = nullptr;
    }
    SceneFixture(const SceneFixture&) = delete;
    SceneFixture& operator=(const SceneFixture&) = delete;
    KivScene& operator*() { return *scene; }
    KivScene* operator->() { return scene; }

    // A parallelogram p0, p1, p0 + (p1 - p0) + (p3 - p0), p3 with its face turned towards
    // `towards`; returns its index.
    int quad(KivPoint p0, KivPoint p1, KivPoint p3, KivPoint towards, float interval,
             KivColor diffuse = KivColor(0.5f, 0.5f, 0.5f), int flags = 0) {
        KivPoint p[4] = {p0, p1, p1 + vectorBetween(p0, p3), p3};
        const KivVector n = cross(vectorBetween(p[0], p[1]), vectorBetween(p[0], p[3]));
        const KivPoint c = KivPoint::make((p[0].x + p[2].x) * 0.5f, (p[0].y + p[2].y) * 0.5f,
                                          (p[0].z + p[2].z) * 0.5f);
        if (dot(n, vectorBetween(c, towards)) < 0.0f) std::swap(p[1], p[3]);
        const SurfaceSpacing spacing{interval, 1, interval * 2.0f, 1};
        const int i =
            scene->surfaces.instanciateDirect(4, p, nullptr, nullptr, spacing, flags, diffuse);
        scene->surfaces.records.endInstance();
        return i;
    }

    // An axis-aligned box without its bottom, faces turned outwards.
    void block(KivPoint lo, KivPoint hi, float interval, KivColor diffuse) {
        const KivPoint mid =
            KivPoint::make((lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f);
        auto away = [&](const KivPoint& c) { return c + vectorBetween(mid, c); };
        const float x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
        quad({x0, y1, z0}, {x1, y1, z0}, {x0, y1, z1}, away({mid.x, y1, mid.z}), interval, diffuse);
        quad({x0, y0, z0}, {x1, y0, z0}, {x0, y1, z0}, away({mid.x, mid.y, z0}), interval, diffuse);
        quad({x0, y0, z1}, {x1, y0, z1}, {x0, y1, z1}, away({mid.x, mid.y, z1}), interval, diffuse);
        quad({x0, y0, z0}, {x0, y1, z0}, {x0, y0, z1}, away({x0, mid.y, mid.z}), interval, diffuse);
        quad({x1, y0, z0}, {x1, y1, z0}, {x1, y0, z1}, away({x1, mid.y, mid.z}), interval, diffuse);
    }

    // A closed-on-five-sides box of 550 mm (y up, open at z = 550) with two blocks on its
    // floor.
    void cornellBox(float interval) {
        const float S = 550.0f;
        const KivPoint centre = KivPoint::make(S * 0.5f, S * 0.5f, S * 0.5f);
        const KivColor white(0.75f, 0.75f, 0.75f), red(0.65f, 0.06f, 0.05f),
            green(0.12f, 0.45f, 0.15f);
        quad({0, 0, 0}, {S, 0, 0}, {0, 0, S}, centre, interval, white);  // floor
        quad({0, S, 0}, {S, S, 0}, {0, S, S}, centre, interval, white);  // ceiling
        quad({0, 0, 0}, {S, 0, 0}, {0, S, 0}, centre, interval, white);  // back
        quad({0, 0, 0}, {0, S, 0}, {0, 0, S}, centre, interval, red);    // left
        quad({S, 0, 0}, {S, S, 0}, {S, 0, S}, centre, interval, green);  // right
        block({290, 0, 80}, {455, 330, 245}, interval, white);
        block({95, 0, 300}, {260, 165, 465}, interval, white);
    }
};

}  // namespace kiv::testing
