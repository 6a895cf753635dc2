"""Special points from Python: the same points as velmora4-cli points, and the errors."""

from pathlib import Path

import numpy as np
import pytest

import velmora4
from conftest import as_float

MONGE = Path(__file__).resolve().parents[1] / "cli" / "golden" / "monge.vm4"


@pytest.fixture(scope="module")
def monge():
    return velmora4.Surface.from_document(str(MONGE))


@pytest.mark.parametrize("cls", [0, 1, 3, 4])
def test_the_points_are_those_of_the_cli(monge, cli, cls):
    found = monge.points(cls)
    listed = cli("points", "--doc", MONGE, "--class", cls)
    assert len(found) == len(listed)
    for mine, theirs in zip(found, listed):
        assert set(mine) == set(theirs)
        for key, value in theirs.items():
            if key == "curve":
                assert np.array_equal(mine[key], np.array(value, dtype=np.float64))
            elif isinstance(value, float) or key in ("u", "v", "index"):
                assert np.array_equal(as_float(mine[key]), as_float(value), equal_nan=True), key
            else:
                assert mine[key] == value, key


def test_an_axiumbilic_point_of_a_monge_form_at_the_origin(monge):
    # The quadratic part (u^2 - v^2)/2, u v makes the ellipse a circle at the
    # origin: an axiumbilic point there, of index -1/4 for the curvature lines.
    points = [p for p in monge.points(1) if p["kind"] == "axiumbilic"]
    assert len(points) == 1
    p = points[0]
    assert abs(p["u"]) < 1e-9 and abs(p["v"]) < 1e-9
    assert p["index"] == -0.25
    assert p["type"] == f"E{p['separatrices']}"


def test_classes_without_special_points_are_refused(monge):
    for cls in (5, 6, 7, -1):
        with pytest.raises(ValueError, match="line classes 1 to 4"):
            monge.points(cls)
    with pytest.raises(TypeError):
        monge.points(1.0)
    with pytest.raises(TypeError):
        monge.points(True)
