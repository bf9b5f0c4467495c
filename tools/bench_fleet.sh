#!/usr/bin/env bash
# Measures kit_fleet over generated fleets of 100, 1,000 and 10,000 machines: the reports read,
# the wall time (the median of the runs; the machine is shared, so the quickest is printed too),
# the peak memory (the largest resident size of any run) and the size of fleet.html. Builds the
# native release program (preset linux); the fleets are generated once by tools/fleet_generate.py
# into build/linux/fleet_bench and made again only when the generator or its seeds change.
#   tools/bench_fleet.sh [runs] [sizes...]     (defaults: 3 runs; 100 1000 10000)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-3}
shift || true
sizes=("${@:-100 1000 10000}")
read -r -a sizes <<<"${sizes[*]}"

cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
fleet="$root/build/linux/bin/kit_fleet"
scratch="$root/build/linux/fleet_bench"
stamp=$(cat "$root/tools/fleet_generate.py" "$root"/tests/fleet/seed/*/* | sha1sum | cut -c1-16)

printf '%8s %8s %9s %9s %9s %10s\n' machines reports seconds quickest "MB peak" "page KB"
for n in "${sizes[@]}"; do
  in="$scratch/in_$n"
  if [ "$(cat "$in/.stamp" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$in"
    python3 "$root/tools/fleet_generate.py" "$in" "$n" --seed 1
    echo "$stamp" >"$in/.stamp"
  fi
  out="$scratch/out_$n"
  mkdir -p "$out"
  # Each run in a Python of its own, so that its children's peak resident size is this run's.
  python3 - "$fleet" "$in" "$out" "$runs" <<'EOF'
import json, os, resource, statistics, subprocess, sys, time
fleet, folder, out, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
times, peaks, reports = [], [], 0
for _ in range(runs):
    probe = ("import resource, subprocess, sys, time\n"
             "start = time.perf_counter()\n"
             "done = subprocess.run(sys.argv[1:], stdout=subprocess.PIPE, check=True)\n"
             "took = time.perf_counter() - start\n"
             "print(took, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n"
             "sys.stderr.write(done.stdout.decode())\n")
    done = subprocess.run([sys.executable, "-c", probe, fleet, "--out", out, folder], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, check=True, text=True)
    took, peak = done.stdout.split()
    times.append(float(took))
    peaks.append(int(peak) / 1024)
    summary = done.stderr
machines = int(summary.split("kit_fleet: ")[1].split()[0])
with open(os.path.join(folder, "planted.json")) as f:
    reports = json.load(f)["reports"]
page = os.path.getsize(os.path.join(out, "fleet.html")) / 1024
print(f"{machines:8d} {reports:8d} {statistics.median(times):9.2f} {min(times):9.2f} {max(peaks):9.0f} {page:10.0f}")
EOF
done
