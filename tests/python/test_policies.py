# Python objects as policies: written again in Python, built-in policy 1 and the first_fit
# example decide as the C++ ones; wrong answers are policy errors, wrong types TypeError;
# what a policy raises reaches the caller as it was; nothing of the run's memory outlives it.
import os

import numpy as np
import pytest
import wrnsim
from conftest import NSFNET, RING

SETTINGS = dict(all_pairs=True, load=0.7, lambdas=4, calls=300, seed=3, interval=5)


class RandomPath:
    """Built-in path policy 1, as examples/policies/random_path.cpp writes it."""

    def start(self, settings):
        self.asked = settings.paths

    def choose_path(self, call, view, random):
        count = len(view.paths)
        if count == 0:
            return -1
        r = random.draw()
        modulus = self.asked if 1 <= self.asked <= count else count
        return np.int64(r % modulus)


class FirstFit:
    """examples/policies/first_fit.cpp in Python."""

    def __init__(self):
        self.starts = 0

    def start(self, settings):
        self.starts += 1
        self.wavelengths = settings.wavelengths

    def assign(self, call, view, path, random):
        links = view.paths[path].links
        if len(links) == 0:
            return []
        free = [
            view.fibres(j) > 0 if j >= 0 else np.zeros(self.wavelengths, bool) for j in links
        ]
        common = np.logical_and.reduce(free)
        if common.any():
            return np.full(len(links), np.argmax(common))

        def lowest(k):
            found = np.flatnonzero(free[k])
            return int(found[0]) if found.size else -1

        current = lowest(0)
        if current < 0:
            return wrnsim.Blocked(0, "no_wavelength")
        answer = [current]
        for k in range(1, len(links)):
            if free[k][current]:
                answer.append(current)
                continue
            lowest_free = lowest(k)
            regenerator = links[k] >= 0 and view.regenerators(links[k]) > 0
            if lowest_free < 0:
                cause = "no_wavelength_with_regenerator" if regenerator else "no_wavelength_no_regenerator"
                return wrnsim.Blocked(k, cause)
            if not regenerator:
                return wrnsim.Blocked(k, "no_regenerator")
            current = lowest_free
            answer.append((current, True))
        return answer


class Both(RandomPath, FirstFit):
    def start(self, settings):
        RandomPath.start(self, settings)
        FirstFit.start(self, settings)


def counts(result):
    record = result.to_dict()
    return record["calls"], record["pairs"], record["links"]


@pytest.fixture
def example_first_fit():
    path = os.environ.get("WRNSIM_FIRST_FIT")
    if not path:
        pytest.skip("WRNSIM_FIRST_FIT does not name the first_fit example's build")
    return f"{path}:first_fit"


def test_random_path_in_python_is_policy_one():
    expected = wrnsim.run(NSFNET, path_policy=1, **SETTINGS)
    result = wrnsim.run(NSFNET, path_policy=RandomPath(), **SETTINGS)
    assert counts(result) == counts(expected)
    assert result.calls.blocked > 0
    assert result.settings.path_policy == "python:RandomPath"
    assert result.to_dict()["settings"]["policy"] == "python:RandomPath"
    assert result.provenance.command_line == ""


def test_first_fit_in_python_is_the_example(example_first_fit):
    expected = wrnsim.run(NSFNET, wavelength_policy=example_first_fit, **SETTINGS)
    policy = FirstFit()
    result = wrnsim.run(NSFNET, wavelength_policy=policy, **SETTINGS)
    assert counts(result) == counts(expected)
    assert result.calls.blocked_by_cause.no_wavelength > 0
    assert result.settings.wavelength_policy == "python:FirstFit"
    assert policy.starts == 1


def test_one_object_takes_both_and_starts_once(example_first_fit):
    expected = wrnsim.run(NSFNET, path_policy=1, wavelength_policy=example_first_fit, **SETTINGS)
    both = Both()
    result = wrnsim.run(NSFNET, path_policy=both, wavelength_policy=both, **SETTINGS)
    assert counts(result) == counts(expected)
    assert both.starts == 1


class Answers:
    """Answers `path` for every path and `hops(n)` for a path of n hops."""

    def __init__(self, path=0, hops=None):
        self.path, self.hops = path, hops

    def choose_path(self, call, view, random):
        return self.path

    def assign(self, call, view, path, random):
        return self.hops(len(view.paths[path].links))


