"""wrnsim: connection set-up in wavelength-routed optical networks, from Python.

Load a network, run it or sweep it, and get the numbers wrnsim-lab gives for the same
settings and seed, as objects (and pandas tables):

    >>> import wrnsim
    >>> net = wrnsim.Network.load("examples/NSFNET.con")
    >>> result = wrnsim.run(net, all_pairs=True, load=0.5, lambdas=16, calls=500)
    >>> result.blocking_probability, result.calls.blocked_by_cause.no_wavelength
    >>> curve = wrnsim.sweep(net, loads=[0.3, 0.6], policies=[1, 3], seeds=3)
    >>> [(p.policy, p.load, p.blocking_mean, p.ci95_low, p.ci95_high) for p in curve.points]

What this module offers is a contract, versioned with the project (__version__): the
names in __all__, with the arguments, defaults and exceptions their docstrings state.
"""

from . import _arguments as _args
from ._core import Link, Network, Node, __version__
from ._core import Blocked, CandidatePath, PolicyCall, PolicyRandom, PolicySettings, PolicyView
from ._core import _run, _run_defaults, _sweep, _sweep_defaults
from ._env import Env
from ._records import (
    AssignmentCauses,
    CandidateSummary,
    Calls,
    Causes,
    LinkResult,
    PairResult,
    Plugin,
    Provenance,
    Record,
    RunResult,
    RunTables,
    Settings,
    SweepPoint,
    SweepResult,
    SweepRun,
    SweepTables,
    Traffic,
)

__all__ = [
    "__version__",
    "Network",
    "Node",
    "Link",
    "run",
    "sweep",
    "Env",
    "Blocked",
    "PolicyCall",
    "PolicyView",
    "CandidatePath",
    "PolicyRandom",
    "PolicySettings",
    "RunResult",
    "RunTables",
    "SweepResult",
    "SweepTables",
    "SweepPoint",
    "SweepRun",
    "Record",
    "Settings",
    "Traffic",
    "Calls",
    "Causes",
    "AssignmentCauses",
    "CandidateSummary",
    "PairResult",
    "LinkResult",
    "Plugin",
    "Provenance",
]

for _class in (
    Network, Node, Link, Blocked, CandidatePath, PolicyCall, PolicyRandom, PolicySettings,
    PolicyView,
):
    _class.__module__ = __name__

def run(
    network,
    *,
    all_pairs=False,
    load=None,
    traffic=None,
    pairs=None,
    lambdas=None,
    fibres=None,
    paths=None,
    max_shared=None,
    routing=None,
    path_policy=None,
    wavelength_policy=None,
    interval=None,
    holding=None,
    mean_holding=None,
    calls=None,
    seed=None,
    warmup=None,
):
    path_object = _args.python_policy("path", "path_policy", path_policy)
    wavelength_object = _args.python_policy("wavelength", "wavelength_policy", wavelength_policy)
    arguments = dict(locals())
    if wavelength_object is not None:
        del arguments["wavelength_policy"]
    words = _args.option_words(arguments, _args.RUN_OPTIONS)
    if path_policy is not None and path_object is None:
        words.append(_args.path_policy_word("path_policy", path_policy))
    if pairs is not None:
        words += _args.pair_words(pairs)
    record, notes = _run(_args.network(network), words, path_object, wavelength_object)
    _args.warn(notes)
    return RunResult(record)


def sweep(
    network,
    *,
    loads,
    policies=None,
    wavelength_policies=None,
    intervals=None,
    seeds=None,
    first_seed=None,
    target_ci=None,
    min_seeds=None,
    max_seeds=None,
    traffic=None,
    lambdas=None,
    fibres=None,
    paths=None,
    max_shared=None,
    routing=None,
    holding=None,
    mean_holding=None,
    calls=None,
    warmup=None,
    threads=None,
):
    words = _args.option_words(locals(), _SWEEP_OPTIONS)
    points, runs, settings, notes = _sweep(_args.network(network), words)
    _args.warn(notes)
    return SweepResult({"points": points, "runs": runs, "settings": settings})


