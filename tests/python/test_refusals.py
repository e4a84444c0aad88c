# Bad input from Python: the lab's refusals with the lab's messages, wrong types named, and
# never a crash.
import pytest
import wrnsim
from conftest import EXAMPLES, NSFNET, RING, lab_refusal

CALLS = str(EXAMPLES / "anillo_0_2.txt")


@pytest.mark.parametrize(
    "arguments, words",
    [
        ({"all_pairs": True, "load": 0.5, "lambdas": 0}, ["--all-pairs", "--load", "0.5", "--lambdas", "0"]),
        ({"all_pairs": True, "load": -1.0}, ["--all-pairs", "--load=-1.0"]),
        ({"all_pairs": True, "load": 0.5, "path_policy": 9}, ["--all-pairs", "--load", "0.5", "--policy", "9"]),
        ({"all_pairs": True, "load": 0.5, "path_policy": "nope"}, ["--all-pairs", "--load", "0.5", "--path-policy", "nope"]),
        ({"all_pairs": True}, ["--all-pairs"]),
        ({}, []),
        ({"pairs": [(0, 2, CALLS)], "seed": 3}, ["--pair", "0", "2", CALLS, "--seed", "3"]),
        ({"pairs": [(1, 1, CALLS)]}, ["--pair", "1", "1", CALLS]),
        ({"pairs": [(0, 40, CALLS)]}, ["--pair", "0", "40", CALLS]),
        ({"all_pairs": True, "load": 0.5, "seed": 2**64}, ["--all-pairs", "--load", "0.5", "--seed", str(2**64)]),
        ({"all_pairs": True, "load": 0.5, "routing": "fastest"}, ["--all-pairs", "--load", "0.5", "--routing", "fastest"]),
    ],
)
def test_run_refusals_read_as_the_lab(arguments, words):
    expected = lab_refusal("run", "--topology", RING, *words)
    with pytest.raises(ValueError) as raised:
        wrnsim.run(RING, **arguments)
    assert str(raised.value) == expected


@pytest.mark.parametrize(
    "arguments, words",
    [
        ({"loads": [0.5, 0.5]}, ["--loads", "0.5,0.5"]),
        ({"loads": [0.5], "intervals": [2, 2]}, ["--loads", "0.5", "--intervals", "2,2"]),
        ({"loads": [0.5], "policies": [1, "random"]}, ["--loads", "0.5", "--policies", "1,random"]),
        ({"loads": [0.5], "target_ci": 0.1, "seeds": 4}, ["--loads", "0.5", "--target-ci", "0.1", "--seeds", "4"]),
        ({"loads": [0.5], "min_seeds": 4}, ["--loads", "0.5", "--min-seeds", "4"]),
        ({"loads": [0.5], "seeds": 0}, ["--loads", "0.5", "--seeds", "0"]),
    ],
)
def test_sweep_refusals_read_as_the_lab(arguments, words):
    expected = lab_refusal("sweep", "--topology", RING, *words)
    with pytest.raises(ValueError) as raised:
        wrnsim.sweep(RING, **arguments)
    assert str(raised.value) == expected


def test_missing_files_raise_file_not_found(tmp_path):
    missing = str(tmp_path / "absent.con")
    expected = lab_refusal("run", "--topology", missing, "--all-pairs", "--load", "0.5")
    with pytest.raises(FileNotFoundError) as raised:
        wrnsim.Network.load(missing)
    assert str(raised.value) == expected
    absent_calls = str(tmp_path / "absent.txt")
    expected = lab_refusal("run", "--topology", RING, "--pair", "0", "2", absent_calls)
    with pytest.raises(FileNotFoundError) as raised:
        wrnsim.run(RING, pairs=[(0, 2, absent_calls)])
    assert str(raised.value) == expected
    with pytest.raises(FileNotFoundError):
        wrnsim.sweep(RING, loads=[0.5], traffic=tmp_path / "absent.csv")


@pytest.mark.parametrize(
    "name, text",
    [("junk.gml", "graph [ node [ id 0 "), ("junk.con", "not a table\n"), ("empty.csv", "")],
)
def test_unreadable_topologies_raise_value_error(tmp_path, name, text):
    path = tmp_path / name
    path.write_text(text)
    expected = lab_refusal("run", "--topology", path, "--all-pairs", "--load", "0.5")
    with pytest.raises(ValueError) as raised:
        network = wrnsim.Network.load(path)
        wrnsim.run(network, all_pairs=True, load=0.5)
    assert str(raised.value) == expected


def test_a_folder_is_no_topology(tmp_path):
    with pytest.raises(ValueError, match="is a folder"):
        wrnsim.Network.load(tmp_path)


@pytest.mark.parametrize(
    "arguments, named",
    [
        ({"all_pairs": True, "load": 0.5, "lambdas": "16"}, "lambdas"),
        ({"all_pairs": True, "load": 0.5, "lambdas": 16.0}, "lambdas"),
        ({"all_pairs": True, "load": 0.5, "fibres": True}, "fibres"),
        ({"all_pairs": True, "load": "0.5"}, "load"),
        ({"all_pairs": 1, "load": 0.5}, "all_pairs"),
        ({"all_pairs": True, "load": 0.5, "path_policy": 1.5}, "path_policy"),
        ({"all_pairs": True, "load": 0.5, "routing": 3}, "routing"),
        ({"pairs": [(0, 2)]}, "pairs[0]"),
        ({"pairs": (0, 2, CALLS)}, "pairs[0]"),
        ({"pairs": [(0, "2", CALLS)]}, "pairs[0] destination"),
        ({"pairs": "0 2 x"}, "pairs"),
        ({"all_pairs": True, "load": 0.5, "lamdas": 16}, "lamdas"),
    ],
)
def test_wrong_types_name_the_argument(arguments, named):
    with pytest.raises(TypeError, match=named.replace("[", r"\[").replace("]", r"\]")):
        wrnsim.run(RING, **arguments)


@pytest.mark.parametrize(
    "arguments, named",
    [
        ({}, "loads"),
        ({"loads": 0.5}, "loads"),
        ({"loads": ["0.5"]}, r"loads\[0\]"),
        ({"loads": [0.5], "policies": [None]}, r"policies\[0\]"),
        ({"loads": [0.5], "threads": 1.0}, "threads"),
    ],
)
def test_wrong_sweep_types_name_the_argument(arguments, named):
    with pytest.raises(TypeError, match=named):
        wrnsim.sweep(RING, **arguments)


def test_wrong_networks_name_the_argument():
    with pytest.raises(TypeError, match="network"):
        wrnsim.run(5, all_pairs=True, load=0.5)
    with pytest.raises(TypeError, match="path"):
        wrnsim.Network.load(5)
    with pytest.raises(TypeError, match="path"):
        wrnsim.Network.load(b"/tmp")


def test_a_comma_in_a_list_value_is_refused():
    with pytest.raises(ValueError, match="comma"):
        wrnsim.sweep(RING, loads=[0.5], policies=["1,2"])


def test_a_policy_that_throws_raises_runtime_error():
    import os

    plugins = os.environ.get("WRNSIM_TEST_POLICIES")
    if not plugins:
        pytest.skip("WRNSIM_TEST_POLICIES does not name the test plug-in")
    with pytest.raises(RuntimeError):
        wrnsim.run(NSFNET, all_pairs=True, load=0.5, calls=20, path_policy=f"{plugins}:thrower")
    # The interpreter goes on, and so do runs.
    assert wrnsim.run(RING, all_pairs=True, load=0.5, calls=20).calls.offered > 0
