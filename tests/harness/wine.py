"""Windows programs under wine: paths on wine's Z: drive, programs run with
their output through files (wine's helpers keep pipes open after a program
ends), the registry, and the simulated unit's pseudo-terminal seen as COM5.

The prefix itself is made by scripts/wine-prefix.sh; WINEPREFIX names it."""

import os
import subprocess
import tempfile
from pathlib import Path

CONFIG_KEY = r"HKLM\SOFTWARE\Tavrin Co\K4 Data Transfer Application\Configuration"
USER_CONFIG_KEY = r"HKCU\SOFTWARE\Tavrin Co\K4 Data Transfer Application\Configuration"


def prefix():
    return Path(os.environ["WINEPREFIX"])


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def run(*args, env=None, timeout=120, cwd=None):
    """Runs a Windows program to its end: (exit status, stdout, stderr)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(["wine", *map(str, args)], stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              env=env or os.environ, timeout=timeout, cwd=cwd)
        out.seek(0)
        err.seek(0)
        return done.returncode, out.read().decode(errors="replace"), err.read().decode(errors="replace")


def reg_value(key, name):
    code, out, _ = run("reg", "query", key, "/v", name)
    if code != 0:
        return None
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == name:
            return parts[2].strip()
    return None


def set_dword(name, value, key=CONFIG_KEY):
    """Writes a REG_DWORD, or deletes the value when `value` is None."""
    if value is None:
        run("reg", "delete", key, "/v", name, "/f")
    else:
        run("reg", "add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")


def unit_as_com5(scene, *sim_args, paced=False):
    """A k4-sim of `scene` that the Windows programs see as COM5: its
    pseudo-terminal linked as the prefix's COM5, and announced with the
    unit's identifiers in scene.root/wine-bridges (what bridge_dir names)."""
    sim = scene.start_sim("unit", *sim_args, paced=paced)
    link = prefix() / "dosdevices" / "com5"
    link.unlink(missing_ok=True)
    link.symlink_to(sim.bridge_file.read_text().split()[0])
    (scene.root / "wine-bridges").mkdir(exist_ok=True)
    (scene.root / "wine-bridges" / "unit.bridge").write_text("COM5 10c4 ea60\n")
    return sim


def bridge_dir(scene):
    """The Windows programs' K4_BRIDGE_DIR for the unit of unit_as_com5."""
    (scene.root / "wine-bridges").mkdir(exist_ok=True)
    return windows_path(scene.root / "wine-bridges")

