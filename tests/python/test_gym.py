# wrnsim.gym with a stand-in for Gymnasium that has the real package's constructors: the
# spaces fit what the environment gives, and wrnsim alone never imports Gymnasium.
import subprocess
import sys
import textwrap

import numpy as np
import pytest
from conftest import NSFNET

FAKE_GYMNASIUM = {
    "__init__.py": """
        from . import spaces

        class Env:
            np_random_seed = None

            def reset(self, *, seed=None, options=None):
                if seed is not None:
                    self.np_random_seed = seed

            def close(self):
                pass
    """,
    "spaces.py": """
        import numpy as np

        class Discrete:
            def __init__(self, n, seed=None, start=0):
                self.n, self.start = int(n), int(start)

            def contains(self, x):
                return self.start <= int(x) < self.start + self.n

        class Box:
            def __init__(self, low, high, shape=None, dtype=np.float32, seed=None):
                self.dtype = np.dtype(dtype)
                self.low = np.asarray(low, dtype=self.dtype)
                self.high = np.asarray(high, dtype=self.dtype)
                self.shape = self.low.shape if shape is None else tuple(shape)

            def contains(self, x):
                return (x.shape == self.shape and x.dtype == self.dtype
                        and bool(np.all(x >= self.low)) and bool(np.all(x <= self.high)))
    """,
}


@pytest.fixture
def gymnasium(tmp_path, monkeypatch):
    package = tmp_path / "gymnasium"
    package.mkdir()
    for name, text in FAKE_GYMNASIUM.items():
        (package / name).write_text(textwrap.dedent(text))
    monkeypatch.syspath_prepend(str(tmp_path))
    for name in [n for n in sys.modules if n.split(".")[0] == "gymnasium"]:
        monkeypatch.delitem(sys.modules, name)
    import gymnasium

    return gymnasium


def test_a_gymnasium_env_with_its_spaces(gymnasium):
    import wrnsim.gym

    env = wrnsim.gym.make(NSFNET, all_pairs=True, load=0.8, lambdas=8, calls=30, paths=3,
                          interval=4, max_calls=500)
    assert isinstance(env, gymnasium.Env)
    assert env.action_space.n == 3 and env.action_space.start == 0
    observation, _ = env.reset(seed=5)
    assert env.np_random_seed == 5
    assert env.observation_space.shape == observation.shape
    rng = np.random.default_rng(1)
    done = False
    while not done:
        assert env.observation_space.contains(observation)
        action = env.action_space.start + int(rng.integers(env.action_space.n))
        observation, reward, terminated, truncated, info = env.step(action)
        done = terminated or truncated
    assert truncated and env.steps == 500


def test_without_gymnasium(monkeypatch):
    import wrnsim.gym

    monkeypatch.setitem(sys.modules, "gymnasium", None)
    with pytest.raises(ImportError, match="gymnasium"):
        wrnsim.gym.make(NSFNET, all_pairs=True, load=0.5)
    # The rest of the module does not import it.
    done = subprocess.run(
        [sys.executable, "-c",
         "import sys, wrnsim\n"
         f"env = wrnsim.Env({NSFNET!r}, all_pairs=True, load=0.5, calls=5)\n"
         "env.reset(); env.step(0)\n"
         "assert 'gymnasium' not in sys.modules"],
        capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
