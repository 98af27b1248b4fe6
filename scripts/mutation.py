#!/usr/bin/env python3
"""How many small faults do the fast tests catch?

Makes operator mutants of the product's C++ files (a comparison turned, &&
and || swapped, + and - swapped, true and false swapped, a ! dropped, a
literal moved by one, a void function that returns at once), builds each one
incrementally and runs the fast CTest set against it. A mutant is killed
when a test fails, lives when every test passes, and does not count when it
does not compile.

The work happens on a copy of the tracked files in the mutation folder
(default build-mutation/), so the working tree is never touched. A fixed
seed picks the same sample every run; `--whole FILE` takes every mutant of
one file instead.

    scripts/mutation.py                      # 40 mutants, seed 1
    scripts/mutation.py --sample 100 --seed 7
    scripts/mutation.py --whole eventlog/event_decoding.cpp

Prints killed / lived / not compiled per file and the score (killed out of
killed + lived), and writes the live mutants to <folder>/live-mutants.txt.
"""

import argparse
import random
import re
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
PRODUCT_FOLDERS = ("app", "launcher", "link", "eventlog", "report", "session", "watch", "platform", "common", "tools")
# Not built on Linux, so no Linux test can see a mutant in them.
SKIPPED_PARTS = ("win32",)
# Labels of the tests that are not the fast set.
SLOW_LABELS = "slow|e2e|valgrind|desktop|packaging|fault|fuzz"

# Operators with spaces around them are binary in this code base; templates
# and stream operators never have that form.
SWAPS = [
    (" == ", " != "), (" != ", " == "),
    (" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
    (" && ", " || "), (" || ", " && "),
    (" + ", " - "), (" - ", " + "),
]
WORD_SWAPS = [("true", "false"), ("false", "true")]
NOT = re.compile(r"!(?=[\w(])")
LITERAL = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
VOID_FUNCTION = re.compile(r"^(?:[\w:<>,]+\s+)*void\s+[\w:~]+\(.*\)\s*(?:const)?\s*(?:override)?\s*$")


@dataclass(frozen=True)
class Mutant:
    path: str
    line: int  # 1-based
    kind: str
    original: str
    mutated: str


def code_part(line):
    """The line without its string literals and comment, same length, so
    that columns found in it fit the original."""
    out = []
    quote = None
    i = 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(c if c == quote else " ")
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)]


def mutants_of(path):
    lines = (ROOT / path).read_text().splitlines(keepends=True)
    found = []
    in_block_comment = False
    for number, line in enumerate(lines, 1):
        stripped = line.strip()
        if in_block_comment:
            in_block_comment = "*/" not in stripped
            continue
        if stripped.startswith("/*"):
            in_block_comment = "*/" not in stripped
            continue
        if stripped.startswith(("#", "//")) or "static_assert" in stripped:
            continue
        code = code_part(line)

        def add(kind, start, end, replacement):
            found.append(Mutant(path, number, kind, line, line[:start] + replacement + line[end:]))

        for old, new in SWAPS:
            for match in re.finditer(re.escape(old), code):
                add(f"'{old.strip()}' -> '{new.strip()}'", match.start(), match.end(), new)
        for old, new in WORD_SWAPS:
            for match in re.finditer(rf"\b{old}\b", code):
                add(f"{old} -> {new}", match.start(), match.end(), new)
        for match in NOT.finditer(code):
            add("drop !", match.start(), match.end(), "")
        if not re.search(r"\[\s*\d+\s*\]\s*[;={]|\bcase\b|enum\b", code):
            for match in LITERAL.finditer(code):
                value = int(match.group(1))
                add(f"{value} -> {value + 1}", match.start(), match.end(), str(value + 1))
                if value > 0:
                    add(f"{value} -> {value - 1}", match.start(), match.end(), str(value - 1))
        if stripped == "{" and number >= 2 and VOID_FUNCTION.match(lines[number - 2].strip()):
            found.append(Mutant(path, number, "return at once", line, line.rstrip("\n") + " return;\n"))
    return found


def product_files():
    listed = subprocess.run(["git", "ls-files", "--", *PRODUCT_FOLDERS], cwd=ROOT, check=True,
                            capture_output=True, text=True).stdout.split()
    return [p for p in listed if p.endswith(".cpp") and not any(part in SKIPPED_PARTS for part in Path(p).parts)]


