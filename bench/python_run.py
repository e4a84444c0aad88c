#!/usr/bin/env python3
"""The Python module's run against wrnsim-lab's, on the same settings: the figures the README
quotes. Not a test: run it by hand on a quiet machine.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_run.py build/wrnsim-lab \\
        /work/shared/topologies/NSFNET.con

Each side runs --repeat times, alternating; the medians are printed: wall-clock seconds of the
whole call (the lab's process start and JSON included, Python's conversion to objects
included) and the run's own seconds as its record gives them.
"""

import argparse
import json
import statistics
import subprocess
import time

import wrnsim


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("lab", help="the wrnsim-lab binary")
    parser.add_argument("topology", help="the network, e.g. NSFNET.con")
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--calls", type=int, default=5000)
    arguments = parser.parse_args()
    settings = {"lambdas": 16, "load": 0.5, "calls": arguments.calls, "path_policy": 1}
    words = [arguments.lab, "run", "--topology", arguments.topology, "--all-pairs",
             "--load", "0.5", "--lambdas", "16", "--calls", str(arguments.calls),
             "--policy", "1", "--json", "--quiet"]
    network = wrnsim.Network.load(arguments.topology)
    lab_wall, lab_run, py_wall, py_run = [], [], [], []
    for _ in range(arguments.repeat):
        start = time.perf_counter()
        done = subprocess.run(words, capture_output=True, text=True, check=True)
        lab_wall.append(time.perf_counter() - start)
        lab_record = json.loads(done.stdout)
        lab_run.append(lab_record["run_seconds"])
        start = time.perf_counter()
        result = wrnsim.run(network, all_pairs=True, **settings)
        py_wall.append(time.perf_counter() - start)
        py_run.append(result.run_seconds)
        assert result.calls.offered == lab_record["calls"]["offered"]
        assert result.calls.blocked == lab_record["calls"]["blocked"]
    print(f"{network.path}: {network.node_count} nodes, {result.sources} pairs, "
          f"{result.calls.offered} calls offered, blocking {result.blocking_probability:.6f}")
    print(f"median of {arguments.repeat}      wall s    run s")
    print(f"wrnsim-lab run        {statistics.median(lab_wall):7.3f}  {statistics.median(lab_run):7.3f}")
    print(f"wrnsim.run            {statistics.median(py_wall):7.3f}  {statistics.median(py_run):7.3f}")
    ratio = statistics.median(py_wall) / statistics.median(lab_wall)
    print(f"wrnsim.run / lab      {ratio:7.3f}")


if __name__ == "__main__":
    main()
