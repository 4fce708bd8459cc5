#!/bin/bash
# linuxcnc passes -ini FILE; the runner needs nothing of it.
exec /usr/bin/python3 "$(dirname "$0")/run-program.py" >"$(dirname "$0")/run-program.log" 2>&1
