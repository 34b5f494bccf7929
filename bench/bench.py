#!/usr/bin/env python3
"""Measures the blinking surface from outside the program: flip intervals seen
on the display server, CPU of the program and of the X server, memory,
start-up time and idle wake-ups. The Windows program runs under Wine on the
same kind of display, with its own tick log beside the screen's figures. Under
a headless weston: the flips' presentation times as the compositor reports
them, the program's and the compositor's CPU, memory and idle wake-ups.
Start it through bench/run.sh."""

import argparse
import json
import math
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
SETTLE_S = 1.0         # the pixel must hold this long before the first frame counts as shown
BROWSER_SETTLE_S = 3.0  # the browser goes on loading well after its first frame
IDLE_SETTLE_S = 1.0    # let the stop click's own events die down before counting wake-ups
IDLE_S = 5.0


def now_ns():
    return time.monotonic_ns()  # CLOCK_MONOTONIC, the clock the sampler stamps with


# ---------------------------------------------------------------- processes

def start_xvfb(size, fps=None):
    r, w = os.pipe()
    rate = ["-fakescreenfps", str(fps)] if fps else []
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{size[0]}x{size[1]}x24", *rate,
         "-dpi", "96", "-nolisten", "tcp", "-noreset", "-s", "0"],
        pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    with os.fdopen(r) as f:
        number = f.readline().strip()
    if not number:
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + number


class Sampler:
    """The pixel sampler, read live so the driver can wait for what it shows."""

    def __init__(self, probe, env, x, y, every_us):
        self.proc = subprocess.Popen([probe, str(x), str(y), "3600", str(every_us)],
                                     env=env, stdout=subprocess.PIPE, text=True,
                                     preexec_fn=sample_on_time)
        self.changes = []  # (t_ns, previous sample's t_ns, pixel)
        self.samples = 0
        self.max_gap_ns = 0
        self.lock = threading.Lock()
        if self.proc.stdout.readline().strip() != "ready":
            raise RuntimeError("sampler did not start")
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        for line in self.proc.stdout:
            if line.startswith("#"):
                parts = line.split()
                self.samples, self.max_gap_ns = int(parts[2]), int(parts[4])
                continue
            t, before, pixel = line.split()
            with self.lock:
                self.changes.append((int(t), int(before), int(pixel, 16)))

    def snapshot(self):
        with self.lock:
            return list(self.changes)

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        self.proc.wait(timeout=10)
        self.thread.join(timeout=10)
        return self.snapshot()

    def wait_until(self, predicate, timeout_s):
        end = time.monotonic() + timeout_s
        while time.monotonic() < end:
            if predicate([(t, p) for t, _, p in self.snapshot()]):
                return True
            time.sleep(0.01)
        return False


def sample_on_time():
    # A busy machine must not delay the sampler's look at the screen, or its
    # lateness would show as jitter of the program under test. Real-time
    # priority needs root; without it the sampler runs as it is.
    try:
        os.sched_setscheduler(0, os.SCHED_FIFO, os.sched_param(10))
    except (OSError, AttributeError):
        pass


def machine_busy():
    """(busy, total) jiffies of all processors, from /proc/stat."""
    with open("/proc/stat") as f:
        fields = [int(v) for v in f.readline().split()[1:]]
    idle = fields[3] + fields[4]
    return sum(fields) - idle, sum(fields)


def descendants(pid):
    """pid and every process below it (the browser runs several)."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        children.setdefault(ppid, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        found.append(p)
        todo.extend(children.get(p, []))
    return found


def tasks(pids):
    for pid in pids:
        try:
            for tid in os.listdir(f"/proc/{pid}/task"):
                yield pid, tid
        except OSError:
            pass


def cpu_ns(pids):
    """Run time of every thread, from the scheduler's own nanosecond account."""
    total = 0
    for pid, tid in tasks(pids):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total


def context_switches(pids):
    total = 0
    for pid, tid in tasks(pids):
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def summed_kib(pids, file, key):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/{file}") as f:
                for line in f:
                    if line.startswith(key):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def rss_kib(pids):
    return summed_kib(pids, "status", "VmRSS:")


def pss_kib(pids):
    """Proportional set size: pages shared between the browser's processes
    count once in the sum, where adding up their RSS would count them again
    for every process."""
    return summed_kib(pids, "smaps_rollup", "Pss:")


