# wrnsim.Env: an agent that answers as a path policy would gets that policy's run, episodes
# repeat by seed, and no action or setting ends the interpreter.
import os

import numpy as np
import pytest
import wrnsim
from conftest import NSFNET, RING, lab_refusal

SETTINGS = dict(all_pairs=True, load=0.6, lambdas=8, calls=200, seed=7, interval=5, warmup=20)


@pytest.fixture
def plugins():
    path = os.environ.get("WRNSIM_TEST_POLICIES")
    if not path:
        pytest.skip("WRNSIM_TEST_POLICIES does not name the test plug-in")
    return path


def episode(env, seed=None, limit=None):
    """(observation, reward, info) of each step, up to `limit` steps."""
    observation, _ = env.reset(seed=seed)
    steps = []
    while limit is None or len(steps) < limit:
        observation, reward, terminated, truncated, info = env.step(0)
        steps.append((observation, reward, info))
        if terminated or truncated:
            break
    return steps


@pytest.mark.parametrize("wavelength", [None, "lowest_common"])
def test_always_first_is_the_run_of_the_first_candidate_policy(plugins, wavelength):
    extra = {} if wavelength is None else {"wavelength_policy": f"{plugins}:{wavelength}"}
    expected = wrnsim.run(NSFNET, path_policy=f"{plugins}:first", **SETTINGS, **extra)
    env = wrnsim.Env(NSFNET, **SETTINGS, **extra)
    observation, info = env.reset()
    low, high = env.observation_bounds
    names = env.observation_names
    origin = names.index("origin[0]")
    destination = names.index("destination[0]")
    nodes = destination - origin
    carried = 0
    causes = {}
    terminated = False
    while not terminated:
        assert np.all(observation >= low) and np.all(observation <= high)
        assert observation[names.index("path[0].present")] == 1.0
        before = observation
        observation, reward, terminated, truncated, info = env.step(np.int64(0))
        # The observation was of the call now answered.
        assert before[origin + info["origin"]] == 1.0
        assert before[destination + info["destination"]] == 1.0
        assert before[origin:origin + nodes].sum() == 1.0
        assert not truncated and reward == float(info["carried"])
        assert info["carried"] == (info["cause"] is None)
        if info["counted"]:
            carried += info["carried"]
            if info["cause"]:
                causes[info["cause"]] = causes.get(info["cause"], 0) + 1
    assert not observation.any()
    result = env.result()
    assert result.calls.to_dict() == expected.calls.to_dict()
    assert [p.to_dict() for p in result.pairs] == [p.to_dict() for p in expected.pairs]
    assert [l.to_dict() for l in result.links] == [l.to_dict() for l in expected.links]
    assert result.settings.path_policy == "agent"
    assert carried == expected.calls.carried
    by_cause = expected.calls.blocked_by_cause.to_dict()
    for cause, count in by_cause.items():
        if cause != "update_error_hops" and isinstance(count, int):
            assert causes.get(cause, 0) == count, cause


def test_the_observation_tells_what_the_current_view_can_carry():
    # With the view refreshed at every tick and the built-in rule, a first candidate with a
    # wavelength free end to end carries the call, and one with a hop full blocks it.
    env = wrnsim.Env(NSFNET, all_pairs=True, load=1.5, lambdas=4, calls=100, seed=3)
    names = env.observation_names
    end_to_end = names.index("path[0].free_end_to_end")
    least = names.index("path[0].least_free_wavelengths")
    observation, _ = env.reset()
    seen = {"free": 0, "full": 0}
    while True:
        assert observation[names.index("view_age")] == 0.0
        assert observation[end_to_end] <= observation[least]
        free, full = observation[end_to_end] > 0, observation[least] == 0
        observation, _, terminated, _, info = env.step(0)
        if free:
            seen["free"] += 1
            assert info["carried"], info
        if full:
            seen["full"] += 1
            assert info["cause"] is not None
        if terminated:
            break
    assert seen["free"] > 0 and seen["full"] > 0


