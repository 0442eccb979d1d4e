# Sourced by the scripts: a JACK server with the dummy driver, for machines with no
# sound hardware. Starts one only when none runs; stops only the one it started.
quorvin_jack_started=""

quorvin_jack_running() {
    jack_lsp >/dev/null 2>&1
}

quorvin_jack_start() {
    quorvin_jack_running && return 0
    local log=${1:-/dev/null}
    # -r before -d: no realtime scheduling, so it runs without special rights.
    jackd -r -d dummy -r 48000 -p 128 >"$log" 2>&1 &
    quorvin_jack_started=$!
    for _ in $(seq 1 50); do
        quorvin_jack_running && return 0
        kill -0 "$quorvin_jack_started" 2>/dev/null || break
        sleep 0.2
    done
    echo "could not start a JACK server (see $log)" >&2
    return 1
}

quorvin_jack_stop() {
    [ -n "$quorvin_jack_started" ] || return 0
    kill "$quorvin_jack_started" 2>/dev/null || true
    wait "$quorvin_jack_started" 2>/dev/null || true
    quorvin_jack_started=""
}
