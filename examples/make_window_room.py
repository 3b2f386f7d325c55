#!/usr/bin/env python3
"""Writes window_room.kvb: a room lit by an HDR sky through its window, as a KivBatch script.

The room (centimetres, y up) is 400 x 280 x 500 with a wooden floor, white walls and ceiling and
a block standing on the floor; its wall at x = 400 has a 200 x 140 window opening. Ground
surrounds it. A box of survey surfaces (flag 64) encloses the whole scene, facing inwards: these
are the surfaces through which the environment enters. An HDRI environment light (code 390)
with the image window_sky.hdr stands in the middle of the enclosure, and the solver runs in
environment mode (the "RadiositySetCurrentMode 328" line with the single byte 16): the light
shoots at the survey surfaces, they exchange and measure it, then shoot it into the scene, and
the room gets its light through the window.

Survey surfaces receive and measure the environment on their front side and shoot it into the
scene from that same side; energy that their view across the scene finds blocked by ordinary
surfaces is not passed on. A survey surface closing the window itself would therefore pass
nothing into a closed room (facing in, all it sees across is the room; facing out, it shoots
outwards), which is why the opening stays open and the survey box surrounds the scene.

The environment image is made by our own RGBE writer:
    cmake --build build --target make_window_sky
    build/examples/make_window_sky examples/window_sky.hdr
The script names the image as ../examples/window_sky.hdr, the path seen from out/, where
scripts/run_example.sh runs KivBatch. Run from this directory:
    python3 make_window_room.py > window_room.kvb
"""

import kvb_script as kvb

WHITE = (0.75, 0.75, 0.75)
WOOD = (0.55, 0.4, 0.25)
GROUND = (0.3, 0.35, 0.2)
SURVEY = (0.5, 0.5, 0.5)
INTERVAL = 25.0  # sample spacing of the room, centimetres
GROUND_INTERVAL = 80.0
SURVEY_INTERVAL = 120.0

# The window opening in the wall x = 400.
WY0, WY1, WZ0, WZ1 = 80.0, 220.0, 150.0, 350.0
ROOM_CENTRE = (200.0, 140.0, 250.0)
# The survey enclosure and the ground it stands on.
BX0, BX1, BY1, BZ0, BZ1 = -600.0, 1000.0, 800.0, -600.0, 1100.0
SCENE_CENTRE = ((BX0 + BX1) / 2, BY1 / 2, (BZ0 + BZ1) / 2)

# The HDRI light in the middle of the enclosure.
LIGHT_ENERGY = (1.0, 1.0, 1.0)
LIGHT_POSITION = SCENE_CENTRE
IMAGE = "../examples/window_sky.hdr"
UP_AXIS, DIR_AXIS = 1, 2  # +y up; azimuth 0 along +z, so 90 degrees (the sun) is +x
STACK, SLICE = 10, 40
SKYLIGHT_TYPE = 2  # sample colours from the image where each sample ray leaves the scene


def sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def facing(pts, towards):
    """The corners in an order whose plane normal, (p1 - p0) x (p3 - p0), faces `towards`."""
    n = cross(sub(pts[1], pts[0]), sub(pts[-1], pts[0]))
    centre = tuple(sum(p[k] for p in pts) / len(pts) for k in range(3))
    return pts if dot(n, sub(towards, centre)) > 0 else [pts[0]] + pts[:0:-1]


def rect_x(x, y0, y1, z0, z1):
    return [(x, y0, z0), (x, y1, z0), (x, y1, z1), (x, y0, z1)]


def rect_y(y, x0, x1, z0, z1):
    return [(x0, y, z0), (x1, y, z0), (x1, y, z1), (x0, y, z1)]


def rect_z(z, x0, x1, y0, y1):
    return [(x0, y0, z), (x1, y0, z), (x1, y1, z), (x0, y1, z)]


