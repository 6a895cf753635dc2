"""Every kind of bad input is a Python exception with a clear message."""

import os
import pickle
import subprocess

import numpy as np
import pytest

import velmora4


@pytest.fixture(scope="module")
def s():
    return velmora4.Surface()


def cli_message(path, *args):
    """What velmora4-cli prints on standard error for a surface it refuses."""
    done = subprocess.run([path, *args], capture_output=True, text=True, timeout=60)
    assert done.returncode == 2
    return done.stderr.strip()


class TestTexts:
    @pytest.mark.parametrize("field, kwargs", [
        ("x", {"x": "sin("}),
        ("y", {"y": "2 + foo(u)"}),
        ("w", {"w": "u $ v"}),
        ("uMax", {"u": ("0", "2 pi)")}),
    ])
    def test_a_formula_error_names_the_field_and_carries_the_engines_message(self, cli, field, kwargs):
        with pytest.raises(velmora4.FormulaError) as raised:
            velmora4.Surface(**kwargs)
        error = raised.value
        assert isinstance(error, ValueError)
        assert error.field == field
        assert str(error) == f"{field}: {error.engine_message}"
        # The message is the engine's own, as velmora4-cli prints it.
        option = {"x": "--x", "y": "--y", "w": "--w"}.get(field)
        if option:
            assert error.engine_message == cli_message(cli.path, "invariants", "--at", "1,1", option, kwargs[field[0]])
        else:
            assert error.engine_message == cli_message(cli.path, "locus", "--kind", "3", "--u", "0,2 pi)")

    @pytest.mark.parametrize("kwargs, field, message", [
        ({"z": "   "}, "z", "An edit field is blank"),
        ({"u": ("2", "1")}, "uMax", "The minimum of 'u' must be less than its maximum"),
        ({"v": ("1", "1")}, "vMax", "The minimum of 'v' must be less than its maximum"),
        ({"v": ("0", "10^400")}, "vMax", "The maximum of 'v' is not a finite number"),
    ])
    def test_bounds_and_blanks(self, kwargs, field, message):
        with pytest.raises(velmora4.FormulaError) as raised:
            velmora4.Surface(**kwargs)
        assert raised.value.field == field
        assert raised.value.engine_message == message

    def test_characters_outside_latin1_are_refused_by_the_formula_language(self):
        with pytest.raises(velmora4.FormulaError) as raised:
            velmora4.Surface(x="u \u2212 v")
        assert raised.value.field == "x"

    def test_texts_must_be_strings_and_bounds_pairs(self):
        with pytest.raises(TypeError, match="x must be a formula text"):
            velmora4.Surface(x=1.5)
        with pytest.raises(TypeError, match="u must be a pair"):
            velmora4.Surface(u="0, 1")
        with pytest.raises(TypeError, match="v must be a pair"):
            velmora4.Surface(v=("0", "1", "2"))
        with pytest.raises(TypeError, match="uMin must be a formula text"):
            velmora4.Surface(u=(0, "1"))

    def test_texts_are_trimmed_and_kept(self):
        s = velmora4.Surface(x="  u  ", y="v", z="u v", w="u^2 ", u=("-1", "1"), v=(" 0", "2"))
        assert s.texts == {"x": "u", "y": "v", "z": "u v", "w": "u^2", "u": ("-1", "1"), "v": ("0", "2")}
        assert s.domain == (-1.0, 1.0, 0.0, 2.0)
        assert eval(repr(s), {"velmora4": velmora4}).texts == s.texts
        # A surface travels to other processes as its texts.
        assert pickle.loads(pickle.dumps(s)).texts == s.texts


class TestArrays:
    def test_shapes_that_do_not_broadcast(self, s):
        with pytest.raises(ValueError, match=r"u and v cannot be broadcast together: shapes \(3,\) and \(4,\)"):
            s.invariants(np.zeros(3), np.zeros(4))
        with pytest.raises(ValueError, match="cannot be broadcast"):
            s.frame(np.zeros((2, 3)), np.zeros((3, 2)))

    @pytest.mark.parametrize("bad", [np.arange(3), [1, 2, 3], np.array([True, False]),
                                     np.array([1 + 2j]), np.array(["a"]), np.array([1.0], dtype=object)])
    def test_arrays_that_hold_no_floating_point_numbers(self, s, bad):
        with pytest.raises(TypeError, match="u must hold floating-point numbers"):
            s.invariants(bad, 1.0)
        with pytest.raises(TypeError, match="v must hold floating-point numbers"):
            s.directions(1, 1.0, bad)

    def test_nan_and_infinities_in_give_nan_out(self, s):
        u = np.array([np.nan, np.inf, -np.inf, 1.0, 1.0])
        v = np.array([1.0, 1.0, 1.0, np.nan, 1.0])
        for values in (s.invariants(u, v), s.partials("y", u, v)):
            for key, array in values.items():
                assert np.all(np.isnan(array[:4])), key
                assert np.isfinite(array[4]), key
        for key, array in s.frame(u, v).items():
            assert np.all(np.isnan(array[:4])) and np.all(np.isfinite(array[4])), key
        assert np.all(np.isnan(s.directions(1, u, v)[:4]))

    def test_results_of_more_than_a_few_gib_are_refused_before_allocating(self, s):
        u = np.zeros((200000, 1))
        v = np.zeros((1, 200000))
        with pytest.raises(ValueError, match=r"\(200000, 200000\) points, which would need about \d+ GiB"):
            s.invariants(u, v)
        with pytest.raises(ValueError, match="GiB"):
            s.background(3, 100000)
        with pytest.raises(ValueError, match="GiB"):
            s.background_rgb(3, 100000)


