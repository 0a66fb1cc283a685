"""The module as a whole: number texts, documentation, threads, private folders, installation."""
import concurrent.futures
import os
import pydoc
import subprocess
import sys
import threading

import numpy as np
import pytest

import tidewright
from conftest import BUILD_DIR, PRIVATE_ENVIRONMENT, PRIVATE_TMP, SOURCE_DIR, WAVES

def test_number_texts_pass_through_and_every_function_is_documented():
    # The texts themselves are the C++ tests'; these prove the binding and its exception.
    assert tidewright.eng_number_text(0.00025, 9) == "250e-6"
    assert tidewright.trim_number_text("2.500") == "2.5"
    assert tidewright.compact_exponent("2e-005") == "2e-5"
    with pytest.raises(ValueError):
        tidewright.eng_number_text(1, -1)
    assert tidewright.__version__.count(".") >= 1
    text = pydoc.render_doc(tidewright, renderer=pydoc.plaintext)
    for name in tidewright.__all__:
        if callable(getattr(tidewright, name)):
            assert getattr(tidewright, name).__doc__, name
            assert name in text
    assert issubclass(tidewright.Error, Exception)
    assert issubclass(tidewright.Warning, UserWarning)
    assert "cycl=1, phase=0, power=1" in tidewright.generate.__doc__


def test_calls_from_several_threads_give_the_serial_results(tmp_path):
    formula = "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)"
    jobs = [
        lambda: tidewright.evaluate(formula, 20000),
        lambda: tidewright.evaluate("{a}*p", 5000, operands={"a": "cos(omg*p)"}),
        lambda: tidewright.generate("sine", 7000, cycl=3),
        lambda: tidewright.generate("ecg", 3000),
        lambda: tidewright.read_wave(os.path.join(WAVES, "sine.csv")),
    ]
    serial = [job() for job in jobs]
    # Six threads, each with five calls, in an order of its own.
    with concurrent.futures.ThreadPoolExecutor(6) as pool:
        runs = [(k, pool.submit(jobs[k])) for w in range(6) for k in
                ((w + round_) % len(jobs) for round_ in range(5))]
    for k, run in runs:
        assert np.array_equal(run.result(timeout=120), serial[k]), k


def test_other_threads_run_while_the_core_works():
    ticks = []
    done = threading.Event()

    def count():
        while not done.is_set():
            ticks.append(1)

    counter = threading.Thread(target=count)
    counter.start()
    try:
        before = len(ticks)
        tidewright.evaluate("amp*sin(omg*p)^3+log(p+1)", 3_000_000)
        during = len(ticks) - before
    finally:
        done.set()
        counter.join()
    # With the GIL held for the whole call the counter would not have run at all.
    assert during > 100


def test_no_call_touches_the_application_data_folders_and_private_folders_go(tmp_path):
    tidewright.generate("dc", 100, level=5)
    tidewright.evaluate("{w}+1", 10, operands={"w": np.arange(10)})
    train = tidewright.new_train()
    train.save(tmp_path / "t.pls")
    with pytest.raises(tidewright.Error):
        tidewright.generate("sine", 100, cycl=1000)
    del train
    for name in os.listdir(PRIVATE_ENVIRONMENT):
        if name != "tmpdir":
            assert os.listdir(os.path.join(PRIVATE_ENVIRONMENT, name)) == [], name
    assert [n for n in os.listdir(PRIVATE_TMP) if n.startswith("tidewright-py-")] == []


def test_an_installed_module_imports_from_its_prefix(tmp_path):
    if not os.path.exists(os.path.join(BUILD_DIR, "cmake_install.cmake")):
        pytest.skip("no build folder at " + BUILD_DIR)
    subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", str(tmp_path),
                    "--component", "python"], check=True, capture_output=True, timeout=120)
    package = [root for root, _, files in os.walk(tmp_path)
               if any(f.startswith("_core.") and f.endswith(".so") for f in files)]
    assert len(package) == 1
    assert package[0].endswith(os.path.join("dist-packages", "tidewright"))
    assert {"__init__.py", "__init__.pyi", "py.typed"} <= set(os.listdir(package[0]))
    run = subprocess.run(
        [sys.executable, "-c", "import tidewright, numpy; print(tidewright.__file__);"
         "print(tidewright.evaluate('amp*sin(omg*p)', 1000)[:4])"],
        env=dict(os.environ, PYTHONPATH=os.path.dirname(package[0])), cwd=SOURCE_DIR,
        capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    assert run.stdout.splitlines() == [
        os.path.join(package[0], "__init__.py"), "[  0  51 102 154]"]


def test_the_type_stubs_name_every_public_name():
    import ast
    stubs = os.path.join(os.path.dirname(tidewright.__file__), "__init__.pyi")
    with open(stubs) as f:
        tree = ast.parse(f.read())
    named = {node.name for node in tree.body if isinstance(node, (ast.FunctionDef, ast.ClassDef))}
    named |= {node.target.id for node in tree.body if isinstance(node, ast.AnnAssign)}
    assert set(tidewright.__all__) <= named, "add them to python/tidewright/__init__.pyi"
    assert os.path.exists(os.path.join(os.path.dirname(stubs), "py.typed"))
