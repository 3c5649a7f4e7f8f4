#!/usr/bin/env bash
# Builds the program, makes a sample data folder with a few projects and archives, and saves
# screenshots of each tab under Xvfb to the folder given (default /tmp/ovaruz-shots).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-/tmp/ovaruz-shots}
cmake --preset default >/dev/null
cmake --build --preset default --target ovaruz-screenshots ovaruz-cli >/dev/null
sample=$(mktemp -d)
trap 'rm -rf "$sample"' EXIT
mkdir -p "$sample/home" "$sample/docs/notes" "$sample/archives"
for i in 1 2 3; do echo "note $i" >"$sample/docs/notes/note$i.txt"; done
head -c 200000 /dev/urandom >"$sample/docs/data.bin"
cat >"$sample/home/project.ini" <<INI
[Common]
Project Count=2
Count0=Documents
Count1=Photos
Last Project=Documents

[Documents]
Filename prefix=documents-
Suffix=2
Value=3
Save Path=$sample/archives/
Backup Directory Count=2
Backup0=$sample/docs/*.*
Backup1=$sample/docs/data.bin
No Backup Directory Count=1
NoBackup0=$sample/docs/*.tmp
Whether password Project=0
Comment=Weekly documents
BackupMode=0
StartTime_or_Increase=18:30:00

[Photos]
Filename prefix=photos
Suffix=1
Save Path=$sample/archives/
Backup Directory Count=1
Backup0=$sample/docs/notes/*.txt
Whether password Project=0
INI
cli=build/default/bin/ovaruz-cli
"$cli" --home "$sample/home" backup Documents >/dev/null
"$cli" --home "$sample/home" backup Documents >/dev/null
"$cli" --home "$sample/home" backup Photos >/dev/null
"$cli" --home "$sample/home" backup Documents >/dev/null || true
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x900x24" build/default/bin/ovaruz-screenshots "$sample/home" "$out"
echo "screenshots in $out"
