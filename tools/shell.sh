#!/bin/sh
# Builds KpShell.exe, the stand-in for the suite's shell, lays it out in
# run-shell/ with KpShell.ini and the demo tables in run-shell/Daten/, and
# starts it under Wine. With a display the shell opens for the user. Without
# one it runs on a virtual display inside a Wine desktop, is driven through
# its menu as a user would drive it, and screenshots are saved in run-shell/.
set -e
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
jobs=${KP_JOBS:-2}
records=${KP_DEMO_RECORDS:-2000}
out=run-shell

tools/setup.sh

cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw32.cmake" >/dev/null
cmake --build build/win32 -j"$jobs" --target KpShell uidriver kpdemo

mkdir -p "$out/Daten"
cp build/win32/shell/KpShell.exe "$out/"
# The profile functions read INI files in the ANSI code page.
[ -f "$out/KpShell.ini" ] || iconv -f UTF-8 -t CP1252 shell/KpShell.ini > "$out/KpShell.ini"
if [ ! -f "$out/Daten/Vertrag.DBF" ] || [ -n "$KP_DEMO_FRESH" ]; then
    echo "shell: writing the demo tables to $out/Daten ($records contracts)"
    rm -rf "$out/Daten" && mkdir -p "$out/Daten"
    tools/wine/kpwine build/win32/tools/demodata/kpdemo.exe --suite "$out/Daten" "$records" 2010 >/dev/null
fi

if [ -n "$DISPLAY" ] && [ -z "$KP_HEADLESS" ]; then
    cd "$out" && exec ../tools/wine/kpwine KpShell.exe
fi

# A letter of two pages for the preview and the printer.
letter=$out/Daten/Texte/Kunden/Musterbrief.rtf
mkdir -p "$out/Daten/Texte/Kunden"
cat > "$letter" <<'RTF'
{\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}}\f0\fs22
Muster Versicherungsmakler GmbH, Hauptstra\'dfe 1, 40210 D\'fcsseldorf\par\par
Herrn\par Max Mustermann\par Beispielweg 7\par 50667 K\'f6ln\par\par
\b Ihre Wohngeb\'e4udeversicherung\b0\par\par Sehr geehrter Herr Mustermann,\par\par
RTF
i=1
while [ $i -le 24 ]; do
    printf '%s\n' "Absatz $i: Die Versicherungssteuer f\\'fcr Ihren Vertrag wurde zum 1. Juli 2010 angepasst. Der neue Beitrag gilt ab der n\\'e4chsten F\\'e4lligkeit; Sie m\\'fcssen nichts weiter tun.\\par\\par" >> "$letter"
    i=$((i + 1))
done
printf '%s\n' "Mit freundlichen Gr\\'fc\\'dfen\\par\\par\\i Ihr Makler\\i0\\par}" >> "$letter"

# The letter is printed on a private PDF printer (cups-pdf writes into
# $HOME/PDF); without CUPS the printed page is left out.
export KP_CUPS_DIR=${KP_CUPS_DIR:-/tmp/kpcups-shell}
if tools/print/kpcups start >/dev/null 2>&1; then
    export CUPS_SERVER=$(tools/print/kpcups env | sed 's/^CUPS_SERVER=//')
    trap 'tools/print/kpcups stop' EXIT
else
    echo "shell: no CUPS server; the printed page is left out"
fi