_SWEEP_OPTIONS = {
    **_args.NETWORK_OPTIONS,
    "loads": ("--loads", lambda name, values: _args.listed(name, values, _args.real)),
    "policies": ("--policies", lambda name, values: _args.listed(name, values, _args.policy)),
    "wavelength_policies": (
        "--wavelength-policies",
        lambda name, values: _args.listed(name, values, _args.policy),
    ),
    "intervals": ("--intervals", lambda name, values: _args.listed(name, values, _args.whole)),
    "seeds": ("--seeds", _args.whole),
    "first_seed": ("--first-seed", _args.whole),
    "target_ci": ("--target-ci", _args.real),
    "min_seeds": ("--min-seeds", _args.whole),
    "max_seeds": ("--max-seeds", _args.whole),
    "traffic": ("--traffic", _args.path),
    **_args.TRAFFIC_OPTIONS,
    "threads": ("--threads", _args.whole),
}

_COMMON_DOC = """\
    Network settings:
      lambdas (int): wavelengths per fibre, 1 to {max_lambdas} (default {lambdas}).
      fibres (int): fibres per link (default {fibres}).
      paths (int): candidate paths per pair (default {paths}).
      max_shared (int): most links two candidate paths may share (default {max_shared}).
      routing (str): how candidate paths are found: 'console' (the console's search),
        'k-shortest', or 'paths:FILE' (default {routing!r}).
    Generated traffic:
      holding (str): holding time distribution: 'exp', 'fixed' or 'uniform'
        (default {holding!r}).
      mean_holding (float): mean holding time in ticks (default {mean_holding}).
      calls (int): calls per pair (default {calls}).
      warmup (int): calls started before this tick, and the ticks before it, are left out
        of the counts (default {warmup}).
"""

_RAISES_DOC = """\
    Raises:
      TypeError: an argument of the wrong type (named in the message), an unknown
        keyword argument, or a missing required one.
      FileNotFoundError: a file named by the arguments (call file, traffic file, paths
        file) does not exist; the message is wrnsim-lab's.
      ValueError: a setting wrnsim-lab refuses (out of range, given twice, settings that
        cannot go together, a bad pair, a plug-in that cannot be loaded, a run that
        cannot fit this machine's memory), with wrnsim-lab's message.
      RuntimeError: a plug-in policy threw, or a Python policy kept the view or its
        arrays past its call.
      Any exception a Python policy raises, as it raised it; TypeError for its answer of
        the wrong type.
"""

run.__doc__ = (
    """Runs one experiment, as `wrnsim-lab run`, and returns its RunResult.

    The C++ run does not hold the GIL. Every argument but the network is keyword-only;
    None (the default) stands for wrnsim-lab's default, given in parentheses.

    network (Network, or a topology file's path, loaded with Network.load).
    Traffic, one of:
      all_pairs (bool): generated calls on every ordered pair of distinct nodes, at
        `load` Erlang per pair (needs load).
      traffic (path): generated calls on the pairs of a CSV of origin,destination,load
        (Erlang); with `load`, scaled to that mean load per pair.
      pairs (list of (origin, destination, call_file)): sources reading their calls from
        call files; may be given with the others.
      load (float): offered load per pair in Erlang.
      seed (int): seed of the generated traffic, 0 to 2**64-1 (default {seed}); only with
        all_pairs or traffic.
    Policies:
      path_policy (int, str or object): 1 to 4 or a built-in's name ('random', 'rotating',
        'least-loaded-rotating', 'least-loaded-first'), 'FILE.so:NAME' of a plug-in, or a
        Python object with choose_path(call, view, random) -> int (default {path_policy}).
      wavelength_policy (str or object): 'most-free' (the built-in rule), 'FILE.so:NAME',
        or a Python object with assign(call, view, path, random) (default
        {wavelength_policy!r}).
      A Python policy may have start(settings), called before each run's first call; its
        view is valid only during the call (see PolicyView and the README's "Policies
        written in Python"); the record names it 'python:CLASS'.
      interval (int): ticks between refreshes of a pair's view of the network
        (default {interval}).
"""
    + _COMMON_DOC
    + """
    Returns:
      RunResult: the numbers of `wrnsim-lab run --json`, under its names.

    Notes the lab prints on standard error (every path of a pair taken from a paths
    file, policy errors) come as RuntimeWarning.

"""
    + _RAISES_DOC
).format(**_run_defaults())

