"""Results as objects: each wraps the lab's record (or rows) under the lab's names."""

import copy
from collections.abc import Mapping
from typing import NamedTuple


class _Field:
    """An attribute read from the record's field of the same name (None when absent)."""

    def __init__(self, doc, wrap=None, key=None):
        self.__doc__ = doc
        self._wrap = wrap
        self._key = key

    def __set_name__(self, owner, name):
        self.name = name
        if self._key is None:
            self._key = name
        owner._fields = owner._fields + (self._key,)

    def __get__(self, record, owner=None):
        if record is None:
            return self
        value = record._data.get(self._key)
        if value is not None and self._wrap is not None:
            value = self._wrap(value)
            # Kept, so that a list of rows is made once.
            record.__dict__[self.name] = value
        return value


def _listOf(kind):
    return lambda values: [kind(value) for value in values]


class Record(Mapping):
    """A part of a result: its fields as attributes, and read-only dict access to the same
    fields as the lab writes them (record["pairs"] is the list of plain dicts)."""

    _fields = ()

    def __init__(self, data):
        self._data = data

    def __getitem__(self, key):
        return self._data[key]

    def __iter__(self):
        return iter(self._data)

    def __len__(self):
        return len(self._data)

    def to_dict(self):
        """A deep copy of the fields as plain dicts, lists, numbers and strings (as JSON)."""
        return copy.deepcopy(self._data)

    def __repr__(self):
        def brief(value):
            # Long lists (pairs, links, points) would bury the totals.
            return f"[{len(value)} items]" if isinstance(value, list) else repr(value)

        shown = ", ".join(
            f"{name}={brief(self._data[name])}"
            for name in self._fields
            if name in self._data and not isinstance(self._data[name], dict)
        )
        return f"{type(self).__name__}({shown})"


class Causes(Record):
    """Calls blocked, by cause (the lab's blocked_by_cause); each blocked call has one,
    except update_error_hops, which counts hops."""

    no_wavelength = _Field("Type 0: no wavelength free on a hop.")
    no_regenerator = _Field("Type 1: a change of wavelength was needed where no regenerator was free.")
    no_wavelength_no_regenerator = _Field("Type 2: no wavelength and no regenerator.")
    no_wavelength_with_regenerator = _Field("Type 3: no wavelength, though a regenerator was free.")
    assignment_without_cause = _Field("Blocked by the assignment without a recorded cause.")
    update_error = _Field("Calls of which the live network refused a hop (type 4).")
    update_error_hops = _Field("The hops refused by the live network.")
    without_path = _Field("Calls of a pair without any candidate path.")
    no_assignment = _Field("A wavelength policy found no assignment and did not say why.")
    policy_error = _Field("A policy's answer failed the run's checks.")


class AssignmentCauses(Record):
    """Blocking events of a link by the assignment's types 0 to 3."""

    no_wavelength = _Field("Type 0: no wavelength.")
    no_regenerator = _Field("Type 1: no regenerator.")
    no_wavelength_no_regenerator = _Field("Type 2: no wavelength, no regenerator.")
    no_wavelength_with_regenerator = _Field("Type 3: no wavelength, a regenerator free.")


class Calls(Record):
    """The run's totals."""

    read = _Field("Calls read or generated, warm-up included.")
    offered = _Field("Calls started from the warm-up on.")
    carried = _Field("Offered calls that held a wavelength on every hop.")
    blocked = _Field("Offered calls that did not get through.")
    blocked_by_cause = _Field("The blocked calls by cause (Causes).", Causes)


class Plugin(Record):
    """A plug-in policy a run used, by the file it was loaded from."""

    kind = _Field("'path' or 'wavelength'.")
    policy = _Field("FILE:NAME as given.")
    name = _Field("The policy's name in its library.")
    file = _Field("The library's file.")
    file_sha256 = _Field("SHA-256 of the library's file.")
    library = _Field("The library's own name.")
    library_version = _Field("The library's own version.")


