#!/usr/bin/env python3
"""Calls per second of wrnsim.run with a path policy written in Python: the figures the README
quotes. Not a test: run it by hand on a quiet machine.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_policy.py examples/NSFNET.con

Times three runs of the same settings and seed, best of --repeat each: built-in policy 1
inside the run, policy 1 written again in Python (random.draw() and settings.paths, as
examples/policies/random_path.cpp), and a Python path policy that reads the view's arrays
(the candidate whose busiest hop has the most free wavelengths), so that the cost of a call
into Python and of reading the view both show.
"""

import argparse
import time

import numpy as np
import wrnsim


class RandomPath:
    def start(self, settings):
        self.asked = settings.paths

    def choose_path(self, call, view, random):
        count = len(view.paths)
        if count == 0:
            return -1
        modulus = self.asked if 1 <= self.asked <= count else count
        return random.draw() % modulus


class LeastBusy:
    def choose_path(self, call, view, random):
        paths = view.paths
        if not paths:
            return -1
        free = (view.free_fibres[view.fibre_rows] > 0).sum(axis=1)
        return int(np.argmax([free[path.links].min() for path in paths]))


def timed(network, calls, repeat, policy):
    best = None
    for _ in range(repeat):
        began = time.perf_counter()
        result = wrnsim.run(network, all_pairs=True, load=0.5, lambdas=16, calls=calls, seed=1,
                            path_policy=policy)
        seconds = time.perf_counter() - began
        best = seconds if best is None else min(best, seconds)
    return result, best


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("topology", help="the network, e.g. NSFNET.con")
    parser.add_argument("--calls", type=int, default=2000, help="calls per pair")
    parser.add_argument("--repeat", type=int, default=3)
    arguments = parser.parse_args()
    network = wrnsim.Network.load(arguments.topology)
    print(f"{arguments.topology}: 16 wavelengths, all pairs at 0.5 Erlang, "
          f"{arguments.calls} calls per pair; best of {arguments.repeat}, wall time of wrnsim.run")
    for name, policy in (("policy 1, built in", 1), ("policy 1 in Python", RandomPath()),
                         ("least busy, numpy", LeastBusy())):
        result, seconds = timed(network, arguments.calls, arguments.repeat, policy)
        calls = result.calls.offered
        print(f"{name:20} {calls / seconds:10.0f} calls/s ({seconds:.3f} s, "
              f"{seconds / calls * 1e6:.2f} us a call, {calls} calls, blocking "
              f"{result.blocking_probability:.6f})")


if __name__ == "__main__":
    main()