@pytest.mark.parametrize(
    "keyword, policy, fault",
    [
        ("path_policy", Answers(path=99), "answered path 99"),
        ("path_policy", Answers(path=2**40), "answered path 2147483647"),
        ("wavelength_policy", Answers(hops=lambda n: [0] * (n + 1)), "hops for a path of"),
        ("wavelength_policy", Answers(hops=lambda n: [4] * n), "outside 0 to 3"),
        ("wavelength_policy", Answers(hops=lambda n: wrnsim.Blocked(n, "no_wavelength")), "blocked at hop"),
        ("wavelength_policy", Answers(hops=lambda n: wrnsim.Blocked(-1, "no_regenerator")), "blocked at hop"),
        # The ring has regenerators on some links only.
        ("wavelength_policy", Answers(hops=lambda n: [(0, True)] * n), "no free regenerator"),
    ],
)
def test_wrong_values_are_policy_errors(keyword, policy, fault):
    with pytest.warns(RuntimeWarning, match=fault):
        result = wrnsim.run(RING, **{**SETTINGS, "calls": 20, keyword: policy})
    errors = result.calls.blocked_by_cause.policy_error
    assert errors == result.calls.offered or (fault == "no free regenerator" and errors > 0)


def test_a_wavelength_the_view_shows_busy_is_a_policy_error():
    class Busy:
        def assign(self, call, view, path, random):
            rows = view.fibre_rows[view.paths[path].links]
            busy = np.flatnonzero((view.free_fibres[rows] <= 0).any(axis=0))
            return [int(busy[0])] * len(rows) if busy.size else [0] * len(rows)

    with pytest.warns(RuntimeWarning, match="which the view shows without a free fibre"):
        result = wrnsim.run(RING, **{**SETTINGS, "fibres": 1, "wavelength_policy": Busy()})
    assert result.calls.blocked_by_cause.policy_error > 0


class Raises:
    def __init__(self, after, error):
        self.after, self.error, self.calls = after, error, 0

    def choose_path(self, call, view, random):
        self.calls += 1
        if self.calls == self.after:
            raise self.error
        return 0

    def assign(self, call, view, path, random):
        self.choose_path(call, view, random)
        return [0] * len(view.paths[path].links)


@pytest.mark.parametrize("keyword", ["path_policy", "wavelength_policy"])
def test_an_exception_reaches_the_caller_as_it_was(keyword):
    class Unlucky(Exception):
        pass

    with pytest.raises(Unlucky, match="third") as raised:
        wrnsim.run(RING, **{**SETTINGS, keyword: Raises(3, Unlucky("third"))})
    assert raised.traceback[-1].name in ("choose_path",)
    result = wrnsim.run(RING, **{**SETTINGS, keyword: Raises(0, None)})
    assert result.calls.offered > 0


def test_an_exception_of_start_reaches_the_caller():
    class Refuses(RandomPath):
        def start(self, settings):
            raise ValueError(f"{settings.wavelengths} wavelengths are too few")

    with pytest.raises(ValueError, match="4 wavelengths are too few"):
        wrnsim.run(RING, path_policy=Refuses(), **SETTINGS)


@pytest.mark.parametrize("answer", [True, False, None, 1.0, "0", np.bool_(True)])
def test_a_path_answer_of_the_wrong_type_raises_type_error(answer):
    with pytest.raises(TypeError, match=r"python:Answers\.choose_path answered .* at call 0"):
        wrnsim.run(RING, **{**SETTINGS, "path_policy": Answers(path=answer)})


@pytest.mark.parametrize(
    "answer",
    [lambda n: True, lambda n: "0" * n, lambda n: [0.0] * n, lambda n: [(0, 1)] * n, lambda n: 3],
)
def test_an_assignment_of_the_wrong_type_raises_type_error(answer):
    with pytest.raises(TypeError, match=r"python:Answers\.assign answered .* at call 0"):
        wrnsim.run(RING, **{**SETTINGS, "wavelength_policy": Answers(hops=answer)})


def test_none_and_false_are_no_assignment():
    for answer in (None, False):
        result = wrnsim.run(RING, **{**SETTINGS, "wavelength_policy": Answers(hops=lambda n: answer)})
        assert result.calls.blocked_by_cause.no_assignment == result.calls.offered


class Keeps:
    def __init__(self, keep):
        self.keep, self.kept = keep, []

    def choose_path(self, call, view, random):
        self.kept.append(self.keep(view))
        return 0 if view.paths else -1


