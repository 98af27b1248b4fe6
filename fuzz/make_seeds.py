#!/usr/bin/env python3
"""Writes the seed corpora: the built-in sample log as the unit sends it,
framed as on the line, and the texts the report and the bridges use.

    fuzz/make_seeds.py SAMPLE_IMAGE
"""
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))


def frame(frame_type, body):
    length = 2 + len(body)
    raw = bytes([(frame_type << 6) | (length >> 8), length & 0xFF]) + bytes(body)
    checksum = (0x10000 - (sum(raw) & 0xFFFF)) & 0xFFFF
    return raw + bytes([checksum >> 8, checksum & 0xFF])


def download_frames(image, size=256):
    chunks = [image[i:i + size] for i in range(0, len(image), size)]
    frames = []
    for n, chunk in enumerate(chunks):
        frame_type = 1 if n == 0 else (3 if n == len(chunks) - 1 else 2)
        frames.append((frame_type, bytes([0]) + chunk))
    frames.append((0, bytes([0])))
    return frames


def script_op(frame_type, body):
    # The exchange target's "well-formed frame" op: type, 9-bit length, body.
    return bytes([0, frame_type, len(body) & 0xFF, len(body) >> 8]) + body


def put(target, name, data):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    image = open(sys.argv[1], "rb").read()
    frames = download_frames(image)
    put("fuzz_event_table", "sample.img", image)
    put("fuzz_report", "sample.img", image)
    put("fuzz_frame_reader", "download", b"".join(frame(t, b) for t, b in frames))
    put("fuzz_frame_reader", "file-count", frame(0, [0, 3]))
    put("fuzz_exchange", "download", bytes([0]) + b"".join(script_op(t, b) for t, b in frames))
    put("fuzz_exchange", "file-count", bytes([1]) + script_op(0, bytes([0, 1])))
    put("fuzz_exchange", "firmware", bytes([2]) + script_op(0, b"\x00V2.10"))
    put("fuzz_bridge_file", "pts", b"/dev/pts/7 10c4 ea60\n")
    row = "=IF(MAX(R{r}C13:R{r}C15)>0.1*R7C9;MAX(R{r}C13:R{r}C15)/R7C9;0)"
    put("fuzz_formula", "load", row.format(r=13).encode())
    unbalance = ("=IF(MAX(R{r}C13:R{r}C15)>0.1*R7C9;MAX(" + ";".join(
        "ABS((AVERAGE(R{r}C13:R{r}C15)-R{r}C%d)/AVERAGE(R{r}C13:R{r}C15))" % k for k in (13, 14, 15)) + ");0)")
    put("fuzz_formula", "unbalance", unbalance.format(r=524).encode())
    put("fuzz_formula", "now", b"=NOW()")


main()
