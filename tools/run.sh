#!/bin/sh
# Builds the program, lays it out in run/ with demo data and starts it under
# Wine. With a display the window opens for the user. Without one it runs on a
# virtual display inside a Wine desktop, is driven as a user would drive it,
# and screenshots of what the user sees are saved in run/.
set -e
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
jobs=${KP_JOBS:-2}
records=${KP_DEMO_RECORDS:-2000}

tools/setup.sh

cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw32.cmake" >/dev/null
targets=VeltoTax2010
grep -q '^build tools/uidriver/uidriver.exe' build/win32/build.ninja 2>/dev/null && targets="$targets uidriver"
grep -q '^build tools/demodata/kpdemo.exe' build/win32/build.ninja 2>/dev/null && targets="$targets kpdemo"
cmake --build build/win32 -j"$jobs" --target $targets

mkdir -p run
cp build/win32/app/VeltoTax2010.exe run/
if [ -f build/win32/tools/demodata/kpdemo.exe ]; then
    if [ ! -f run/Vertrag.DBF ] || [ -n "$KP_DEMO_FRESH" ]; then
        echo "run: writing $records demo contracts to run/Vertrag.DBF"
        rm -f run/Vertrag.DBF run/Vertrag.DBT run/Vertrag5.ntx run/Vertrag6.ntx
        tools/wine/kpwine build/win32/tools/demodata/kpdemo.exe run "$records" 2010 >/dev/null
    fi
else
    echo "run: no demo-data generator built yet; the program starts without Vertrag.DBF"
fi

if [ -n "$DISPLAY" ] && [ -z "$KP_HEADLESS" ]; then
    exec tools/wine/kpwine run/VeltoTax2010.exe
fi

# No display: drive the program on a virtual one and keep screenshots.
rm -f run/screenshot-*.png
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    drv="tools/wine/kpwine build/win32/tools/uidriver/uidriver.exe"
    shot() { import -window root "run/screenshot-$1.png"; echo "screenshot: $(pwd)/run/screenshot-$1.png"; }
    tools/wine/kpwine-server start
    (cd run && ../tools/wine/kpwine explorer /desktop=kp,1024x768 VeltoTax2010.exe) &
    if [ ! -f build/win32/tools/uidriver/uidriver.exe ]; then
        sleep 8; shot 1-start
    elif $drv wait-window VeltoTax2010 30000 >/dev/null; then
        sleep 1; shot 1-start
        if [ "$($drv state VeltoTax2010 106 2>/dev/null | grep -c enabled=1)" = 1 ]; then
            $drv click VeltoTax2010 106 >/dev/null
            if $drv msgbox-text Hinweis 60000 >/dev/null; then
                sleep 1; shot 2-hinweis
                $drv msgbox-press Hinweis OK >/dev/null
                sleep 1; shot 3-converted
            fi
        fi
        $drv click VeltoTax2010 100 >/dev/null || true
    else
        sleep 2; shot 1-error
        $drv list-top 2>/dev/null || true
    fi
    sleep 2
    tools/wine/kpwine-server stop
'
