#!/usr/bin/env bash
# Runs the interactive simulator in a detached tmux session, sends keys as a person would and
# reads the screen: the display lines follow the gestures and the mode LEDs change.
# Usage: tmux_session.sh KORVANE_SIM LIBKORVANE REGISTRY_FILE
set -euo pipefail
sim=$1
module=$2
registry=$3
server="korvane-sim-test-$$"
tmuxc() { tmux -u -L "$server" "$@"; }
cleanup() { tmuxc kill-server 2>/dev/null || true; }
trap cleanup EXIT

rm -f "$registry"
tmuxc new-session -d -s sim -x 150 -y 46 \
    "env LC_ALL=C.UTF-8 KORVANE_REGISTRY='$registry' '$sim' --module '$module'"

screen() { tmuxc capture-pane -p -t sim; }

# Waits until every given text is on the screen; the greeting alone holds for about 15 s.
wait_for() {
    local timeout=$1
    shift
    local deadline=$((SECONDS + timeout))
    while ((SECONDS < deadline)); do
        local shown missing=0
        shown=$(screen 2>/dev/null || true)
        for text in "$@"; do
            grep -qF -- "$text" <<<"$shown" || missing=1
        done
        ((missing == 0)) && return 0
        sleep 0.2
    done
    echo "FAILED: the screen does not show: $*" >&2
    screen >&2 || true
    exit 1
}

wait_for 10 "Welcome to" "Korvane (virtual surface)" "Host: project"
wait_for 40 "LeadVocals  Pan" "Trk01 Mark   0" "q Trk●" "e EQ○"
echo "track-mode page shown, Trk LED lit"

tmuxc send-keys -t sim e
wait_for 5 "FreqL GainL  QL" "100Hz 0.0dB 0.7" "e EQ●" "q Trk○"
echo "EQ mode: page and LEDs changed"

tmuxc send-keys -t sim q
wait_for 5 "LeadVocals  Pan" "q Trk●" "e EQ○"

tmuxc send-keys -t sim ']'
wait_for 5 "Acoustic Guitar" "Track 2" ">  1 Acoustic Guitar" "SetParameter(19, 0, track 1)"
echo "track step: track page and Host's current track"

tmuxc send-keys -t sim v
wait_for 5 "Transport PLAYING" "Play pressed"

tmuxc send-keys -t sim F10
deadline=$((SECONDS + 5))
while tmuxc has-session -t sim 2>/dev/null; do
    if ((SECONDS >= deadline)); then
        echo "FAILED: the simulator did not quit on F10" >&2
        exit 1
    fi
    sleep 0.2
done
echo "1 passed, 0 failed"
