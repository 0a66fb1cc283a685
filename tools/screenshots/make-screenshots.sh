#!/usr/bin/env bash
# Makes the user guide's screenshots (docs/images/*.png) from the real program: each composer
# runs beside consolia-sim on the sample instrument under Xvfb in a 1024x700 window, is driven
# by keys (xdotool) and photographed window by window (xwd). Run it again after the GUI changes.
#
#   tools/screenshots/make-screenshots.sh [BUILD_DIR [OUT_DIR]]    (build, docs/images)
#   TW_SCREENSHOT_SCALE=2 tools/screenshots/make-screenshots.sh build /tmp/shots-200
#
# Needs: xvfb (xvfb-run), openbox, x11-apps (xwd), xdotool, python3, unshare (util-linux, with
# user namespaces allowed); and tidewright, consolia-sim, tidewright-host and tidewright-awg-sim
# built.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/images}
scale=${TW_SCREENSHOT_SCALE:-1}

for tool in xvfb-run openbox xwd xdotool python3; do
    command -v "$tool" > /dev/null || {
        echo "make-screenshots: $tool is missing (apt-get install xvfb openbox x11-apps xdotool python3)" >&2
        exit 1
    }
done
for program in "$build/tidewright" "$build/tools/consolia-sim" "$build/tools/tidewright-host" \
    "$build/tools/tidewright-awg-sim"; do
    [[ -x $program ]] || { echo "make-screenshots: build $program first" >&2; exit 1; }
done

if [[ -z ${TW_SCREENSHOT_DISPLAY:-} ]]; then
    # A screen larger than the window, so dialogs and the pulse editor fit beside it.
    TW_SCREENSHOT_DISPLAY=1 exec xvfb-run -a -s "-screen 0 $((2200 * scale))x$((1500 * scale))x24" \
        "$0" "$build" "$out"
fi

mkdir -p "$out"
work=$(mktemp -d)
sim_pid=""
wm_pid=""
host_pid=""
cleanup() {
    [[ -n $sim_pid ]] && kill "$sim_pid" 2> /dev/null || true
    [[ -n $host_pid ]] && kill "$host_pid" 2> /dev/null || true
    [[ -n $wm_pid ]] && kill "$wm_pid" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A private home: no profile, placement or icon theme of the user's reaches the pictures.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/run
export QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb TIDEWRIGHT_LINK_DIR=$work/link
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
# A window manager places and frames the windows as on a user's desktop.
openbox --sm-disable > /dev/null 2>&1 &
wm_pid=$!
sleep 1

# Waits for a shown window whose title matches the regular expression; prints its id.
window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | tail -1 || true)
        [[ -n $id ]] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "make-screenshots: no window \"$1\" appeared" >&2
    exit 1
}

shot() { # window id, picture name
    sleep 0.7 # let the paint settle
    xwd -silent -id "$1" -out "$work/shot.xwd"
    python3 "$here/xwd2png.py" "$work/shot.xwd" "$out/$2.png"
    echo "make-screenshots: $out/$2.png"
}

keys() { # window id, keys...
    local id=$1
    shift
    xdotool windowfocus --sync "$id" 2> /dev/null || xdotool windowfocus "$id"
    for k in "$@"; do
        xdotool key --delay 80 "$k"
        sleep 0.3
    done
}

# Starts COMPOSER beside consolia-sim in a fresh application-data folder; EXTRA is appended to
# the exchange file first (a pulse train, for example).
start() { # composer, exchange extra
    local data=$work/appdata-$1
    mkdir -p "$data/Consolia/tmp"
    cp "$root/data/TempOndex.ondex" "$data/Consolia/tmp/TempOndex.ondex"
    printf '%s\n' "${2:-}" >> "$data/Consolia/tmp/TempOndex.ondex"
    mkfifo "$work/in-$1"
    "$build/tools/consolia-sim" --app-data "$data" --keep --composer "$1" \
        --tidewright "$build/tidewright" < "$work/in-$1" > "$work/sim-$1.log" 2>&1 &
    sim_pid=$!
    exec 3> "$work/in-$1"
}

stop() {
    echo quit >&3
    exec 3>&-
    wait "$sim_pid" || true
    sim_pid=""
}

# Tidewright Host with the simulated instrument: a sine from the waveform composer downloaded,
# then the host in front with its log, in a 1024x700 window. Its log shows the folders it uses,
# so it runs in a mount namespace of its own where they have a user's names: the programs in
# /usr/local/bin, their data in /usr/local/share/tidewright and the home folder /home/ada.
neutral=$work/neutral
mkdir -p "$neutral/local/bin" "$neutral/local/share/tidewright" "$neutral/home/ada"
cp "$build/tidewright" "$build/tools/tidewright-host" "$build/tools/tidewright-awg-sim" \
    "$neutral/local/bin/"
cp -r "$root/data/instrument" "$root/data/TempOndex.ondex" "$neutral/local/share/tidewright/"
if unshare --user --map-root-user --mount true 2> /dev/null; then
    unshare --user --map-root-user --mount sh -c '
        mount --bind "$1/local" /usr/local && mount --bind "$1/home" /home || exit 1
        cd /home/ada
        HOME=/home/ada XDG_CONFIG_HOME=/home/ada/.config \
            exec /usr/local/bin/tidewright-host --simulated --composer standard' \
        host "$neutral" > "$work/host.log" 2>&1 &
    host_pid=$!
    host=$(window '^Tidewright Host')
    xdotool windowsize "$host" $((1024 * scale)) $((700 * scale))
    main=$(window '^Tidewright ->')
    keys "$main" alt+w s
    keys "$(window '^Sine')" Return
    keys "$main" ctrl+d
    sleep 1
    xdotool windowactivate --sync "$host" 2> /dev/null || true
    shot "$host" host
    kill "$host_pid"
    wait "$host_pid" || true
    host_pid=""
else
    echo "make-screenshots: unshare --user --mount is refused here; host.png is left as it was" >&2
fi

# Standard composer: a sine from the Wave menu, then the main window with it.
start standard
main=$(window '^Tidewright')
keys "$main" alt+w s
dialog=$(window '^Sine')
shot "$dialog" sine-dialog
keys "$dialog" Return
shot "$main" standard
keys "$main" ctrl+o
open=$(window '^Open')
shot "$open" open-dialog
keys "$open" Escape
stop

# FM composer: a triangle modulation, the main window, then the FM markers table.
start fm
main=$(window '^FM Tidewright')
keys "$main" alt+w t
keys "$(window '^Triangle')" Return
shot "$main" fm
keys "$main" alt+w m
shot "$(window 'Marker')" fm-markers
stop

# Pulse-train composer with a two-section train: the main window with the editor beside it.
start pulse "$(sed -e 's/^\[\(Pulse[^]]*\)\]/[\1-ch1]/' "$here/sample-train.ini")"
main=$(window '^Trainsmith')
editor=$(window '^Pulse Editor')
xdotool windowmove "$main" 0 0
xdotool windowmove "$editor" $((1040 * scale)) 0
shot "$main" pulse
shot "$editor" pulse-editor
stop
