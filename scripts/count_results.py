#!/usr/bin/env python3
"""Prints "<passed> <failed>" for a GoogleTest XML report or an e2e results JSON file.

Exits 2 when the file is missing or unreadable (the layer did not finish)."""

import json
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    root = ET.parse(path).getroot()
    passed = failed = 0
    for case in root.iter("testcase"):
        # Disabled and skipped cases neither pass nor fail.
        if case.get("status") == "notrun" or case.get("result") in ("skipped", "suppressed"):
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        else:
            passed += 1
    return passed, failed


def e2e_counts(path):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    return int(data["passed"]), int(data["failed"])


def main():
    path = sys.argv[1]
    try:
        counts = e2e_counts(path) if path.endswith(".json") else gtest_counts(path)
    except (OSError, ValueError, KeyError, ET.ParseError):
        return 2
    print("%d %d" % counts)
    return 0


if __name__ == "__main__":
    sys.exit(main())
