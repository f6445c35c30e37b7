#!/usr/bin/env bash
# Launches `mirrel isUITest` several times and reports, per run and as medians:
#   - the cold start: from the launch to the first picture drawn in the window (the program
#     prints the moment when MIRREL_REPORT_FIRST_FRAME is set);
#   - the CPU the process used up to then;
#   - the CPU it uses while it waits for the user with the test picture shown (process CPU
#     time from /proc over IDLE_SECONDS, after SETTLE_SECONDS for the card search to finish).
# With PHOTO set, the program measures that still photo instead (a normal run past the
# tutorial) and the same is reported for it.
# Without a display it runs itself under xvfb-run. Usage: [PHOTO=file] bench/start-and-idle.sh [RUNS]
# The machine's other work stretches the start; CPU times are less affected than wall times.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_BUILD_DIR:-$root/build}"
app="$build/app/mirrel"
runs="${1:-5}"
idle="${IDLE_SECONDS:-10}"
settle="${SETTLE_SECONDS:-2}"
if [[ -n "${PHOTO:-}" ]]; then
  arguments=(-Storage_isTutorialSeen YES "$(realpath "$PHOTO")")
else
  arguments=(isUITest)
fi

if [[ ! -x "$app" ]]; then
  echo "no $app: build first (scripts/build.sh)" >&2
  exit 1
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work="$(mktemp -d)"
pid=""
cleanup() {
  if [[ -n "$pid" ]]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
ticks="$(getconf CLK_TCK)"

# utime + stime of a process, all its threads, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-4s %12s %14s %16s\n' run "start (ms)" "start CPU (ms)" "idle CPU (%)"
for run in $(seq 0 "$runs"); do
  log="$work/run$run.log"
  # Fresh settings every time; the caches (compiled shaders) are kept from run to run as on
  # a user's machine, so run 0, a first launch ever, is shown but not counted.
  rm -rf "$work/home/.config"
  mkdir -p "$work/home"
  launched="$(date +%s.%N)"
  HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
    MIRREL_REPORT_FIRST_FRAME=1 "$app" "${arguments[@]}" 2>"$log" &
  pid=$!
  shown=""
  for _ in $(seq 1 600); do
    shown="$(sed -n 's/^mirrel: first picture shown at //p' "$log")"
    [[ -n "$shown" ]] && break
    if ! kill -0 "$pid" 2>/dev/null; then break; fi
    sleep 0.05
  done
  if [[ -z "$shown" ]]; then
    echo "run $run: no picture within 30 s; the program said:" >&2
    cat "$log" >&2
    exit 1
  fi
  start_cpu="$(cpu_ticks "$pid")"
  sleep "$settle"
  before="$(cpu_ticks "$pid")"
  sleep "$idle"
  after="$(cpu_ticks "$pid")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
  start_ms="$(awk -v a="$launched" -v b="$shown" 'BEGIN { printf "%.0f", (b - a) * 1000 }')"
  start_cpu_ms="$(awk -v t="$start_cpu" -v h="$ticks" 'BEGIN { printf "%.0f", t * 1000 / h }')"
  idle_pct="$(awk -v d="$((after - before))" -v h="$ticks" -v s="$idle" \
    'BEGIN { printf "%.2f", d * 100 / h / s }')"
  printf '%-4s %12s %14s %16s\n' "$run" "$start_ms" "$start_cpu_ms" "$idle_pct"
  [[ "$run" == 0 ]] && continue
  echo "$start_ms" >>"$work/start"
  echo "$start_cpu_ms" >>"$work/startcpu"
  echo "$idle_pct" >>"$work/idle"
done
printf '%-4s %12s %14s %16s\n' median "$(median <"$work/start")" "$(median <"$work/startcpu")" \
  "$(median <"$work/idle")"
