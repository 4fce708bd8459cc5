#!/usr/bin/env bash
# Times the planner programs (programs.py) in LinuxCNC's simulator and in the
# preview's estimate, one line per program: name, acceleration, tolerance,
# LinuxCNC's seconds, the estimate's (ESTIMATOR: another morvatex_planner_bench).
#   bench/planner/measure.sh BUILD_DIR [NAME...]
# Needs linuxcnc-uspace; runs each program in real time. As root the
# simulator's realtime part runs as nobody (RTAPI_UID) beside its socket.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd); shift
work=${PLANNER_WORK:-/tmp/morvatex-planner}
mkdir -p "$work" && chmod 777 "$work"
python3 "$here/programs.py" "$work"
"$build/bin/morvatex-convert" --write-settings "$work/mach3.set" --preset mach3 >/dev/null
names=("$@"); [ ${#names[@]} -gt 0 ] || names=(treppe kreise tasche sehnen spirale gemischt)
# name: acceleration (mm/s²) and tolerance (mm); the rapid rate is 5000 mm/min.
declare -A machine=([treppe]="200 0.05" [kreise]="500 0.02" [tasche]="500 0.02" [sehnen]="500 0.02" [spirale]="500 0.02" [gemischt]="300 0.05")
rapid=5000
for name in "${names[@]}"; do
  read -r accel corner <<<"${machine[$name]}"
  "$build/bin/morvatex-convert" --settings "$work/mach3.set" "$work/$name.ncp" "$work/$name.tap" >/dev/null
  # G64 P ahead of the program; LinuxCNC ends at M2, whatever follows.
  { printf 'G21 G90 G64 P%s\r\n' "$corner"; cat "$work/$name.tap"; } | tr -d '\r' | grep -v '^%' >"$work/$name.ngc"
  sed -e "s/@VEL@/$(echo "$rapid/60" | bc -l)/g" -e "s/@ACC@/$accel/g" -e "s|@WORK@|$work|g" \
    "$here/sim.ini" >"$work/sim.ini"
  cp "$here/sim.hal" "$here/run-program.py" "$here/run-program.sh" "$work/"
  printf 'T1 P1 D0 Z0 ;\n' >"$work/sim.tbl"; : >"$work/sim.var"; rm -f "$work/result.txt" "$work/rtapi.sock"
  RTAPI_UID=${RTAPI_UID:-65534} RTAPI_FIFO_PATH="$work/rtapi.sock" BENCH_PROG="$work/$name.ngc" \
    BENCH_OUT="$work/result.txt" timeout 600 linuxcnc "$work/sim.ini" >"$work/$name.log" 2>&1 || true
  real=$(cut -d' ' -f2 "$work/result.txt" 2>/dev/null || echo "?")
  estimate=$("${ESTIMATOR:-$build/bin/morvatex_planner_bench}" "$work/$name.ncp" $rapid "$accel" "$corner" || echo "?")
  echo "$name $accel $corner $real $estimate"
done