def surfaces():
    """(material, group, corners, flags, interval) of every polygon."""
    inside = ROOM_CENTRE
    out = []

    def add(material, group, pts, towards, flags=0, interval=INTERVAL):
        out.append((material, group, facing(pts, towards), flags, interval))

    add("wood", 0, rect_y(0, 0, 400, 0, 500), inside)
    add("white", 1, rect_y(280, 0, 400, 0, 500), inside)
    add("white", 2, rect_x(0, 0, 280, 0, 500), inside)
    add("white", 2, rect_z(0, 0, 400, 0, 280), inside)
    add("white", 2, rect_z(500, 0, 400, 0, 280), inside)
    # The window wall around its opening.
    add("white", 3, rect_x(400, 0, WY0, 0, 500), inside)
    add("white", 3, rect_x(400, WY1, 280, 0, 500), inside)
    add("white", 3, rect_x(400, WY0, WY1, 0, WZ0), inside)
    add("white", 3, rect_x(400, WY0, WY1, WZ1, 500), inside)
    # A block on the floor, in the light from the window.
    bx0, bx1, bz0, bz1, bh = 180.0, 280.0, 200.0, 300.0, 80.0
    add("white", 4, rect_y(bh, bx0, bx1, bz0, bz1), (230, 500, 250))
    add("white", 4, rect_x(bx0, 0, bh, bz0, bz1), (0, 40, 250))
    add("white", 4, rect_x(bx1, 0, bh, bz0, bz1), (500, 40, 250))
    add("white", 4, rect_z(bz0, bx0, bx1, 0, bh), (230, 40, 0))
    add("white", 4, rect_z(bz1, bx0, bx1, 0, bh), (230, 40, 500))
    # Ground around the room's footprint.
    up = (200, 1000, 250)
    for x0, x1, z0, z1 in ((BX0, 0, BZ0, BZ1), (400, BX1, BZ0, BZ1), (0, 400, BZ0, 0),
                           (0, 400, 500, BZ1)):
        add("ground", 5, rect_y(0, x0, x1, z0, z1), up, interval=GROUND_INTERVAL)
    # The survey enclosure: four walls and a top, facing the scene.
    centre = SCENE_CENTRE
    for pts in (rect_x(BX0, 0, BY1, BZ0, BZ1), rect_x(BX1, 0, BY1, BZ0, BZ1),
                rect_z(BZ0, BX0, BX1, 0, BY1), rect_z(BZ1, BX0, BX1, 0, BY1),
                rect_y(BY1, BX0, BX1, BZ0, BZ1)):
        add("survey", 6, pts, centre, flags=64, interval=SURVEY_INTERVAL)
    return out


def translation_inverse_columns(p):
    """The inverse of a translation to p, written column by column (m00 m10 m20 m30, m01 ...)."""
    rows = [[1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 1, 0], [-p[0], -p[1], -p[2], 1]]
    return [rows[r][c] for c in range(4) for r in range(4)]


def main():
    lines = []
    w = lines.append
    kvb.solver_settings(w, 0.9, 150)
    w("SurfaceInitializeStack 54")
    w("SurfaceSetCheckOnOnePlane 68 0")
    kvb.materials(w, (("white", WHITE), ("wood", WOOD), ("ground", GROUND), ("survey", SURVEY)))
    for material, group, pts, flags, interval in surfaces():
        kvb.surface(w, material, group, pts, flags, interval)
    w("SurfaceEndInstance 72")
    values = list(LIGHT_ENERGY) + list(LIGHT_POSITION)
    values += translation_inverse_columns(LIGHT_POSITION)
    w("HDRILightInstanciate 390 " + " ".join(f"{v:f}" for v in values) +
      f" {IMAGE} {chr(UP_AXIS)} {chr(DIR_AXIS)} {STACK} {SLICE} {chr(SKYLIGHT_TYPE)}")
    w("SurfaceGetInstanceCount 69")
    w("LightGetInstanceCount 129")
    # Environment mode: the mode is one raw byte, 16.
    w("RadiositySetCurrentMode 328 " + chr(16))
    kvb.solution_setup(w)
    print("\n".join(lines))


if __name__ == "__main__":
    main()
