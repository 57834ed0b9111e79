#!/usr/bin/env bash
# The main job: a ready program folder with a small example project, worked on by vg28-tool.
set -euo pipefail
build=${1:-build}
bin="$build/bin"
folder="$build/example"
tool="$folder/vg28-tool"

mkdir -p "$folder"
cp "$bin/vg28-tool" "$bin/sensors.dat" "$folder/"
rm -f "$folder"/example.phj "$folder"/example-ag.xml

say() { printf '\n== %s\n' "$*"; }

say "Program folder $folder: vg28-tool and the shipped sensor database"
"$tool" sensors | head -n 8
echo "... $("$tool" sensors | wc -l) sensors in all"

say "A new project 'example', measuring every 10 minutes with the weather station module"
"$tool" project new example
"$tool" project set example period=600 "S9=KWS/R PAR" S10=KWS/AT S11=KWS/RH S16=CV/VPD S17=CV/DP \
    "note1=Greenhouse 2, bench 4"

say "Records as the instrument sends them, added one by one (the download path), out of order"
for minute in 00 10 30 20 40; do
    "$tool" project add-record example \
        "2026-12-07 10:$minute:00;S9;$((300 + ${minute#0} * 3));S10;2$((${minute#0} / 10)).4;S11;6$((${minute#0} / 10)).5;S16;0.9;S17;14.2;F:KWS;1;F:KWS-SHT;1;F:KWS-FAN;0"
done

say "The project as the terminal holds it (records in time order)"
"$tool" --decimal , project show example

say "The project list"
"$tool" project list

say "One record line parsed on its own"
"$tool" record parse "2026-12-07 11:00:00;S1;12.5;S50;3;F:KWS;1;MODE;START"

printf '\nDone: the example project is %s/example.phj\n' "$folder"
