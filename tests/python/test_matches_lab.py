# The module's numbers are the lab's: the same settings and seed give the same record, field
# by field, and the same sweep CSVs.
import csv
import shlex
import subprocess

import pytest
import wrnsim
from conftest import (
    EXAMPLES,
    NSFNET,
    NSFNET_GML,
    RING,
    comparable,
    lab_path,
    lab_record,
    run_lab,
)


def assert_same_record(result, words):
    expected = comparable(lab_record(*words))
    got = comparable(result.to_dict())
    for field in expected:
        assert got[field] == expected[field], field
    assert got.keys() == expected.keys()


def test_generated_traffic_on_every_pair():
    result = wrnsim.run(
        NSFNET, all_pairs=True, load=0.6, lambdas=8, calls=300, path_policy=3, seed=7,
        interval=5,
    )
    assert_same_record(
        result,
        ["--topology", NSFNET, "--all-pairs", "--load", "0.6", "--lambdas", "8", "--calls",
         "300", "--policy", "3", "--seed", "7", "--interval", "5"],
    )
    assert result.provenance.program == "wrnsim (Python)"


def test_call_files_of_listed_pairs():
    pairs = [(0, 2, EXAMPLES / "anillo_0_2.txt"), (3, 5, str(EXAMPLES / "anillo_3_5.txt")),
             (4, 1, str(EXAMPLES / "anillo_4_1.txt"))]
    result = wrnsim.run(wrnsim.Network.load(RING), pairs=pairs, lambdas=4, fibres=1, interval=2)
    words = ["--topology", RING, "--lambdas", "4", "--fibres", "1", "--interval", "2"]
    for origin, destination, calls in pairs:
        words += ["--pair", origin, destination, calls]
    assert_same_record(result, words)
    assert result.calls.blocked > 0


def test_converted_network_by_name_with_k_shortest_routing():
    result = wrnsim.run(
        NSFNET_GML, all_pairs=True, load=0.4, calls=200, routing="k-shortest",
        path_policy="least-loaded-first", lambdas=6,
    )
    assert_same_record(
        result,
        ["--topology", NSFNET_GML, "--all-pairs", "--load", "0.4", "--calls", "200",
         "--routing", "k-shortest", "--path-policy", "least-loaded-first", "--lambdas", "6"],
    )
    assert result.topology_format == "gml"
    assert result.pairs[0].origin_name


def test_traffic_file_scaled_to_a_load(tmp_path):
    matrix = tmp_path / "traffic.csv"
    matrix.write_text("origin,destination,load\n0,5,1.0\n2,9,0.5\n13,1,2.0\n")
    result = wrnsim.run(NSFNET, traffic=matrix, load=0.7, calls=400, seed=3, lambdas=4)
    assert_same_record(
        result,
        ["--topology", NSFNET, "--traffic", matrix, "--load", "0.7", "--calls", "400",
         "--seed", "3", "--lambdas", "4"],
    )
    assert result.traffic.pairs == "matrix"


def test_plug_in_policies(plugins):
    policy = f"{plugins}:first"
    result = wrnsim.run(RING, all_pairs=True, load=0.5, calls=100, path_policy=policy, lambdas=3)
    assert_same_record(
        result,
        ["--topology", RING, "--all-pairs", "--load", "0.5", "--calls", "100", "--path-policy",
         policy, "--lambdas", "3"],
    )
    assert result.settings.plugins[0].policy == policy


@pytest.fixture
def plugins():
    import os

    path = os.environ.get("WRNSIM_TEST_POLICIES")
    if not path:
        pytest.skip("WRNSIM_TEST_POLICIES does not name the test plug-in (ctest sets it)")
    return path


def test_recorded_command_line_makes_the_same_record():
    result = wrnsim.run(RING, all_pairs=True, load=0.8, calls=150, seed=11)
    words = shlex.split(result.provenance.command_line)
    assert words[:2] == ["wrnsim-lab", "run"]
    done = subprocess.run([lab_path(), *words[1:], "--quiet"], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    import json

    assert comparable(json.loads(done.stdout)) == comparable(result.to_dict())


def read_csv(path):
    with open(path, newline="") as file:
        return list(csv.DictReader(line for line in file if not line.startswith("#")))


def same_value(text, value):
    if text == "":
        return value is None
    if isinstance(value, str):
        return text == value
    return float(text) == pytest.approx(value, rel=1e-9, abs=1e-12)


def test_sweep_gives_the_lab_csvs(tmp_path):
    curve = wrnsim.sweep(
        RING, loads=[0.4, 0.9], policies=[1, "least-loaded-rotating"], intervals=[0, 3],
        seeds=3, first_seed=5, calls=150, lambdas=3, threads=2,
    )
    done = run_lab(
        "sweep", "--topology", RING, "--loads", "0.4,0.9", "--policies",
        "1,least-loaded-rotating", "--intervals", "0,3", "--seeds", "3", "--first-seed", "5",
        "--calls", "150", "--lambdas", "3", "--csv", tmp_path / "p.csv", "--svg",
        tmp_path / "p.svg", "--runs-csv", tmp_path / "r.csv", "--quiet",
    )
    assert done.returncode == 0, done.stderr
    points = read_csv(tmp_path / "p.csv")
    runs = read_csv(tmp_path / "r.csv")
    assert len(curve.points) == len(points) == 8
    assert len(curve.runs) == len(runs) == 24
    for point, row in zip(curve.points, points):
        for column, text in row.items():
            value = point[column]
            if column == "policy":
                value = str(value)
            assert same_value(text, value), (column, text, value)
    for run, row in zip(curve.runs, runs):
        for column, text in row.items():
            if column in ("run_seconds", "routing_seconds"):
                continue
            value = str(run[column]) if column == "policy" else run[column]
            assert same_value(text, value), (column, text, value)
