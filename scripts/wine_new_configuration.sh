#!/usr/bin/env bash
# Starts Tessellor.exe from a program folder under Wine on a virtual display and creates a
# configuration as a user does: a click on New Configuration, the name typed, Enter; then closes
# the program as Windows closes a window, so that it writes its settings.
#   scripts/wine_new_configuration.sh PROGRAM_FOLDER NAME WORK_FOLDER
# WINEPREFIX names the Wine prefix to run in. Exit code 0 when the configuration's folder and the
# settings file are there.
set -euo pipefail
folder=$1 name=$2 work=$3
mkdir -p "$work"

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    folder=$1 name=$2 work=$3
    waitFor() { # seconds, command...
        local seconds=$1
        shift
        for _ in $(seq "$seconds"); do
            "$@" && return 0
            sleep 1
        done
        return 1
    }
    # The main window and the new-configuration window by their titles.
    window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
    wine "$folder/Tessellor.exe" &
    waitFor 90 test -n "$(window SW73052)" || { echo "the main window did not open"; exit 1; }
    main=$(window SW73052)
    sleep 2
    import -window root "$work/installed-main.png"
    # Btn_New at (80, 112), 170 by 36, in the client area, 694 by 396 at 96 DPI; the frame Wine
    # draws around it is as wide on the left, right and bottom, the caption above.
    eval "$(xdotool getwindowgeometry --shell "$main")"
    border=$(((WIDTH - 694) / 2))
    caption=$((HEIGHT - 396 - border))
    xdotool mousemove $((X + border + 80 + 85)) $((Y + caption + 112 + 18)) click 1
    waitFor 30 test -n "$(window "Create New Configuration")" || { echo "the new-configuration window did not open"; exit 1; }
    dialog=$(window "Create New Configuration")
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    # The keys go where the pointer is: over the new window, whose name field has the focus.
    xdotool mousemove $((X + WIDTH / 2)) $((Y + 10))
    sleep 1
    xdotool type --delay 100 "$name"
    xdotool key Return
    waitFor 30 test -d "$folder/PROJECTS/$name" || { echo "no folder PROJECTS/$name"; exit 1; }
    sleep 1
    import -window root "$work/installed-created.png"
    # As Windows closes a program at sign-out: a close message to its windows.
    wine taskkill /im Tessellor.exe >/dev/null 2>&1 || true
    waitFor 30 test -f "$folder/Tessellor.xml" || { echo "no Tessellor.xml"; exit 1; }
    wineserver -k
' bash "$folder" "$name" "$work"
