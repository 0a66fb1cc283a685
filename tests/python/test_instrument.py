"""tidewright.Instrument against the simulated instrument, and an independent client (pyvisa-py)
checking the simulator's blocks, all on loopback."""
import os
import subprocess

import numpy as np
import pytest
import tidewright

from conftest import BUILD_DIR

SIM = os.path.join(BUILD_DIR, "tools", "tidewright-awg-sim")


@pytest.fixture
def ports():
    """The simulator's ports: its own protocol's and VXI-11's."""
    if not os.path.exists(SIM):
        pytest.skip("tidewright-awg-sim is not built at " + SIM)
    process = subprocess.Popen([SIM, "--listen", "127.0.0.1:0", "--vxi11-port", "0"],
                               stdout=subprocess.PIPE, text=True)
    ports = []
    for prefix in ("listening on 127.0.0.1:", "vxi11 listening on 127.0.0.1:"):
        line = process.stdout.readline()
        assert line.startswith(prefix), line
        ports.append(int(line.rsplit(":", 1)[1]))
    yield ports
    process.kill()
    process.wait()


@pytest.mark.parametrize("address", ["tcp://127.0.0.1:{0}", "vxi11://127.0.0.1:{1}/inst0"])
def test_instrument_sends_writes_queries_and_raises_instrument_errors(ports, address):
    points = (np.arange(70000) * 11 - 30000).astype(np.int16)  # more than one VXI-11 fragment
    with tidewright.Instrument(address.format(*ports)) as awg:
        assert awg.query("*IDN?").startswith("Tidewell,TW2014,")
        awg.send_wave(points, segment=5, channel=2)
        assert awg.query(":TRAC:DEF? 5") == "70000"
        awg.write(":INST:SEL 1")
        assert awg.query(":INST?") == "1"
        with pytest.raises(tidewright.InstrumentError) as refused:
            awg.write(":TRAC:DEF 1,16777220")
        assert refused.value.errors == [(-222, "Data out of range;segment length 16777220 is "
                                         "outside 16 to 16777216", ":TRAC:DEF 1,16777220")]
        assert isinstance(refused.value, tidewright.Error)
        with pytest.raises(tidewright.InstrumentError, match="MinPoints is 16"):
            awg.send_wave(points[:8])
        with pytest.raises(ValueError, match="outside -32768..32767"):
            awg.send_wave(np.array([40000]))
    with pytest.raises(tidewright.InstrumentError, match="cannot connect"):
        tidewright.Instrument("tcp://127.0.0.1:1", timeout=1)


def test_pyvisa_blocks_read_back_byte_equal(ports):
    pyvisa = pytest.importorskip("pyvisa")
    rm = pyvisa.ResourceManager("@py")
    awg = rm.open_resource(f"TCPIP0::127.0.0.1::{ports[0]}::SOCKET", read_termination="\n",
                           write_termination="\n", timeout=10000)
    try:
        values = (np.arange(100000) * 13 % 65536 - 32768).astype(np.int16)
        awg.write(":TRAC:DEF 2,100000")
        awg.write(":TRAC:SEL 2")
        awg.write_binary_values(":TRAC:DATA ", values, datatype="h", is_big_endian=False)
        assert awg.query("SYST:ERR?") == '0,"No error"'
        back = awg.query_binary_values(":TRAC:DATA?", datatype="h", is_big_endian=False,
                                       container=np.array, expect_termination=True)
        assert back.tobytes() == values.tobytes()
    finally:
        awg.close()
        rm.close()
