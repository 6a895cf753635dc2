"""Work runs without Python's lock: Ctrl+C interrupts it and leaves nothing
running, distinct surfaces compute in parallel threads, and one surface used
by several threads gives each the right values."""

import _thread
import os
import threading

import numpy as np
import pytest

import velmora4


def os_threads():
    return len(os.listdir("/proc/self/task"))


def interrupt_soon(seconds=0.3):
    """Ctrl+C for the main thread after a while (as the terminal's SIGINT)."""
    timer = threading.Timer(seconds, _thread.interrupt_main)
    timer.start()
    return timer


@pytest.mark.parametrize("work", [
    lambda s: s.invariants(np.linspace(0, 6, 1500)[:, None], np.linspace(0, 2.2, 1500)),
    lambda s: s.background_rgb(3, 3000),
])
def test_ctrl_c_interrupts_a_long_call_and_nothing_is_left_running(work):
    s = velmora4.Surface()
    before = os_threads()
    timer = interrupt_soon()
    with pytest.raises(KeyboardInterrupt):
        work(s)
        timer.join()  # finished before the interruption: wait for it here instead
    timer.join()
    assert os_threads() <= before
    # The surface computes as before.
    assert np.array_equal(s.invariants(1.0, 1.0)["K"], velmora4.Surface().invariants(1.0, 1.0)["K"])


def test_distinct_surfaces_compute_in_parallel_threads():
    family = [velmora4.Surface(z=f"(1-0.4 cos(v)) cos(2u) + {a} sen(2u) sen(v)") for a in ("0.2", "0.5", "0.8")]
    u, v = np.meshgrid(np.linspace(0, 6.2, 150), np.linspace(0, 2.2, 100))
    serial = [s.invariants(u, v) for s in family]
    results = [None] * len(family)

    def work(i):
        results[i] = family[i].invariants(u, v)

    threads = [threading.Thread(target=work, args=(i,)) for i in range(len(family))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for got, expected in zip(results, serial):
        for key in expected:
            assert np.array_equal(got[key], expected[key], equal_nan=True)
    # The family's members differ (each thread used its own surface).
    assert not np.array_equal(serial[0]["K"], serial[2]["K"])


def test_one_surface_used_by_several_threads_serves_each_call():
    s = velmora4.Surface()
    grids = [np.linspace(0.1, 6.0, 3000) + k * 0.01 for k in range(4)]
    expected = [s.invariants(g, 1.0)["K"] for g in grids]
    results = [None] * 4
    errors = []

    def work(k):
        try:
            for _ in range(3):
                results[k] = s.invariants(grids[k], 1.0)["K"]
                s.locus(0) if k == 0 else s.directions(1, grids[k][:100], 1.0)
        except Exception as e:  # pragma: no cover - reported below
            errors.append(e)

    threads = [threading.Thread(target=work, args=(k,)) for k in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == []
    for got, want in zip(results, expected):
        assert np.array_equal(got, want, equal_nan=True)


def test_reading_a_surface_while_another_thread_computes_with_it():
    # The reader waits for the computation without holding Python's lock,
    # which the computation takes to look for Ctrl+C.
    s = velmora4.Surface()
    grid = np.linspace(0.1, 6.0, 400)[:, None]
    worker = threading.Thread(target=lambda: s.invariants(grid, np.linspace(0.1, 2.1, 400)))
    worker.start()
    for _ in range(50):
        assert s.domain[1] > 6 and s.texts["u"] == ("0", "2 pi") and repr(s).startswith("velmora4.Surface(")
    worker.join()
