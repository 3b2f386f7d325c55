"""Lines of a KivBatch command script, written the way the host's solve command writes them.

Shared by the example generators (make_cornell_box.py, make_window_room.py).
"""


def solver_settings(w, convergence, max_shoot_count):
    """Scene creation, the solver switches and limits, and the display mapping."""
    w("SceneCreate 0")
    w("SceneInitialize 2")
    w(f"ParameterSetConvergence 20 {convergence:f}")
    w(f"ParameterSetMaxShootCount 22 {max_shoot_count}")
    w("ParameterSetDirectLightShoot 24 1")
    w("ParameterSetIndirectLightShoot 26 1")
    w("DisplaySetGamma 30 2.200000")
    w("DisplaySetReferenceEnergy 38 0.500000")
    w("DisplaySetAutoReferenceEnergy 42 1")


def materials(w, colours):
    """One diffuse attribute per (name, (r, g, b)), then the attributes are ended."""
    for name, (r, g, b) in colours:
        w(f"AttributeSetDiffuse 159 {r:f} {g:f} {b:f}")
        w("AttributeSetSpecular 160 0.000000 0.000000 0.000000")
        w("AttributeSetEmission 161 0.000000 0.000000 0.000000")
        w("AttributeSetTransparency 164 0.000000 0.000000 0.000000")
        w("AttributeSetReflectivity 162 0.000000")
        w("AttributeSetShineness 163 0.000000")
        w("AttributeSetRefractionIndex 165 0.000000")
        w("AttributeSetTextureSize 166 64.000000 64.000000")
        w(f"AttributeInstanciate 155 {name}")
    w("AttributeEndInstance 157")


def surface(w, material, group, pts, flags, interval):
    """One quadrilateral: its flags, material and group, then the 38-number surface line."""
    w(f"SurfaceSetFlags 66 {flags}")
    w(f"SurfaceSetAttributeName 62 {material}")
    w(f"SurfaceSetGroupId 67 {group}")
    nums = ["1", "0", "0", "4"]
    nums += [f"{c:f}" for p in pts for c in p]
    nums += ["0.000000"] * 12 + ["0.000000"] * 8
    nums += [f"{interval:f}", "1"]
    w("SurfaceInstanciate 55 " + " ".join(nums))


def solution_setup(w):
    """Lightmaps, sample points and the solution's preparation."""
    w("LightmapSetNumComponents 181 4")
    w("LightmapInstanciateAll 180")
    w("VertexCreate 274")
    w("ParameterSetUseTextureDiffuse 18 -1")
    w("RadiosityInitialize 202")
