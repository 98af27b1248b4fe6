"""The download pass end to end: k4-download against k4-sim over a
pseudo-terminal, with the unit's faults injected by the simulator."""

import unittest
from pathlib import Path

from k4_scene import (ACK, DOWNLOAD, FILE_COUNT, FILE_COUNT_LOST, NAK, SEND_FAILED, TIMEOUT, UPLOAD_LOST,
                      Scene)


class PassTestCase(unittest.TestCase):
    def setUp(self):
        self.scene = Scene()
        self.addCleanup(self.scene.close)
        self.base = self.scene.root / "out" / "pump"
        self.base.parent.mkdir()
        self.kept = self.scene.root / "kept.img"

    def download(self, *args, **kwargs):
        return self.scene.download(self.base, "--keep-image", str(self.kept), *args, **kwargs)

    def assertSaved(self, result, image):
        self.assertEqual(result.status, 0, result.stderr)
        self.assertIn("Save Successful", result.lines)
        self.assertEqual(self.kept.read_bytes(), image)
        self.assertEqual(Path(f"{self.base}.csv").read_bytes(), self.scene.report_csv(self.kept))
        self.assertTrue(Path(f"{self.base}.xls").is_file())

    def assertUploadFailed(self, result):
        self.assertEqual(result.status, 1, result.stderr)
        self.assertIn(UPLOAD_LOST, result.lines)
        self.assertNotIn("Save Successful", result.lines)

    def assertClosedOnce(self, result):
        opened = [line.split()[-1] for line in result.bridge_calls("open") if "failed" not in line]
        closed = [line.split()[-1] for line in result.bridge_calls("close")]
        self.assertEqual(sorted(opened), sorted(closed), result.stderr)


class CleanDownloadTest(PassTestCase):
    def test_image_arrives_byte_for_byte_and_both_files_are_written(self):
        sim = self.scene.start_sim("unit")
        result = self.download()
        self.assertSaved(result, self.scene.sim_image())
        prompts = [line for line in result.lines
                   if line in ("Searching for Pumpvisor Data", "Pumpvisor Data Found", "Save Successful")]
        self.assertEqual(prompts, ["Searching for Pumpvisor Data", "Pumpvisor Data Found", "Save Successful"])
        self.assertClosedOnce(result)
        sim.stop()
        codes = sim.codes_received()
        data_frames = 3  # 683 sample bytes in 256-byte frames
        self.assertEqual(codes, [FILE_COUNT, DOWNLOAD] + [ACK] * data_frames)

    def test_full_size_image_in_the_largest_frames(self):
        image_file = self.scene.root / "full.img"
        image = self.scene.sim_image("--synthetic", "100000")
        image_file.write_bytes(image + bytes(40960 - len(image)))
        self.scene.start_sim("unit", "--image", str(image_file), "--frame-size", "507")
        self.assertSaved(self.download(), image_file.read_bytes())

    def test_paced_line_takes_at_least_the_wire_time(self):
        self.scene.start_sim("unit", "--synthetic", "300", paced=True)
        image = self.scene.sim_image("--synthetic", "300")
        result = self.download()
        self.assertSaved(result, image)
        self.assertGreater(result.seconds, len(image) / 12800)

    def test_name_without_folder_lands_in_the_documents_data_folder(self):
        self.scene.start_sim("unit")
        result = self.scene.download("pump.csv")
        self.assertEqual(result.status, 0, result.stderr)
        folder = self.scene.home / "Documents" / "K4 Data Folder"
        self.assertTrue((folder / "pump.csv").is_file())
        self.assertTrue((folder / "pump.xls").is_file())


class UnitAnswersTest(PassTestCase):
    def test_empty_unit_ends_without_download(self):
        sim = self.scene.start_sim("unit", "--file-count", "0")
        result = self.download()
        self.assertEqual(result.status, 3, result.stderr)
        self.assertIn("Device Empty", result.lines)
        self.assertNotIn("Pumpvisor Data Found", result.lines)
        self.assertFalse(Path(f"{self.base}.csv").exists())
        self.assertClosedOnce(result)
        sim.stop()
        self.assertNotIn(DOWNLOAD, sim.codes_received())

    def test_file_count_refused_by_status(self):
        sim = self.scene.start_sim("unit", "--status", "1")
        result = self.download()
        self.assertEqual(result.status, 1, result.stderr)
        self.assertIn(FILE_COUNT_LOST, result.lines)
        self.assertClosedOnce(result)
        sim.stop()
        self.assertNotIn(DOWNLOAD, sim.codes_received())

    def test_image_beginning_with_zero_writes_nothing(self):
        image_file = self.scene.root / "zero.img"
        image_file.write_bytes(bytes([0]) + self.scene.sim_image()[1:])
        self.scene.start_sim("unit", "--image", str(image_file))
        result = self.download()
        self.assertUploadFailed(result)
        self.assertFalse(Path(f"{self.base}.csv").exists())
        self.assertFalse(Path(f"{self.base}.xls").exists())


