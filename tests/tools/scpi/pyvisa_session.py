#!/usr/bin/env python3
"""vantrel-scpi driven by PyVISA as a lab script drives a signal generator:
set, query, sweep and store over TCPIP::127.0.0.1::<port>::SOCKET, against
vantrel-board; every line the board received must be vantrel-plan's words
for the same settings.

    pyvisa_session.py VANTREL_SCPI VANTREL_BOARD VANTREL_PLAN

Exits 77 (skipped) when PyVISA or its pure-Python backend is missing.
"""
import json
import re
import subprocess
import sys

try:
    import pyvisa
    import pyvisa_py  # noqa: F401 (the '@py' backend)
except ImportError as missing:
    print(f"skipped: {missing} (Debian: python3-pyvisa python3-pyvisa-py)")
    sys.exit(77)

SCPI, BOARD, PLAN = sys.argv[1:4]
OPTIONS = ["--auto-divider"]


def plan_words(*arguments):
    out = subprocess.run([PLAN, *OPTIONS, *arguments, "--json"], check=True, capture_output=True, text=True).stdout
    return json.loads(out)["registers"]


def set_lines(words):
    return ["R" + word for word in reversed(words)]


def changed_lines(before, after):
    lines = ["R" + after[i] for i in range(5, 0, -1) if before[i] != after[i]]
    if lines or before[0] != after[0]:
        lines.append("R" + after[0])
    return lines


def main():
    board = subprocess.Popen([BOARD, "--log"], stdout=subprocess.PIPE, text=True)
    server = None
    try:
        port_path = board.stdout.readline().strip().removeprefix("Board ready on ")
        server = subprocess.Popen([SCPI, "--port", port_path, "--listen", "127.0.0.1:0", *OPTIONS],
                                  stderr=subprocess.PIPE, text=True)
        tcp_port = re.search(r"listening on 127\.0\.0\.1:(\d+);", server.stderr.readline()).group(1)

        rm = pyvisa.ResourceManager("@py")
        sg = rm.open_resource(f"TCPIP::127.0.0.1::{tcp_port}::SOCKET",
                              read_termination="\n", write_termination="\n", timeout=15000)
        assert sg.query("*IDN?").startswith("Vantrel,ADF4351 board,"), "*IDN?"
        sg.write("*RST;*CLS")
        sg.write("OUTP ON")
        sg.write("FREQ 2.4GHZ")
        sg.write("POW -1 DBM")
        assert sg.query("*OPC?") == "1"
        assert float(sg.query("FREQ?")) == 2.4e9, "FREQ?"
        assert sg.query_ascii_values("POW?") == [-1.0], "POW?"
        sg.write("OUTP OFF")
        assert sg.query("OUTP?") == "0"
        sg.write("FREQ:STAR 2400 MHZ;STOP 2401 MHZ;STEP 500 KHZ")
        assert int(sg.query("SWE:POIN?")) == 3
        sg.write("FREQ:MODE SWE;:INIT")
        assert sg.query("*OPC?") == "1"
        sg.write("FREQ:MODE CW")
        sg.write("MEM:STOR")
        assert sg.query("*OPC?") == "1"
        assert sg.query("SYST:ERR?") == '0,"No error"'
        sg.close()
        rm.close()
    finally:
        if server:
            server.terminate()
            server.wait(15)
        board.terminate()
    log = board.communicate(timeout=15)[0]
    received = [line.split(" ms: ")[1] for line in log.splitlines() if " ms: " in line]

    # *RST sends the options' state with RF off; after the first whole set a
    # CW command sends the words that changed.
    reset = plan_words("--rf-off")
    on = plan_words()
    cw = plan_words("--fout", "2400")
    cw_low = plan_words("--fout", "2400", "--power", "1")
    quiet = plan_words("--fout", "2400", "--power", "1", "--rf-off")
    steps = [plan_words("--fout", f, "--power", "1", "--rf-off") for f in ("2400", "2400.5", "2401")]
    expected = set_lines(reset) + changed_lines(reset, on) + changed_lines(on, cw) + changed_lines(cw, cw_low)
    expected += changed_lines(cw_low, quiet)
    expected += set_lines(steps[0]) + changed_lines(steps[0], steps[1]) + changed_lines(steps[1], steps[2])
    expected += changed_lines(steps[2], quiet)
    expected += [line for pair in (("R" + w, "W") for w in reversed(quiet)) for line in pair]
    if received != expected:
        print("the board received:\n  " + " ".join(received) + "\nvantrel-plan's words give:\n  " + " ".join(expected))
        return 1
    print(f"{len(received)} lines on the wire, each as vantrel-plan plans it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
