#!/usr/bin/python3
"""The writer's outcomes with the real component: a logo that is missing or
not a picture, an output folder that does not exist, an empty event table,
and a long non-ASCII path that must still work.

usage: check_report_real_failures.py REPORT_DRIVER COMPONENT LOGO"""
import os
import shutil
import sys

from report_check_support import SWITCH_ON, Checks, log_image, measurement, run_driver, whole_amps, work_folder

CREATE_FAILED = "Unable to create the Excel output file."


def program_folder(work, name, component, logo_bytes):
    folder = os.path.join(work, name)
    os.makedirs(folder)
    shutil.copy(component, folder)
    if logo_bytes is not None:
        with open(os.path.join(folder, "TQLogo.png"), "wb") as out:
            out.write(logo_bytes)
    return folder


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    driver, component, logo = sys.argv[1:]
    with open(logo, "rb") as f:
        logo_bytes = f.read()
    work = work_folder("k4-report-failures-")
    checks = Checks()

    image = os.path.join(work, "one.img")
    with open(image, "wb") as out:
        out.write(log_image([measurement(SWITCH_ON, 10, whole_amps(10, 10, 10))]))
    empty_image = os.path.join(work, "empty.img")
    with open(empty_image, "wb") as out:
        out.write(log_image([]))

    def write(name, folder, source=image, base=None):
        base = base or os.path.join(work, name)
        code, err = run_driver(driver, [source, "--program-folder", folder], base)
        return code, err.strip(), os.path.exists(base + ".xls")

    good = program_folder(work, "good", component, logo_bytes)
    checks.equal("with component and logo", write("good", good), (0, "", True))

    no_logo = program_folder(work, "no-logo", component, None)
    checks.equal("logo missing", write("no-logo", no_logo), (1, CREATE_FAILED, False))

    bad_logo = program_folder(work, "bad-logo", component, b"this is not a PNG file")
    checks.equal("logo not a picture", write("bad-logo", bad_logo), (1, CREATE_FAILED, False))

    checks.equal("output folder missing", write("x", good, base=os.path.join(work, "no", "such", "folder", "x")),
                 (1, CREATE_FAILED, False))

    checks.equal("empty event table", write("empty", good, source=empty_image), (1, "", False))

    deep = os.path.join(work, *(["Pumpenstation Überlandleitung Nord"] * 8))
    os.makedirs(deep)
    base = os.path.join(deep, "Bericht März")
    checks.true(f"long path is {len(base.encode())} bytes", len(base.encode()) > 260)
    checks.equal("long non-ASCII path", write("deep", good, base=base), (0, "", True))
    checks.finish()


if __name__ == "__main__":
    sys.exit(main())
