#!/usr/bin/env python3
"""Timings of the Python module velmora4 (run by tools/bench.sh, or by hand
with PYTHONPATH=build/release/python/module):

- s.invariants over a 1000 x 1000 grid of the default surface, in points per
  second (compare with bench_invariants_grid, the engine's own loop);
- the README's figure, K over the domain from a 500 x 500 grid with the
  Gauss curvature locus, drawn with Matplotlib into a PNG file, end to end.
"""

import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import numpy as np

import velmora4

ROOT = Path(__file__).resolve().parents[1]


def best_of(runs, work):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return min(times), sorted(times)[len(times) // 2]


def readme_example():
    """The README's example, the first python block under "## Scripting from Python"."""
    text = (ROOT / "README.md").read_text()
    section = text[text.index("## Scripting from Python"):]
    start = section.index("```python\n") + len("```python\n")
    return section[start:section.index("```", start)]


def main():
    s = velmora4.Surface()
    u, v = np.meshgrid(np.linspace(0, 2 * np.pi, 1000), np.linspace(0, 2.2, 1000))
    best, median = best_of(5, lambda: s.invariants(u, v))
    print(f"s.invariants, 1000 x 1000 grid, {s.workers} threads: best {best:.3f} s, median {median:.3f} s, "
          f"{u.size / best:,.0f} points/s at best ({1e9 * best / u.size:.0f} ns a point)")

    with tempfile.TemporaryDirectory() as folder:
        script = Path(folder) / "example.py"
        script.write_text(readme_example())
        env = dict(os.environ, MPLBACKEND="Agg")
        runs = []
        for _ in range(3):
            start = time.perf_counter()
            subprocess.run([sys.executable, str(script)], cwd=folder, env=env, check=True)
            runs.append(time.perf_counter() - start)
        print(f"README figure (python3 started, imports, 500 x 500 grid, PNG written): best {min(runs):.3f} s, "
              f"median {sorted(runs)[1]:.3f} s")


if __name__ == "__main__":
    main()
