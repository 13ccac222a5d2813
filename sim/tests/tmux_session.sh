#!/usr/bin/env bash
# Runs the interactive simulator in a detached tmux session of the recommended 140 x 44, sends
# keys as a person would and reads the screen: how to quit is on it, the greeting hint goes
# with the greeting, the display lines and LEDs follow the gestures, the fader says what it
# stands for, fine turns push once, the plug-in's debugger output has its own panel, and a
# smaller terminal is told the size it needs.
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
tmuxc new-session -d -s sim -x 140 -y 44 \
    "env LC_ALL=C.UTF-8 KORVANE_REGISTRY='$registry' '$sim' --module '$module'"

screen() { tmuxc capture-pane -p -t sim; }
fail() {
    echo "FAILED: $*" >&2
    screen >&2 || true
    exit 1
}

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
    fail "the screen does not show: $*"
}
# The screen's last line, the status.
status_line() { screen | tail -n 1; }

wait_for 10 "Welcome to" "Korvane (virtual surface)" "Host: project" \
    "Plug-in debugger output" "MIDI monitor"
# The footer starts with the quit key, whole at 140 columns.
screen | grep -q "^Ctrl-Q quit |" || fail "the footer does not start with the quit key"
status_line | grep -qF "The plug-in greets first" || fail "no greeting hint at the start"
echo "140 x 44: every panel, the quit key and the greeting hint shown"

wait_for 40 "LeadVocals  Pan" "Trk01 Mark   0" "q Trk●" "e EQ○"
# The hint about the greeting goes with it.
sleep 1
if status_line | grep -qF "greets"; then
    fail "the greeting hint stayed after the greeting"
fi
echo "track-mode page shown, Trk LED lit, greeting hint gone"

# The fader stands for the level, and for the pan only while FaderFn flips it.
wait_for 5 "stands for the level -6.0 dB"
tmuxc send-keys -t sim g
wait_for 5 "g FaderFn●" "stands for the pan C (FaderFn: flipped)"
screen | grep -q "stands for the level" && fail "the fader shows the level while flipped"
tmuxc send-keys -t sim g
wait_for 5 "g FaderFn○" "stands for the level -6.0 dB"
echo "fader reading: level, or pan while flipped"

tmuxc send-keys -t sim e
wait_for 5 "FreqL GainL  QL" "100Hz 0.0dB 0.7" "e EQ●" "q Trk○"
echo "EQ mode: page and LEDs changed"

# Fine turns: the first pushes the touched encoder once (one coarse step, +0.3 dB), each
# turn after it adds 0.1 dB; a coarse turn lets go first and adds 0.3 dB.
tmuxc send-keys -t sim K K K
wait_for 5 "Low 100Hz +0.6dB" "Enc2[touched][pushed]"
tmuxc send-keys -t sim k
wait_for 5 "Low 100Hz +0.9dB"
screen | grep -qF "Enc2[touched]" && fail "the coarse turn did not let go of the fine hold"
echo "fine turns: one push, then fine steps"

tmuxc send-keys -t sim q
wait_for 5 "LeadVocals  Pan" "q Trk●" "e EQ○" "Ctrl-Q"

tmuxc send-keys -t sim ']'
wait_for 5 "Acoustic Guitar" "Track 2" ">  1 Acoustic Guitar" "SetParameter(19, 0, track 1)"
echo "track step: track page and Host's current track"

tmuxc send-keys -t sim v
wait_for 5 "Transport PLAYING" "Play pressed"

# The settings dialog's command list goes to the debugger output's own panel.
tmuxc send-keys -t sim F9
wait_for 5 "Korvane User Settings"
tmuxc send-keys -t sim Escape
wait_for 5 "Plug-in debugger output (540 lines)" "#35: Normalize..." "#34: Clips: Punch Out"
echo "debugger output in its own panel"

# A smaller terminal is told what the layout needs and shows what fits.
tmuxc resize-window -t sim -x 100 -y 30
wait_for 5 "this terminal is 100 x 30; every panel needs 140 x 44" "Korvane (virtual surface)" \
    "Ctrl-Q quit"
screen | grep -qF "MIDI monitor" && fail "a panel that does not fit is drawn"
echo "100 x 30: the size needed, the surface and the quit key"

tmuxc send-keys -t sim C-q
deadline=$((SECONDS + 5))
while tmuxc has-session -t sim 2>/dev/null; do
    ((SECONDS < deadline)) || fail "the simulator did not quit on Ctrl-Q"
    sleep 0.2
done
echo "1 passed, 0 failed"
