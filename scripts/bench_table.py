#!/usr/bin/env python3
"""Turns vantrel-bench's JSON output (with repetitions) into the table of
figures and their targets that bench.sh prints.

A row is filled from the median of every benchmark of its family (the name
before the first "/"), taking the slowest (or the largest figure) when a
family has several cases.
A family that did not run shows "not measured yet"; so a new benchmark with
one of these names fills its row without changes here.
"""
import json
import sys

UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}

# figure, benchmark family, what to read, target low, target high, unit
ROWS = [
    ("Plan: settings to listing (median)", "planToListing", "time", None, 20e-6, "us"),
    ("Plan, every check, first summary vs plan alone", "planAndChecksSideBySide", "ratio", None, 1.5, "x"),
    ("Best fraction, worst case (median)", "bestFraction", "time", None, 100e-6, "us"),
    ("Keystroke to updated listing (median)", "keystrokeToListing", "time", None, 1e-3, "ms"),
    ("Keystroke to listing and chip strip (median)", "keystrokeToListingAndStrip", "time", None, 0.2e-3, "ms"),
    ("Start-up to window shown (median)", "startupToWindowShown", "time", None, 0.300, "ms"),
    ("Resident memory after start (median)", "startupToWindowShown", "rss_kB", None, 80 * 1024, "MB"),
    ("Start-up with a remembered state (median)", "startupWithRememberedState", "time", None, 0.300, "ms"),
    ("Set all Registers on the wire", "boardSetAllRegisters", "time", 0.60, 0.63, "s"),
    ("Write EE on the wire", "boardWriteEe", "time", 1.20, 1.26, "s"),
    ("CPU while pacing Write EE", "boardWriteEe", "cpu_percent_of_one_core", None, 5.0, "%"),
    ("Set received in one burst to decode requested", "burstToDecode", "time", None, 10e-3, "ms"),
    ("Decode into the window, with its recalculation", "decodeIntoWindow", "time", None, 10e-3, "ms"),
    ("vantrel-ctl set, start to exit", "ctlSetProcess", "time", None, 0.70, "s"),
    ("Sweep step, whole set", "sweepStepWhole", "time", 0.60, 0.62, "s"),
    ("Sweep step, changed words only (Reg0)", "sweepStepChanged", "time", 0.10, 0.11, "s"),
    ("100-step sweep beyond its gaps and dwells", "sweepNoDrift", "drift_percent", None, 2.0, "% of it"),
    ("CPU while sweeping", "sweepNoDrift", "cpu_percent_of_one_core", None, 5.0, "%"),
    ("Memory growth, steps 100 to 1000 of a loop", "ctlLoopMemory", "rss_growth_kB", None, 1024, "MB"),
    ("Sweep window step, whole set", "windowSweepStepWhole", "time", 0.60, 0.62, "s"),
    ("Sweep window step, changed words only (Reg0)", "windowSweepStepChanged", "time", 0.10, 0.11, "s"),
    ("Keystroke to listing while sweeping (median)", "keystrokeWhileSweeping", "time", None, 1e-3, "ms"),
    ("Open a settings file to updated listing", "openSettingsToListing", "time", None, 2e-3, "ms"),
    ("Paste to decoded window", "pasteToDecodedWindow", "time", None, 1e-3, "ms"),
    ("Undo of a whole-panel change (median)", "undoWholePanelChange", "time", None, 1e-3, "ms"),
    ("Open the chip options window (median)", "openChipOptionsWindow", "time", None, 50e-3, "ms"),
    ("Plan quality figures on top of the plan", "qualityOnTopOfPlan", "figures_seconds", None, 1e-6, "us"),
    ("Keystroke to listing, strip and Plan Quality", "keystrokeToQualityWindow", "time", None, 0.3e-3, "ms"),
    ("Plan advisor, whole search, worst case", "planAdvisor", "time", None, 20e-3, "ms"),
    ("vantrel-scpi: FREQ to its first line on the wire", "scpiFreqToFirstLine", "time", None, 2e-3, "ms"),
    ("vantrel-scpi: FREQ;*OPC? (6 lines, floor 0.6 s)", "scpiFreqWithOpc", "time", None, 0.63, "s"),
    ("vantrel-scpi: FREQ? round trips on loopback", "scpiQueries", "queries_per_second", 5000, None, "/s"),
    ("vantrel-scpi: CW step, one word changed", "scpiCwChangedStep", "time", None, 0.11, "s"),
    ("vantrel-scpi: FREQ? round trips, 10 clients", "scpiQueriesTenClients", "queries_per_second", 5000, None, "/s"),
    ("vantrel-scpi: memory, 24 clients flooding", "scpiFloodMemory", "peak_rss_kB", None, 64 * 1024, "MB"),
    ("vantrel-scpi: CPU while idle", "scpiIdleCpu", "cpu_percent_of_one_core", None, 0.1, "%."),
    ("Band scan, 35-4400 MHz by 1 MHz (4,366 points)", "bandScanCompute", "time", None, 30e-3, "ms"),
    ("Band map drawn, 4,366 points", "bandMapDraw", "time", None, 300e-3, "ms"),
    ("Settings change to redrawn band map", "bandMapFollowsSettings", "time", None, 400e-3, "ms"),
    ("Band map memory, 100,000 points", "bandMapMemory100k", "heap_growth_kB", None, 50 * 1024, "MB"),
    ("Loop filter design (median)", "loopDesign", "time", None, 20e-6, "us"),
    ("One plan's loop figures, curve and integral", "loopFigures", "time", None, 100e-6, "us"),
    ("Keystroke to listing, strip and Loop Filter", "keystrokeToLoopWindow", "time", None, 2e-3, "ms"),
    ("Band map with each crossover, 4,366 points", "bandMapWithCrossover", "time", None, 100e-3, "ms"),
]


