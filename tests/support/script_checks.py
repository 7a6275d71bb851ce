"""Bookkeeping shared by the script tests: named checks printed as they run, the closing summary
line, and the counts file through which scripts/summarize_tests.py adds them to the test run's
total (its path comes in the environment variable VLM_TEST_COUNTS)."""

import os
import signal
import subprocess
import tempfile


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, condition, detail=""):
        """Records one check; returns whether it held, so callers can stop early."""
        if condition:
            self.passed += 1
            print(f"ok   {name}", flush=True)
        else:
            self.failed += 1
            print(f"FAIL {name}: {detail}", flush=True)
        return bool(condition)

    def finish(self):
        """Prints the summary, writes the counts file; returns the process exit code."""
        summary = f"{self.passed} passed, {self.failed} failed"
        print(summary)
        counts = os.environ.get("VLM_TEST_COUNTS")
        if counts:
            os.makedirs(os.path.dirname(counts), exist_ok=True)
            with open(counts, "w") as f:
                f.write(summary + "\n")
        return 1 if self.failed else 0


def run_program(command, timeout, env=None):
    """Runs command to its end and returns a subprocess.CompletedProcess with its output as
    bytes. The output goes through temporary files, not pipes: a program run under wine can leave
    wine's own service processes holding its pipes open after it has ended (they start on first
    use and outlive it), which would keep a pipe reader waiting. The command runs in a process
    group of its own, ended whole when it outlives timeout (subprocess.TimeoutExpired follows)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                   env=env, start_new_session=True)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            raise
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(command, code, out.read(), err.read())
