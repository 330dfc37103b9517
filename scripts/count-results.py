#!/usr/bin/env python3
"""Counts test cases from GoogleTest XML results; a ctest entry that failed without a result
file (a crash, a time-out) counts as one failure. Prints: passed failed."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

results_dir, ctest_log = sys.argv[1], sys.argv[2]
passed = failed = 0
with_results = set()
for path in glob.glob(os.path.join(results_dir, "*.xml")):
    name = os.path.splitext(os.path.basename(path))[0]
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        continue
    with_results.add(name)
    for case in root.iter("testcase"):
        if case.get("result", "completed") == "skipped" or case.get("status") == "notrun":
            continue
        if case.find("failure") is not None:
            failed += 1
        else:
            passed += 1

# Lines like "  3 - name (Failed)" after "The following tests FAILED:".
in_failed = False
for line in open(ctest_log, errors="replace"):
    if "The following tests FAILED" in line:
        in_failed = True
        continue
    if in_failed:
        parts = line.strip().split(" - ", 1)
        if len(parts) != 2:
            continue
        name = parts[1].rsplit(" (", 1)[0]
        if name not in with_results:
            failed += 1
        else:
            # A result file with no failure in it next to a failed run: the exe died after writing it.
            root = ET.parse(os.path.join(results_dir, name + ".xml")).getroot()
            if not any(c.find("failure") is not None for c in root.iter("testcase")):
                failed += 1
print(passed, failed)