def count_timer_arms(pids, seconds):
    """Timers the program's threads arm (a poll or sleep with a timeout arms
    one); None where perf or its tracepoints are not available."""
    if not shutil.which("perf"):
        return None
    try:
        out = subprocess.run(
            ["perf", "stat", "-x,", "-e", "timer:hrtimer_start", "-p", ",".join(map(str, pids)),
             "--", "sleep", str(seconds)],
            capture_output=True, text=True, timeout=seconds + 20)
    except (OSError, subprocess.TimeoutExpired):
        return None
    for line in out.stderr.splitlines():
        fields = line.split(",")
        if len(fields) > 2 and fields[2] == "timer:hrtimer_start":
            if fields[0] == "<not counted>":
                return 0  # no thread ran at all while counting
            try:
                return int(fields[0])
            except ValueError:
                return None
    return None


def xdotool(env, *args):
    subprocess.run(["xdotool", *args], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Wine:
    """A scratch prefix for the Windows program, made once for the whole run."""

    def __init__(self, exe):
        self.exe = exe
        self.loader = "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else shutil.which("wine64")
        self.server = "/usr/lib/wine/wineserver" if os.path.exists("/usr/lib/wine/wineserver") \
            else shutil.which("wineserver")
        self.prefix = Path(tempfile.mkdtemp(prefix="varno-bench-wine-"))
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("DISPLAY", None)
        subprocess.run([self.loader, "wineboot", "--init"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
        self.stop_server()

    def stop_server(self):
        # A server started for one display keeps its size for the next.
        subprocess.run([self.server, "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        time.sleep(0.5)

    def store_bounds(self, env, size):
        key = "HKCU\\Software\\VB and VBA Program Settings\\ゾルテカ\\Settings"
        for name, value in (("MainLeft", 0), ("MainTop", 0), ("MainWidth", size[0] * 15),
                            ("MainHeight", size[1] * 15)):
            subprocess.run([self.loader, "reg", "add", key, "/v", name, "/d", str(value), "/f"], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def processes(self, exclude):
        """Wine's own processes of this prefix: wineserver, services, explorer..."""
        marker = f"WINEPREFIX={self.prefix}".encode()
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) in exclude:
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as f:
                    if marker in f.read().split(b"\0"):
                        found.append(int(entry))
            except OSError:
                pass
        return found

    def close(self):
        self.stop_server()
        shutil.rmtree(self.prefix, ignore_errors=True)


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def tick_log_figures(path, period_ms):
    """The program's own record: when each flip was due, when the timer's
    wait ended and when the surface had been repainted (microseconds)."""
    rows = []
    for line in Path(path).read_text().splitlines():
        parts = line.split()
        if len(parts) == 4:
            rows.append([int(v) for v in parts])
    if len(rows) < 3:
        return {}
    late = [(woke - due) / 1000 for due, woke, _, _ in rows]
    paint = [(painted - woke) / 1000 for _, woke, painted, _ in rows]
    painted = [r[2] for r in rows]
    intervals = [(b - a) / 1000 for a, b in zip(painted, painted[1:])]
    return {"log_ticks": len(rows), "log_late_mean_ms": statistics.fmean(late),
            "log_late_sd_ms": statistics.pstdev(late), "log_paint_mean_ms": statistics.fmean(paint),
            "log_interval_mean_ms": statistics.fmean(intervals),
            "log_interval_sd_ms": statistics.pstdev(intervals),
            "log_skipped": sum(r[3] for r in rows)}


# ---------------------------------------------------------------- one case

def write_settings(config_home, size):
    # No window manager runs on the benchmark's display, so nothing maximises
    # the window: restored bounds of the whole screen (in twips at 96 DPI)
    # give the same client area a maximised window would have.
    conf = Path(config_home) / "ゾルテカ.conf"
    conf.write_text("[Settings]\nMainLeft=0\nMainTop=0\n"
                    f"MainWidth={size[0] * 15}\nMainHeight={size[1] * 15}\n", encoding="utf-8")


def settled(changes, since_ns, hold_ns):
    after = [c for c in changes if c[0] >= since_ns]
    return bool(after) and now_ns() - after[-1][0] >= hold_ns


def set_period_with_scroll_bar(env, args):
    # The period follows the scroll bar only once the user moves it: one step
    # right and one step back leaves the bar, and now the period, at 50.
    xdotool(env, "mousemove", str(args.arrow_right[0]), str(args.arrow_right[1]), "click", "1")
    time.sleep(0.2)
    xdotool(env, "mousemove", str(args.arrow_left[0]), str(args.arrow_left[1]), "click", "1")
    time.sleep(0.2)


def wait_for_quiet(args):
    """Waits, up to --quiet-wait seconds, until the rest of the machine uses
    less than --quiet-below per cent of one core; returns what it last saw."""
    end = time.monotonic() + args.quiet_wait
    while True:
        b0 = machine_busy()
        time.sleep(1.0)
        b1 = machine_busy()
        load = 100 * (os.cpu_count() or 1) * (b1[0] - b0[0]) / max(1, b1[1] - b0[1])
        if load < args.quiet_below or time.monotonic() >= end:
            return load
        print(f"  waiting: the machine is busy ({load:.0f} % of a core)", file=sys.stderr, flush=True)


def run_case(args, mode, size, period_ms):
    wait_for_quiet(args)
    if mode == "wine":
        args.wine.stop_server()
    xvfb, display = start_xvfb(size)
    tmp = Path(tempfile.mkdtemp(prefix="varno-bench-"))
    (tmp / "config").mkdir()
    (tmp / "dirs").mkdir()
    env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=str(tmp / "config"),
               XDG_CONFIG_DIRS=str(tmp / "dirs"), QT_QPA_PLATFORM="xcb")
    env.pop("WAYLAND_DISPLAY", None)
    env.pop("VARNO_SURFACE", None)
    x, y = size[0] // 2, size[1] * 2 // 3
    result = {"mode": mode, "size": list(size), "period_ms": period_ms}
    sampler = app = None
    try:
        sampler = Sampler(args.probe, env, x, y, args.every_us)
        if mode == "browser":
            (tmp / "browser").mkdir()
            shutil.copy(HERE / "peer.html", tmp / "peer.html")
            cmd = [args.browser, "--no-sandbox", "--disable-gpu", "--no-first-run",
                   "--disable-background-networking", "--disable-component-update", "--disable-sync",
                   "--noerrdialogs", "--password-store=basic", "--disable-features=Translate",
                   f"--user-data-dir={tmp / 'browser'}", "--window-position=0,0",
                   f"--window-size={size[0]},{size[1]}", "--kiosk",
                   f"file://{tmp / 'peer.html'}?period={period_ms}"]
        elif mode == "wine":
            # Wine leaves maximising to the window manager, and none runs
            # here: as for the Linux program, stored bounds of the whole screen.
            env.update(args.wine.env, DISPLAY=display, VARNO_TICK_LOG=windows_path(tmp / "ticks.log"))
            args.wine.store_bounds(env, size)
            cmd = [args.wine.loader, args.wine.exe]
        else:
            write_settings(tmp / "config", size)
            cmd = [args.varno]
            if mode == "raster":
                env["VARNO_SURFACE"] = "raster"
        t_exec = now_ns()
        app = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        hold = BROWSER_SETTLE_S if mode == "browser" else SETTLE_S
        if not sampler.wait_until(lambda ch: settled(ch, t_exec, int(hold * 1e9)), 60):
            raise RuntimeError("the window never settled")
        changes = [(t, p) for t, _, p in sampler.snapshot()]
        shown = changes[-1][1]
        first = next(t for t, p in changes if t >= t_exec and p == shown)
        result["first_frame_ms"] = (first - t_exec) / 1e6
        result["initial_pixel"] = f"{shown:06x}"

        if period_ms != 20 and mode == "wine":
            # The keyboard's way: the surface has the focus, Tab moves it to
            # the scroll bar, and its arrow keys step it.
            xdotool(env, "mousemove", str(x), str(y), "key", "Tab", "Right", "Left")
            time.sleep(0.3)
        elif period_ms != 20 and mode != "browser":
            set_period_with_scroll_bar(env, args)

        pids = [app.pid] if mode != "browser" else descendants(app.pid)
        t_click = now_ns()
        xdotool(env, "mousemove", str(x), str(y), "click", "1")
        if not sampler.wait_until(lambda ch: any(t > t_click for t, _ in ch), 5):
            raise RuntimeError("no flip after the click")
        time.sleep(0.5)
        if mode == "browser":
            pids = descendants(app.pid)
        wine_pids = args.wine.processes(set(pids)) if mode == "wine" else []
        cpu0, x0, s0, w0, m0, t0 = (cpu_ns(pids), cpu_ns([xvfb.pid]), cpu_ns([sampler.proc.pid]),
                                    cpu_ns(wine_pids), machine_busy(), now_ns())
        time.sleep(args.seconds)
        cpu1, x1, s1, w1, m1, t1 = (cpu_ns(pids), cpu_ns([xvfb.pid]), cpu_ns([sampler.proc.pid]),
                                    cpu_ns(wine_pids), machine_busy(), now_ns())
        cores = os.cpu_count() or 1
        ours = (cpu1 - cpu0) + (x1 - x0) + (s1 - s0) + (w1 - w0)
        if mode == "wine":
            result["wine_cpu_pct"] = 100 * (w1 - w0) / (t1 - t0)
        busy = (m1[0] - m0[0]) / (m1[1] - m0[1]) * cores * (t1 - t0)
        # What else kept the machine busy meanwhile, in per cent of one core.
        result["other_load_pct"] = max(0.0, 100 * (busy - ours) / (t1 - t0))
        result["sampler_cpu_pct"] = 100 * (s1 - s0) / (t1 - t0)
        result["rss_mib"] = rss_kib(pids) / 1024
        result["pss_mib"] = pss_kib(pids) / 1024
        result["cpu_pct"] = 100 * (cpu1 - cpu0) / (t1 - t0)
        result["x_cpu_pct"] = 100 * (x1 - x0) / (t1 - t0)
        t_stop = now_ns()
        xdotool(env, "mousemove", str(x), str(y), "click", "1")

        time.sleep(IDLE_SETTLE_S)
        cs0, xi0, ti0 = context_switches(pids), cpu_ns([xvfb.pid]), now_ns()
        arms = count_timer_arms(pids, IDLE_S)
        if arms is None:
            time.sleep(IDLE_S)
        cs1, xi1, ti1 = context_switches(pids), cpu_ns([xvfb.pid]), now_ns()
        result["wakeups_per_s"] = (cs1 - cs0) / ((ti1 - ti0) / 1e9)
        result["timer_arms_per_s"] = None if arms is None else arms / ((ti1 - ti0) / 1e9)
        # The sampler's own requests cost the server the same while stopped.
        result["x_idle_cpu_pct"] = 100 * (xi1 - xi0) / (ti1 - ti0)
        if mode == "wine":
            result.update(tick_log_figures(tmp / "ticks.log", period_ms))

        changes = sampler.stop()
        result["samples"] = sampler.samples
        result["sampler_max_gap_ms"] = sampler.max_gap_ns / 1e6
        seen = [(t, before) for t, before, _ in changes if t_click < t <= t_stop + int(period_ms * 1e6)]
        flips = [t for t, _ in seen]
        # Flips the sampler saw more than 1 ms after its previous look.
        result["flips_seen_late"] = sum(1 for t, before in seen if t - before > 1_000_000)
        intervals = [(b - a) / 1e6 for a, b in zip(flips, flips[1:])]
        result["intervals_ms"] = [round(i, 3) for i in intervals]
        result["flips"] = len(flips)
        result["span_s"] = (flips[-1] - flips[0]) / 1e9 if flips else 0
        steps = [round(i / period_ms) for i in intervals]
        result["missed"] = sum(max(0, n - 1) for n in steps)
        result["extra"] = sum(1 for n in steps if n == 0)
        if intervals:
            result["mean_ms"] = statistics.fmean(intervals)
            result["sd_ms"] = statistics.pstdev(intervals)
            result["p99_ms"] = percentile(intervals, 99)
        flips_per_s = len(flips) / result["span_s"] if result["span_s"] else 0
        net = result["x_cpu_pct"] - result["x_idle_cpu_pct"]
        result["x_net_cpu_pct"] = net
        result["x_ms_per_flip"] = net * 10 / flips_per_s if flips_per_s else None
    except Exception as e:  # one broken case must not lose the others
        result["error"] = str(e)
    finally:
        if app:
            app.send_signal(signal.SIGTERM)
            try:
                app.wait(timeout=10)
            except subprocess.TimeoutExpired:
                app.kill()
                app.wait()
        if sampler and sampler.proc.poll() is None:
            sampler.proc.kill()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(tmp, ignore_errors=True)
    return result


def percentile(values, p):
    ordered = sorted(values)
    k = (len(ordered) - 1) * p / 100
    lo, hi = math.floor(k), math.ceil(k)
    return ordered[lo] + (ordered[hi] - ordered[lo]) * (k - lo)


# ---------------------------------------------------------------- one case under weston

WESTON_INI = """[core]
idle-time=0
# The next repaint starts right after the previous frame is shown: the
# headless output then keeps a steady 60 Hz, as a real display does, where
# weston's default (7 ms) leaves it a 26 ms cycle.
repaint-window=16
[shell]
panel-position=none
locking=false
animation=none
close-animation=none
startup-animation=none
focus-animation=none
"""


def start_weston(size, runtime):
    """weston's headless backend with the pixman renderer, so that the
    compositor really composites; its own private runtime folder."""
    (runtime / "weston.ini").write_text(WESTON_INI)
    proc = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", "--use-pixman", f"--width={size[0]}",
         f"--height={size[1]}", "--socket=wayland-bench", f"--config={runtime / 'weston.ini'}",
         f"--log={runtime / 'weston.log'}"],
        env=dict(os.environ, XDG_RUNTIME_DIR=str(runtime)),
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    socket = runtime / "wayland-bench"
    end = time.monotonic() + 15
    while not socket.exists():
        if time.monotonic() > end or proc.poll() is not None:
            proc.kill()
            raise RuntimeError("weston did not start")
        time.sleep(0.05)
    return proc


class Driver:
    """The program's window driven from stdin (bench/driver), its flips'
    presentation times read live."""

    def __init__(self, path, env):
        self.proc = subprocess.Popen([path], env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True)
        self.fates = []  # (t_ns on arrival, presented ns or None for discarded)
        self.ready = threading.Event()
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        for line in self.proc.stdout:
            words = line.split()
            if not words:
                continue
            if words[0] == "ready":
                self.ready.set()
            elif words[0] in ("presented", "discarded"):
                with self.lock:
                    self.fates.append((now_ns(), int(words[1]) if words[0] == "presented" else None))

    def send(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()

    def between(self, t0_ns, t1_ns):
        with self.lock:
            return [presented for arrived, presented in self.fates if t0_ns <= arrived < t1_ns]

    def stop(self):
        try:
            self.send("quit")
            self.proc.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()


def run_wayland_case(args, mode, size, period_ms):
    wait_for_quiet(args)
    tmp = Path(tempfile.mkdtemp(prefix="varno-bench-"))
    runtime = tmp / "runtime"
    runtime.mkdir(mode=0o700)
    (tmp / "config").mkdir()
    (tmp / "dirs").mkdir()
    result = {"mode": mode, "size": list(size), "period_ms": period_ms}
    weston = driver = None
    try:
        weston = start_weston(size, runtime)
        write_settings(tmp / "config", size)
        env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime), WAYLAND_DISPLAY="wayland-bench",
                   QT_QPA_PLATFORM="wayland", XDG_CONFIG_HOME=str(tmp / "config"),
                   XDG_CONFIG_DIRS=str(tmp / "dirs"))
        env.pop("DISPLAY", None)
        env.pop("VARNO_SURFACE", None)
        if mode == "wayland-raster":
            env["VARNO_SURFACE"] = "raster"
        driver = Driver(args.driver, env)
        if not driver.ready.wait(60):
            raise RuntimeError("the window never showed")
        pids = [driver.proc.pid]
        result["rss_started_mib"] = rss_kib(pids) / 1024
        if period_ms != 20:
            # As a user sets it: one step right and one back.
            driver.send("right")
            driver.send("left")
            time.sleep(0.2)

        # CPU and memory first, with no flip reporting its presentation;
        # then as long again for the presentation times.
        driver.send("timing off")
        driver.send("toggle")
        time.sleep(0.5)
        cpu0, w0, m0, t0 = cpu_ns(pids), cpu_ns([weston.pid]), machine_busy(), now_ns()
        time.sleep(args.seconds)
        cpu1, w1, m1, t1 = cpu_ns(pids), cpu_ns([weston.pid]), machine_busy(), now_ns()
        result["rss_mib"] = rss_kib(pids) / 1024
        t_start = now_ns()
        driver.send("timing on")
        time.sleep(args.seconds)
        t_stop = now_ns()
        driver.send("toggle")
        cores = os.cpu_count() or 1
        busy = (m1[0] - m0[0]) / (m1[1] - m0[1]) * cores * (t1 - t0)
        result["other_load_pct"] = max(0.0, 100 * (busy - (cpu1 - cpu0) - (w1 - w0)) / (t1 - t0))
        result["cpu_pct"] = 100 * (cpu1 - cpu0) / (t1 - t0)
        result["compositor_cpu_pct"] = 100 * (w1 - w0) / (t1 - t0)

        time.sleep(IDLE_SETTLE_S)
        cs0, ti0 = context_switches(pids), now_ns()
        arms = count_timer_arms(pids, IDLE_S)
        if arms is None:
            time.sleep(IDLE_S)
        cs1, ti1 = context_switches(pids), now_ns()
        result["wakeups_per_s"] = (cs1 - cs0) / ((ti1 - ti0) / 1e9)
        result["timer_arms_per_s"] = None if arms is None else arms / ((ti1 - ti0) / 1e9)

        # Every flip between the start and the stop, as the compositor saw it:
        # shown at a time of its own, or never (discarded, or shown in the
        # same frame as the next one).
        fates = driver.between(t_start, t_stop)
        shown = sorted({p for p in fates if p is not None})
        result["flips"] = len(fates)
        result["shown"] = len(shown)
        result["missed"] = len(fates) - len(shown)
        result["discarded"] = sum(1 for p in fates if p is None)
        intervals = [(b - a) / 1e6 for a, b in zip(shown, shown[1:])]
        result["intervals_ms"] = [round(i, 3) for i in intervals]
        if intervals:
            result["mean_ms"] = statistics.fmean(intervals)
            result["sd_ms"] = statistics.pstdev(intervals)
            result["p99_ms"] = percentile(intervals, 99)
        per_s = len(fates) / ((t_stop - t_start) / 1e9)
        result["flips_per_s"] = per_s
        result["cpu_ms_per_flip"] = result["cpu_pct"] * 10 / per_s if per_s else None
        result["compositor_ms_per_flip"] = result["compositor_cpu_pct"] * 10 / per_s if per_s else None
    except Exception as e:  # one broken case must not lose the others
        result["error"] = str(e)
    finally:
        if driver:
            driver.stop()
        if weston:
            weston.terminate()
            try:
                weston.wait(timeout=10)
            except subprocess.TimeoutExpired:
                weston.kill()
                weston.wait()
        shutil.rmtree(tmp, ignore_errors=True)
    return result


# ---------------------------------------------------------------- reporting

X11_MODES = ("server", "raster", "browser", "wine")
WAYLAND_MODES = ("wayland", "wayland-raster")
LABELS = {"server": "ours (server-side)", "raster": "raster reference", "browser": "chromium peer",
          "wine": "varno.exe under Wine", "wayland": "ours (compositor-filled)",
          "wayland-raster": "raster reference"}
COLOURS = {"server": "#1b7837", "raster": "#b2182b", "browser": "#2166ac", "wine": "#8c510a",
           "wayland": "#1b7837", "wayland-raster": "#b2182b"}


def fmt(value, digits=2):
    if value is None:
        return "n/a"
    return f"{value:.{digits}f}"


def cpu(r):
    # Under Wine, the program's own and, in brackets, Wine's other processes.
    if r["mode"] == "wine":
        return f"{fmt(r['cpu_pct'])} (+{fmt(r.get('wine_cpu_pct'))} Wine)"
    return fmt(r["cpu_pct"])


def memory(r):
    # One process: its resident set. The browser's several: their PSS summed.
    if r["mode"] == "browser":
        return f"{fmt(r['pss_mib'], 1)} PSS"
    return fmt(r["rss_mib"], 1)


def table(results):
    head = ("| size | period | path | flips | mean ms | sd ms | p99 ms | missed | extra "
            "| CPU % | X CPU % (net) | X ms/flip | memory MiB | exec→frame ms | wake-ups/s stopped "
            "| timers/s stopped | other load % |")
    rows = [head, "|" + "---|" * (head.count("|") - 1)]
    for r in results:
        size = f"{r['size'][0]}×{r['size'][1]}"
        if "error" in r:
            rows.append(f"| {size} | {r['period_ms']} | {LABELS[r['mode']]} | failed: {r['error']} "
                        + "| " * 13 + "|")
            continue
        rows.append(
            f"| {size} | {r['period_ms']} | {LABELS[r['mode']]} | {r['flips']} | {fmt(r.get('mean_ms'), 3)} "
            f"| {fmt(r.get('sd_ms'), 3)} | {fmt(r.get('p99_ms'))} | {r['missed']} | {r['extra']} "
            f"| {cpu(r)} | {fmt(r['x_cpu_pct'], 1)} ({fmt(r['x_net_cpu_pct'], 1)}) "
            f"| {fmt(r['x_ms_per_flip'])} | {memory(r)} | {fmt(r['first_frame_ms'], 0)} "
            f"| {fmt(r['wakeups_per_s'], 1)} | {fmt(r['timer_arms_per_s'], 1)} "
            f"| {fmt(r['other_load_pct'], 0)} |")
    logged = [r for r in results if r.get("log_ticks")]
    if logged:
        rows += ["", "The Windows program's own tick log under Wine (its timer, apart from the display):", "",
                 "| size | period | ticks | wait ended after due, mean ms | sd ms | repaint after wake, mean ms "
                 "| interval mean ms | interval sd ms | skipped |",
                 "|---|---|---|---|---|---|---|---|---|"]
        for r in logged:
            rows.append(f"| {r['size'][0]}×{r['size'][1]} | {r['period_ms']} | {r['log_ticks']} "
                        f"| {fmt(r['log_late_mean_ms'], 3)} | {fmt(r['log_late_sd_ms'], 3)} "
                        f"| {fmt(r['log_paint_mean_ms'], 3)} | {fmt(r['log_interval_mean_ms'], 3)} "
                        f"| {fmt(r['log_interval_sd_ms'], 3)} | {r['log_skipped']} |")
    return "\n".join(rows)


def wayland_table(results):
    head = ("| size | period | path | flips | shown | mean ms | sd ms | p99 ms | missed | CPU % "
            "| CPU ms/flip | compositor CPU % | compositor ms/flip | RSS started MiB | RSS blinking MiB "
            "| wake-ups/s stopped | timers/s stopped | other load % |")
    rows = [head, "|" + "---|" * (head.count("|") - 1)]
    for r in results:
        size = f"{r['size'][0]}×{r['size'][1]}"
        if "error" in r:
            rows.append(f"| {size} | {r['period_ms']} | {LABELS[r['mode']]} | failed: {r['error']} "
                        + "| " * 14 + "|")
            continue
        rows.append(
            f"| {size} | {r['period_ms']} | {LABELS[r['mode']]} | {r['flips']} | {r['shown']} "
            f"| {fmt(r.get('mean_ms'), 3)} | {fmt(r.get('sd_ms'), 3)} | {fmt(r.get('p99_ms'))} | {r['missed']} "
            f"| {fmt(r['cpu_pct'])} | {fmt(r['cpu_ms_per_flip'], 3)} | {fmt(r['compositor_cpu_pct'], 1)} "
            f"| {fmt(r['compositor_ms_per_flip'], 3)} | {fmt(r['rss_started_mib'], 1)} | {fmt(r['rss_mib'], 1)} "
            f"| {fmt(r['wakeups_per_s'], 1)} | {fmt(r['timer_arms_per_s'], 1)} "
            f"| {fmt(r['other_load_pct'], 0)} |")
    return "\n".join(rows)


def svg(results, path, title="Flip intervals seen on the X server"):
    sizes = sorted({tuple(r["size"]) for r in results}, key=lambda s: s[0] * s[1])
    periods = sorted({r["period_ms"] for r in results})
    modes = [m for m in LABELS if any(r["mode"] == m for r in results)]
    pw, ph, ml, mt, gap = 420, 200, 60, 50, 60
    width = ml + len(periods) * (pw + gap)
    height = mt + len(sizes) * (ph + gap) + 40
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
           f'font-family="sans-serif" font-size="12">',
           f'<rect width="{width}" height="{height}" fill="white"/>',
           f'<text x="{ml}" y="20" font-size="15">{title} '
           f'(count per 0.2 ms bin, log scale; longer than 2 × period drawn in the last bin)</text>']
    for i, (mode) in enumerate(modes):
        lx = ml + i * 190
        out.append(f'<rect x="{lx}" y="30" width="14" height="4" fill="{COLOURS[mode]}"/>'
                   f'<text x="{lx + 20}" y="36">{LABELS[mode]}</text>')
    for row, size in enumerate(sizes):
        for col, period in enumerate(periods):
            x0 = ml + col * (pw + gap)
            y0 = mt + 10 + row * (ph + gap)
            out.append(f'<rect x="{x0}" y="{y0}" width="{pw}" height="{ph}" fill="none" stroke="#888"/>')
            out.append(f'<text x="{x0}" y="{y0 - 6}" font-weight="bold">{size[0]}×{size[1]}, '
                       f'{period} ms</text>')
            bins = int(2 * period / 0.2)
            cases = [r for r in results if tuple(r["size"]) == size and r["period_ms"] == period
                     and r.get("intervals_ms")]
            top = 1
            hists = {}
            for r in cases:
                h = [0] * bins
                for v in r["intervals_ms"]:
                    h[min(bins - 1, max(0, int(v / 0.2)))] += 1
                hists[r["mode"]] = h
                top = max(top, max(h))
            ltop = math.log10(top + 1)

            def sx(b):
                return x0 + pw * b / bins

            def sy(count):
                return y0 + ph - ph * math.log10(count + 1) / ltop

            step = 5 if period <= 20 else 10
            for ms in range(0, 2 * period + 1, step):
                tx = x0 + pw * ms / (2 * period)
                out.append(f'<line x1="{tx:.1f}" y1="{y0 + ph}" x2="{tx:.1f}" y2="{y0 + ph + 4}" stroke="#888"/>'
                           f'<text x="{tx:.1f}" y="{y0 + ph + 16}" text-anchor="middle">{ms}</text>')
            tx = x0 + pw / 2
            out.append(f'<line x1="{tx}" y1="{y0}" x2="{tx}" y2="{y0 + ph}" stroke="#ccc" stroke-dasharray="3,3"/>')
            for count in [0] + [10 ** d for d in range(0, int(ltop) + 1) if 10 ** d <= top]:
                ty = sy(count)
                out.append(f'<line x1="{x0 - 4}" y1="{ty:.1f}" x2="{x0}" y2="{ty:.1f}" stroke="#888"/>'
                           f'<text x="{x0 - 6}" y="{ty + 4:.1f}" text-anchor="end">{count}</text>')
            out.append(f'<text x="{x0 + pw}" y="{y0 + ph + 30}" text-anchor="end">ms</text>')
            for n, mode in enumerate(modes):
                if mode not in hists:
                    continue
                h = hists[mode]
                pts = [f"{sx(0):.1f},{sy(0):.1f}"]
                for b, c in enumerate(h):
                    pts.append(f"{sx(b):.1f},{sy(c):.1f}")
                    pts.append(f"{sx(b + 1):.1f},{sy(c):.1f}")
                out.append(f'<polyline points="{" ".join(pts)}" fill="none" stroke="{COLOURS[mode]}" '
                           f'stroke-width="1.2" stroke-opacity="0.85"/>')
                r = next(r for r in cases if r["mode"] == mode)
                out.append(f'<text x="{x0 + pw - 6}" y="{y0 + 16 + 14 * n}" text-anchor="end" '
                           f'fill="{COLOURS[mode]}">sd {r["sd_ms"]:.2f} ms</text>')
    out.append("</svg>")
    Path(path).write_text("\n".join(out) + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--varno", required=True)
    ap.add_argument("--probe", required=True)
    ap.add_argument("--browser", default=shutil.which("chromium"))
    ap.add_argument("--out", default=str(HERE / "results"))
    ap.add_argument("--sizes", default="640x480,1920x1080,3840x2160")
    ap.add_argument("--periods", default="20,50")
    ap.add_argument("--modes", default="server,raster,browser,wine,wayland,wayland-raster")
    ap.add_argument("--wine-varno", help="the Windows program (varno.exe), run under wine64")
    ap.add_argument("--driver", help="bench/driver's varno_driver: the Wayland cases need it")
    ap.add_argument("--merge", action="store_true",
                    help="keep the cases of the results files that this run does not measure again")
    ap.add_argument("--seconds", type=float, default=11.0, help="running time sampled per case")
    ap.add_argument("--every-us", type=int, default=250, help="sampling period of the pixel")
    ap.add_argument("--quiet-below", type=float, default=25,
                    help="start a case once the machine's other load is below this (%% of a core)")
    ap.add_argument("--quiet-wait", type=float, default=60, help="longest wait for that, in seconds")
    ap.add_argument("--arrow-right", default="138,39", help="x,y of the scroll bar's right arrow")
    ap.add_argument("--arrow-left", default="29,39", help="x,y of the scroll bar's left arrow")
    args = ap.parse_args()
    args.arrow_right = [int(v) for v in args.arrow_right.split(",")]
    args.arrow_left = [int(v) for v in args.arrow_left.split(",")]
    modes = args.modes.split(",")
    if "browser" in modes and not args.browser:
        print("no chromium: the browser peer is left out", file=sys.stderr)
        modes.remove("browser")
    args.wine = None
    if "wine" in modes:
        if args.wine_varno and shutil.which("Xvfb") and (os.path.exists("/usr/lib/wine/wine64")
                                                         or shutil.which("wine64")):
            args.wine = Wine(os.path.abspath(args.wine_varno))
        else:
            print("no varno.exe or no wine64: the Windows program is left out", file=sys.stderr)
            modes.remove("wine")
    if not args.driver or not shutil.which("weston"):
        dropped = [m for m in modes if m in WAYLAND_MODES]
        if dropped:
            print("no driver or no weston: the Wayland cases are left out", file=sys.stderr)
        modes = [m for m in modes if m not in WAYLAND_MODES]
    sizes = [tuple(int(v) for v in s.split("x")) for s in args.sizes.split(",")]
    periods = [int(p) for p in args.periods.split(",")]

    results = []
    for size in sizes:
        for period in periods:
            for mode in modes:
                print(f"{size[0]}x{size[1]} {period} ms {mode} ...", file=sys.stderr, flush=True)
                run = run_wayland_case if mode in WAYLAND_MODES else run_case
                results.append(run(args, mode, size, period))
    if args.wine:
        args.wine.close()
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    order = {m: i for i, m in enumerate(LABELS)}
    # Each display system's results in files of their own, so that a run of
    # one leaves the other's as they were.
    for modes_of, prefix, make_table, title in (
            (X11_MODES, "", table, "Flip intervals seen on the X server"),
            (WAYLAND_MODES, "wayland_", wayland_table,
             "Presentation intervals on weston")):
        these = [r for r in results if r["mode"] in modes_of]
        if not these:
            continue
        previous = out / f"{prefix}results.json"
        if args.merge and previous.exists():
            done = {(tuple(r["size"]), r["period_ms"], r["mode"]) for r in these}
            kept = [r for r in json.loads(previous.read_text())
                    if (tuple(r["size"]), r["period_ms"], r["mode"]) not in done]
            these = sorted(kept + these, key=lambda r: (r["size"][0] * r["size"][1], r["period_ms"],
                                                        order[r["mode"]]))
        previous.write_text(json.dumps(these, indent=1) + "\n")
        text = make_table(these)
        (out / f"{prefix}table.md").write_text(text + "\n")
        svg(these, out / f"{prefix}intervals.svg", title)
        print(text + "\n")
        print(f"written: {out / (prefix + 'table.md')}, {out / (prefix + 'intervals.svg')}, "
              f"{previous}\n")


if __name__ == "__main__":
    main()
