#!/usr/bin/env python3
"""Fingerprints of every transition: the SHA-256 of the trace and of the final
Stage that `lumora-tool effect` gives, for each effect at a few sizes and
speeds. `--write FILE` records them; `--check FILE` runs them again and lists
every run whose trace or final picture changed (exit status 1 then).

    scripts/effect_traces.py TOOL --write tests/effects/effect_fingerprints.txt
    scripts/effect_traces.py TOOL --check tests/effects/effect_fingerprints.txt
"""
import argparse
import concurrent.futures
import hashlib
import os
import subprocess
import sys
import tempfile

# (size, speed, seed): an ordinary screen, an odd one, a tiny one.
RUNS = [("1024x768", 1, 0), ("641x479", 2, 11), ("97x61", 3, 12345)]


def fingerprint(tool, n, size, speed, seed):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out.ppm")
        proc = subprocess.Popen(
            [tool, "effect", str(n), "--size", size, "--speed", str(speed), "--seed", str(seed),
             "--trace", "-", "--out", out], stdout=subprocess.PIPE)
        trace = hashlib.sha256()
        for chunk in iter(lambda: proc.stdout.read(1 << 20), b""):
            trace.update(chunk)
        if proc.wait() != 0:
            raise RuntimeError(f"effect {n} {size} failed")
        with open(out, "rb") as f:
            picture = hashlib.sha256(f.read()).hexdigest()
    return f"{n} {size} {speed} {seed} {trace.hexdigest()} {picture}"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tool")
    group = ap.add_mutually_exclusive_group(required=True)
    group.add_argument("--write")
    group.add_argument("--check")
    ap.add_argument("--jobs", type=int, default=2)
    args = ap.parse_args()

    jobs = [(n, size, speed, seed) for size, speed, seed in RUNS for n in range(122)]
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        lines = list(pool.map(lambda j: fingerprint(args.tool, *j), jobs))

    if args.write:
        with open(args.write, "w") as f:
            f.write("\n".join(lines) + "\n")
        return 0
    with open(args.check) as f:
        expected = f.read().split("\n")
    changed = [f"changed: {want}" for got, want in zip(lines, expected) if got != want]
    if len(expected) - 1 != len(lines):
        changed.append(f"{len(expected) - 1} fingerprints recorded, {len(lines)} runs")
    print("\n".join(changed) or f"all {len(lines)} traces and pictures unchanged")
    return 1 if changed else 0


if __name__ == "__main__":
    sys.exit(main())