class Settings(Record):
    """The settings the run was made with."""

    lambdas = _Field("Wavelengths per fibre.")
    fibres = _Field("Fibres per link.")
    paths = _Field("Candidate paths per pair.")
    max_shared = _Field("Most links two candidate paths may share.")
    policy = _Field("The path policy: a built-in's number, or a plug-in's FILE:NAME.")
    path_policy = _Field("The path policy by name.")
    wavelength_policy = _Field("The wavelength policy by name.")
    interval = _Field("Ticks between refreshes of a pair's view of the network.")
    routing = _Field("How candidate paths were found: console, k-shortest or paths:FILE.")
    paths_file_sha256 = _Field("SHA-256 of the paths file; None for a search.")
    plugins = _Field("The plug-in policies used (list of Plugin).", _listOf(Plugin))


class Traffic(Record):
    """Generated traffic: for every pair ('all') or from a traffic file ('matrix')."""

    pairs = _Field("'all' or 'matrix'.")
    calls_per_pair = _Field("Calls per pair ('all').")
    calls_busiest_pair = _Field("Calls of the busiest pair ('matrix').")
    file = _Field("The traffic file ('matrix').")
    file_sha256 = _Field("SHA-256 of the traffic file ('matrix').")
    holding = _Field("Holding time distribution: exp, fixed or uniform.")
    mean_holding = _Field("Mean holding time in ticks.")
    mean_gap = _Field("Mean gap between a pair's calls in ticks ('all').")
    seed = _Field("Seed of the generated traffic.")
    load = _Field("Offered load per pair in Erlang (the mean, for a scaled matrix).")
    measured_load = _Field("Mean over the pairs of the load their calls offer.")


class CandidateSummary(Record):
    """What the candidate search found over the pairs with a source."""

    pairs = _Field("Pairs with a source.")
    fewer_than_asked = _Field("Pairs with fewer distinct paths than asked.")
    search_limited = _Field("Pairs whose search stopped at its limit.")
    without_path = _Field("Pairs without any path.")


class PairResult(Record):
    """One ordered pair's counts."""

    origin = _Field("The origin node's number.")
    destination = _Field("The destination node's number.")
    origin_name = _Field("The origin's name; None where the network names no nodes.")
    destination_name = _Field("The destination's name; None where the network names no nodes.")
    offered = _Field("Calls offered.")
    carried = _Field("Calls carried.")
    blocked = _Field("Calls blocked.")
    blocked_by_cause = _Field("The blocked calls by cause (Causes).", Causes)
    candidate_paths = _Field("Candidate paths the pair had.")
    distinct_candidate_paths = _Field("Distinct candidate paths the pair had.")
    search_limited = _Field("Whether the pair's search stopped at its limit.")


class LinkResult(Record):
    """One directed link's counts. The JSON's 'from' is the attribute from_ (a keyword)."""

    from_ = _Field("The node the link leaves.", key="from")
    to = _Field("The node the link reaches.")
    from_name = _Field("The name of the node it leaves; None without names.")
    to_name = _Field("The name of the node it reaches; None without names.")
    blocking_events = _Field("Blocking events on the link (AssignmentCauses).", AssignmentCauses)
    update_error_hops = _Field("Hops of the link the live network refused.")
    policy_errors = _Field("Policy errors on the link.")
    mean_occupancy = _Field("Mean share of the link's wavelength-fibres in use.")


class Provenance(Record):
    """What made the result."""

    program = _Field("'wrnsim (Python)' for a result made by this module.")
    version = _Field("The project's version (wrnsim.__version__).")
    commit = _Field("The commit the module was built from; None without a checkout.")
    command_line = _Field("The wrnsim-lab command line that makes the same record.")
    made = _Field("When, in UTC.")
    topology_file = _Field("The topology file as given.")
    topology_sha256 = _Field("SHA-256 of the topology file.")
    network_sha256 = _Field("SHA-256 of the network as loaded, whatever its file's format.")


