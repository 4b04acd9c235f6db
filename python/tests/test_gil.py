"""A sweep releases the GIL: another Python thread keeps running while it computes."""

import threading
import time

import numpy as np

from zavolt import aperture, modes, profile


def spin(finished, since):
    """Counts turns of a Python loop until finished() and finds its longest pause since `since`
    (a time.perf_counter() value), the wait before its first turn included."""
    turns = 0
    longest = 0.0
    last = since
    while not finished():
        turns += 1
        now = time.perf_counter()
        longest = max(longest, now - last)
        last = now
    return turns, max(longest, time.perf_counter() - last)


def assert_runs_beside_another_thread(run):
    """run() on a worker thread, this thread spinning meanwhile: it must keep a share of its rate."""

    # The loop alone, for comparison.
    begin = time.perf_counter()
    idle_turns, _ = spin(lambda: time.perf_counter() - begin > 0.3, begin)
    idle_rate = idle_turns / (time.perf_counter() - begin)

    done = threading.Event()
    spans = {}

    def sweep():
        start = time.perf_counter()
        run()
        spans["sweep"] = time.perf_counter() - start
        done.set()

    worker = threading.Thread(target=sweep)
    begin = time.perf_counter()
    worker.start()
    turns, longest = spin(done.is_set, begin)
    worker.join()
    duration = spans["sweep"]
    share = turns / duration / idle_rate
    print(f"{run.__name__} {duration:.3f} s; meanwhile the other thread ran {turns} turns, {share:.0%} of its rate alone, "
          f"its longest pause {longest * 1e3:.1f} ms")
    # Holding the GIL, the sweep would stop this loop for its whole duration. Released, the loop
    # pauses only for the interpreter's switch interval (5 ms) and the machine's other load.
    assert duration > 0.05
    assert longest < 0.5 * duration
    assert share > 0.1


def test_a_mode_matching_sweep_does_not_stop_another_python_thread():
    horn = profile.generate(0.015425, 0.047621, 10.7e9, 12.75e9)
    solver = modes.Solver(horn)
    frequencies = np.linspace(10.7e9, 12.75e9, 64)
    solver.sweep(frequencies[:1], jobs=1)  # warm up

    def mode_matching():
        solver.sweep(frequencies, jobs=1)

    assert_runs_beside_another_thread(mode_matching)


def test_an_aperture_sweep_does_not_stop_another_python_thread():
    horn = aperture.Horn(0.4, 4.0)  # 27 to 40 wavelengths: a few ms a frequency
    frequencies = np.linspace(20e9, 30e9, 80)

    def aperture_sweep():
        aperture.sweep(horn, frequencies, [3.0, 10.0, 20.0, 30.0], 1.0)

    assert_runs_beside_another_thread(aperture_sweep)
