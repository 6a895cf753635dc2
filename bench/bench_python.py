#!/usr/bin/env python3
"""Timings of the Python module velmora4 (run by tools/bench.sh, or by hand
with PYTHONPATH=build/release/python/module):

- s.invariants over a 1000 x 1000 grid of the default surface, in points per
  second (compare with bench_invariants_grid, the engine's own loop);
- the README's figure, K over the domain from a 500 x 500 grid with the
  Gauss curvature locus, drawn with Matplotlib into a PNG file, end to end.
"""

import os
import resource
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import numpy as np

import velmora4

ROOT = Path(__file__).resolve().parents[1]


def best_of(runs, work):
    """The best wall time of the runs, and the processor time of all the
    process's threads in the run (on a shared machine the fairer cost)."""
    times, cpu = [], []
    for _ in range(runs):
        start, start_cpu = time.perf_counter(), time.process_time()
        work()
        times.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    return min(times), min(cpu)


def readme_example():
    """The README's example, the first python block under "## Scripting from Python"."""
    text = (ROOT / "README.md").read_text()
    section = text[text.index("## Scripting from Python"):]
    start = section.index("```python\n") + len("```python\n")
    return section[start:section.index("```", start)]


def main():
    s = velmora4.Surface()
    u, v = np.meshgrid(np.linspace(0, 2 * np.pi, 1000), np.linspace(0, 2.2, 1000))
    best, cpu = best_of(5, lambda: s.invariants(u, v))
    print(f"s.invariants, 1000 x 1000 grid, {s.workers} threads: best {best:.3f} s, "
          f"{u.size / best:,.0f} points/s; processor time {1e9 * cpu / u.size:.0f} ns a point "
          f"(compare bench_invariants_grid's cpu_ns_per_point)")
    start = time.perf_counter()
    K = s.background("gauss", 500)
    print(f"s.background('gauss', 500): {time.perf_counter() - start:.3f} s")
    start = time.perf_counter()
    s.locus("gauss")
    print(f"s.locus('gauss'): {time.perf_counter() - start:.3f} s")

    with tempfile.TemporaryDirectory() as folder:
        script = Path(folder) / "example.py"
        script.write_text(readme_example())
        env = dict(os.environ, MPLBACKEND="Agg")
        runs, cpu = [], []
        for _ in range(3):
            start = time.perf_counter()
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            subprocess.run([sys.executable, str(script)], cwd=folder, env=env, check=True)
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            runs.append(time.perf_counter() - start)
            cpu.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
        print(f"README figure (python3 started, imports, 500 x 500 grid, locus, PNG written): best {min(runs):.3f} s "
              f"wall, {min(cpu):.3f} s processor time")


if __name__ == "__main__":
    main()
