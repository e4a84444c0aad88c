# Results as Python users read them: attributes, dict access, tables, and the module's
# promises (version, docstrings, stubs, the GIL let go).
import ast
import os
import pathlib
import sys
import threading
import time

import pytest
import wrnsim
from conftest import NSFNET, NSFNET_GML, RING


@pytest.fixture(scope="module")
def result():
    return wrnsim.run(NSFNET_GML, all_pairs=True, load=0.9, calls=200, lambdas=4)


def test_attributes_and_items_agree(result):
    assert result.calls.offered == result["calls"]["offered"] > 0
    assert result.calls.blocked_by_cause.no_wavelength == (
        result["calls"]["blocked_by_cause"]["no_wavelength"]
    )
    assert result.settings.lambdas == 4 and result.settings.path_policy == "rotating"
    assert result.traffic.load == 0.9 and result.traffic.pairs == "all"
    link = result.links[0]
    assert (link.from_, link.to) == (link["from"], link["to"])
    assert result.to_dict() == dict(result)
    assert "blocking_probability" in repr(result)


def test_pairs_and_links_add_up_to_the_totals(result):
    nodes = result.nodes
    assert len(result.pairs) == nodes * (nodes - 1) == result.sources
    assert sum(pair.offered for pair in result.pairs) == result.calls.offered
    assert sum(pair.blocked for pair in result.pairs) == result.calls.blocked
    assert result.blocking_probability == pytest.approx(result.calls.blocked / result.calls.offered)
    network = wrnsim.Network.load(NSFNET_GML)
    assert [(l.from_, l.to) for l in network.links] == [(l.from_, l.to) for l in result.links]


def test_network_holds_nodes_and_links():
    network = wrnsim.Network.load(NSFNET_GML)
    assert network.format == "gml" and network.node_count == len(network.nodes) == 13
    assert all(node.name and node.longitude is not None for node in network.nodes)
    assert network.links and all(link.regenerators >= 0 for link in network.links)
    plain = wrnsim.Network.load(RING)
    assert plain.format == "con" and plain.nodes[0].name is None and plain.notes == []
    assert "6 nodes" in repr(plain)


def test_to_pandas_gives_a_row_per_pair_and_link(result):
    pytest.importorskip("pandas")
    tables = result.to_pandas()
    assert len(tables.pairs) == len(result.pairs) and len(tables.links) == len(result.links)
    assert {"origin", "destination", "no_wavelength", "update_error_hops"} <= set(tables.pairs)
    assert tables.pairs["offered"].sum() == result.calls.offered
    curve = wrnsim.sweep(RING, loads=[0.5, 1.0], seeds=2, calls=50)
    frames = curve.to_pandas()
    assert list(frames.points["load"]) == [0.5, 1.0] and len(frames.runs) == 4


def test_to_pandas_without_pandas_says_to_install_it(result, monkeypatch):
    monkeypatch.setitem(sys.modules, "pandas", None)
    with pytest.raises(ImportError, match="install"):
        result.to_pandas()


def test_sweep_points_hold_their_intervals():
    curve = wrnsim.sweep(RING, loads=[1.5], seeds=4, calls=80, lambdas=2)
    (point,) = curve.points
    assert point.seeds == 4 and point.ci95_low < point.blocking_mean < point.ci95_high
    assert sum(run.blocked for run in curve.runs) == point.offered - point.carried
    assert curve.settings["lambdas"] == 2


def test_version_is_the_projects():
    assert wrnsim.__version__ == os.environ.get("WRNSIM_VERSION", wrnsim.__version__)
    assert wrnsim.run(RING, all_pairs=True, load=0.2, calls=5).provenance.version == (
        wrnsim.__version__
    )


def test_every_public_name_is_documented_and_stubbed():
    for name in wrnsim.__all__:
        if name != "__version__":
            assert getattr(wrnsim, name).__doc__, name
    assert "(default 20)" in wrnsim.run.__doc__ and "Raises" in wrnsim.run.__doc__
    assert "(default 5)" in wrnsim.sweep.__doc__
    assert wrnsim.RunResult.calls.__doc__ and wrnsim.LinkResult.from_.__doc__
    stubs = pathlib.Path(wrnsim.__file__).with_name("__init__.pyi")
    assert stubs.with_name("py.typed").exists()
    tree = ast.parse(stubs.read_text())
    stubbed = {node.name for node in tree.body if hasattr(node, "name")}
    stubbed |= {node.target.id for node in tree.body if isinstance(node, ast.AnnAssign)}
    assert set(wrnsim.__all__) <= stubbed


def test_runs_let_go_of_the_gil():
    counted = [0]
    stop = threading.Event()

    def count():
        while not stop.is_set():
            counted[0] += 1

    thread = threading.Thread(target=count)
    thread.start()
    try:
        start = time.perf_counter()
        before = counted[0]
        while time.perf_counter() - start < 0.2:
            pass
        rate = (counted[0] - before) / (time.perf_counter() - start)
        before = counted[0]
        start = time.perf_counter()
        wrnsim.run(NSFNET, all_pairs=True, load=0.5, calls=3000, lambdas=16)
        during = counted[0] - before
        seconds = time.perf_counter() - start
    finally:
        stop.set()
        thread.join()
    # Held, the counter would stand still through the run; the main thread shared the GIL
    # with it above, so a free run gives it at least as much.
    assert during > 0.2 * rate * seconds
