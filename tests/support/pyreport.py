#!/usr/bin/env python3
"""Runs the unittest cases of Python test files and writes a report in the XML form of
GoogleTest's, which scripts/test counts: pyreport.py REPORT.xml TEST.py..."""
import os
import sys
import types
import unittest
from xml.sax.saxutils import quoteattr


class Result(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.passed = []

    def addSuccess(self, test):
        super().addSuccess(test)
        self.passed.append(test)


def main(report, files):
    suite = unittest.TestSuite()
    for path in files:
        module = types.ModuleType(os.path.splitext(os.path.basename(path))[0])
        module.__file__ = path
        with open(path, encoding="utf-8") as f:
            exec(compile(f.read(), path, "exec"), module.__dict__)
        suite.addTests(unittest.defaultTestLoader.loadTestsFromModule(module))
    result = unittest.TextTestRunner(resultclass=Result, verbosity=2).run(suite)
    # A class that could not be set up is one failed case: its tests did not run.
    cases = [(test, None) for test in result.passed] + result.failures + result.errors
    with open(report, "w", encoding="utf-8") as f:
        f.write("<testsuites>\n")
        for test, failure in cases:
            f.write(f'  <testcase name={quoteattr(str(test))} status="run">'
                    + (f"<failure message={quoteattr(failure)}/>" if failure else "") + "</testcase>\n")
        f.write("</testsuites>\n")
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
