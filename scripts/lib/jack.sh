# Sourced by the scripts: a JACK server with the dummy driver, for machines with no
# sound hardware.
#
# quorvin_jack_start reuses the server that runs (the demo shares it with whatever else
# the user runs); quorvin_jack_start_own always starts one of its own under a name no
# other run uses, and exports JACK_DEFAULT_SERVER so that every client started from here
# on (tests, the editor, quorvin-sim) meets that server and no other. Either stops only
# the server it started.
quorvin_jack_started=""

quorvin_jack_running() {
    jack_lsp >/dev/null 2>&1
}

# $1: log file; $2: server name, empty for the default one.
quorvin_jack_launch() {
    local log=${1:-/dev/null} name=${2:-}
    local named=()
    [ -n "$name" ] && named=(-n "$name")
    # -r before -d: no realtime scheduling, so it runs without special rights.
    jackd "${named[@]}" -r -d dummy -r 48000 -p 128 >"$log" 2>&1 &
    quorvin_jack_started=$!
    for _ in $(seq 1 50); do
        quorvin_jack_running && return 0
        kill -0 "$quorvin_jack_started" 2>/dev/null || break
        sleep 0.2
    done
    echo "could not start a JACK server (see $log)" >&2
    return 1
}

quorvin_jack_start() {
    quorvin_jack_running && return 0
    quorvin_jack_launch "${1:-}" ""
}

quorvin_jack_start_own() {
    JACK_DEFAULT_SERVER="quorvin-$(hostname -s 2>/dev/null || echo host)-$$-$RANDOM"
    export JACK_DEFAULT_SERVER
    quorvin_jack_launch "${1:-}" "$JACK_DEFAULT_SERVER"
}

quorvin_jack_stop() {
    [ -n "$quorvin_jack_started" ] || return 0
    kill "$quorvin_jack_started" 2>/dev/null || true
    wait "$quorvin_jack_started" 2>/dev/null || true
    quorvin_jack_started=""
}
