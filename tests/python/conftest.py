"""The module's tests: a private environment, the paths of this build and the command-line tool.

Run by ctest (PYTHONPATH, TW_CLI and TW_BUILD_DIR come from the build), or by hand:
PYTHONPATH=build/python /usr/bin/python3 -m pytest tests/python
"""
import atexit
import importlib.util
import os
import shutil
import subprocess
import sys
import tempfile

import pytest

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_DIR = os.environ.get("TW_BUILD_DIR", os.path.join(SOURCE_DIR, "build"))
CLI = os.environ.get("TW_CLI", os.path.join(BUILD_DIR, "tools", "tidewright-cli"))
WAVES = os.path.join(SOURCE_DIR, "data", "waves")
BAD_FILES = os.path.join(SOURCE_DIR, "tests", "data", "bad")
PULSE_FILES = os.path.join(SOURCE_DIR, "tests", "fuzz", "pulsefile")
# Pulse trains as the editor saves them, and values recorded from this build.
RECORDED = os.path.join(SOURCE_DIR, "tests", "data", "python")
SAMPLE_INSTRUMENT = os.path.join(SOURCE_DIR, "data", "instrument", "TW2014.ini")


def _isolate():
    """The folders a Tidewright program could write in, private to this test process (as every
    C++ test program has them), so that a call reaching for them is seen and harms nothing; and
    a temporary folder of its own, where the module's private folders come and go."""
    root = tempfile.mkdtemp(prefix="tw-pytest-env-")
    atexit.register(shutil.rmtree, root, True)
    os.environ["TIDEWRIGHT_NONINTERACTIVE"] = "1"
    for name in ("APPDATA", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                 "XDG_RUNTIME_DIR", "TIDEWRIGHT_LINK_DIR", "TMPDIR"):
        folder = os.path.join(root, name.lower())
        os.makedirs(folder, mode=0o700)
        os.environ[name] = folder
    tempfile.tempdir = None  # gettempdir() follows TMPDIR from here on
    return root


PRIVATE_ENVIRONMENT = _isolate()
PRIVATE_TMP = os.environ["TMPDIR"]
if importlib.util.find_spec("tidewright") is None:
    sys.path.insert(0, os.path.join(BUILD_DIR, "python"))


def instrument(tmp_path, changes):
    """The sample instrument's description with each (old, new) text replaced."""
    with open(SAMPLE_INSTRUMENT) as f:
        text = f.read()
    for old, new in changes:
        assert old in text
        text = text.replace(old, new)
    path = tmp_path / "instrument.ini"
    path.write_text(text)
    return path


def cli_ok(*args, cwd=None):
    """Runs tidewright-cli, which must succeed; the completed process."""
    if not os.path.exists(CLI):
        pytest.skip("tidewright-cli is not built at " + CLI)
    run = subprocess.run([CLI, *args], cwd=cwd, capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    return run
