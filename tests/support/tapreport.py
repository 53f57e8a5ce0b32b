#!/usr/bin/env python3
"""Runs a command that prints TAP (node --test) and writes its results in the XML form of
GoogleTest's, which scripts/test counts: tapreport.py REPORT.xml COMMAND [ARG...]
The command's output is passed through; the exit status is the command's."""
import re
import subprocess
import sys
from xml.sax.saxutils import quoteattr


def main(report, command):
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    sys.stdout.write(run.stdout)
    with open(report, "w", encoding="utf-8") as f:
        f.write("<testsuites>\n")
        # Top-level results only: a test's own subtests are indented.
        for failed, name in re.findall(r"^(not )?ok \d+ - (.*)$", run.stdout, re.M):
            failure = '<failure message="see the log"/>' if failed else ""
            f.write(f'  <testcase name={quoteattr(name)} status="run">{failure}</testcase>\n')
        f.write("</testsuites>\n")
    return run.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
