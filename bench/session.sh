# Sourced by the benches that start programs: a work folder and a run-time folder of their own, removed at
# exit, and on demand one Xvfb server with the French keyboard and one session bus, both stopped at exit.
# A bench adds the processes it starts in the background to bench_pids to have them stopped too.
work=$(mktemp -d)
bench_pids=()
bench_cleanup() {
    for pid in "${bench_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap bench_cleanup EXIT
mkdir -p "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
unset QT_QPA_PLATFORM SESSION_MANAGER

# Starts Xvfb with a screen of SIZE (for example 1280x1024) and the French keyboard, and exports DISPLAY.
bench_x_server() {
    Xvfb -displayfd 3 -screen 0 "$1x24" -noreset -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    bench_pids+=($!)
    for _ in $(seq 50); do [[ -s "$work/display" ]] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
    setxkbmap -layout fr
}

# One session bus for every program and every run, as on a desktop, where it is already there when a program
# starts.
bench_session_bus() {
    local bus
    bus=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
    bench_pids+=("${bus##*$'\n'}")
}