sweep.__doc__ = (
    """Runs a grid of loads x path policies x wavelength policies x intervals x seeds, as
    `wrnsim-lab sweep`, on all cores (or `threads`), each run with generated traffic on
    every ordered pair; returns a SweepResult with the points and their 95% intervals.

    The C++ runs do not hold the GIL. Every argument but the network is keyword-only;
    None stands for wrnsim-lab's default, given in parentheses.

    network (Network, or a topology file's path).
    loads (list of float): offered loads per pair in Erlang; required.
    policies (list of int or str): path policies, as path_policy of run but for Python
      objects, which raise TypeError (the runs go in parallel: use run per point)
      (default {policies}).
    wavelength_policies (list of str): as wavelength_policy of run
      (default {wavelength_policies}).
    intervals (list of int): update intervals (default {intervals}).
    seeds (int): seeds per point (default {seeds}).
    first_seed (int): the first seed (default {first_seed}).
    target_ci (float): add seeds to each point until its 95% interval's half-width is at
      most this times its mean, above 0 and below 1 (default: off; not with seeds).
    min_seeds, max_seeds (int): seeds per point before target_ci judges, and the most it
      adds to (defaults {min_seeds} and {max_seeds}; only with target_ci).
    traffic (path): a CSV of origin,destination,load whose pattern each point scales to a
      mean of its load per pair.
    threads (int): threads to run on (default: all cores).
"""
    + _COMMON_DOC
    + """
    Returns:
      SweepResult: the numbers of the CSV (--csv) and runs CSV (--runs-csv) of
      `wrnsim-lab sweep`, under the names of their columns.

    Points that missed target_ci come as RuntimeWarning.

"""
    + _RAISES_DOC
).format(**_sweep_defaults())

Env.__doc__ = (
    """A run whose path decisions an agent takes one at a time, with Gymnasium's calls
    (reset, step) and without needing Gymnasium; wrnsim.gym.make gives a gymnasium.Env.

        env = wrnsim.Env(net, all_pairs=True, load=0.5, lambdas=16, calls=1000, seed=1)
        observation, info = env.reset()
        done = False
        while not done:
            action = agent(observation)            # a candidate's position
            observation, reward, terminated, truncated, info = env.step(action)
            done = terminated or truncated
        env.result()                               # the RunResult, when terminated

    Each step is one starting call's decision: the agent chooses one of the pair's
    candidate paths, on the pair's (possibly stale) view, and the wavelength policy
    assigns the wavelengths. A call whose pair has no candidate path is blocked
    ('without_path') without a step. Warm-up calls are decisions too (info['counted']).
    An episode with the agent always answering as a path policy would is that run:
    the same calls, the same counts.

    The settings are wrnsim.run's, with its defaults and refusals, but for the path
    policy (the agent is the path policy). Every argument but the network is
    keyword-only; None stands for wrnsim-lab's default, given in parentheses.

    network (Network, or a topology file's path).
    Traffic, one of: all_pairs (bool), traffic (path), pairs (list of (origin,
      destination, call_file)), with load (float), as for run.
    seed (int): the seed of the first episode's generated traffic (default {seed}); see
      reset.
    wavelength_policy (str or object): 'most-free' (the built-in rule), 'FILE.so:NAME', or
      a Python object with assign(call, view, path, random), as for run
      (default {wavelength_policy!r}).
    interval (int): ticks between refreshes of a pair's view of the network
      (default {interval}).
"""
    + _COMMON_DOC
    + """    max_calls (int): an episode is truncated after this many steps (default: it
      runs until its traffic ends, then is terminated).
    reward (callable(info) -> float): the reward of a step from its info (default: 1.0
      for a carried call, 0.0 for a blocked one). What it raises comes out of step, whose
      observation and reward are then lost; the call stays answered.

    The observation is a numpy float32 array of fixed length, a new one each step
    (observation_names names each entry; observation_bounds gives its bounds):
      origin[n], destination[n]: the pair, one-hot over the network's nodes.
      view_age: ticks since the pair's view was refreshed (0 to interval).
      then for each candidate slot p, 0 to paths - 1, in the routing's order:
        path[p].present: 1 when the pair has a candidate p, else the slot is all zeros.
        path[p].hops: its hop count.
        path[p].free_end_to_end: wavelengths with a free fibre on every hop, as the
          view shows them (what a call can take without a regenerator).
        path[p].least_free_wavelengths: the fewest wavelengths with a free fibre on
          any one hop (with regenerators a call needs only one free per hop).
        path[p].least_free_fibres: the fewest free fibres, all wavelengths summed, on
          any one hop.
        path[p].least_free_regenerators: the fewest free regenerators on any one hop.
      A hop on a link the network does not hold leaves the slot's free counts at 0.

    The run goes on in a thread of its own, without the GIL, only inside reset and
    step. An environment is used from one thread at a time (another thread's call
    raises RuntimeError). close() (or leaving a with block) drops the episode.

"""
    + _RAISES_DOC
).format(**_run_defaults())
