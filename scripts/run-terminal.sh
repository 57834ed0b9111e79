#!/usr/bin/env bash
# The desktop program in a ready program folder under the build tree, against the built-in
# simulated instrument: the shipped sensor database, a radio network of two simulated
# instruments and settings that name the simulator as the port. Without a display the same
# job runs headless with vg28-tool (scripts/run-example.sh).
set -euo pipefail
build=${1:-build}
bin="$build/bin"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (DISPLAY and WAYLAND_DISPLAY are not set): running the headless example"
    echo "with vg28-tool instead of the desktop program."
    exec "$(dirname "$0")/run-example.sh" "$build"
fi
if [ ! -x "$bin/vg28-terminal" ]; then
    echo "vg28-terminal was not built (configure with -DVG28_GUI=ON); running the headless example."
    exec "$(dirname "$0")/run-example.sh" "$build"
fi

folder="$build/terminal"
mkdir -p "$folder"
cp "$bin/vg28-terminal" "$bin/sensors.dat" "$folder/"
[ -x "$bin/vg28-tool" ] && cp "$bin/vg28-tool" "$folder/"
[ -x "$bin/plotvane" ] && cp "$bin/plotvane" "$folder/"
cp "$(dirname "$0")/../resources/net.xcfg.example" "$folder/net.xcfg"
settings="$folder/vg28-terminal.ini"
if [ ! -f "$settings" ]; then
    # The start window offers "connect and synchronize"; the port is the simulator.
    printf '[Port]\r\nDevice=simulator\r\n[StartUp]\r\nShow=1\r\nAction=2\r\n' > "$settings"
fi
echo "Starting $folder/vg28-terminal against the simulated instruments \"greenhouse 1\" and"
echo "\"greenhouse 2\" (settings: $settings). Press OK in the start window, choose an instrument,"
echo "and the program connects, synchronizes and downloads its records."
exec "$folder/vg28-terminal"
