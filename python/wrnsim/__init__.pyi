# Type stubs of the module's public names, for editors and type checkers.
import os

import numpy
from collections.abc import Callable, Iterable, Mapping, Sequence
from typing import Any, Iterator, NamedTuple, Protocol

__version__: str

_Path = str | os.PathLike[str]
_Policy = int | str

class PolicyCall:
    @property
    def origin(self) -> int: ...
    @property
    def destination(self) -> int: ...
    @property
    def tick(self) -> int: ...
    @property
    def source(self) -> int: ...
    @property
    def number(self) -> int: ...

class PolicySettings:
    @property
    def wavelengths(self) -> int: ...
    @property
    def fibres(self) -> int: ...
    @property
    def paths(self) -> int: ...
    @property
    def max_shared(self) -> int: ...
    @property
    def interval(self) -> int: ...

class CandidatePath:
    @property
    def nodes(self) -> numpy.ndarray: ...
    @property
    def links(self) -> numpy.ndarray: ...
    @property
    def hops(self) -> int: ...

class PolicyRandom:
    def draw(self) -> int: ...

class PolicyView:
    # Valid only during the call it was given to; its arrays are read-only, over the run's
    # memory, and must not be kept (numpy.copy what is needed).
    @property
    def free_fibres(self) -> numpy.ndarray: ...
    @property
    def fibre_rows(self) -> numpy.ndarray: ...
    @property
    def free_regenerators(self) -> numpy.ndarray: ...
    @property
    def regenerator_rows(self) -> numpy.ndarray: ...
    @property
    def paths(self) -> tuple[CandidatePath, ...]: ...
    @property
    def age(self) -> int: ...
    def fibres(self, j: int) -> numpy.ndarray: ...
    def regenerators(self, j: int) -> int: ...

class Blocked:
    def __init__(self, hop: int, cause: str) -> None: ...
    @property
    def hop(self) -> int: ...
    @property
    def cause(self) -> str: ...

class _PathPolicy(Protocol):
    def choose_path(
        self, call: PolicyCall, view: PolicyView, random: PolicyRandom
    ) -> int | numpy.integer: ...

_Hop = int | numpy.integer | tuple[int | numpy.integer, bool]

class _WavelengthPolicy(Protocol):
    def assign(
        self, call: PolicyCall, view: PolicyView, path: int, random: PolicyRandom
    ) -> Sequence[_Hop] | numpy.ndarray | Blocked | None | bool: ...

class Node:
    @property
    def number(self) -> int: ...
    @property
    def name(self) -> str | None: ...
    @property
    def longitude(self) -> float | None: ...
    @property
    def latitude(self) -> float | None: ...

class Link:
    @property
    def from_(self) -> int: ...
    @property
    def to(self) -> int: ...
    @property
    def regenerators(self) -> int: ...
    @property
    def fibre_group(self) -> int: ...

class Network:
    @staticmethod
    def load(path: _Path) -> Network: ...
    @property
    def path(self) -> str: ...
    @property
    def format(self) -> str: ...
    @property
    def sha256(self) -> str: ...
    @property
    def node_count(self) -> int: ...
    @property
    def nodes(self) -> list[Node]: ...
    @property
    def links(self) -> list[Link]: ...
    @property
    def notes(self) -> list[str]: ...

class Record(Mapping[str, Any]):
    def __getitem__(self, key: str) -> Any: ...
    def __iter__(self) -> Iterator[str]: ...
    def __len__(self) -> int: ...
    def to_dict(self) -> dict[str, Any]: ...

class Causes(Record):
    no_wavelength: int
    no_regenerator: int
    no_wavelength_no_regenerator: int
    no_wavelength_with_regenerator: int
    assignment_without_cause: int
    update_error: int
    update_error_hops: int
    without_path: int
    no_assignment: int
    policy_error: int

class AssignmentCauses(Record):
    no_wavelength: int
    no_regenerator: int
    no_wavelength_no_regenerator: int
    no_wavelength_with_regenerator: int

class Calls(Record):
    read: int
    offered: int
    carried: int
    blocked: int
    blocked_by_cause: Causes

class Plugin(Record):
    kind: str
    policy: str
    name: str
    file: str
    file_sha256: str
    library: str
    library_version: str

class Settings(Record):
    lambdas: int
    fibres: int
    paths: int
    max_shared: int
    policy: int | str
    path_policy: str
    wavelength_policy: str
    interval: int
    routing: str
    paths_file_sha256: str | None
    plugins: list[Plugin]

class Traffic(Record):
    pairs: str
    calls_per_pair: int | None
    calls_busiest_pair: int | None
    file: str | None
    file_sha256: str | None
    holding: str
    mean_holding: float
    mean_gap: float | None
    seed: int
    load: float | None
    measured_load: float | None

class CandidateSummary(Record):
    pairs: int
    fewer_than_asked: int
    search_limited: int
    without_path: int

class PairResult(Record):
    origin: int
    destination: int
    origin_name: str | None
    destination_name: str | None
    offered: int
    carried: int
    blocked: int
    blocked_by_cause: Causes
    candidate_paths: int | None
    distinct_candidate_paths: int | None
    search_limited: bool | None

class LinkResult(Record):
    from_: int
    to: int
    from_name: str | None
    to_name: str | None
    blocking_events: AssignmentCauses
    update_error_hops: int
    policy_errors: int
    mean_occupancy: float

