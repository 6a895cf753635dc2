"""Shared pieces of the module's tests: the built velmora4-cli and its JSON lines."""

import json
import os
import subprocess

import numpy as np
import pytest


@pytest.fixture(scope="session")
def cli():
    """Runs the built velmora4-cli and returns its JSON lines (skips without it)."""
    path = os.environ.get("VELMORA4_CLI")
    if not path or not os.path.exists(path):
        pytest.skip("velmora4-cli is not built")

    def run(*args, cwd=None):
        done = subprocess.run([path, *map(str, args)], capture_output=True, text=True, cwd=cwd, timeout=120)
        assert done.returncode == 0, done.stderr
        return [json.loads(line) for line in done.stdout.splitlines()]

    run.path = path
    return run


def as_float(value):
    """A JSON number as the float it was printed from; null as NaN."""
    return np.nan if value is None else float(value)


def same_values(a, b):
    """Equal float arrays: every number the same double (JSON keeps no sign of
    zero, so -0.0 equals 0.0), NaN where both are NaN."""
    a = np.asarray(a, dtype=np.float64)
    b = np.asarray(b, dtype=np.float64)
    return a.shape == b.shape and bool(np.array_equal(a, b, equal_nan=True))
