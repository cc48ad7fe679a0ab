#!/usr/bin/env bash
# Times the Windows build under Wine as ratios to floors measured in the same run, on a virtual
# display with the real windows platform plugin (run scripts/windows.sh first):
#   start-up: Tessellor's main window to its first painted frame, against a bare Qt window with a
#             label, both from main() to the frame and from launch to exit;
#   compile and save: tessellor-cli.exe compile of the sample configuration, against the same
#             program printing its version (the cost of starting it under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows
cache=${TESSELLOR_CACHE:-$HOME/.cache/tessellor}
export WINEPREFIX=$cache/wine WINEDEBUG=-all
qt_bin=$(sed -n 's/^Qt6Core_DIR:PATH=\(.*\)\/lib\/cmake\/Qt6Core$/\1\/bin/p' "$build/CMakeCache.txt")
export WINEPATH="Z:$qt_bin;Z:$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll | xargs dirname);Z:/usr/x86_64-w64-mingw32/lib"
runs=${RUNS:-7}

exec xvfb-run -a -s "-screen 0 1280x800x24" python3 - "$build" "$runs" <<'PY'
import statistics, subprocess, sys, time
build, runs = sys.argv[1], int(sys.argv[2])

def start(program, *args):
    """Milliseconds from main() to the first frame, and from launch to exit."""
    began = time.monotonic()
    out = subprocess.run(["wine", program, *args], capture_output=True, text=True, check=True).stdout.split()
    return (int(out[0]) - int(out[2])) / 1e6, (time.monotonic() - began) * 1000

def wall(*command):
    began = time.monotonic()
    subprocess.run(["wine", *command], capture_output=True, check=True)
    return (time.monotonic() - began) * 1000

subprocess.run(["wine", f"{build}/tessellor-cli.exe", "--version"], capture_output=True)  # Wine's first start
floor, program, version, compile_ = [], [], [], []
for _ in range(runs):
    floor.append(start(f"{build}/bench/tessellor_bench_floor.exe", "--text"))
    program.append(start(f"{build}/bench/tessellor_bench_startup.exe", f"{build}/program"))
    version.append(wall(f"{build}/tessellor-cli.exe", "--version"))
    compile_.append(wall(f"{build}/tessellor-cli.exe", "compile", "bench/sample", "-o", f"{build}/bench-bank.bin"))
med = lambda values: statistics.median(values)
in_floor, in_program = med([f[0] for f in floor]), med([p[0] for p in program])
out_floor, out_program = med([f[1] for f in floor]), med([p[1] for p in program])
print(f"| measure (median of {runs}) | floor | Tessellor | ratio |")
print("|---|---|---|---|")
print(f"| start-up, main() to first frame | {in_floor:.0f} ms | {in_program:.0f} ms | {in_program / in_floor:.2f}x |")
print(f"| start-up, launch to exit | {out_floor:.0f} ms | {out_program:.0f} ms | {out_program / out_floor:.2f}x |")
print(f"| compile and save (tessellor-cli) | {med(version):.0f} ms | {med(compile_):.0f} ms | {med(compile_) / med(version):.2f}x |")
PY
