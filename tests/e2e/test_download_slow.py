"""Faults that the computer only notices after 500 empty reads, about 50
seconds of silence each."""

import unittest
from pathlib import Path

from k4_scene import NAK, TIMEOUT, UPLOAD_LOST, Scene

SILENCE = 50  # seconds of empty reads before a frame read gives up


class SilenceTest(unittest.TestCase):
    def setUp(self):
        self.scene = Scene()
        self.addCleanup(self.scene.close)
        self.base = self.scene.root / "pump"
        self.kept = self.scene.root / "kept.img"

    def test_dropped_frame_is_asked_for_again_after_the_silence(self):
        sim = self.scene.start_sim("unit", "--drop-frame", "2")
        result = self.scene.download(self.base, "--keep-image", str(self.kept), timeout=120)
        self.assertEqual(result.status, 0, result.stderr)
        self.assertEqual(self.kept.read_bytes(), self.scene.sim_image())
        self.assertGreater(result.seconds, SILENCE - 2)
        sim.stop()
        self.assertEqual(sim.codes_received().count(NAK), 1)

    def test_missing_first_frame_ends_the_download_after_one_nak(self):
        sim = self.scene.start_sim("unit", "--drop-frame", "1")
        result = self.scene.download(self.base, timeout=120)
        self.assertEqual(result.status, 1, result.stderr)
        self.assertIn(UPLOAD_LOST, result.lines)
        self.assertNotIn(TIMEOUT, result.lines)
        self.assertFalse(Path(f"{self.base}.csv").exists())
        sim.stop()
        self.assertEqual(sim.codes_received().count(NAK), 1)

    def test_unit_gone_silent_ends_in_a_timeout_after_five_silences(self):
        sim = self.scene.start_sim("unit", "--silent-after", "2")
        result = self.scene.download(self.base, timeout=5 * SILENCE + 60)
        self.assertEqual(result.status, 1, result.stderr)
        self.assertLess(result.lines.index(TIMEOUT), result.lines.index(UPLOAD_LOST))
        self.assertGreater(result.seconds, 5 * SILENCE - 5)
        sim.stop()
        self.assertEqual(sim.codes_received().count(NAK), 5)


if __name__ == "__main__":
    unittest.main()
