#!/usr/bin/env python3
"""Steps per second of wrnsim.Env with a trivial agent (always candidate 0): the figures the
README quotes. Not a test: run it by hand on a quiet machine, pinned and not.

    PYTHONPATH=build/python taskset -c 0 /usr/bin/python3 bench/python_env.py \\
        /work/shared/topologies/NSFNET.con

Prints the best of --repeat episodes of the same seed, beside the cost of a call in the same
run with the path policy inside it, so that the hand-over's and Python's share shows.
"""

import argparse
import time

import wrnsim


def episode(env, seed):
    env.reset(seed=seed)
    step = env.step
    steps = 0
    began = time.perf_counter()
    while True:
        observation, reward, terminated, truncated, info = step(0)
        steps += 1
        if terminated or truncated:
            break
    return steps, time.perf_counter() - began


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("topology", help="the network, e.g. NSFNET.con")
    parser.add_argument("--calls", type=int, default=2000, help="calls per pair")
    parser.add_argument("--repeat", type=int, default=3)
    arguments = parser.parse_args()
    env = wrnsim.Env(arguments.topology, all_pairs=True, load=0.5, lambdas=16,
                     calls=arguments.calls)
    best = None
    for _ in range(arguments.repeat):
        steps, seconds = episode(env, seed=1)
        best = seconds if best is None else min(best, seconds)
    result = env.result()
    print(f"{arguments.topology}: 16 wavelengths, all pairs at 0.5 Erlang, "
          f"{arguments.calls} calls per pair; {steps} steps, blocking "
          f"{result.blocking_probability:.6f}; best of {arguments.repeat}")
    print(f"env.step, agent 0: {steps / best:10.0f} steps/s ({best:.3f} s, "
          f"{best / steps * 1e6:.2f} us a step)")
    run = wrnsim.run(arguments.topology, all_pairs=True, load=0.5, lambdas=16,
                     calls=arguments.calls, seed=1)
    print(f"wrnsim.run, policy 1 inside the run: {run.run_seconds / steps * 1e6:.2f} us a call")


if __name__ == "__main__":
    main()
