"""The module's values are velmora4-cli's, number for number, at the same points."""

import numpy as np
import pytest

import velmora4
from conftest import as_float, same_values

# A grid over the default surface's domain [0, 2 pi] x [0, 2.2], with its corners.
U = np.array([0.0, 0.4, 1.2, 2.0, 3.3, 4.5, 6.283185307179586])
V = np.array([0.0, 0.3, 0.8, 1.5, 2.2])
UU, VV = np.meshgrid(U, V)

INVARIANT_KEYS = {
    "major": "halfMajorAxis", "minor": "halfMinorAxis", "normH": "longH", "depth": "depth",
    "sinHE": "alpha", "K": "KGauss", "disc_normal": "discrNormDev", "disc_lateral": "discrLatDev",
    "disc_strong": "discrStrPpal",
}
FRAME_KEYS = {"t": "t", "Jt": "Jt", "H": "vH", "B": "vB", "C": "vC"}


@pytest.fixture(scope="module")
def surface():
    return velmora4.Surface()


@pytest.fixture(scope="module")
def cli_points(cli):
    args = ["invariants"]
    for u, v in zip(UU.ravel(), VV.ravel()):
        args += ["--at", f"{float(u)!r},{float(v)!r}"]
    return cli(*args)


def test_invariants_frame_and_directions_equal_the_cli(surface, cli_points):
    inv = surface.invariants(UU, VV)
    frame = surface.frame(UU, VV)
    assert len(cli_points) == UU.size
    for key, cli_key in INVARIANT_KEYS.items():
        assert inv[key].shape == UU.shape
        expected = np.array([as_float(p[cli_key]) for p in cli_points]).reshape(UU.shape)
        assert same_values(inv[key], expected), key
    for key, cli_key in FRAME_KEYS.items():
        assert frame[key].shape == UU.shape + (4,)
        expected = np.array([[as_float(x) for x in p[cli_key]] for p in cli_points]).reshape(UU.shape + (4,))
        assert same_values(frame[key], expected), key
    for cls in range(1, 8):
        angles = surface.directions(cls, UU, VV)
        for i, p in enumerate(cli_points):
            found = angles.reshape(-1, angles.shape[-1])[i]
            listed = p["directions"][str(cls)]
            assert same_values(found[: len(listed)], listed), (cls, p["u"], p["v"])
            assert np.all(np.isnan(found[len(listed):]))


def test_partials_equal_the_cli(surface, cli):
    points = [(0.3, 0.5), (2.0, 1.1), (5.5, 2.0)]
    u = np.array([p[0] for p in points])
    v = np.array([p[1] for p in points])
    for coord in ("x", "w"):
        values = surface.partials(coord, u, v)
        args = ["partials", surface.texts[coord]]
        for p in points:
            args += ["--at", f"{p[0]!r},{p[1]!r}"]
        lines = cli(*args)
        for key in ("f", "fu", "fv", "fuu", "fuv", "fvv", "fuuu", "fuuv", "fuvv", "fvvv"):
            assert same_values(values[key], [as_float(line[key]) for line in lines]), (coord, key)


def test_locus_and_lines_equal_the_cli(surface, cli):
    pieces = surface.locus(3)
    expected = [np.array(line["points"], dtype=float) for line in cli("locus", "--kind", 3)]
    assert len(pieces) == len(expected) > 0
    for found, listed in zip(pieces, expected):
        assert found.shape[1] == 2
        assert same_values(found, listed)
    # The same kind by its name.
    assert all(same_values(a, b) for a, b in zip(surface.locus("gauss"), pieces))

    for cls, start in ((1, (1.2, 0.8)), (6, (3.0, 1.0))):
        curves = surface.lines(cls, start, max_points=20000)
        listed = cli("lines", "--class", cls, "--from", f"{start[0]},{start[1]}", "--max-points", 20000)
        assert len(curves) == len(listed) > 0
        for found, line in zip(curves, listed):
            assert same_values(found, np.array(line["points"], dtype=float))


def test_background_colours_equal_the_cli_picture(surface, cli, tmp_path):
    image = pytest.importorskip("matplotlib.image")
    cli("background", "--type", 3, "--size", "40,40", "--png", "k.png", cwd=tmp_path)
    picture = image.imread(tmp_path / "k.png")[:, :, :3]
    expected = np.rint(picture * 255).astype(np.uint8)
    rgb = surface.background_rgb(3, 40)
    assert rgb.dtype == np.uint8 and rgb.shape == (40, 40, 3)
    assert np.array_equal(rgb, expected)


def test_background_values_are_the_invariant_at_the_pixel_points(surface):
    # Row 0 is v = vMax, column 0 u = uMin: the pixel grid of the picture.
    size = 30
    values = surface.background(3, size)
    u = np.linspace(0, 2 * np.pi, size)
    v = np.linspace(2.2, 0, size)
    K = surface.invariants(*np.meshgrid(u, v))["K"]
    assert values.shape == (size, size)
    assert np.allclose(values, K, rtol=1e-9, atol=1e-12)
    # The angle is coloured by its magnitude.
    assert np.nanmin(surface.background(2, size)) >= 0


def test_directions_of_a_complex_curve_equal_the_cli(cli):
    # On the graph of z^2 the ellipse is a circle and H = 0 everywhere: the
    # classes whose form vanishes on the whole domain have no directions in
    # either front end (not rounding noise).
    texts = ("u", "v", "u^2 - v^2", "2 u v")
    s = velmora4.Surface(*texts, u=("-1", "1"), v=("-1", "1"))
    points = [(0.3, -0.2), (-0.7, 0.5)]
    listed = cli("invariants", "--x", texts[0], "--y", texts[1], "--z", texts[2], "--w", texts[3],
                 "--u=-1,1", "--v=-1,1", *[a for p in points for a in ("--at", f"{p[0]!r},{p[1]!r}")])
    u = np.array([p[0] for p in points])
    v = np.array([p[1] for p in points])
    empty = 0
    for cls in range(1, 8):
        angles = s.directions(cls, u, v)
        for i, p in enumerate(listed):
            expected = p["directions"][str(cls)]
            empty += not expected
            assert same_values(angles[i][: len(expected)], expected), (cls, i)
            assert np.all(np.isnan(angles[i][len(expected):]))
    assert empty > 0
