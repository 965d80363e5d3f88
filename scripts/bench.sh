#!/usr/bin/env bash
# Builds the benchmarks, runs them all in one process and prints one table of
# figures and ratios against the goals. Installs ffmpeg and frei0r-plugins
# for the stream comparison (scripts/deps.sh --bench).
#
#   scripts/bench.sh [BENCHMARK OPTIONS...]
#
# Environment: FRAYLINE_BENCH_BUILD (build directory, default build/bench),
# FRAYLINE_BENCH_REPETITIONS (default 3), FRAYLINE_BENCH_STREAM_FRAMES
# (frames per pipeline run, default 120). Figures taken while other work
# loads the machine come out slower; the ratios hold better, since the
# things compared are measured in turn within each iteration.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${FRAYLINE_BENCH_BUILD:-build/bench}
repetitions=${FRAYLINE_BENCH_REPETITIONS:-3}

scripts/deps.sh --bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFRAYLINE_BENCH=ON \
    -DFRAYLINE_TESTS=OFF >/dev/null
cmake --build "$build" --target frayline_bench

json="$build/bench.json"
"$build/bench/frayline_bench" \
    --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$json" --benchmark_out_format=json \
    "$@" >&2

python3 - "$json" <<'PY'
import json
import sys

report = json.load(open(sys.argv[1]))
context = report["context"]
median = {}
for b in report["benchmarks"]:
    if b.get("aggregate_name", "median") == "median" and "error_occurred" not in b:
        median[b["run_name"]] = b

def get(name, key):
    b = median.get(name)
    return b.get(key) if b else None

def fmt(value, digits=2):
    return "-" if value is None else f"{value:.{digits}f}"

def verdict(ok):
    return "n/a" if ok is None else ("met" if ok else "MISSED")

cpu = "unknown CPU"
try:
    cpu = next(l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name"))
except (OSError, StopIteration):
    pass
print()
print(f"Frayline benchmarks, {context['date']}")
print(f"  {cpu}, {context['num_cpus']} cores; {context.get('renderer', '?')}, "
      f"{context.get('gl_version', '?')}")
print(f"  one run of frayline_bench, medians of {report['benchmarks'][0].get('repetitions', 1)}"
      f" repetitions; load average at start {', '.join(f'{x:.2f}' for x in context.get('load_avg', []))}")

sizes = [("1280x720", "Frame/w:1280/h:720/manual_time"),
         ("1920x1080", "Frame/w:1920/h:1080/manual_time"),
         ("3840x2160", "Frame/w:3840/h:2160/manual_time")]
row = "  {:<44}{:>11}{:>11}{:>11}   {}"
print()
print(row.format("Frame, wall ms (glFinish per frame)", *[s for s, _ in sizes], ""))
for label, key in [("plugin frame (FF_PROCESSOPENGL)", "plugin_ms"),
                   ("bare program (same text, one quad)", "bare_ms"),
                   ("passthrough textured quad", "passthrough_ms")]:
    print(row.format(label, *[fmt(get(n, key)) for _, n in sizes], ""))
ratios = [get(n, "plugin_vs_bare") for _, n in sizes]
ok = None if None in ratios else all(r <= 1.05 for r in ratios)
print(row.format("plugin / bare (goal <= 1.05)", *[fmt(r, 3) for r in ratios], verdict(ok)))
print(row.format("plugin / passthrough", *[fmt(get(n, "plugin_vs_passthrough")) for _, n in sizes], ""))
own = [get(n, "allocs_by_plugin") for _, n in sizes] + [get("FramePathCpu", "allocs_by_plugin")]
ok = None if None in own else all(a == 0 for a in own)
print(row.format("heap allocations by the plugin's code (goal 0)",
                 *[fmt(a, 0) for a in own[:3]], verdict(ok)))
print(row.format("  all, driver included: plugin frame",
                 *[fmt(get(n, "allocs_plugin_frame"), 0) for _, n in sizes], ""))
print(row.format("  all, driver included: bare frame",
                 *[fmt(get(n, "allocs_bare_frame"), 0) for _, n in sizes], ""))

row = "  {:<44}{:>11}   {}"
print()
print(row.format("CPU, ns per call", "", ""))
print(row.format("plugMain frame path, 1x1 target", fmt(get("FramePathCpu", "real_time"), 0), ""))
for label, name in [("FF_GETPARAMETER (goal < 50)", "GetParameter"),
                    ("FF_SETPARAMETER (goal < 50)", "SetParameter")]:
    t = get(name, "real_time")
    print(row.format(label, fmt(t, 1), verdict(None if t is None else t < 50)))

s = "Stream/iterations:1/manual_time"
print()
frames = get(s, "frames")
print(row.format(f"Stream, 1920x1080, {fmt(frames, 0)} frames, wall ms per frame", "", ""))
print(row.format("ffmpeg | frayline-render --raw | ffmpeg", fmt(get(s, "frayline_ms_per_frame")), ""))
print(row.format("ffmpeg -vf frei0r=distort0r", fmt(get(s, "frei0r_ms_per_frame")), ""))
print(row.format("ffmpeg | cat | ffmpeg (the pipes alone)", fmt(get(s, "pipe_only_ms_per_frame")), ""))
r = get(s, "frayline_vs_frei0r")
print(row.format("frayline / frei0r (goal <= 1.00)", fmt(r), verdict(None if r is None else r <= 1.0)))
PY
