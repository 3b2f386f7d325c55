#!/usr/bin/env python3
"""Writes cornell_box.kvb: the published Cornell box (millimetres) as a KivBatch command script.

Floor, ceiling, back wall, the red and the green side walls, the short and the tall block, lit
by a point light just below the ceiling's light opening. Run from this directory:
    python3 make_cornell_box.py > cornell_box.kvb
"""

import kvb_script as kvb

WHITE = (0.73, 0.73, 0.73)
RED = (0.63, 0.065, 0.05)
GREEN = (0.14, 0.45, 0.09)
INTERVAL = 20.0  # sample spacing in millimetres

# Each quad is wound so that its normal faces the visible side.
SURFACES = [
    ("white", "floor", [(552.8, 0, 0), (0, 0, 0), (0, 0, 559.2), (549.6, 0, 559.2)]),
    ("white", "ceiling", [(556, 548.8, 0), (556, 548.8, 559.2), (0, 548.8, 559.2), (0, 548.8, 0)]),
    ("white", "back", [(549.6, 0, 559.2), (0, 0, 559.2), (0, 548.8, 559.2), (556, 548.8, 559.2)]),
    ("green", "right", [(0, 0, 559.2), (0, 0, 0), (0, 548.8, 0), (0, 548.8, 559.2)]),
    ("red", "left", [(552.8, 0, 0), (549.6, 0, 559.2), (556, 548.8, 559.2), (556, 548.8, 0)]),
    # short block
    ("white", "short", [(130, 165, 65), (82, 165, 225), (240, 165, 272), (290, 165, 114)]),
    ("white", "short", [(290, 0, 114), (290, 165, 114), (240, 165, 272), (240, 0, 272)]),
    ("white", "short", [(130, 0, 65), (130, 165, 65), (290, 165, 114), (290, 0, 114)]),
    ("white", "short", [(82, 0, 225), (82, 165, 225), (130, 165, 65), (130, 0, 65)]),
    ("white", "short", [(240, 0, 272), (240, 165, 272), (82, 165, 225), (82, 0, 225)]),
    # tall block
    ("white", "tall", [(423, 330, 247), (265, 330, 296), (314, 330, 456), (472, 330, 406)]),
    ("white", "tall", [(423, 0, 247), (423, 330, 247), (472, 330, 406), (472, 0, 406)]),
    ("white", "tall", [(472, 0, 406), (472, 330, 406), (314, 330, 456), (314, 0, 456)]),
    ("white", "tall", [(314, 0, 456), (314, 330, 456), (265, 330, 296), (265, 0, 296)]),
    ("white", "tall", [(265, 0, 296), (265, 330, 296), (423, 330, 247), (423, 0, 247)]),
]
GROUPS = {"floor": 0, "ceiling": 1, "back": 2, "right": 3, "left": 4, "short": 5, "tall": 6}

# Centre of the light opening (343..213 x 227..332), 10 mm below the ceiling.
LIGHT_POSITION = (278.0, 538.8, 279.5)
LIGHT_POWER = (1000.0, 1000.0, 1000.0)


def main():
    out = []
    w = out.append
    kvb.solver_settings(w, 0.95, 2000)
    kvb.materials(w, (("white", WHITE), ("red", RED), ("green", GREEN)))
    w("SurfaceInitializeStack 54")
    w("SurfaceSetCheckOnOnePlane 68 0")
    for material, group, pts in SURFACES:
        kvb.surface(w, material, GROUPS[group], pts, 0, INTERVAL)
    w("SurfaceEndInstance 72")
    w("SurfaceGetInstanceCount 69")
    x, y, z = LIGHT_POSITION
    r, g, b = LIGHT_POWER
    w(f"PointLightInstanciate 394 {r:f} {g:f} {b:f} {x:f} {y:f} {z:f} 0.0 KIV_INFINITY")
    w("LightGetInstanceCount 129")
    kvb.solution_setup(w)
    print("\n".join(out))


if __name__ == "__main__":
    main()
