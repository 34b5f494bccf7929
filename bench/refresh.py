#!/usr/bin/env python3
"""What the screen shows: for the server-filled surface paced on the X
server's refreshes and for Qt's painting (the reference), on Xvfb with
openbox, maximised, at several refresh rates (-fakescreenfps), sizes and
periods. A second X client follows the refresh counter and reads one pixel
(bench/vblank_probe.cpp): where in the refresh cycle each change falls and how
many refreshes each colour stays. Beside it the program's own tick log (its
closing line), the program's and the X server's CPU per change, the X server's
memory, and the program's wake-ups once stopped. Start it through
bench/run.sh --refresh."""

import argparse
import json
import os
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import bench

HERE = Path(__file__).resolve().parent
RATE_S = 7.0   # the rate is measured over 300 refreshes first (6 s at 50 Hz)
CPU_S = 3.0    # the last of them: CPU of the program and the server


def thread_switches(pid):
    """Context switches of each thread, so that a thread ending between two
    readings takes its count with it instead of making the difference negative."""
    counts = {}
    for _, tid in bench.tasks([pid]):
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                counts[tid] = sum(int(line.split()[1]) for line in f
                                  if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")))
        except OSError:
            pass
    return counts


def rss_mib(pid):
    return bench.rss_kib([pid]) / 1024


def window_of(env, pid):
    out = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(pid)], env=env,
                         capture_output=True, text=True, timeout=60).stdout.split()
    return out[0]


def geometry(env, win):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", win], env=env, capture_output=True,
                         text=True).stdout
    return {k: int(v) for k, v in re.findall(r"(\w+)=(\d+)", out)}


