#!/usr/bin/env python3
"""Runs the unittest cases of Python test files and writes a report in the XML form of
GoogleTest's, which scripts/test counts: pyreport.py REPORT.xml TEST.py..."""
import importlib.util
import os
import sys
import unittest
from xml.sax.saxutils import quoteattr


class Recorder(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.cases = []     # (suite, name, failure text or None)

    def addSuccess(self, test):
        super().addSuccess(test)
        self.cases.append((type(test).__name__, test._testMethodName, None))

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self.cases.append((type(test).__name__, test._testMethodName, self.failures[-1][1]))

    def addError(self, test, err):
        super().addError(test, err)
        failed = getattr(test, "_testMethodName", str(test))
        self.cases.append((type(test).__name__, failed, self.errors[-1][1]))


def main(argv):
    report, files = argv[1], argv[2:]
    suite = unittest.TestSuite()
    for path in files:
        spec = importlib.util.spec_from_file_location(os.path.splitext(os.path.basename(path))[0], path)
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        suite.addTests(unittest.defaultTestLoader.loadTestsFromModule(module))
    result = unittest.TextTestRunner(resultclass=Recorder, verbosity=2).run(suite)
    with open(report, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<testsuites>\n')
        for suite_name, name, failure in result.cases:
            f.write(f'  <testcase name={quoteattr(name)} classname={quoteattr(suite_name)} status="run">')
            if failure:
                f.write(f"<failure message={quoteattr(failure)}/>")
            f.write("</testcase>\n")
        f.write("</testsuites>\n")
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