class Provenance(Record):
    program: str
    version: str
    commit: str | None
    command_line: str
    made: str
    topology_file: str
    topology_sha256: str
    network_sha256: str

class RunTables(NamedTuple):
    pairs: Any
    links: Any

class RunResult(Record):
    topology: str
    topology_format: str
    nodes: int
    sources: int
    settings: Settings
    traffic: Traffic | None
    calls: Calls
    blocking_probability: float | None
    ticks: int
    warmup: int
    counted_ticks: int
    candidate_paths: CandidateSummary
    pairs: list[PairResult]
    links: list[LinkResult]
    run_seconds: float
    routing_seconds: float | None
    provenance: Provenance
    def to_pandas(self) -> RunTables: ...

class SweepPoint(Record):
    policy: int | str
    path_policy: str
    wavelength_policy: str
    interval: int
    load: float
    seeds: int
    offered: int
    carried: int
    blocking_mean: float | None
    ci95_low: float | None
    ci95_high: float | None
    runs_without_offered: int
    share_no_wavelength: float | None
    share_no_regenerator: float | None
    share_no_wavelength_no_regenerator: float | None
    share_no_wavelength_with_regenerator: float | None
    share_assignment_without_cause: float | None
    share_update_error: float | None
    share_without_path: float | None
    share_no_assignment: float | None
    share_policy_error: float | None

class SweepRun(Record):
    policy: int | str
    path_policy: str
    wavelength_policy: str
    interval: int
    load: float
    seed: int
    offered: int
    carried: int
    blocked: int
    blocking: float | None
    no_wavelength: int
    no_regenerator: int
    no_wavelength_no_regenerator: int
    no_wavelength_with_regenerator: int
    assignment_without_cause: int
    update_error: int
    update_error_hops: int
    without_path: int
    no_assignment: int
    policy_error: int
    run_seconds: float
    routing_seconds: float | None

class SweepTables(NamedTuple):
    points: Any
    runs: Any

class SweepResult(Record):
    points: list[SweepPoint]
    runs: list[SweepRun]
    settings: dict[str, Any]
    def to_pandas(self) -> SweepTables: ...

def run(
    network: Network | _Path,
    *,
    all_pairs: bool = False,
    load: float | None = None,
    traffic: _Path | None = None,
    pairs: Iterable[tuple[int, int, _Path]] | None = None,
    lambdas: int | None = None,
    fibres: int | None = None,
    paths: int | None = None,
    max_shared: int | None = None,
    routing: str | None = None,
    path_policy: _Policy | _PathPolicy | None = None,
    wavelength_policy: str | _WavelengthPolicy | None = None,
    interval: int | None = None,
    holding: str | None = None,
    mean_holding: float | None = None,
    calls: int | None = None,
    seed: int | None = None,
    warmup: int | None = None,
) -> RunResult: ...
def sweep(
    network: Network | _Path,
    *,
    loads: Sequence[float],
    policies: Sequence[_Policy] | None = None,
    wavelength_policies: Sequence[str] | None = None,
    intervals: Sequence[int] | None = None,
    seeds: int | None = None,
    first_seed: int | None = None,
    target_ci: float | None = None,
    min_seeds: int | None = None,
    max_seeds: int | None = None,
    traffic: _Path | None = None,
    lambdas: int | None = None,
    fibres: int | None = None,
    paths: int | None = None,
    max_shared: int | None = None,
    routing: str | None = None,
    holding: str | None = None,
    mean_holding: float | None = None,
    calls: int | None = None,
    warmup: int | None = None,
    threads: int | None = None,
) -> SweepResult: ...

class Env:
    def __init__(
        self,
        network: Network | _Path,
        *,
        all_pairs: bool = ...,
        load: float | None = ...,
        traffic: _Path | None = ...,
        pairs: Iterable[tuple[int, int, _Path]] | None = ...,
        lambdas: int | None = ...,
        fibres: int | None = ...,
        paths: int | None = ...,
        max_shared: int | None = ...,
        routing: str | None = ...,
        wavelength_policy: str | _WavelengthPolicy | None = ...,
        interval: int | None = ...,
        holding: str | None = ...,
        mean_holding: float | None = ...,
        calls: int | None = ...,
        seed: int | None = ...,
        warmup: int | None = ...,
        max_calls: int | None = ...,
        reward: Callable[[dict[str, Any]], float] | None = ...,
    ) -> None: ...
    def reset(
        self, *, seed: int | None = ..., options: Mapping[str, Any] | None = ...
    ) -> tuple[numpy.ndarray, dict[str, Any]]: ...
    def step(
        self, action: int | numpy.integer
    ) -> tuple[numpy.ndarray, float, bool, bool, dict[str, Any]]: ...
    def result(self) -> RunResult | None: ...
    def close(self) -> None: ...
    def __enter__(self) -> Env: ...
    def __exit__(self, *exc: object) -> bool: ...
    @property
    def paths(self) -> int: ...
    @property
    def observation_bounds(self) -> tuple[numpy.ndarray, numpy.ndarray]: ...
    @property
    def observation_names(self) -> list[str]: ...
    @property
    def ended(self) -> bool: ...
    @property
    def steps(self) -> int: ...
    @property
    def seed(self) -> int: ...