class LineFaultTest(PassTestCase):
    def test_corrupted_frame_is_sent_again(self):
        sim = self.scene.start_sim("unit", "--corrupt-frame", "2")
        result = self.download()
        self.assertSaved(result, self.scene.sim_image())
        sim.stop()
        self.assertEqual(sim.codes_received().count(NAK), 1)

    def test_four_bad_frames_in_a_row_still_recover(self):
        sim = self.scene.start_sim("unit", "--corrupt-frame", "2", "--corrupt-count", "4")
        self.assertSaved(self.download(), self.scene.sim_image())
        sim.stop()
        self.assertEqual(sim.codes_received().count(NAK), 4)

    def test_fifth_bad_frame_in_a_row_is_a_timeout(self):
        sim = self.scene.start_sim("unit", "--corrupt-frame", "2", "--corrupt-count", "5")
        result = self.download()
        self.assertUploadFailed(result)
        self.assertLess(result.lines.index(TIMEOUT), result.lines.index(UPLOAD_LOST))
        self.assertClosedOnce(result)
        sim.stop()
        self.assertEqual(sim.codes_received().count(NAK), 5)

    def test_bad_first_frame_ends_the_download_quietly(self):
        sim = self.scene.start_sim("unit", "--corrupt-frame", "1")
        result = self.download()
        self.assertUploadFailed(result)
        self.assertNotIn(TIMEOUT, result.lines)
        self.assertNotIn(SEND_FAILED, result.lines)
        sim.stop()
        self.assertEqual(sim.codes_received().count(NAK), 1)

    def test_unplug_mid_transfer_is_noticed_within_a_second(self):
        sim = self.scene.start_sim("unit", "--frame-size", "64", "--unplug-after", "5")
        result = self.download()
        self.assertUploadFailed(result)
        self.assertLess(result.lines.index(SEND_FAILED), result.lines.index(UPLOAD_LOST))
        self.assertEqual(len(result.bridge_calls("close")), 1, result.stderr)
        unplugged_at = sim.noted_at("unplugged")
        self.assertIsNotNone(unplugged_at)
        self.assertLess(result.ended_at - unplugged_at, 1.0)


class BridgeChoiceTest(PassTestCase):
    def test_second_of_two_bridges_matches(self):
        self.scene.start_sim("a-other", "--vid", "0403", "--pid", "6001")
        self.scene.start_sim("b-unit")
        result = self.download()
        self.assertEqual(result.status, 0, result.stderr)
        calls = [line for line in result.lines if line.startswith("bridge: ")]
        first = calls[1].split()[-1]
        second = calls[5].split()[-1]
        self.assertEqual(calls[:7], [
            "bridge: count 2",
            f"bridge: open 0 handle {first}",
            f"bridge: vid 0403 handle {first}",
            f"bridge: pid 6001 handle {first}",
            f"bridge: close handle {first}",
            f"bridge: open 1 handle {second}",
            f"bridge: vid 10c4 handle {second}",
        ])
        self.assertEqual(result.bridge_calls("close"),
                         [f"bridge: close handle {first}", f"bridge: close handle {second}"])

    def test_matching_vendor_with_other_product_is_never_taken(self):
        self.scene.start_sim("unit", "--pid", "ea61")
        result = self.download(timeout=30)
        self.assertEqual(result.status, 2, result.stderr)
        self.assertIn("Device Not Connected", result.lines)
        self.assertEqual(len(result.bridge_calls("count")), 10)
        self.assertEqual(len(result.bridge_calls("open")), 10)
        self.assertClosedOnce(result)
        progress = [line for line in result.lines if line.startswith("Searching for Pumpvisor Data ")]
        self.assertEqual(progress, [f"Searching for Pumpvisor Data {n}/10" for n in range(1, 10)])
        self.assertGreater(result.seconds, 8.5)


if __name__ == "__main__":
    unittest.main()
