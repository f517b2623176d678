#!/usr/bin/env python3
"""honeycomb_bench.py [BUILD] [--runs N] [--idle-seconds S]

Measures the real student program of a build tree (default build/run, the release tree that
./run makes) under its own Xvfb and openbox, through the program's paint trace (HC_TRACE=1):

  start     exec to the logo movie's first frame on screen
  new-user  a click on New User to the login screen shown
  rss       resident memory at the idle main menu (after the greeting has been spoken)
  cpu       CPU share of one core at the idle main menu, bee looping, over S seconds

Goals: start <= 300 ms, new-user <= 100 ms, rss <= 85 MiB, cpu <= 0.6 %.
Each run works in a fresh copy of the program directory; the medians of N runs are printed.
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def arg(name, default):
    if name in sys.argv:
        return sys.argv[sys.argv.index(name) + 1]
    return default


def xdo(display, *args):
    return subprocess.run(["xdotool", *args], env={**os.environ, "DISPLAY": display},
                          capture_output=True, text=True).stdout.strip()


def wait_window(display, title, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        ids = xdo(display, "search", "--onlyvisible", "--name", f"^{title}$").split()
        if ids:
            return ids[-1]
        time.sleep(0.05)
    raise RuntimeError(f"no window {title}")


def wait_trace(log_path, pattern, after_line=0, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        with open(log_path) as log:
            lines = log.read().splitlines()
        for line in lines[after_line:]:
            match = re.match(r"trace first-paint (\S+) (\d+)$", line)
            if match and re.fullmatch(pattern, match.group(1)):
                return int(match.group(2)), len(lines)
        time.sleep(0.02)
    raise RuntimeError(f"no paint of {pattern}")


def line_count(log_path):
    with open(log_path) as log:
        return len(log.read().splitlines())


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def one_run(build, display, idle_seconds):
    work = tempfile.mkdtemp(prefix="hcbench-")
    try:
        for name in os.listdir(os.path.join(build, "program")):
            source = os.path.join(build, "program", name)
            if os.path.isfile(source):
                shutil.copy2(source, work)
        os.mkdir(os.path.join(work, "tmp"))
        log_path = os.path.join(work, "trace.log")
        env = {**os.environ, "DISPLAY": display, "HC_TRACE": "1", "TMP": os.path.join(work, "tmp"),
               "SDL_AUDIODRIVER": os.environ.get("SDL_AUDIODRIVER", "dummy")}
        with open(log_path, "w") as log:
            started = time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1_000_000
            program = subprocess.Popen([os.path.join(work, "honeycomb")], cwd=work, env=env,
                                       stdout=subprocess.DEVNULL, stderr=log)
        try:
            logo_frame, _ = wait_trace(log_path, r"QRVlogoForm/QRVpanel2")
            start_ms = logo_frame - started

            title = wait_window(display, "Honeycombwordsmiths")
            xdo(display, "mousemove", "--window", title, "319", "372", "click", "1")
            login = wait_window(display, "Welcome")
            xdo(display, "mousemove", "--window", login, "284", "18", "click", "1")
            time.sleep(0.3)
            xdo(display, "type", "--delay", "20", "Bench")
            while xdo(display, "search", "--onlyvisible", "--name", "^Welcome$"):
                xdo(display, "mousemove", "--window", login, "415", "317", "click", "1")
                time.sleep(0.5)
            menu = wait_window(display, "Honeycombwordsmiths Main Menu")
            time.sleep(1.5)
            # Idle: the greeting spoken to its end (Stop), the bee looping.
            xdo(display, "mousemove", "--window", menu, "24", "315", "click", "1")
            time.sleep(2)
            rss = rss_kib(program.pid) / 1024
            ticks = cpu_ticks(program.pid)
            time.sleep(idle_seconds)
            cpu = (cpu_ticks(program.pid) - ticks) / os.sysconf("SC_CLK_TCK") / idle_seconds * 100

            before = line_count(log_path)
            clicked = time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1_000_000
            xdo(display, "mousemove", "--window", menu, "222", "264", "click", "1")
            shown, _ = wait_trace(log_path, r"LoginForm", before)
            new_user_ms = shown - clicked
            return start_ms, new_user_ms, rss, cpu
        finally:
            program.kill()
            program.wait()
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    build = os.path.abspath(next((a for a in sys.argv[1:] if not a.startswith("--") and
                                  not a.isdigit()), os.path.join(ROOT, "build", "run")))
    runs = int(arg("--runs", "3"))
    idle_seconds = float(arg("--idle-seconds", "30"))
    display = ":%d" % (500 + os.getpid() % 400)
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stderr=subprocess.DEVNULL)
    time.sleep(1)
    wm = subprocess.Popen(["openbox", "--sm-disable"], env={**os.environ, "DISPLAY": display},
                          stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    try:
        results = [one_run(build, display, idle_seconds) for _ in range(runs)]
    finally:
        wm.kill()
        xvfb.kill()
    names = ["start (ms)", "new-user (ms)", "rss (MiB)", "cpu (%)"]
    goals = [300, 100, 85, 0.6]
    for i, (name, goal) in enumerate(zip(names, goals)):
        values = [r[i] for r in results]
        print(f"{name:14} median {statistics.median(values):8.2f}  "
              f"runs {', '.join(f'{v:.2f}' for v in values)}  goal <= {goal}")


if __name__ == "__main__":
    main()
