#!/usr/bin/env python3
"""vantrel-scpi driven through PyMeasure's ready-made Agilent8257D signal
generator driver, unchanged, as a lab script drives a generator: frequency,
power, output enable, start, stop, dwell, points, a step sweep started and
stopped, and shutdown(). The virtual board's log must end on a whole set,
Reg0 last, with the RF output off.

    pymeasure_session.py VANTREL_SCPI VANTREL_BOARD VANTREL_PLAN

Exits 77 (skipped) when PyMeasure, PyVISA or its pure-Python backend is missing.
"""
import json
import re
import subprocess
import sys
import time

try:
    import pyvisa_py  # noqa: F401 (the '@py' backend)
    from pymeasure.adapters import VISAAdapter
    from pymeasure.instruments.agilent import Agilent8257D
except ImportError as missing:
    print(f"skipped: {missing} (Debian: python3-pymeasure python3-pyvisa-py)")
    sys.exit(77)

SCPI, BOARD, PLAN = sys.argv[1:4]
OPTIONS = ["--auto-divider"]
RF_ENABLE = 1 << 5  # Reg4


def plan_words(*arguments):
    out = subprocess.run([PLAN, *OPTIONS, *arguments, "--json"], check=True, capture_output=True, text=True).stdout
    return [int(word, 16) for word in json.loads(out)["registers"]]


def main():
    board = subprocess.Popen([BOARD, "--log"], stdout=subprocess.PIPE, text=True)
    server = None
    try:
        port_path = board.stdout.readline().strip().removeprefix("Board ready on ")
        server = subprocess.Popen([SCPI, "--port", port_path, "--listen", "127.0.0.1:0", *OPTIONS],
                                  stderr=subprocess.PIPE, text=True)
        tcp_port = re.search(r"listening on 127\.0\.0\.1:(\d+);", server.stderr.readline()).group(1)

        adapter = VISAAdapter(f"TCPIP::127.0.0.1::{tcp_port}::SOCKET", visa_library="@py",
                              read_termination="\n", write_termination="\n", timeout=15000)
        sg = Agilent8257D(adapter)
        assert sg.id.startswith("Vantrel,ADF4351 board,"), sg.id
        sg.frequency = 2.4e9
        sg.power = -1
        sg.enable()
        assert sg.frequency == 2.4e9, sg.frequency
        assert sg.power == -1, sg.power
        assert sg.is_enabled, "OUTP? after enable()"
        sg.start_frequency = 2.4e9
        sg.stop_frequency = 2.402e9
        sg.step_points = 3
        sg.dwell_time = 0.2
        assert sg.start_frequency == 2.4e9 and sg.stop_frequency == 2.402e9, "start and stop"
        assert sg.step_points == 3, sg.step_points
        assert sg.dwell_time == 0.2, sg.dwell_time
        sg.config_step_sweep()
        sg.start_step_sweep()
        assert sg.ask("STAT:OPER:COND?").strip() == "8", "sweeping"
        time.sleep(1.5)
        sg.stop_step_sweep()
        sg.ask("*OPC?")
        assert sg.ask("STAT:OPER:COND?").strip() == "0", "stopped"
        sg.shutdown()
        sg.ask("*OPC?")
        assert not sg.is_enabled, "OUTP? after shutdown()"
        # The driver's modulation commands are not this board's: two of them, nothing else.
        errors = []
        while (error := sg.ask("SYST:ERR?").strip()) != '0,"No error"':
            errors.append(error)
        assert all(e.startswith("-113,") for e in errors) and len(errors) == 2, errors
        adapter.connection.close()
    finally:
        if server:
            server.terminate()
            server.wait(15)
        board.terminate()
    log = board.communicate(timeout=15)[0]
    received = [line.split(" ms: ")[1] for line in log.splitlines() if " ms: " in line]
    if not received or not received[-1].startswith("R") or int(received[-1][1:], 16) & 7 != 0:
        print("the board's log does not end on Reg0:\n  " + " ".join(received))
        return 1
    words = {}
    for line in received:
        if line.startswith("R"):
            word = int(line[1:], 16)
            words[word & 7] = word
    held = [words.get(i) for i in range(6)]
    if held[4] is None or held[4] & RF_ENABLE:
        print("the board's RF output is still on:\n  " + " ".join(received))
        return 1
    offs = [plan_words("--fout", f, "--power", "1", "--rf-off") for f in ("2400", "2401", "2402")]
    if held not in offs:
        print("the board holds no plan of the sweep with RF off:\n  " + " ".join(received))
        return 1
    print(f"{len(received)} lines on the wire; the board ends on a whole set with RF off")
    return 0


if __name__ == "__main__":
    sys.exit(main())
