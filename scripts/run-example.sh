#!/usr/bin/env bash
# The main job: a ready program folder with a small example project, worked on by vg28-tool.
set -euo pipefail
build=${1:-build}
bin="$build/bin"
folder="$build/example"
tool() { "$folder/vg28-tool" --date-format %d.%m.%Y --time-format %H:%M:%S "$@"; }
# Exports and stored texts are Windows Cyrillic, as the Windows program writes them.
show_cp1251() { if command -v iconv >/dev/null; then iconv -f CP1251 -t UTF-8 "$1"; else cat "$1"; fi; }

mkdir -p "$folder"
cp "$bin/vg28-tool" "$bin/sensors.dat" "$folder/"
rm -f "$folder"/example.phj "$folder"/example-ag.xml

say() { printf '\n== %s\n' "$*"; }

say "Program folder $folder: vg28-tool and the shipped sensor database"
tool sensors | head -n 8
echo "... $(tool sensors | wc -l) sensors in all"

say "A new project 'example', measuring every 10 minutes with the weather station module"
tool project new example
tool project set example period=600 "S9=KWS/R PAR" S10=KWS/AT S11=KWS/RH S16=CV/VPD S17=CV/DP \
    "note1=Greenhouse 2, bench 4"

say "Records as the instrument sends them, added one by one (the download path), out of order"
for minute in 00 10 30 20 40; do
    tool project add-record example \
        "2026-12-07 10:$minute:00;S9;$((300 + ${minute#0} * 3));S10;2$((${minute#0} / 10)).4;S11;6$((${minute#0} / 10)).5;S16;0.9;S17;14.2;F:KWS;1;F:KWS-SHT;1;F:KWS-FAN;0"
done

say "The project as the terminal holds it (records in time order)"
tool --decimal , project show example

say "The project list"
tool project list

say "Exported as CSV (correct values only) and as a graph script"
tool --decimal , export example "$folder/example.csv"
show_cp1251 "$folder/example.csv" | head -n 3
tool graph example --type 1

say "The built-in simulated instrument: identification, mode and current values"
tool device info --port simulator
tool device mode --port simulator
tool device data --port simulator | head -n 6

say "One record line parsed on its own"
tool record parse "2026-12-07 11:00:00;S1;12.5;S50;3;F:KWS;1;MODE;START"

printf '\nDone: the example project is %s/example.phj\n' "$folder"