@pytest.mark.parametrize(
    "keep, what",
    [
        (lambda view: view, "kept view"),
        (lambda view: view.free_fibres, "kept view.free_fibres"),
        (lambda view: view.fibres(0), "kept view.free_fibres"),
        (lambda view: view.free_fibres[:, 0].T, "kept view.free_fibres"),
        (lambda view: memoryview(view.free_regenerators), "kept view.free_regenerators"),
    ],
)
def test_keeping_the_run_memory_raises(keep, what):
    policy = Keeps(keep)
    with pytest.raises(RuntimeError, match=f"{what} past call 0 .*numpy.copy"):
        wrnsim.run(RING, path_policy=policy, **SETTINGS)
    if isinstance(policy.kept[0], wrnsim.PolicyView):
        with pytest.raises(RuntimeError, match="valid only during the call"):
            policy.kept[0].free_fibres


def test_copies_paths_and_rows_may_be_kept():
    policy = Keeps(lambda view: (np.copy(view.free_fibres), view.paths, view.fibre_rows, view.age))
    wrnsim.run(RING, path_policy=policy, **SETTINGS)
    fibres, paths, rows, age = policy.kept[-1]
    assert fibres.shape[1] == 4 and 0 <= age <= 5
    assert all(path.nodes[0] != path.nodes[-1] for path in paths)
    assert len(rows) == max(path.links.max() for path in paths) + 1


def test_what_a_raising_policy_held_does_not_stop_its_exception():
    class HoldsThenRaises:
        def choose_path(self, call, view, random):
            row = view.fibres(0)  # still a local when it raises
            raise LookupError(f"row of {len(row)}")

    with pytest.raises(LookupError, match="row of 4"):
        wrnsim.run(RING, path_policy=HoldsThenRaises(), **SETTINGS)


def test_the_view_is_read_only_and_random_ends_with_its_call():
    seen = {}

    class Pokes:
        def choose_path(self, call, view, random):
            try:
                view.free_fibres[0, 0] = 9
            except ValueError as error:
                seen["write"] = str(error)
            seen["random"] = random
            seen["origin"] = call.origin == view.paths[0].nodes[0] if view.paths else True
            return 0 if view.paths else -1

    wrnsim.run(RING, path_policy=Pokes(), **SETTINGS)
    assert "read-only" in seen["write"] and seen["origin"]
    with pytest.raises(RuntimeError, match="valid only during the call"):
        seen["random"].draw()


def test_a_class_or_an_object_without_the_method_is_refused():
    with pytest.raises(TypeError, match=r"give RandomPath\(\)"):
        wrnsim.run(RING, path_policy=RandomPath, **SETTINGS)
    with pytest.raises(TypeError, match="is it for the other keyword"):
        wrnsim.run(RING, wavelength_policy=RandomPath(), **SETTINGS)


def test_sweep_refuses_python_policies():
    with pytest.raises(TypeError, match="wrnsim.run"):
        wrnsim.sweep(RING, loads=[0.5], policies=[RandomPath()])


@pytest.fixture
def plugins():
    path = os.environ.get("WRNSIM_TEST_POLICIES")
    if not path:
        pytest.skip("WRNSIM_TEST_POLICIES does not name the test plug-in")
    return path


def test_env_with_a_python_wavelength_policy(plugins):
    settings = {**SETTINGS, "calls": 60}
    expected = wrnsim.run(
        NSFNET, path_policy=f"{plugins}:first", wavelength_policy=FirstFit(), **settings
    )
    env = wrnsim.Env(NSFNET, wavelength_policy=FirstFit(), **settings)
    env.reset()
    terminated = False
    while not terminated:
        _, _, terminated, _, _ = env.step(0)
    result = env.result()
    assert counts(result) == counts(expected)
    assert result.settings.wavelength_policy == "python:FirstFit"


def test_env_raises_what_its_wavelength_policy_raised_and_lets_go():
    env = wrnsim.Env(RING, wavelength_policy=Raises(5, KeyError("fifth")), **SETTINGS)
    env.reset()
    with pytest.raises(KeyError, match="fifth"):
        for _ in range(10):
            env.step(0)
    assert env.ended
    # An episode dropped half-way, and the environment itself, let go of their policy.
    env.reset()
    env.step(0)
    env.close()
    env.reset()
    del env


def test_env_truncates_with_a_python_wavelength_policy():
    env = wrnsim.Env(RING, wavelength_policy=FirstFit(), max_calls=3, **SETTINGS)
    env.reset()
    truncated = [env.step(0)[3] for _ in range(3)]
    assert truncated == [False, False, True] and env.ended
