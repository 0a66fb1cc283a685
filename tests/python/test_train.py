"""Pulse trains: loading, the editor's rules, and compilation as the download writes it."""
import os
import warnings

import numpy as np
import pytest

import tidewright
from conftest import PULSE_FILES, RECORDED, instrument

DOWNLOAD_OPTION = ("Trainsmith", "Unable to download using the selected download option.\n"
                   "Select Download Option throgh View>>Options menu.")


def test_compilation_as_the_download_writes_it(tmp_path):
    # The segments and summaries are the C++ tests'; these prove the file's forced clock, the
    # keywords, the arrays and the sequence reach Python.
    built = tidewright.load_train(os.path.join(RECORDED, "forced-clock.pls")).compile()
    assert built.sclk == 1e6 and built.summary["sample_clock"] == "1e6"
    train = tidewright.load_train(os.path.join(RECORDED, "square.pls"))
    built = train.compile(sclk=1e6, mode=0)
    assert built.mode == 0 and built.summary["steps"] == str(len(built.sequence))
    played = np.concatenate([np.tile(built.segments[s], r) for s, r in built.sequence])
    assert played.tolist() == ([16383] * 100 + [-16383] * 100) * 2
    built = train.compile(sclk="1e6", mode=2)
    assert built.sequence == [(0, 2)] and len(built.segments) == 1
    assert built.segments[0].dtype == np.int16
    # The forced clock and the mode held for those compilations only.
    assert train.compile().mode == 1

    # The texts are the C++ tests'; these cover the download's second message, a keyword and an
    # instrument named in the call.
    with pytest.raises(tidewright.Error) as raised:
        tidewright.new_train().compile()  # its start node has no level yet
    assert raised.value.messages == [
        ("Trainsmith", "Section 1 incomplete.\nUnable to perform operation."), DOWNLOAD_OPTION]
    with pytest.raises(tidewright.Error) as raised:
        train.compile(sclk=1)
    assert raised.value.messages == [("Trainsmith", "SCLK value out of range")]
    few_steps = instrument(tmp_path, [("MaxSequStp=4096", "MaxSequStp=3")])
    with pytest.raises(tidewright.Error) as raised:
        train.compile(few_steps, sclk=1e6, mode=0)
    assert raised.value.messages[0][1].startswith("Exceeds max sequence steps")
    assert raised.value.messages[-1] == DOWNLOAD_OPTION
    with pytest.raises(ValueError, match="mode"):
        train.compile(mode=5)


def test_saved_trains_load_back_and_a_wav_is_the_single_segment(tmp_path):
    train = tidewright.load_train(os.path.join(RECORDED, "points-and-link.pls"))
    train.save(tmp_path / "copy.pls")
    again = tidewright.load_train(tmp_path / "copy.pls")
    assert again.sections == train.sections and again.summary == train.summary
    assert len(train.sections) == 2 and train.sections[0]["repeat"] == 3
    assert train.sections[1]["rows"] == [{"level": 0.1, "interval": 2e-6, "cumulative": 2e-6}]
    train.save(tmp_path / "samples.wav")
    assert os.path.exists(tmp_path / "samples.pls")
    single = train.compile(mode=1).segments[0]
    assert (tmp_path / "samples.wav").read_bytes() == single.astype("<i2").tobytes()


def test_edits_keep_the_editors_rules():
    train = tidewright.load_train(os.path.join(RECORDED, "one-link.pls"))
    assert train.summary["time_unit"] == "us"
    train.append_row(0)
    train.edit(0, 1, "level", -1)
    train.edit(0, 1, "interval", "2.5")
    assert train.sections[0]["rows"][1] == {"level": -1.0, "interval": 2.5e-6,
                                            "cumulative": 4.5e-6}
    assert train.table(0) == [["1", "2", "2"], ["-1", "2.5", "4.5"]]
    train.set_repeat(0, 3)
    assert train.summary["duration"] == pytest.approx(13.5e-6)

    # The editor's refusals are the C++ tests'; one shows they keep the train as it was.
    before = train.sections
    with pytest.raises(tidewright.Error, match="^Loops number: 0 out of range."):
        train.set_repeat(0, 0)
    assert train.sections == before

    train.append_section()
    train.append_row(1)
    train.edit(1, 0, "level", 0.5)
    with pytest.raises(tidewright.Error, match="^Section 2 incomplete.\nUnable to perform"):
        train.insert_row(1, 0)
    train.edit(1, 0, "interval", 1)
    assert len(train.sections) == 2 and train.sections[1]["start"] == pytest.approx(13.5e-6)
    train.delete_section(0)
    assert len(train.sections) == 1 and train.sections[0]["rows"][0]["level"] == 0.5
    with pytest.raises(IndexError):
        train.edit(3, 0, "level", 0)
    with pytest.raises(ValueError, match="column"):
        train.edit(0, 0, "time", 0)


def test_a_new_train_is_built_through_the_editor():
    train = tidewright.new_train()
    assert train.summary["time_unit"] == "ms" and train.sections[0]["format"] == "points"
    assert train.table(0) == [["", "0", "0"]]
    train.edit(0, 0, "level", 0)
    for row, (level, time) in enumerate([(1, 1), (1, 3)], start=1):
        train.append_row(0)
        train.edit(0, row, "level", level)
        train.edit(0, row, "cumulative", time)
    ramp = train.compile(mode=1).segments[0]
    assert ramp[0] == 0 and ramp[-1] == 16383
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        train.remove_all_sections()
    assert len(train.sections) == 1 and train.table(0) == [["", "0", "0"]]


def test_files_that_are_no_trains_are_refused_and_damaged_ones_bounded(tmp_path):
    missing = str(tmp_path / "gone.pls")
    with pytest.raises(tidewright.Error, match="^Unable to read " + missing):
        tidewright.load_train(missing)
    (tmp_path / "empty.pls").write_text("[Other]\nx=1\n")
    with pytest.raises(tidewright.Error, match="holds no pulse train"):
        tidewright.load_train(tmp_path / "empty.pls")
    names = sorted(n for n in os.listdir(PULSE_FILES) if n.endswith(".pls"))
    assert len(names) > 5
    for name in names:
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", tidewright.Warning)
            try:
                train = tidewright.load_train(os.path.join(PULSE_FILES, name))
            except tidewright.Error:
                continue
            assert len(train.sections) <= 65536
            for section in train.sections:
                assert len(section["rows"]) <= 65536
