"""examples/sweep.py gives the same numbers on a Dask cluster as in a plain loop."""

import importlib.util
import os
import sys
from pathlib import Path

import numpy as np
import pytest

SOURCE = Path(os.environ.get("VELMORA_SOURCE_DIR", Path(__file__).parents[2]))


@pytest.fixture(scope="module")
def sweep():
    spec = importlib.util.spec_from_file_location("sweep", SOURCE / "examples" / "sweep.py")
    module = importlib.util.module_from_spec(spec)
    sys.modules["sweep"] = module
    spec.loader.exec_module(module)
    yield module
    del sys.modules["sweep"]


def test_member_texts_fill_the_templates(sweep):
    texts = sweep.member_texts({"z": "u^2 + ({a}) v", "u": ("-{r}", "{r}")}, {"a": -0.25, "r": 2})
    assert texts == {"z": "u^2 + (-0.25) v", "u": ("-2.0", "2.0")}
    assert sweep.formula_number(1e-7) == "0.0000001"


def test_a_sweep_on_a_local_cluster_equals_the_serial_loop(sweep):
    pytest.importorskip("distributed")
    ranges = {"a": np.linspace(-1, 1, 2), "b": np.array([0.0, 0.5])}
    options = {"grid": 40, "loci": ("gauss",)}
    serial = sweep.run_serial(sweep.DEMO_TEMPLATES, ranges, **options)
    with sweep.local_client(2) as client:
        assert len(client.scheduler_info()["workers"]) == 2
        distributed = sweep.run_on_dask(sweep.DEMO_TEMPLATES, ranges, client, **options)
    assert distributed == serial
    assert len(serial) == 4
    assert [(row["a"], row["b"]) for row in serial] == [(-1, 0), (-1, 0.5), (1, 0), (1, 0.5)]
    for row in serial:
        assert row["K_min"] <= row["K_max"]
        assert row["gauss_pieces"] >= 0 and row["gauss_length"] >= 0
    # The members differ: the coefficients reach the formulas.
    assert len({row["K_min"] for row in serial}) == 4