def _pandas(what):
    try:
        import pandas
    except ImportError as error:
        raise ImportError(
            f"{what} needs pandas, which is not installed: pip install pandas "
            "(Debian: apt-get install python3-pandas)"
        ) from error
    return pandas


def _columns(rows, kind):
    """The rows as a table's columns, in the order of `kind`'s fields: a nested count (a
    cause) becomes a column of its own, under its own name, in its place."""
    names = []
    for field in kind._fields:
        nested = getattr(kind, _attribute(kind, field))._wrap
        if isinstance(nested, type) and issubclass(nested, Record):
            names += [(field, inner) for inner in nested._fields]
        else:
            names.append((field, None))
    present = [
        (field, inner)
        for field, inner in names
        if any(field in row and (inner is None or inner in row[field]) for row in rows)
    ]
    return {
        inner or field: [
            (row.get(field) or {}).get(inner) if inner else row.get(field) for row in rows
        ]
        for field, inner in present
    }


def _attribute(kind, key):
    """The attribute of `kind` that reads the field `key` (from_ reads 'from')."""
    for name in dir(kind):
        field = getattr(kind, name, None)
        if isinstance(field, _Field) and field._key == key:
            return name
    raise KeyError(key)


class RunTables(NamedTuple):
    """RunResult.to_pandas(): one DataFrame row per pair and per link."""

    pairs: object
    links: object


class RunResult(Record):
    """The result of wrnsim.run: the numbers `wrnsim-lab run --json` prints for the same
    settings and seed, under the same names. result.to_dict() is that record, which
    `wrnsim-lab collect` and `draw` read when saved as JSON."""

    topology = _Field("The topology file as given.")
    topology_format = _Field("Its format: con, gml, graphml, sndlib, sndlib-xml or csv.")
    nodes = _Field("Nodes of the network.")
    sources = _Field("Call sources (pairs with traffic).")
    settings = _Field("The settings (Settings).", Settings)
    traffic = _Field("The generated traffic (Traffic); None for call files only.", Traffic)
    calls = _Field("Totals: read, offered, carried, blocked, by cause (Calls).", Calls)
    blocking_probability = _Field("Blocked over offered calls; None when none was offered.")
    ticks = _Field("Ticks the run lasted.")
    warmup = _Field("Ticks left out of the counts.")
    counted_ticks = _Field("Ticks from the warm-up to the run's end.")
    candidate_paths = _Field("What the candidate search found (CandidateSummary).", CandidateSummary)
    pairs = _Field("Per ordered pair with a source (list of PairResult).", _listOf(PairResult))
    links = _Field("Per directed link (list of LinkResult).", _listOf(LinkResult))
    run_seconds = _Field("Wall-clock seconds of the run.")
    routing_seconds = _Field("Seconds finding the candidate paths before the run; None when "
                             "the run searched them itself.")
    provenance = _Field("What made the result (Provenance).", Provenance)

    def to_pandas(self):
        """RunTables(pairs, links): two pandas DataFrames, a row per pair and per link, with
        the fields of PairResult and LinkResult as columns; nested counts (blocked_by_cause,
        blocking_events) become columns under their own names (no_wavelength, ...).

        Raises ImportError, saying how to install it, when pandas is not installed."""
        pandas = _pandas("RunResult.to_pandas")
        return RunTables(
            pairs=pandas.DataFrame(_columns(self._data["pairs"], PairResult)),
            links=pandas.DataFrame(_columns(self._data["links"], LinkResult)),
        )