def prepare(folder):
    """A copy of the tracked files and a build of it."""
    source = folder / "src"
    if source.exists():
        shutil.rmtree(source)
    for tracked in subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True,
                                  capture_output=True).stdout.decode().split("\0"):
        if tracked and (ROOT / tracked).is_file():
            target = source / tracked
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(ROOT / tracked, target)
    build = folder / "build"
    subprocess.run(["cmake", "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], check=True,
                   stdout=subprocess.DEVNULL)
    if not build_ok(build):
        sys.exit("the unmutated tree does not build")
    if not tests_pass(build, timeout=600):
        sys.exit("the fast tests fail without any mutant")
    return source, build


def build_ok(build):
    return subprocess.run(["cmake", "--build", build, "-j2"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def tests_pass(build, timeout):
    return subprocess.run(["ctest", "-j2", "--timeout", str(timeout), "-LE", SLOW_LABELS, "--stop-on-failure"],
                          cwd=build, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def run(mutants, source, build, timeout):
    results = {}
    originals = {}
    try:
        for index, mutant in enumerate(mutants, 1):
            path = source / mutant.path
            text = originals.setdefault(mutant.path, path.read_text())
            lines = text.splitlines(keepends=True)
            lines[mutant.line - 1] = mutant.mutated
            path.write_text("".join(lines))
            if not build_ok(build):
                outcome = "not compiled"
            elif tests_pass(build, timeout):
                outcome = "lived"
            else:
                outcome = "killed"
            results[mutant] = outcome
            path.write_text(text)  # rebuilt with the next mutant
            print(f"[{index}/{len(mutants)}] {outcome:12} {mutant.path}:{mutant.line} {mutant.kind}", flush=True)
    finally:
        for relative, text in originals.items():
            (source / relative).write_text(text)
    return results


def report(results, folder):
    per_file = {}
    for mutant, outcome in results.items():
        per_file.setdefault(mutant.path, {"killed": 0, "lived": 0, "not compiled": 0})[outcome] += 1
    print(f"\n{'file':48} killed  lived  not compiled")
    for path in sorted(per_file):
        counts = per_file[path]
        print(f"{path:48} {counts['killed']:6} {counts['lived']:6} {counts['not compiled']:13}")
    killed = sum(c["killed"] for c in per_file.values())
    lived = sum(c["lived"] for c in per_file.values())
    score = 100.0 * killed / (killed + lived) if killed + lived else 0.0
    print(f"\nscore: {killed} killed of {killed + lived} compiled mutants = {score:.1f} %")
    with open(folder / "live-mutants.txt", "w") as out:
        for mutant, outcome in sorted(results.items(), key=lambda item: (item[0].path, item[0].line)):
            if outcome == "lived":
                out.write(f"{mutant.path}:{mutant.line}: {mutant.kind}\n- {mutant.original.rstrip()}\n"
                          f"+ {mutant.mutated.rstrip()}\n\n")
    print(f"live mutants: {folder / 'live-mutants.txt'}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sample", type=int, default=40, help="how many mutants (default 40)")
    parser.add_argument("--seed", type=int, default=1, help="picks the sample (default 1)")
    parser.add_argument("--whole", metavar="FILE", help="every mutant of this one file instead of a sample")
    parser.add_argument("--folder", type=Path, default=ROOT / "build-mutation", help="work folder")
    parser.add_argument("--timeout", type=int, default=120, help="seconds per test (default 120)")
    parser.add_argument("--list", action="store_true", help="print the chosen mutants, build nothing")
    args = parser.parse_args()

    if args.whole:
        chosen = mutants_of(args.whole)
    else:
        every = [m for path in product_files() for m in mutants_of(path)]
        chosen = random.Random(args.seed).sample(every, min(args.sample, len(every)))
    chosen.sort(key=lambda m: (m.path, m.line, m.kind))
    if args.list:
        for mutant in chosen:
            print(f"{mutant.path}:{mutant.line}: {mutant.kind}: {mutant.mutated.strip()}")
        return 0

    args.folder.mkdir(parents=True, exist_ok=True)
    started = time.time()
    source, build = prepare(args.folder)
    report(run(chosen, source, build, args.timeout), args.folder)
    print(f"took {time.time() - started:.0f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
