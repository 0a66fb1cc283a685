"""The examples of docs/python.md run as written, in a folder holding the files they name."""
import os
import re
import runpy
import shutil

import pytest

from conftest import SOURCE_DIR, RECORDED, WAVES

with open(os.path.join(SOURCE_DIR, "docs", "python.md"), encoding="utf-8") as f:
    EXAMPLES = re.findall(r"```python\n(.*?)```", f.read(), re.S)


def test_the_docs_hold_examples():
    assert len(EXAMPLES) >= 4


@pytest.mark.parametrize("number", range(len(EXAMPLES)))
def test_example_runs_as_written(tmp_path, monkeypatch, number):
    shutil.copy(os.path.join(WAVES, "sine.csv"), tmp_path / "capture.csv")
    shutil.copy(os.path.join(RECORDED, "burst.pls"), tmp_path)
    os.symlink(os.path.join(SOURCE_DIR, "data"), tmp_path / "data")
    (tmp_path / "example.py").write_text(EXAMPLES[number])
    monkeypatch.chdir(tmp_path)
    runpy.run_path(str(tmp_path / "example.py"), run_name="__main__")