# A day with resubmissions for the appointment calendar (TAG, the first
# field of DatWV.dbf), as its date field takes it typed (ddmmyyyy).
wvday=$(python3 -c 'import struct, sys
d = open(sys.argv[1], "rb").read()
n, hl, rl = struct.unpack("<IHH", d[4:12])
tags = sorted(d[hl + i * rl + 1:hl + i * rl + 9].decode() for i in range(n)
              if d[hl + i * rl:hl + i * rl + 1] == b" " and d[hl + i * rl + 1:hl + i * rl + 9].strip())
print(tags[0][6:8] + tags[0][4:6] + tags[0][0:4] if tags else "")' "$out/Daten/DatWV.dbf" 2>/dev/null || true)

rm -f "$out"/screenshot-*.png
KP_WVDAY="$wvday" KP_OUT="$out" xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    drv() { tools/wine/kpwine build/win32/tools/uidriver/uidriver.exe "$@" --desktop kpshell 2>/dev/null; }
    shot() { sleep 1; import -window root "$KP_OUT/screenshot-$1.png"; echo "screenshot: $(pwd)/$KP_OUT/screenshot-$1.png"; }
    tools/wine/kpwine-server start
    (cd "$KP_OUT" && exec ../tools/wine/kpwine explorer /desktop=kpshell,1024x768 KpShell.exe) &
    if drv wait-window KONTORPLUS --timeout 30000 >/dev/null; then
        shot 1-shell
        drv keys KONTORPLUS "Alt+D" >/dev/null; shot 2-menu
        drv keys KONTORPLUS "Escape Escape" >/dev/null
        # The address form (F3) on its first two tabs, a field focused.
        drv keys KONTORPLUS F3 >/dev/null
        shot 20-fokus-adressen
        drv enter-text KONTORPLUS 305 "$(drv text KONTORPLUS 305)" >/dev/null
        shot 3-adressen-person
        drv tab-select KONTORPLUS 0 1 >/dev/null; shot 4-adressen-kontakt
        # The pop-up menu of the form (right mouse button on a page).
        drv tab-select KONTORPLUS 0 0 >/dev/null
        drv rclick-parent KONTORPLUS 305 >/dev/null; shot 5-popup
        drv keys KONTORPLUS "Escape" >/dev/null
        # The record search (F2) for a surname prefix and its hit list.
        drv keys KONTORPLUS F2 >/dev/null
        if drv wait-window "Suchen nach..." --timeout 5000 >/dev/null; then
            drv set-text "Suchen nach..." 101 "MÜ" >/dev/null
            shot 6-suche
            drv click "Suchen nach..." 104 >/dev/null
            if drv wait-window "Mehrfachauswahl" --timeout 5000 >/dev/null; then
                shot 7-auswahl
                drv click "Mehrfachauswahl" 102 >/dev/null
            fi
        fi
        # The reorganisation (F12) under its progress dialog, with every
        # window closed; the shot is taken as soon as the dialog shows.
        drv click KONTORPLUS 102 >/dev/null 2>&1 || true
        sleep 1
        drv keys KONTORPLUS F12 >/dev/null
        if drv wait-window "Reorganisation" --timeout 5000 >/dev/null; then
            import -window root "$KP_OUT/screenshot-8-reorganisation.png"
            echo "screenshot: $(pwd)/$KP_OUT/screenshot-8-reorganisation.png"
            drv msgbox-press KONTORPLUS OK 60000 >/dev/null || true
        fi
        # The input form with a focused field in its focus colour, and the
        # calendar under its date field (a double click on "Beginn").
        drv menu KONTORPLUS 24590 >/dev/null
        shot 21-fokus-vertraege
        drv enter-text KONTORPLUS 702 "$(drv text KONTORPLUS 702)" >/dev/null
        shot 9-eingabe-fokus
        drv dblclick KONTORPLUS 706 >/dev/null
        if drv wait-window "KONTORPLUS Kalender" --timeout 5000 >/dev/null; then
            shot 10-kalender
            drv close "KONTORPLUS Kalender" >/dev/null
        fi
        # The appointment calendar (F7).
        drv keys KONTORPLUS F7 >/dev/null
        shot 11-terminkalender
        if [ -n "$KP_WVDAY" ]; then
            drv enter-text KONTORPLUS 752 "$KP_WVDAY" >/dev/null
            shot 22-terminkalender-wiedervorlagen
        fi
        # A table in the browse view (Ctrl+D, the open dialog).
        drv keys KONTORPLUS "Ctrl+D" >/dev/null
        if drv wait-window "Datei öffnen" --timeout 5000 >/dev/null; then
            drv set-text "Datei öffnen" 1148 "Vertrag.DBF" >/dev/null
            drv keys "Datei öffnen" Return >/dev/null
            shot 12-browse
        fi
        # A letter in the word pad with its format bar, the first line of the
        # greeting bold; then the save dialog and the filing dialog.
        drv menu KONTORPLUS 24563 >/dev/null
        sleep 2
        drv keys KONTORPLUS "Shift+S e h r Space g e e h r t e Space Shift+D a m e n Space u n d Space Shift+H e r r e n Return Return Shift+W i r Space b e s t a e t i g e n Space Shift+I h r e n Space Shift+A u f t r a g" >/dev/null
        drv keys KONTORPLUS "Ctrl+Home Shift+End" >/dev/null
        drv toolbar-click KONTORPLUS 30827 >/dev/null
        sleep 1
        drv keys KONTORPLUS "Ctrl+Home" >/dev/null
        shot 13-wordpad
        drv toolbar-click KONTORPLUS 30807 >/dev/null
        if drv wait-window "Speichern als..." --timeout 5000 >/dev/null; then
            shot 14-speichern
            drv keys "Speichern als..." Return >/dev/null
            for i in 1 2 3 4 5 6 7 8 9 10; do
                drv windows | grep -q "caption=Dokumentinformation" && break
                sleep 1
            done
            shot 15-dateiinfo
        fi
        # A letter of two pages in the preview, on both pages, then printed:
        # the first printed page rendered from the file of the PDF printer.
        filing=$(drv windows | sed -n "s/.*caption=\(Dokumentinformation zu: .*\)\$/\1/p" | head -n 1)
        [ -n "$filing" ] && drv click "$filing" 121 >/dev/null
        drv menu KONTORPLUS 30806 >/dev/null
        if drv wait-window "Brief öffnen" --timeout 5000 >/dev/null; then
            drv set-text "Brief öffnen" 1148 "$(echo "Z:$(pwd)/$KP_OUT/Daten/Texte/Kunden/Musterbrief.rtf" | tr / "\\\\")" >/dev/null
            drv keys "Brief öffnen" Return >/dev/null
            sleep 2
            drv menu KONTORPLUS 30811 >/dev/null
            if drv wait-window "Druckvorschau - RTF Printing" --timeout 20000 >/dev/null; then
                shot 16-vorschau
                drv click "Druckvorschau - RTF Printing" 102 >/dev/null
                shot 17-vorschau-seite2
                drv close "Druckvorschau - RTF Printing" >/dev/null
            fi
            if [ -n "$CUPS_SERVER" ]; then
                pdfs=$HOME/PDF
                mkdir -p "$pdfs"
                touch "$KP_OUT/.print-start"
                drv menu KONTORPLUS 30810 >/dev/null
                printed=
                for i in $(seq 60); do
                    printed=$(find "$pdfs" -name "*.pdf" -newer "$KP_OUT/.print-start" 2>/dev/null | head -n 1)
                    [ -n "$printed" ] && sleep 1 && break
                    sleep 1
                done
                if [ -n "$printed" ]; then
                    pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$printed" "$KP_OUT/screenshot-18-druckseite"
                    echo "printed page: $(pwd)/$KP_OUT/screenshot-18-druckseite.png (from $printed)"
                else
                    echo "shell: the printer wrote no PDF"
                fi
                rm -f "$KP_OUT/.print-start"
            fi
        fi
        # The find dialog over the letter (Alt+F3) with a word found.
        drv keys KONTORPLUS "Ctrl+Home Alt+F3" >/dev/null
        sleep 1
        find=$(drv windows | sed -n "s/.* class=#32770 caption=\(.*\)\$/\1/p" | head -n 1)
        if [ -n "$find" ]; then
            drv set-text "$find" 1152 "Mustermann" >/dev/null
            drv click "$find" 1 >/dev/null
            shot 23-suchen
            drv close "$find" >/dev/null
        fi
        drv keys KONTORPLUS "Alt+F4" >/dev/null || true
    else
        shot 1-error
        drv windows || true
    fi
    sleep 2
    tools/wine/kpwine-server stop
'