class TestArguments:
    def test_kinds_classes_and_coordinates(self, s):
        with pytest.raises(ValueError, match="'9' is not an invariant: 0 or 'parabolic'"):
            s.locus(9)
        with pytest.raises(ValueError, match="'curvy' is not an invariant"):
            s.background("curvy", 10)
        with pytest.raises(TypeError, match="kind must be"):
            s.locus(1.5)
        with pytest.raises(ValueError, match="cls must be 1 curvature"):
            s.directions(0, 1.0, 1.0)
        with pytest.raises(ValueError, match="not 8"):
            s.lines(8, (1.0, 1.0))
        with pytest.raises(TypeError, match="cls must be"):
            s.directions("curvature", 1.0, 1.0)
        with pytest.raises(ValueError, match="coord must be 'x'"):
            s.partials("q", 1.0, 1.0)
        with pytest.raises(ValueError, match="coord must be"):
            s.partials(4, 1.0, 1.0)

    def test_sizes(self, s):
        with pytest.raises(ValueError, match="size must be at least 1"):
            s.background(3, 0)
        with pytest.raises(TypeError, match="size must be a whole number"):
            s.background_rgb(3, 10.0)

    def test_start_points_and_limits_of_lines(self, s):
        with pytest.raises(ValueError, match="outside the domain"):
            s.lines(1, (7.0, 1.0))
        with pytest.raises(ValueError, match="finite"):
            s.lines(1, (np.nan, 1.0))
        with pytest.raises(ValueError, match="one point"):
            s.lines(1, (1.0, 1.0, 1.0))
        with pytest.raises(TypeError, match="start must hold floating-point numbers"):
            s.lines(1, ("a", "b"))
        with pytest.raises(ValueError, match="foliations must be"):
            s.lines(1, (1.0, 1.0), foliations=4)
        with pytest.raises(ValueError, match="max_points"):
            s.lines(1, (1.0, 1.0), max_points=-1)


class TestDocuments:
    def test_a_saved_document_reads_back(self, tmp_path):
        s = velmora4.Surface(x="u", y="v", z="u v", w="u^2 - v^2", u=("-1", "1"), v=("0", "pi"))
        path = tmp_path / "saddle.vm4"
        s.save(path)
        lines = path.read_bytes().split(b"\r\n")
        assert lines[:8] == [b"vm4", b"Quorvel Dastimaro-Ulbenki", b"0", b"8", b"u", b"v", b"u v", b"u^2 - v^2"]
        again = velmora4.Surface.from_document(str(path))
        assert again.texts == s.texts
        with open(path, "rb") as file:
            assert velmora4.Surface.from_document(file).texts == s.texts
        u = np.linspace(-0.9, 0.9, 7)
        assert np.array_equal(again.invariants(u, 1.0)["K"], s.invariants(u, 1.0)["K"])

    def test_a_missing_document(self, tmp_path):
        with pytest.raises(FileNotFoundError, match="nothing.vm4"):
            velmora4.Surface.from_document(tmp_path / "nothing.vm4")

    def test_a_closed_file(self, tmp_path):
        path = tmp_path / "s.vm4"
        velmora4.Surface().save(path)
        file = open(path, "rb")
        file.close()
        with pytest.raises(ValueError, match="closed"):
            velmora4.Surface.from_document(file)

    def test_files_that_are_no_documents(self, tmp_path):
        short = tmp_path / "short.vm4"
        short.write_text("u\nv\n")
        with pytest.raises(ValueError, match="short.vm4"):
            velmora4.Surface.from_document(short)
        binary = tmp_path / "binary.vm4"
        binary.write_bytes(bytes(range(256)) * 4)
        with pytest.raises(ValueError, match="binary.vm4"):
            velmora4.Surface.from_document(binary)
        with pytest.raises(ValueError):
            velmora4.Surface.from_document(tmp_path)
        bad = tmp_path / "bad.vm4"
        bad.write_text("sin(\nv\nu\nv\n0\n1\n0\n1\n")
        with pytest.raises(velmora4.FormulaError) as raised:
            velmora4.Surface.from_document(bad)
        assert raised.value.field == "x"

    def test_saving_where_no_file_can_be_written(self, tmp_path):
        s = velmora4.Surface()
        with pytest.raises(OSError):
            s.save(tmp_path / "no such folder" / "s.vm4")
        with pytest.raises(OSError):
            s.save(tmp_path)
        assert os.listdir(tmp_path) == []