class SweepPoint(Record):
    """A point of a sweep's curve: the runs of one load, policies and interval over their
    seeds, under the names of the columns of `wrnsim-lab sweep`'s CSV."""

    policy = _Field("The path policy: a built-in's number, or a plug-in's FILE:NAME.")
    path_policy = _Field("The path policy by name.")
    wavelength_policy = _Field("The wavelength policy by name.")
    interval = _Field("The update interval.")
    load = _Field("Offered load per pair in Erlang.")
    seeds = _Field("Runs (seeds) of the point.")
    offered = _Field("Calls offered, summed over the seeds.")
    carried = _Field("Calls carried, summed over the seeds.")
    blocking_mean = _Field("Mean blocking probability over the runs that offered calls; None "
                           "when none did.")
    ci95_low = _Field("Low end of the mean's 95% interval (not clipped at 0); None with fewer "
                      "than two such runs.")
    ci95_high = _Field("High end of the mean's 95% interval; None with fewer than two such runs.")
    runs_without_offered = _Field("Runs that offered no call, left out of the mean.")
    share_no_wavelength = _Field("Mean share of offered calls blocked as type 0.")
    share_no_regenerator = _Field("Mean share blocked as type 1.")
    share_no_wavelength_no_regenerator = _Field("Mean share blocked as type 2.")
    share_no_wavelength_with_regenerator = _Field("Mean share blocked as type 3.")
    share_assignment_without_cause = _Field("Mean share blocked by the assignment without cause.")
    share_update_error = _Field("Mean share blocked by update errors.")
    share_without_path = _Field("Mean share blocked without a path.")
    share_no_assignment = _Field("Mean share blocked with no assignment.")
    share_policy_error = _Field("Mean share blocked by policy errors.")


class SweepRun(Record):
    """One seed's run of a sweep point, under the names of the columns of `wrnsim-lab
    sweep --runs-csv`."""

    policy = _Field("The path policy: a built-in's number, or a plug-in's FILE:NAME.")
    path_policy = _Field("The path policy by name.")
    wavelength_policy = _Field("The wavelength policy by name.")
    interval = _Field("The update interval.")
    load = _Field("Offered load per pair in Erlang.")
    seed = _Field("The seed of the run's traffic.")
    offered = _Field("Calls offered.")
    carried = _Field("Calls carried.")
    blocked = _Field("Calls blocked.")
    blocking = _Field("Blocked over offered; None when none was offered.")
    no_wavelength = _Field("Calls blocked as type 0.")
    no_regenerator = _Field("Calls blocked as type 1.")
    no_wavelength_no_regenerator = _Field("Calls blocked as type 2.")
    no_wavelength_with_regenerator = _Field("Calls blocked as type 3.")
    assignment_without_cause = _Field("Calls blocked by the assignment without cause.")
    update_error = _Field("Calls blocked by update errors.")
    update_error_hops = _Field("Hops the live network refused.")
    without_path = _Field("Calls blocked without a path.")
    no_assignment = _Field("Calls blocked with no assignment.")
    policy_error = _Field("Calls blocked by policy errors.")
    run_seconds = _Field("Wall-clock seconds of the run.")
    routing_seconds = _Field("Seconds finding the shared candidate paths; None when the run "
                             "searched its own.")


class SweepTables(NamedTuple):
    """SweepResult.to_pandas(): one DataFrame row per point and per run."""

    points: object
    runs: object


class SweepResult(Record):
    """The result of wrnsim.sweep: the curve's points with their 95% intervals, and every
    run, with the numbers `wrnsim-lab sweep` writes to its CSV (--csv) and runs CSV
    (--runs-csv) for the same settings."""

    points = _Field("The points (list of SweepPoint), by path policy, wavelength policy, "
                    "interval, then load.", _listOf(SweepPoint))
    runs = _Field("Every run (list of SweepRun), loads slowest, seeds fastest.",
                  _listOf(SweepRun))
    settings = _Field("What every run shared: topology, lambdas, fibres, paths, max_shared, "
                      "routing, holding, mean_holding, calls, traffic, warmup, threads (dict).")

    def to_pandas(self):
        """SweepTables(points, runs): two pandas DataFrames, a row per point (the fields of
        SweepPoint) and per run (the fields of SweepRun).

        Raises ImportError, saying how to install it, when pandas is not installed."""
        pandas = _pandas("SweepResult.to_pandas")
        return SweepTables(
            points=pandas.DataFrame(_columns(self._data["points"], SweepPoint)),
            runs=pandas.DataFrame(_columns(self._data["runs"], SweepRun)),
        )
