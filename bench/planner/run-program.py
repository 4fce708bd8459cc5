#!/usr/bin/python3
"""The simulator's display: runs BENCH_PROG once and writes the seconds the
machine was not in position to BENCH_OUT."""
import os
import subprocess
import time

import linuxcnc

status, command, errors = linuxcnc.stat(), linuxcnc.command(), linuxcnc.error_channel()
for state in (linuxcnc.STATE_ESTOP_RESET, linuxcnc.STATE_ON):
    command.state(state)
    command.wait_complete(10)
command.mode(linuxcnc.MODE_AUTO)
command.wait_complete(10)
command.program_open(os.environ["BENCH_PROG"])
command.wait_complete(10)
command.auto(linuxcnc.AUTO_RUN, 0)
# Running first (the tool change at the start may leave it idle a moment),
# then idle with nothing queued and in position.
started = time.time()
while time.time() - started < 10:
    status.poll()
    if status.interp_state != linuxcnc.INTERP_IDLE:
        break
    time.sleep(0.01)
while True:
    status.poll()
    error = errors.poll()
    if error:
        print("LinuxCNC:", error[1], flush=True)
    if status.interp_state == linuxcnc.INTERP_IDLE and status.queue == 0 and status.inpos:
        break
    time.sleep(0.05)
time.sleep(0.2)
busy = float(subprocess.check_output(["halcmd", "getp", "busy-time.out"]).decode().strip())
with open(os.environ["BENCH_OUT"], "w") as out:
    out.write("%s %.3f\n" % (os.path.basename(os.environ["BENCH_PROG"]), busy))
