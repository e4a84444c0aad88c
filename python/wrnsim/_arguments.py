"""Python arguments turned into wrnsim-lab's words, each checked for its type here.

The lab checks the values (ranges, repeats, what goes together) with its own messages, so
that a refusal reads the same from Python as from the command line.
"""

import math
import numbers
import operator
import os


def _kind(value):
    return type(value).__name__


def whole(name, value):
    """An int (or anything with __index__), not a bool, as its decimal digits."""
    if isinstance(value, bool) or not hasattr(value, "__index__"):
        raise TypeError(f"{name} must be a whole number (int), not {_kind(value)!r}")
    return str(operator.index(value))


def real(name, value):
    """A real number, not a bool, as digits that read back as the same double."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} must be a number (int or float), not {_kind(value)!r}")
    number = float(value)
    return repr(number) if math.isfinite(number) else str(number)


def text(name, value):
    if not isinstance(value, str):
        raise TypeError(f"{name} must be a str, not {_kind(value)!r}")
    return value


def path(name, value):
    """A str or os.PathLike of str."""
    if isinstance(value, str) or hasattr(value, "__fspath__"):
        value = os.fspath(value)
        if isinstance(value, str):
            return value
    raise TypeError(f"{name} must be a path (str or os.PathLike), not {_kind(value)!r}")


_METHODS = {"path": "choose_path", "wavelength": "assign"}


def python_policy(kind, name, value):
    """`value` when it is a Python policy of `kind` ('path' or 'wavelength'): an object with
    its method; None for what the lab names (a str or a number)."""
    if value is None or isinstance(value, (str, bool)) or hasattr(value, "__index__"):
        return None
    method = _METHODS[kind]
    if isinstance(value, type) and callable(getattr(value, method, None)):
        raise TypeError(f"{name} must be a policy object, not the class {value.__qualname__!r}: "
                        f"give {value.__qualname__}()")
    if not callable(getattr(value, method, None)):
        other = [m for m in _METHODS.values() if m != method and callable(getattr(value, m, None))]
        hint = f" (it has {other[0]}: is it for the other keyword?)" if other else ""
        raise TypeError(
            f"{name} must be a built-in policy's number or name, 'FILE.so:NAME', or an object "
            f"with a {method} method, not {_kind(value)!r}{hint}"
        )
    return value


def policy(name, value):
    """A policy as the lab names it: a built-in's number or name, or 'FILE.so:NAME'."""
    if isinstance(value, str):
        return value
    if not isinstance(value, bool) and hasattr(value, "__index__"):
        return str(operator.index(value))
    if any(callable(getattr(value, m, None)) for m in _METHODS.values()):
        raise TypeError(
            f"{name} is a Python policy: sweeps run their runs in parallel, which Python "
            f"objects cannot decide for; call wrnsim.run for each point instead"
        )
    raise TypeError(
        f"{name} must be a built-in policy's number or name, or 'FILE.so:NAME', "
        f"not {_kind(value)!r}"
    )


def path_policy_word(name, value):
    """The lab's --policy for a built-in's number, --path-policy for a name."""
    word = policy(name, value)
    return f"--path-policy={word}" if isinstance(value, str) else f"--policy={word}"


def listed(name, values, each):
    """A list (or other iterable, not a str) of values, joined by commas as the lab takes them."""
    if isinstance(values, (str, bytes)) or not hasattr(values, "__iter__"):
        raise TypeError(f"{name} must be a list, not {_kind(values)!r}")
    words = [each(f"{name}[{i}]", value) for i, value in enumerate(values)]
    for i, word in enumerate(words):
        # The lab splits its lists at commas.
        if "," in word:
            raise ValueError(f"{name}[{i}] {word!r} holds a comma: give each value as an item")
    return ",".join(words)


def pair_words(pairs):
    """--pair ORIGIN DESTINATION CALLFILE for each (origin, destination, call_file)."""
    if isinstance(pairs, (str, bytes)) or not hasattr(pairs, "__iter__"):
        raise TypeError(
            f"pairs must be a list of (origin, destination, call_file), not {_kind(pairs)!r}"
        )
    words = []
    for i, pair in enumerate(pairs):
        if isinstance(pair, (str, bytes)) or not hasattr(pair, "__len__") or len(pair) != 3:
            raise TypeError(
                f"pairs[{i}] must be (origin, destination, call_file), not {pair!r}"
            )
        origin, destination, calls = pair
        words += [
            "--pair",
            whole(f"pairs[{i}] origin", origin),
            whole(f"pairs[{i}] destination", destination),
            path(f"pairs[{i}] call_file", calls),
        ]
    return words


def option_words(arguments, options):
    """The words of the arguments given (not None), by `options`: name -> (option, check).

    A value goes with its option in one word (--load=0.5), so that a value that starts with
    '-' is not taken for an option.
    """
    words = []
    for name, (option, check) in options.items():
        value = arguments.get(name)
        if value is None:
            continue
        if check is flag:
            if not isinstance(value, bool):
                raise TypeError(f"{name} must be True or False, not {_kind(value)!r}")
            if value:
                words.append(option)
            continue
        words.append(f"{option}={check(name, value)}")
    return words


def flag(name, value):
    """Marks an option that takes no value: given when True."""
    raise AssertionError(name, value)


def network(value):
    """A wrnsim.Network, or a topology file's path loaded with Network.load."""
    from ._core import Network

    if isinstance(value, Network):
        return value
    if isinstance(value, str) or hasattr(value, "__fspath__"):
        return Network.load(value)
    raise TypeError(
        f"network must be a wrnsim.Network or a topology file's path, not {_kind(value)!r}"
    )


def warn(notes):
    """Each line the lab wrote on its standard error, as a RuntimeWarning at the caller's
    caller."""
    import warnings

    for line in notes.splitlines():
        if line.strip():
            warnings.warn(line, RuntimeWarning, stacklevel=3)


# The options run and sweep share: Python name -> (the lab's option, the type it takes).
NETWORK_OPTIONS = {
    "lambdas": ("--lambdas", whole),
    "fibres": ("--fibres", whole),
    "paths": ("--paths", whole),
    "max_shared": ("--max-shared", whole),
    "routing": ("--routing", text),
}
TRAFFIC_OPTIONS = {
    "holding": ("--holding", text),
    "mean_holding": ("--mean-holding", real),
    "calls": ("--calls", whole),
    "warmup": ("--warmup", whole),
}
# run's, but the path policy (which takes two options): wrnsim.Env takes the same.
RUN_OPTIONS = {
    **NETWORK_OPTIONS,
    "wavelength_policy": ("--wavelength-policy", policy),
    "interval": ("--interval", whole),
    "all_pairs": ("--all-pairs", flag),
    "traffic": ("--traffic", path),
    "load": ("--load", real),
    **TRAFFIC_OPTIONS,
    "seed": ("--seed", whole),
}
