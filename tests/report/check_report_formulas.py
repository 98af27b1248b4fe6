#!/usr/bin/python3
"""Opens a report written by the real component in a headless LibreOffice,
enters Max Amps 20 as a user would, and checks what the two row formulas
show; also that the last row's unbalance formula arrives whole.

usage: check_report_formulas.py REPORT_DRIVER"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from report_check_support import SWITCH_ON, Failures, measurement, skip, write_report

try:
    import uno
    from com.sun.star.beans import PropertyValue
    from com.sun.star.connection import NoConnectException
except ImportError:
    skip("python3-uno is not installed")
if shutil.which("soffice") is None:
    skip("LibreOffice (soffice) is not installed")

# Currents in whole amperes -> (% of Max Amps, % unbalance) shown with Max Amps 20.
CASES = [((10, 10, 10), ("50.0%", "")), ((9, 10, 11), ("55.0%", "10.0%")), ((1, 1, 1), ("", ""))]
LAST_ROW = 524
UNBALANCE = ("=IF(MAX(R{r}C13:R{r}C15)>0.1*R7C9;MAX(" + ";".join(
    "ABS((AVERAGE(R{r}C13:R{r}C15)-R{r}C%d)/AVERAGE(R{r}C13:R{r}C15))" % k for k in (13, 14, 15)) + ");0)")


def a1(r1c1_formula):
    """The formula as LibreOffice shows it: absolute A1 references."""
    return re.sub(r"R(\d+)C(\d+)", lambda m: f"${chr(64 + int(m.group(2)))}${m.group(1)}", r1c1_formula)


def start_office(profile):
    """A headless LibreOffice with a profile of its own; returns (process, desktop)."""
    pipe = f"k4report{os.getpid()}"
    process = subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--norestore", "--nodefault",
         f"-env:UserInstallation={uno.systemPathToFileUrl(profile)}",
         f"--accept=pipe,name={pipe};urp;StarOffice.ComponentContext"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.time() + 120
    while True:
        try:
            context = resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
            return process, context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        except NoConnectException:
            if time.time() > deadline or process.poll() is not None:
                process.kill()
                sys.exit("LibreOffice did not start")
            time.sleep(0.3)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    records = [measurement(SWITCH_ON, 10 * (i + 1), amps) for i, (amps, _) in enumerate(CASES)]
    records += [measurement(SWITCH_ON, 100 + i, (5, 5, 5)) for i in range(LAST_ROW - 12 - len(CASES))]
    path = write_report(sys.argv[1], "formulas", records=records)
    failures = Failures()
    failures.expect("length of the last row's unbalance formula", len(UNBALANCE.format(r=LAST_ROW)), 236)

    with tempfile.TemporaryDirectory(prefix="k4-lo-profile-") as profile:
        process, desktop = start_office(profile)
        try:
            hidden = PropertyValue(Name="Hidden", Value=True)
            document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
                                                    (hidden,))
            sheet = document.Sheets.getByIndex(0)
            unbalance = sheet.getCellByPosition(16, LAST_ROW - 1).getFormula()
            failures.expect(f"Q{LAST_ROW} formula", unbalance, a1(UNBALANCE.format(r=LAST_ROW)))
            sheet.getCellByPosition(8, 6).setValue(20)  # Max Amps, I7
            document.calculateAll()
            for row, (amps, shown) in enumerate(CASES, start=13):
                percent, spread = (sheet.getCellByPosition(column, row - 1).getString() for column in (15, 16))
                failures.expect(f"currents {amps}: P and Q shown", (percent, spread), shown)
            document.close(True)
        finally:
            try:
                desktop.terminate()
                process.wait(timeout=30)
            except Exception:  # gone already, or hanging: the kill settles both
                process.kill()
    failures.finish()


if __name__ == "__main__":
    main()
