#!/usr/bin/env python3
"""Exhausted memory at every point of a download: each case counts the heap allocations of one
run of pliv against the scripted server on 127.0.0.1, then runs it once per allocation index k
with the shim making allocation k and every later one fail (memory exhausted), or allocation k
alone (a passing shortage, which the program may get over). Every run must end with

  0  the download complete, the file holding the body,
  1  the report naming EOutOfMemory on standard error, the existing file untouched,
  2  a "Fatal: " line on standard output, the existing file untouched,

never with a signal (an abort or a crash), another exit code or a hang.

  run_oom.py --pliv PATH --server PATH --shim PATH [--filter TEXT]

Ends with one line of counts per case and "N passed, N failed".
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from run_e2e import OLD, Expect, pattern, start_scripted_server, stop  # noqa: E402

RUN_TIMEOUT = 20
REPORT = "Exception EOutOfMemory in module {exe} at {hex8}.\r\nOut of memory.\r\n\r\n"

# name, body size, whether the response declares its length, whether only allocation k fails
CASES = [
    ("an empty body", 0, True, False),
    ("1000 bytes with a declared length", 1000, True, False),
    ("300 KiB without a declared length", 300 * 1024, False, False),
    ("an empty body, one allocation failing", 0, True, True),
    ("1000 bytes with a declared length, one allocation failing", 1000, True, True),
    ("300 KiB without a declared length, one allocation failing", 300 * 1024, False, True),
]


def script(size, declared):
    header = "HTTP/1.0 200 OK\\r\\n" + ("Content-Length: %d\\r\\n" % size if declared else "") + "\\r\\n"
    return ["send " + header] + (["pattern %d" % size] if size else []) + ["close"]


class Case:
    def __init__(self, args, root, name, size, declared):
        self.args, self.root, self.name, self.body = args, root, name, pattern(size)
        self.exe = os.path.basename(args.pliv)
        self.folder = os.path.join(root, "run")
        # One server for all runs of the case: a run that ends before it connects leaves it waiting.
        self.server, self.port = start_scripted_server(args.server, script(size, declared),
                                                       os.path.join(root, "script.txt"), ["--connections", "1000000"])
        self.target = os.path.join(self.folder, "f.bin")

    def run(self, environment):
        """One run in a folder that holds an older f.bin; returns (exit code, stdout, stderr, file)."""
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        with open(self.target, "wb") as f:
            f.write(OLD)
        env = {k: v for k, v in os.environ.items() if not k.startswith("PLIV_ALLOC_")}
        env.update(environment, LD_PRELOAD=os.path.abspath(self.args.shim))
        try:
            done = subprocess.run([os.path.abspath(self.args.pliv), "http://127.0.0.1:%d/f.bin" % self.port],
                                  cwd=self.folder, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, timeout=RUN_TIMEOUT)
        except subprocess.TimeoutExpired:
            return None, b"", b"", None
        with open(self.target, "rb") as f:
            return done.returncode, done.stdout, done.stderr, f.read()

    def allocation_count(self):
        counter = os.path.join(self.root, "count")
        code, _, stderr, saved = self.run({"PLIV_ALLOC_COUNT": counter})
        if code != 0 or saved != self.body:
            raise RuntimeError("%s: the counting run failed (exit %s): %r" % (self.name, code, stderr[-300:]))
        with open(counter, "rb") as f:
            return int.from_bytes(f.read(8), sys.byteorder)

    def problem(self, index, code, stdout, stderr, saved):
        """What is wrong with the run that failed from allocation index on, or None."""
        if code is None:
            return "still running after %d s" % RUN_TIMEOUT
        if code < 0:
            return "ended by signal %d; stderr %r" % (-code, stderr[-300:])
        if code == 0:
            return None if saved == self.body else "exit 0 with %d bytes saved, not the body" % len(saved)
        if code == 1 and not Expect(REPORT, self.port, self.exe).matches(stderr):
            return "exit 1, stderr %r is not the out-of-memory report" % stderr[-300:]
        if code == 2 and b"Fatal: " not in stdout:
            return "exit 2 without a Fatal line: %r" % stdout[-300:]
        if code in (1, 2):
            return None if saved == OLD else "exit %d, but the existing file was changed" % code
        return "exit code %d; stderr %r" % (code, stderr[-300:])

    def close(self):
        stop(self.server)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pliv", required=True)
    parser.add_argument("--server", required=True)
    parser.add_argument("--shim", required=True)
    parser.add_argument("--filter", default="")
    args = parser.parse_args()

    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="pliv-oom-") as root:
        for number, (name, size, declared, once) in enumerate(CASES):
            if args.filter not in name:
                continue
            case_root = os.path.join(root, "case%d" % number)
            os.makedirs(case_root)
            case = Case(args, case_root, name, size, declared)
            try:
                count = case.allocation_count()
                ends, problems = {0: 0, 1: 0, 2: 0}, []
                for index in range(1, count + 1):
                    failing = {"PLIV_ALLOC_FAIL_AT": str(index)}
                    if once:
                        failing["PLIV_ALLOC_FAIL_ONCE"] = "1"
                    code, stdout, stderr, saved = case.run(failing)
                    problem = case.problem(index, code, stdout, stderr, saved)
                    if problem:
                        problems.append("allocation %d: %s" % (index, problem))
                    else:
                        ends[code] += 1
            finally:
                case.close()
            print("%s: %d allocation indices; ended with 0: %d, 1: %d, 2: %d; faults: %d"
                  % (name, count, ends[0], ends[1], ends[2], len(problems)))
            for problem in problems:
                print("  " + problem)
            if problems:
                failed += 1
            else:
                passed += 1
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