def test_episodes_repeat_by_seed_and_reset_drops_the_one_in_progress():
    env = wrnsim.Env(NSFNET, all_pairs=True, load=0.5, lambdas=8, calls=50)
    first = episode(env, seed=11, limit=300)
    again = episode(env, seed=11, limit=300)
    other = episode(env, seed=12, limit=300)
    assert env.seed == 12
    same = lambda a, b: all(
        np.array_equal(x[0], y[0]) and x[1:] == y[1:] for x, y in zip(a, b, strict=True)
    )
    assert same(first, again)
    assert not same(first, other)
    # Reset mid-episode, then a whole episode: the same as a fresh environment's.
    episode(env, seed=11)
    whole = env.result()
    fresh = wrnsim.Env(NSFNET, all_pairs=True, load=0.5, lambdas=8, calls=50, seed=11)
    episode(fresh)
    assert fresh.result().calls.to_dict() == whole.calls.to_dict()
    # Without a seed, the next episode takes the next seed.
    env.reset()
    assert env.seed == 12


def test_the_end_of_an_episode():
    env = wrnsim.Env(RING, all_pairs=True, load=0.5, calls=5, max_calls=7)
    with pytest.raises(RuntimeError, match="reset"):
        env.step(0)
    steps = episode(env)
    assert len(steps) == 7 and env.ended
    assert steps[-1][0].any()  # a truncated episode shows the decision it stopped at
    with pytest.raises(RuntimeError, match="reset"):
        env.step(0)
    assert env.result() is None
    whole = wrnsim.Env(RING, all_pairs=True, load=0.5, calls=5)
    steps = episode(whole)
    assert whole.ended and whole.result().calls.offered > 0
    with pytest.raises(RuntimeError):
        whole.step(0)
    whole.close()
    with pytest.raises(RuntimeError):
        whole.step(0)


def test_actions():
    env = wrnsim.Env(NSFNET, all_pairs=True, load=0.5, lambdas=8, calls=20,
                     reward=lambda info: -1.0 if info["cause"] else 0.5)
    env.reset()
    for wrong in ("0", 0.0, None, True, np.bool_(False), [0]):
        with pytest.raises(TypeError):
            env.step(wrong)
    causes = [env.step(action)[4]["cause"] for action in (99, 2**70, -(2**70), -2, -1)]
    assert causes == ["policy_error"] * 4 + ["without_path"]
    rewards = {env.step(a)[1] for a in (np.int32(0), np.uint8(1), 99)}
    assert -1.0 in rewards and rewards <= {-1.0, 0.5}


@pytest.mark.parametrize(
    "arguments, words",
    [
        ({"all_pairs": True, "load": 0.5, "lambdas": 0}, ["--all-pairs", "--load", "0.5", "--lambdas", "0"]),
        ({"all_pairs": True}, ["--all-pairs"]),
        ({"all_pairs": True, "load": 0.5, "seed": 2**64}, ["--all-pairs", "--load", "0.5", "--seed", str(2**64)]),
        ({"all_pairs": True, "load": 0.5, "wavelength_policy": "nope"}, ["--all-pairs", "--load", "0.5", "--wavelength-policy", "nope"]),
    ],
)
def test_settings_are_refused_as_the_lab_refuses_them(arguments, words):
    expected = lab_refusal("run", "--topology", RING, *words)
    with pytest.raises(ValueError) as raised:
        wrnsim.Env(RING, **arguments)
    assert str(raised.value) == expected


def test_arguments_of_the_environment_itself():
    with pytest.raises(TypeError):
        wrnsim.Env(RING, all_pairs=True, load=0.5, path_policy=1)
    with pytest.raises(ValueError):
        wrnsim.Env(RING, all_pairs=True, load=0.5, max_calls=0)
    with pytest.raises(TypeError):
        wrnsim.Env(RING, all_pairs=True, load=0.5, reward=1.0)
    env = wrnsim.Env(RING, all_pairs=True, load=0.5, calls=5)
    with pytest.raises(ValueError):
        env.reset(seed=-1)
    with pytest.raises(TypeError):
        env.reset(seed=1.5)
    with pytest.raises(ValueError):
        env.reset(options={"mode": 1})


def test_a_wavelength_policy_that_throws_ends_the_episode(plugins):
    env = wrnsim.Env(NSFNET, all_pairs=True, load=0.5, calls=20,
                     wavelength_policy=f"{plugins}:wavelength_thrower")
    env.reset()
    env.step(0)
    env.step(0)
    with pytest.raises(RuntimeError, match="third wavelength unlucky"):
        env.step(0)
    assert env.ended and env.result() is None
    with pytest.raises(RuntimeError, match="reset"):
        env.step(0)
    env.reset()
    assert env.step(0)[4]["tick"] >= 0