def medians(report):
    """family -> list of (case name, seconds, counters) of the median rows."""
    found = {}
    for entry in report["benchmarks"]:
        if entry.get("run_type") == "aggregate" and entry.get("aggregate_name") != "median":
            continue
        name = entry.get("run_name", entry["name"])
        seconds = entry["real_time"] * UNIT_SECONDS[entry.get("time_unit", "ns")]
        found.setdefault(name.split("/")[0], {})[name] = (seconds, entry)
    return found


def show(value, unit):
    if unit == "x":
        return f"{value:.2f} x"
    if unit == "% of it":
        return f"{value:.2f} %"
    if unit == "%":
        return f"{value:.2f} %"
    if unit == "%.":
        return f"{value:.3f} %"
    if unit == "/s":
        return f"{value:.0f} /s"
    if unit == "MB":
        return f"{value / 1024:.2f} MB"
    scale = {"us": 1e6, "ms": 1e3, "s": 1.0}[unit]
    places = {"us": 1, "ms": 3, "s": 3}[unit]
    return f"{value * scale:.{places}f} {unit}"


def target_text(low, high, unit):
    if unit == "x":
        return f"<= {high:g} x"
    if unit == "% of it":
        return f"<= {high:g} %"
    if unit in ("%", "%."):
        return f"< {high:g} % of one core"
    if unit == "/s":
        return f">= {low:g} /s"
    if unit == "MB":
        return f"<= {high / 1024:g} MB"
    scale = {"us": 1e6, "ms": 1e3, "s": 1.0}[unit]
    if low is None:
        return f"<= {high * scale:g} {unit}"
    return f"{low:.2f}-{high:.2f} s"


def main(path):
    with open(path) as file:
        report = json.load(file)
    found = medians(report)
    table = [("figure", "target", "measured", "")]
    missed = 0
    for figure, family, what, low, high, unit in ROWS:
        cases = found.get(family)
        if not cases:
            table.append((figure, target_text(low, high, unit), "not measured yet", ""))
            continue
        if what == "time":
            case, (value, _) = max(cases.items(), key=lambda item: item[1][0])
        else:
            case, (_, entry) = max(cases.items(), key=lambda item: item[1][1][what])
            value = entry[what]
        ok = (low is None or value >= low) and (high is None or value <= high)
        missed += not ok
        detail = f" ({case.split('/')[1]})" if len(cases) > 1 else ""
        table.append((figure, target_text(low, high, unit), show(value, unit) + detail, "ok" if ok else "MISSED"))

    widths = [max(len(row[i]) for row in table) for i in range(4)]
    line = lambda row: "| " + " | ".join(cell.ljust(width) for cell, width in zip(row, widths)) + " |"
    print(line(table[0]))
    print("|" + "|".join("-" * (width + 2) for width in widths) + "|")
    for row in table[1:]:
        print(line(row))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
