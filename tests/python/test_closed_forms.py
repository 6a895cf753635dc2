"""Invariants of surfaces whose geometry is known in closed form."""

import numpy as np

import velmora4

RNG = np.random.default_rng(20)


def test_clifford_torus_is_flat_with_a_segment_for_ellipse():
    """f = (cos u, sin u, cos v, sin v).

    f_u = (-sin u, cos u, 0, 0) and f_v = (0, 0, -sin v, cos v) are orthonormal,
    so t = f_u, Jt = f_v. f_uu = (-cos u, -sin u, 0, 0) and f_vv = (0, 0, -cos v,
    -sin v) are unit normals, f_uv = 0. Hence II(t,t) = f_uu, II(Jt,Jt) = f_vv,
    II(t,Jt) = 0 and
        H = (f_uu + f_vv)/2, B = (f_uu - f_vv)/2, C = 0,
        |H| = |B| = 1/sqrt 2, H.B = 0,
        K = H.H - B.B - C.C = 0 (the torus is flat).
    The ellipse is the segment from f_vv to f_uu: half axes 1/sqrt 2 and 0, H
    perpendicular to it (|sin| = 1). Its foci are the segment's ends, so the
    confocal ellipse through the origin has half major axis
    (|f_uu| + |f_vv|)/2 = 1, and the depth of the origin is 1/sqrt 2 - 1.
    """
    s = velmora4.Surface("cos(u)", "sin(u)", "cos(v)", "sin(v)", u=("0", "2 pi"), v=("0", "2 pi"))
    u = RNG.uniform(0, 2 * np.pi, 200)
    v = RNG.uniform(0, 2 * np.pi, 200)
    inv = s.invariants(u, v)
    r = 1 / np.sqrt(2)
    assert np.allclose(inv["K"], 0, atol=1e-12)
    assert np.allclose(inv["major"], r, rtol=1e-12)
    assert np.allclose(inv["minor"], 0, atol=1e-6)
    assert np.allclose(inv["normH"], r, rtol=1e-12)
    assert np.allclose(inv["sinHE"], 1, rtol=1e-9)
    assert np.allclose(inv["depth"], r - 1, rtol=1e-9)

    frame = s.frame(u, v)
    zero = np.zeros_like(u)
    f_uu = np.stack([-np.cos(u), -np.sin(u), zero, zero], axis=-1)
    f_vv = np.stack([zero, zero, -np.cos(v), -np.sin(v)], axis=-1)
    assert np.allclose(frame["point"], np.stack([np.cos(u), np.sin(u), np.cos(v), np.sin(v)], axis=-1))
    assert np.allclose(frame["t"], np.stack([-np.sin(u), np.cos(u), zero, zero], axis=-1), atol=1e-14)
    assert np.allclose(frame["Jt"], np.stack([zero, zero, -np.sin(v), np.cos(v)], axis=-1), atol=1e-14)
    assert np.allclose(frame["H"], (f_uu + f_vv) / 2, atol=1e-13)
    assert np.allclose(frame["B"], (f_uu - f_vv) / 2, atol=1e-13)
    assert np.allclose(frame["C"], 0, atol=1e-13)

    # Curvature lines run where II(a) = H + B cos 2a + C sin 2a reaches a vertex
    # of the ellipse: with C = 0 at cos 2a = +-1 or 0, a = 0, pi/4, pi/2, 3 pi/4
    # in the frame (t, Jt).
    angles = s.directions(1, u, v)
    assert angles.shape == (200, 4)
    assert np.allclose(angles, np.pi / 4 * np.arange(4), atol=1e-9)


def test_holomorphic_graph_has_a_circle_centred_at_the_origin():
    """f = (u, v, Re z^2, Im z^2) = (u, v, u^2 - v^2, 2uv), z = u + iv.

    A complex curve in C^2: minimal (H = 0) with a circle for curvature ellipse
    centred at the origin. The metric is conformal, lambda |dz|^2 with
    lambda = 1 + |g'|^2, g = z^2, and K = -(1/(2 lambda)) Laplacian(log lambda).
    Since log(1 + |g'|^2) has d d-bar = |g''|^2 / (1 + |g'|^2)^2 and the
    Laplacian is 4 d d-bar,
        K = -2 |g''|^2 / (1 + |g'|^2)^3 = -8 / (1 + 4|z|^2)^3.
    The circle's radius r has B.B = C.C = r^2, so K = H.H - B.B - C.C = -2 r^2 and
    r = 2 / (1 + 4|z|^2)^(3/2); the origin is its centre, at depth r. A circle
    has no major axis (sinHE undefined).
    """
    s = velmora4.Surface("u", "v", "u^2 - v^2", "2 u v", u=("-1", "1"), v=("-1", "1"))
    u = RNG.uniform(-1, 1, 300)
    v = RNG.uniform(-1, 1, 300)
    inv = s.invariants(u, v)
    z2 = u * u + v * v
    radius = 2 / (1 + 4 * z2) ** 1.5
    assert np.allclose(inv["K"], -8 / (1 + 4 * z2) ** 3, rtol=1e-12)
    assert np.allclose(inv["normH"], 0, atol=1e-12)
    assert np.allclose(inv["major"], radius, rtol=1e-7)
    assert np.allclose(inv["minor"], radius, rtol=1e-7)
    assert np.allclose(inv["depth"], radius, rtol=1e-5)
    assert np.all(np.isnan(inv["sinHE"]))

    # Partial derivatives of z = u^2 - v^2 and w = 2uv.
    dz = s.partials("z", u, v)
    assert np.allclose(dz["f"], u * u - v * v) and np.allclose(dz["fu"], 2 * u) and np.allclose(dz["fv"], -2 * v)
    assert np.all(dz["fuu"] == 2) and np.all(dz["fvv"] == -2) and np.all(dz["fuv"] == 0)
    dw = s.partials(3, u, v)
    assert np.allclose(dw["fuv"], 2) and np.allclose(dw["fuuv"], 0)


def test_broadcasting_gives_the_values_of_the_full_grid():
    s = velmora4.Surface()
    u = np.linspace(0.1, 6.0, 9)
    v = np.linspace(0.1, 2.1, 4)[:, None]
    grid = s.invariants(u, v)
    full = s.invariants(*np.broadcast_arrays(u, v))
    assert grid["K"].shape == (4, 9)
    for key in grid:
        assert np.array_equal(grid[key], full[key], equal_nan=True)
    # Scalars and float32 give the same numbers.
    one = s.invariants(float(u[3]), float(v[2, 0]))
    assert one["K"].shape == () and one["K"] == grid["K"][2, 3]
    assert s.invariants(u.astype(np.float32), np.float32(1.0))["K"].shape == (9,)
    # Non-contiguous and empty inputs.
    assert np.array_equal(s.invariants(u[::2], 1.0)["K"], s.invariants(u, 1.0)["K"][::2])
    assert s.invariants(np.zeros((0, 3)), 1.0)["K"].shape == (0, 3)
