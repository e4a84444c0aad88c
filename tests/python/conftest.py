# What the module's tests share: the example files, and the real wrnsim-lab to compare with.
import json
import os
import pathlib
import subprocess

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"
NSFNET = str(EXAMPLES / "NSFNET.con")
RING = str(EXAMPLES / "anillo.con")
# A GML file with names and places.
NSFNET_GML = str(EXAMPLES / "networks" / "source" / "Nsfnet.gml")

# Fields that differ between any two runs, or name the program that made them.
VOLATILE = {"run_seconds", "routing_seconds"}
VOLATILE_PROVENANCE = {"made", "command_line", "program"}


def lab_path():
    path = os.environ.get("WRNSIM_LAB")
    if not path:
        pytest.skip("WRNSIM_LAB does not name the wrnsim-lab binary (ctest sets it)")
    return path


def run_lab(*words, cwd=None):
    return subprocess.run(
        [lab_path(), *map(str, words)], capture_output=True, text=True, cwd=cwd
    )


def lab_record(*words):
    done = run_lab("run", *words, "--json", "--quiet")
    assert done.returncode == 0, done.stderr
    return json.loads(done.stdout)


def lab_refusal(*words):
    """The message wrnsim-lab refuses the command line with (exit status 2)."""
    done = run_lab(*words)
    assert done.returncode == 2, (done.returncode, done.stdout, done.stderr)
    first = done.stderr.splitlines()[0]
    return first.removeprefix("wrnsim-lab: ")


def comparable(record):
    """The record without what differs between two runs of the same settings."""
    kept = {key: value for key, value in record.items() if key not in VOLATILE}
    kept["provenance"] = {
        key: value
        for key, value in record["provenance"].items()
        if key not in VOLATILE_PROVENANCE
    }
    return kept
