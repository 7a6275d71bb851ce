#!/usr/bin/env python3
"""Sums the results of the test suites of several build folders into one closing line.

Each build folder holds CTest's JUnit file (ctest-results.xml) and, for GoogleTest executables,
their own XML files under test-results/. A GoogleTest executable counts its test cases; a script
test counts the checks of the "N passed, M failed" line it leaves in test-results/<name>.counts,
and any other CTest test counts as one. Each failed GoogleTest case is named with the start of
its message. A CTest test that failed without a failing case in its XML (a crash, a timeout, a
missing file) adds one failure, and so does every build step named with --failed-step. The last
line printed is "N passed, M failed"; the exit code is 1 when M > 0.
"""
import argparse
import os
import re
import sys
import xml.etree.ElementTree as ET


def gtest_counts(path):
    """Passed and failed cases, and for each failed case its name and its first failure line."""
    passed = failed = 0
    failures = []
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.get("status") == "notrun" or case.get("result") == "skipped":
            continue
        problem = case.find("failure")
        if problem is None:
            problem = case.find("error")
        if problem is not None:
            failed += 1
            text = (problem.get("message") or problem.text or "").strip().splitlines()
            failures.append(f"{case.get('classname')}.{case.get('name')}: "
                            + " | ".join(text[:3])[:400])
        else:
            passed += 1
    return passed, failed, failures


def script_counts(path):
    with open(path) as f:
        match = re.search(r"(\d+) passed, (\d+) failed", f.read())
    return (int(match.group(1)), int(match.group(2))) if match else (0, 1)


def ctest_cases(build):
    path = os.path.join(build, "ctest-results.xml")
    if not os.path.exists(path):
        return None
    cases = []
    for case in ET.parse(path).getroot().iter("testcase"):
        ok = case.get("status") in ("run", "passed") and case.find("failure") is None
        cases.append((case.get("name"), ok))
    return cases


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("builds", nargs="+")
    parser.add_argument("--failed-step", action="append", default=[])
    args = parser.parse_args()

    passed = failed = 0
    for build in args.builds:
        cases = ctest_cases(build)
        if cases is None:
            print(f"{build}: no test results")
            failed += 1
            continue
        for name, ok in cases:
            xml = os.path.join(build, "test-results", name + ".xml")
            counts = os.path.join(build, "test-results", name + ".counts")
            failures = []
            if os.path.exists(xml):
                p, f, failures = gtest_counts(xml)
            elif os.path.exists(counts):
                p, f = script_counts(counts)
            if os.path.exists(xml) or os.path.exists(counts):
                if not ok and f == 0:
                    f = 1  # the test failed without a failing case: crash or timeout
            else:
                p, f = (1, 0) if ok else (0, 1)
            print(f"{build}: {name}: {p} passed, {f} failed")
            for failure in failures:  # named here too: the summary is what a CI log keeps
                print(f"  failed: {failure}")
            passed += p
            failed += f
    for step in args.failed_step:
        print(f"step failed: {step}")
        failed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