def run_case(args, path, size, period_ms, fps):
    xvfb, display = bench.start_xvfb(size, fps)
    scratch = Path(tempfile.mkdtemp(prefix="varno-refresh-"))
    env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=str(scratch), XDG_CONFIG_DIRS=str(scratch / "etc"),
               VARNO_TICK_LOG=str(scratch / "ticks.log"), QT_QPA_PLATFORM="xcb")
    env.pop("WAYLAND_DISPLAY", None)
    if path == "raster":
        env["VARNO_SURFACE"] = "raster"
    elif path == "server-clear":
        env["VARNO_X11_PACING"] = "clear"
    ready = scratch / "wm-ready"
    wm = subprocess.Popen(["openbox", "--sm-disable", "--startup", f"touch {ready}"], env=env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(300):
        if ready.exists():
            break
        time.sleep(0.05)
    varno = subprocess.Popen([args.varno], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        win = window_of(env, varno.pid)
        time.sleep(1.5)  # maximised by openbox
        g = geometry(env, win)
        x, y = g["X"] + g["WIDTH"] // 2, g["Y"] + g["HEIGHT"] * 2 // 3
        if period_ms != 20:
            # From the surface, Tab reaches the bar: Home is 0 ms, each Page Down 10 ms more.
            bench.xdotool(env, "mousemove", str(x), str(y))
            bench.xdotool(env, "key", "--window", win, "Tab", "Home",
                          *(["Next"] * (period_ms // 10)))
            time.sleep(0.3)
        other_load = bench.wait_for_quiet(args)
        bench.xdotool(env, "mousemove", str(x), str(y), "click", "1")
        # CPU while nothing else reads the screen: the pixel reader's requests
        # cost the server more than the blinking does.
        time.sleep(RATE_S - CPU_S)
        c0, x0, t0 = bench.cpu_ns([varno.pid]), bench.cpu_ns([xvfb.pid]), time.monotonic()
        time.sleep(CPU_S)
        c1, x1, seconds = bench.cpu_ns([varno.pid]), bench.cpu_ns([xvfb.pid]), time.monotonic() - t0
        x_rss = rss_mib(xvfb.pid)
        probe = subprocess.run([args.vblank_probe, str(x), str(y), str(args.seconds)], env=env,
                               capture_output=True, text=True, timeout=args.seconds + 30)
        seen = json.loads(probe.stdout) if probe.stdout.strip() else {"changes": 0}
        bench.xdotool(env, "click", "1")
        time.sleep(bench.IDLE_SETTLE_S)
        w0 = thread_switches(varno.pid)
        time.sleep(bench.IDLE_S)
        w1 = thread_switches(varno.pid)
        wakeups = sum(w1[t] - w0.get(t, 0) for t in w1) / bench.IDLE_S
        summary = ""
        for _ in range(50):
            log = scratch / "ticks.log"
            if log.exists():
                lines = [line for line in log.read_text().splitlines() if line.startswith("summary")]
                if lines:
                    summary = lines[-1]
                    break
            time.sleep(0.1)
        fields = dict(re.findall(r"(\w+)=(\S+)", summary))
        changes = max(1.0, seconds * 1000 / period_ms)  # those made while the CPU was read
        return {
            "path": path, "size": f"{size[0]}x{size[1]}", "period_ms": period_ms, "fps": fps,
            "seen": seen, "log": fields,
            "cpu_ms_per_change": (c1 - c0) / 1e6 / changes,
            "x_cpu_ms_per_change": (x1 - x0) / 1e6 / changes,
            "x_cpu_pct": 100 * (x1 - x0) / 1e9 / seconds,
            "x_rss_mib": x_rss, "wakeups_stopped": wakeups, "other_load_pct": other_load,
        }
    finally:
        for p in (varno, wm, xvfb):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()


def steps_text(steps):
    total = sum(steps.values()) or 1
    return " ".join(f"{k}:{100 * v / total:.0f}%" for k, v in sorted(steps.items(), key=lambda kv: int(kv[0])))


NAMES = {"server": "ours (pixmaps presented)", "server-clear": "ours (cleared on the refresh)",
         "raster": "raster reference"}


def table(results):
    rows = ["| refresh | size | period | path | seen | on a refresh % | arc95 ms | steps | pattern seen | mean ms "
            "| log on_target % | log refresh_hz | CPU ms/change | X ms/change | X CPU % | X RSS MiB "
            "| wake-ups/s stopped | other load % |",
            "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"]
    for r in results:
        s, log = r["seen"], r["log"]
        on_target = "—"
        if log.get("changes") and log.get("timestamps") != "none":
            on_target = f"{100 * int(log['on_target']) / max(1, int(log['changes'])):.1f}"
        hz = f"{log.get('refresh_hz', '—')} ({log.get('refresh_source', '—')})" if log else "—"
        rows.append(
            f"| {r['fps']} Hz | {r['size'].replace('x', '×')} | {r['period_ms']} | "
            f"{NAMES[r['path']]} | {s.get('changes', 0)} | "
            f"{s.get('aligned_pct', 0):.1f} | {s.get('arc95_ms', 0):.2f} | {steps_text(s.get('steps', {}))} | "
            f"{s.get('pattern', '')[:19]} | {s.get('mean_ms', 0):.3f} | {on_target} | {hz} | "
            f"{r['cpu_ms_per_change']:.3f} | {r['x_cpu_ms_per_change']:.2f} | {r['x_cpu_pct']:.1f} | "
            f"{r['x_rss_mib']:.0f} | {r['wakeups_stopped']:.1f} | {r['other_load_pct']:.0f} |")
    return "\n".join(rows)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--varno", required=True)
    ap.add_argument("--vblank-probe", required=True)
    ap.add_argument("--out", default=str(HERE / "results"))
    ap.add_argument("--sizes", default="640x480,1920x1080,3840x2160")
    ap.add_argument("--periods", default="20,50")
    ap.add_argument("--rates", default="60,50,144")
    ap.add_argument("--paths", default="server,raster",
                    help="server, raster, and server-clear: the way without pixmaps (VARNO_X11_PACING=clear)")
    ap.add_argument("--seconds", type=float, default=10.0, help="time the pixel is read per case")
    ap.add_argument("--quiet-below", type=float, default=40.0)
    ap.add_argument("--quiet-wait", type=float, default=60.0)
    args = ap.parse_args()
    results = []
    for fps in (int(v) for v in args.rates.split(",")):
        for size in (tuple(int(v) for v in s.split("x")) for s in args.sizes.split(",")):
            for period in (int(v) for v in args.periods.split(",")):
                for path in args.paths.split(","):
                    print(f"{fps} Hz {size[0]}x{size[1]} {period} ms {path}", file=sys.stderr, flush=True)
                    results.append(run_case(args, path, size, period, fps))
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    (out / "refresh_results.json").write_text(json.dumps(results, indent=1))
    text = table(results)
    (out / "refresh_table.md").write_text(text + "\n")
    print(text)


if __name__ == "__main__":
    main()
