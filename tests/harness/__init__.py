"""What every out-of-process test shares: a scene (private home, settings,
bridge folder), the simulated unit, a virtual display, the wine prefix, the
report compared but for its write date, and the expect / skip helpers.

Orchestrators put the tests folder on sys.path and import from here:

    sys.path.insert(0, str(Path(__file__).resolve().parents[N]))
    from harness import scene, display, wine, reports, expect
"""
