"""wrnsim.Env as a gymnasium.Env, where Gymnasium is installed; importing wrnsim alone never
imports Gymnasium.

    import wrnsim.gym
    env = wrnsim.gym.make("NSFNET.con", all_pairs=True, load=0.5, lambdas=16, calls=1000)
    env.action_space        # Discrete(paths)
    env.observation_space   # Box(observation_bounds), float32

The environment is not registered with gymnasium.make; wrap it as any gymnasium.Env.
"""

_classes = {}


def _gym_env_class():
    import gymnasium

    if gymnasium not in _classes:
        from ._env import Env

        class GymEnv(Env, gymnasium.Env):
            """wrnsim.Env with Gymnasium's spaces: action_space is Discrete(paths),
            observation_space a float32 Box of observation_bounds."""

            metadata = {"render_modes": []}
            render_mode = None

            def __init__(self, network, **settings):
                Env.__init__(self, network, **settings)
                self.action_space = gymnasium.spaces.Discrete(self.paths)
                low, high = self.observation_bounds
                self.observation_space = gymnasium.spaces.Box(low=low, high=high, dtype=low.dtype)

            def reset(self, *, seed=None, options=None):
                # Gymnasium's own reset seeds self.np_random from the seed.
                gymnasium.Env.reset(self, seed=seed)
                return Env.reset(self, seed=seed, options=options)

        GymEnv.__module__ = __name__
        _classes[gymnasium] = GymEnv
    return _classes[gymnasium]


def make(network, **settings):
    """A gymnasium.Env of wrnsim.Env(network, **settings), with its arguments, defaults and
    exceptions.

    Raises ImportError when Gymnasium is not installed.
    """
    try:
        cls = _gym_env_class()
    except ImportError as error:
        raise ImportError(
            "wrnsim.gym needs Gymnasium (pip install gymnasium); wrnsim.Env itself does not"
        ) from error
    return cls(network, **settings)
