"""wrnsim.Env: a run answered one path decision at a time, with Gymnasium's calls."""

import operator

from . import _arguments as _args
from ._core import _Env
from ._records import RunResult

_MAX_SEED = 2**64 - 1


class Env(_Env):
    # The docstring is set in __init__.py, beside run's, whose settings it shares.

    def __init__(
        self,
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
        wavelength_policy=None,
        interval=None,
        holding=None,
        mean_holding=None,
        calls=None,
        seed=None,
        warmup=None,
        max_calls=None,
        reward=None,
    ):
        wavelength_object = _args.python_policy("wavelength", "wavelength_policy",
                                                wavelength_policy)
        arguments = dict(locals())
        if wavelength_object is not None:
            del arguments["wavelength_policy"]
        words = _args.option_words(arguments, _args.RUN_OPTIONS)
        if pairs is not None:
            words += _args.pair_words(pairs)
        if max_calls is not None:
            max_calls = int(_args.whole("max_calls", max_calls))
            if max_calls < 1:
                raise ValueError(f"max_calls must be 1 or more, not {max_calls}")
        if reward is not None and not callable(reward):
            raise TypeError(f"reward must be callable(info) -> float, not {type(reward).__name__!r}")
        super().__init__(_args.network(network), words, max_calls or 0, reward, wavelength_object)
        _args.warn(self._notes)

    def reset(self, *, seed=None, options=None):
        """Drops the episode in progress, if any, and starts the next, up to its first
        decision.

        seed (int, 0 to 2**64-1): the seed of the episode's generated traffic; the same
          seed gives the same episode. Without it, the first episode takes the seed given
          to the environment (or the lab's default) and each later one the seed before
          it plus one. Traffic from call files alone is the same in every episode.
        options (None or an empty dict): there are no options.

        Returns (observation, info): the first decision (all zeros if the traffic asks
        for none), and the call waiting (tick, origin, destination, counted).

        Raises RuntimeError when the wavelength policy cannot be made or throws before the
        first decision.
        """
        if seed is not None:
            _args.whole("seed", seed)
            seed = operator.index(seed)
            if not 0 <= seed <= _MAX_SEED:
                raise ValueError(f"seed must be 0 to 2**64-1, not {seed}")
        if options:
            raise ValueError(f"reset takes no options, not {sorted(options)!r}")
        return self._start(seed)

    def result(self):
        """The RunResult of the episode, as wrnsim.run gives it for the same settings and
        seed with a path policy answering as the agent did (its path_policy is 'agent');
        None unless the episode ran to its end (terminated).
        """
        record = self._record()
        return None if record is None else RunResult(record)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


Env.__module__ = "wrnsim"
