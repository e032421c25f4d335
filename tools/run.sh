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
cmake --build build/win32 -j"$jobs" --target VeltoTax2010 uidriver kpdemo

mkdir -p run
cp build/win32/app/VeltoTax2010.exe run/
if [ ! -f run/Vertrag.DBF ] || [ -n "$KP_DEMO_FRESH" ]; then
    echo "run: writing $records demo contracts to run/Vertrag.DBF"
    rm -f run/Vertrag.DBF run/Vertrag.DBT run/Vertrag5.ntx run/Vertrag6.ntx
    tools/wine/kpwine build/win32/tools/demodata/kpdemo.exe run "$records" 2010 >/dev/null
fi

if [ -n "$DISPLAY" ] && [ -z "$KP_HEADLESS" ]; then
    exec tools/wine/kpwine run/VeltoTax2010.exe
fi

# No display: drive the program on a virtual one, inside a Wine desktop
# named "kp", and keep screenshots of what the user sees.
rm -f run/screenshot-*.png
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    drv() { tools/wine/kpwine build/win32/tools/uidriver/uidriver.exe "$@" --desktop kp 2>/dev/null; }
    shot() { sleep 1; import -window root "run/screenshot-$1.png"; echo "screenshot: $(pwd)/run/screenshot-$1.png"; }
    tools/wine/kpwine-server start
    (cd run && exec ../tools/wine/kpwine explorer /desktop=kp,1024x768 VeltoTax2010.exe) &
    if drv wait-window VeltoTax2010 --timeout 30000 >/dev/null; then
        shot 1-counted
        echo "counts: 13,20%: $(drv text VeltoTax2010 116)  16,15%: $(drv text VeltoTax2010 110)  16,34%: $(drv text VeltoTax2010 111)"
        if drv state VeltoTax2010 106 | grep -q enabled=1; then
            drv click VeltoTax2010 106 >/dev/null
            if drv msgbox-text Hinweis --timeout 120000 >/dev/null; then
                shot 2-hinweis
                drv msgbox-press Hinweis OK >/dev/null
                shot 3-converted
            else
                shot 2-error
            fi
        else
            echo "run: nothing to convert (run again with KP_DEMO_FRESH=1 for a fresh demo table)"
        fi
        drv click VeltoTax2010 100 >/dev/null || true
    else
        shot 1-error
        drv windows || true
    fi
    sleep 2
    tools/wine/kpwine-server stop
'
