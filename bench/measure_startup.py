#!/usr/bin/env python3
"""Start-up cost of the viewer, measured from outside on the real program.

For each run: start `mirelda` with MIRELDA_PROBE=1 and take the time from just before the
process is created until

  shown   the probe's first "article N caption" line on standard output (the frame has made
          the article current and set its caption, the moment the article becomes the one on
          screen; the text is laid out right after, in the same event-loop turn), and
  ready   the answer to an "activate" request sent on the single-instance socket as soon as
          "shown" was seen: the viewer answers only once its event loop is free again, so this
          includes the article's text layout and whatever else the first turn did.

At "ready" the viewer's peak resident memory (VmHWM) and current resident memory (VmRSS) are
read from /proc/<pid>/status; then the viewer is closed with a "close" request (its normal
close sequence, as a second start with /F does) and killed if it has not ended in 30 s.

Every run gets its own XDG_RUNTIME_DIR so that the single-instance socket of a viewer that
someone else is running on the same machine can never take the request instead.
One untimed warm-up run comes first, so that every timed run reads the help set from the page
cache. Prints one line per run and the medians.
"""

import argparse
import glob
import os
import selectors
import socket
import statistics
import subprocess
import sys
import tempfile
import time


def read_status(pid):
    values = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, rest = line.partition(":")
            if key in ("VmHWM", "VmRSS"):
                values[key] = int(rest.split()[0])  # kB
    return values


def request(runtime_dir, line, timeout):
    """Sends one request line to the viewer listening in runtime_dir; returns its answer."""
    deadline = time.monotonic() + timeout
    while True:
        paths = [p for p in glob.glob(os.path.join(runtime_dir, "mirelda-*")) if not p.endswith(".lock")]
        if paths:
            break
        if time.monotonic() > deadline:
            raise RuntimeError("the viewer never listened on its single-instance socket")
        time.sleep(0.005)
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as peer:
        peer.settimeout(max(0.1, deadline - time.monotonic()))
        peer.connect(paths[0])
        peer.sendall(line.encode("ascii"))
        answer = b""
        while not answer.endswith(b"\n"):
            chunk = peer.recv(64)
            if not chunk:
                break
            answer += chunk
    return answer.decode("ascii", "replace").strip()


def one_run(program, args, platform, timeout, settle=0.0):
    with tempfile.TemporaryDirectory(prefix="mirelda-startup-") as runtime_dir:
        os.chmod(runtime_dir, 0o700)
        env = dict(os.environ, MIRELDA_PROBE="1", XDG_RUNTIME_DIR=runtime_dir, QT_QPA_PLATFORM=platform)
        start = time.monotonic()
        viewer = subprocess.Popen([program, *args], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
        try:
            selector = selectors.DefaultSelector()
            selector.register(viewer.stdout, selectors.EVENT_READ)
            pending = b""
            shown_line = None
            while shown_line is None:
                remaining = start + timeout - time.monotonic()
                if remaining <= 0 or not selector.select(remaining):
                    raise RuntimeError(f"no article shown within {timeout} s")
                chunk = os.read(viewer.stdout.fileno(), 4096)
                if not chunk:
                    raise RuntimeError(f"the viewer ended (status {viewer.wait()}) before showing an article")
                pending += chunk
                for line in pending.split(b"\n")[:-1]:
                    text = line.decode("utf-8", "replace")
                    if text.startswith("article "):
                        shown_line = text
                        break
                    if text.startswith("message "):
                        raise RuntimeError(f"the viewer showed a message: {text}")
            shown = time.monotonic() - start
            answer = request(runtime_dir, "activate\n", timeout)
            ready = time.monotonic() - start
            if answer != "ok":
                raise RuntimeError(f"'activate' answered {answer!r}")
            if settle > 0:
                time.sleep(settle)  # let work that follows the first article (the tree) finish
                request(runtime_dir, "activate\n", timeout)
            memory = read_status(viewer.pid)
            request(runtime_dir, "close\n", 30)
            try:
                viewer.wait(30)
            except subprocess.TimeoutExpired:
                viewer.kill()
                raise RuntimeError("the viewer did not end within 30 s of a close request")
            return shown, ready, memory, shown_line
        finally:
            if viewer.poll() is None:
                viewer.kill()
                viewer.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program", help="path of the mirelda program")
    parser.add_argument("viewer_args", nargs="*", help="arguments for the viewer, e.g. /D:/path/BASE")
    parser.add_argument("--label", default="viewer")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--platform", default=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
    parser.add_argument("--timeout", type=float, default=120.0)
    parser.add_argument("--settle", type=float, default=0.0,
                        help="seconds to wait after 'ready' before reading the memory figures")
    options = parser.parse_args()

    try:
        one_run(options.program, options.viewer_args, options.platform, options.timeout, options.settle)  # warm-up
        results = []
        for run in range(options.runs):
            shown, ready, memory, line = one_run(options.program, options.viewer_args, options.platform,
                                                 options.timeout, options.settle)
            results.append((shown, ready, memory["VmHWM"], memory["VmRSS"]))
            print(f"  {options.label} [{options.platform}] run {run + 1}: shown {shown * 1000:7.1f} ms, "
                  f"ready {ready * 1000:7.1f} ms, VmHWM {memory['VmHWM'] / 1024:6.1f} MiB, "
                  f"VmRSS {memory['VmRSS'] / 1024:6.1f} MiB  ({line})", flush=True)
    except RuntimeError as error:
        print(f"measure_startup: {options.label}: {error}", file=sys.stderr)
        return 1

    def median(i):
        return statistics.median(r[i] for r in results)

    print(f"{options.label} [{options.platform}] median of {options.runs}: "
          f"first article shown {median(0) * 1000:.1f} ms, ready {median(1) * 1000:.1f} ms, "
          f"VmHWM {median(2) / 1024:.1f} MiB, VmRSS {median(3) / 1024:.1f} MiB", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
