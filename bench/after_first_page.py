#!/usr/bin/env python3
"""What follows the first page at start-up, measured from outside the program:

  advertisement   milliseconds from the process start to the strip's request
                  for its page, read by a proxy on 127.0.0.1 that the engine
                  is pointed at (the request is refused once it is seen);
  longest busy    the longest stretch the user-interface thread spends away
                  from its event loop once the first page's catalogue file is
                  read: strace records the thread's poll calls with their
                  durations, and a stretch runs from one poll's return to the
                  next poll's entry. strace slows the thread it traces, so the
                  program's own stretches are shorter than these.

  xvfb-run -a -s "-screen 0 1280x1024x24" bench/after_first_page.py [runs]
  (from the build folder; strace must be installed)
"""
import os, re, socket, subprocess, sys, tempfile, time

runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
program = os.path.abspath("bin/mirelka")


def advertisement_ms():
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(8)
    server.settimeout(10)
    env = dict(os.environ, QTWEBENGINE_DISABLE_SANDBOX="1",
               QTWEBENGINE_CHROMIUM_FLAGS="--proxy-server=http://127.0.0.1:%d" % server.getsockname()[1])
    start = time.monotonic()
    child = subprocess.Popen([program], env=env, stderr=subprocess.DEVNULL)
    seen = None
    try:
        while seen is None:
            connection, _ = server.accept()
            if b"/reklama/" in connection.recv(4096):
                seen = (time.monotonic() - start) * 1000
            connection.close()
    except OSError:
        pass
    child.kill()
    child.wait()
    server.close()
    return seen


def longest_busy_ms():
    trace = tempfile.NamedTemporaryFile(suffix=".strace", delete=False).name
    env = dict(os.environ, QTWEBENGINE_DISABLE_SANDBOX="1", QTWEBENGINE_CHROMIUM_FLAGS="--proxy-server=http://127.0.0.1:9")
    subprocess.run(["timeout", "4", "strace", "--seccomp-bpf", "-tt", "-T", "-e", "trace=poll,ppoll,openat",
                    "-o", trace, program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    lines = open(trace).read().splitlines()
    os.unlink(trace)

    def at(line):
        h, m, s = line.split()[0].split(":")
        return (int(h) * 3600 + int(m) * 60 + float(s)) * 1000

    page, free, longest = None, None, 0.0
    for line in lines:
        if "/Data/1.dat" in line and "ENOENT" not in line:
            page = at(line)
        if "poll(" in line:
            if page is not None and free is not None:
                longest = max(longest, at(line) - free)
            took = re.search(r"<([0-9.]+)>$", line)
            free = at(line) + (float(took.group(1)) * 1000 if took else 0)
    return longest


ads = [advertisement_ms() for _ in range(runs)]
busy = [longest_busy_ms() for _ in range(runs)]
shown = [a for a in ads if a is not None]
print("advertisement requested after start, ms: %s (target <= 300)" % [round(a) for a in shown])
print("longest stretch away from the event loop after the first page, ms, under strace: %s (target <= 100)"
      % [round(b) for b in busy])
if shown:
    print("RESULT ad_request_ms %.0f" % sorted(shown)[len(shown) // 2])
print("RESULT ui_busy_ms %.0f" % sorted(busy)[len(busy) // 2])
