#!/usr/bin/env python3
"""Sweeps over families of surfaces with velmora4, on a Dask cluster or in a plain loop.

A family is a set of formula templates with parameters, such as
    z = "u^2 + ({a}) u v^2",
and each member (one value of every parameter) is a task: it builds its
Surface, samples a grid and traces loci, and returns numbers - the range of
the Gauss curvature, the share of the domain where it is negative, the number
of pieces and the length of each locus, the number of special points of each
kind. The tasks run on Dask's distributed
scheduler, a local cluster by default or a running one given by --scheduler,
and give the same numbers as a plain loop (--serial).

    python3 examples/sweep.py                         # a small demonstration on a local cluster
    python3 examples/sweep.py --workers 4 --members 6 --grid 300
    python3 examples/sweep.py --scheduler HOST:8786   # on a running cluster (dask-scheduler/dask-worker)
    python3 examples/sweep.py --serial                # the same sweep in a plain loop
"""

import argparse
import contextlib
import itertools
import logging
import sys

import numpy as np

import velmora4

# The demonstration family: a cubic Monge form in R^4 whose coefficients a and
# b move; the loci change shape as they do.
DEMO_TEMPLATES = {
    "x": "u",
    "y": "v",
    "z": "u^2 + ({a}) u v^2 + 0.3 v^3",
    "w": "({b}) u^2 - v^2 + u^3 - 0.2 u v^2",
    "u": ("-1", "1"),
    "v": ("-1", "1"),
}
DEMO_LOCI = ("parabolic", "gauss")
POINT_KINDS = ("axiumbilic", "inflection", "minimal", "principal-singular")


def formula_number(value):
    """A parameter as the formula language reads it: digits with a decimal point, no exponent."""
    text = f"{float(value):.12f}".rstrip("0")
    return text + "0" if text.endswith(".") else text


def member_texts(templates, params):
    """The Surface arguments of one member: every {name} of the templates replaced by its value."""
    values = {name: formula_number(value) for name, value in params.items()}
    texts = {}
    for key, template in templates.items():
        if isinstance(template, tuple):
            texts[key] = tuple(t.format(**values) for t in template)
        else:
            texts[key] = template.format(**values)
    return texts


def polyline_length(points):
    return float(np.sum(np.hypot(*np.diff(points, axis=0).T))) if len(points) > 1 else 0.0


def evaluate_member(templates, params, grid=100, loci=DEMO_LOCI, points=True):
    """The numbers of one member of a family (a task: it runs wherever the scheduler sends it)."""
    s = velmora4.Surface(**member_texts(templates, params))
    u_min, u_max, v_min, v_max = s.domain
    u, v = np.meshgrid(np.linspace(u_min, u_max, grid), np.linspace(v_min, v_max, grid))
    K = s.invariants(u, v)["K"]
    row = dict(params)
    row["K_min"] = float(np.nanmin(K))
    row["K_max"] = float(np.nanmax(K))
    row["K_negative"] = float(np.mean(K < 0))
    for kind in loci:
        pieces = s.locus(kind)
        row[f"{kind}_pieces"] = len(pieces)
        row[f"{kind}_length"] = sum(polyline_length(p) for p in pieces)
    if points:
        # The isolated special points of every kind, counted by kind (a set
        # of points that is not isolated counts as -1: no number of points).
        found = s.points(0)
        for kind in POINT_KINDS:
            isolated = sum(1 for p in found if p["kind"] == kind and "u" in p)
            whole = any(p["kind"] == kind and "u" not in p for p in found)
            row[kind.replace("-", "_")] = -1 if whole else isolated
    return row


def members(ranges):
    """Every combination of the parameters' values: ranges maps a name to its values."""
    names = list(ranges)
    for values in itertools.product(*(ranges[n] for n in names)):
        yield dict(zip(names, (float(x) for x in values)))


def run_serial(templates, ranges, **options):
    return [evaluate_member(templates, params, **options) for params in members(ranges)]


def run_on_dask(templates, ranges, client, **options):
    """The same rows as run_serial, each member a task of the Dask client's cluster."""
    module = sys.modules[evaluate_member.__module__]
    if module.__name__ != "__main__":
        # Imported (by a test or a notebook): the workers get the task's code
        # itself, as they may not have this file on their path.
        import cloudpickle

        cloudpickle.register_pickle_by_value(module)
    futures = [client.submit(evaluate_member, templates, params, pure=False, **options)
               for params in members(ranges)]
    return client.gather(futures)


@contextlib.contextmanager
def local_client(workers):
    """A Dask client of a new cluster of worker processes on this machine, closed with it."""
    from dask.distributed import Client, LocalCluster

    with LocalCluster(n_workers=workers, threads_per_worker=1, dashboard_address=None,
                      silence_logs=logging.ERROR) as cluster, Client(cluster) as client:
        yield client


def print_table(rows):
    keys = list(rows[0])
    cells = [[f"{row[k]:.6g}" if isinstance(row[k], float) else str(row[k]) for k in keys] for row in rows]
    widths = [max(len(k), *(len(c[i]) for c in cells)) for i, k in enumerate(keys)]
    print("  ".join(k.rjust(w) for k, w in zip(keys, widths)))
    for c in cells:
        print("  ".join(x.rjust(w) for x, w in zip(c, widths)))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scheduler", metavar="HOST:PORT", help="a running Dask scheduler (default: a local cluster)")
    parser.add_argument("--workers", type=int, default=2, help="worker processes of the local cluster (default 2)")
    parser.add_argument("--serial", action="store_true", help="a plain loop instead of Dask")
    parser.add_argument("--members", type=int, default=3,
                        help="values of each of the two coefficients a and b (default 3: nine surfaces)")
    parser.add_argument("--grid", type=int, default=100, help="grid points along u and v for K (default 100)")
    args = parser.parse_args(argv)

    ranges = {"a": np.linspace(-1, 1, args.members), "b": np.linspace(-0.5, 0.5, args.members)}
    options = {"grid": args.grid}
    if args.serial:
        rows = run_serial(DEMO_TEMPLATES, ranges, **options)
    elif args.scheduler:
        from dask.distributed import Client

        with Client(args.scheduler) as client:
            rows = run_on_dask(DEMO_TEMPLATES, ranges, client, **options)
    else:
        with local_client(args.workers) as client:
            rows = run_on_dask(DEMO_TEMPLATES, ranges, client, **options)
    print_table(rows)


if __name__ == "__main__":
    main()
