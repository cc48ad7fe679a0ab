#!/usr/bin/env bash
# The installer end to end under Wine, in a Wine prefix of its own made fresh for the run:
#   scripts/wine_installer_test.sh PROGRAM_FOLDER SETUP_EXE WORK_FOLDER
# An older version (built here from the same folder with one file more) is installed silently; the
# program starts from the installed folder and creates a configuration; the new version is
# installed over it and keeps that configuration and the settings; a silent uninstall removes the
# program and keeps them; one with /RemoveConfigurations removes them too.
set -euo pipefail
program=$(realpath "$1")
setup=$(realpath "$2")
work=$3
root=$(cd "$(dirname "$0")/.." && pwd)

rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
export WINEPREFIX=$work/prefix WINEDEBUG=-all
failed=0
pass() { echo "installer: $*"; }
fail() {
    echo "installer: FAILED: $*"
    failed=1
}
# Waits for every Wine process of the prefix, the uninstaller's copy of itself among them.
settle() { wineserver -w; }

# The older version: the same program folder with a file the new version no longer has.
cp -r "$program" "$work/old-program"
echo obsolete >"$work/old-program/Qt6Obsolete.dll"
cmake -DFOLDER="$work/old-program" -DOUTPUT="$work/old-files.nsh" -P "$root/cmake/WindowsInstallerFiles.cmake"
makensis -V2 -DVERSION=0.9.0 -DFILES="$work/old-files.nsh" -DOUTFILE="$work/old-setup.exe" \
    "$root/cmake/windows-installer.nsi" >/dev/null

wineboot --init >/dev/null 2>&1
settle
local_programs=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/Programs
start_menu=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Microsoft/Windows/Start\ Menu/Programs
folder=$local_programs/Tessellor
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessellor'
registered() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name { print $3 }'; }

wine "$work/old-setup.exe" /S
settle
if [ -f "$folder/Tessellor.exe" ] && [ -f "$folder/Uninstall.exe" ] && [ -d "$folder/PROJECTS" ] &&
    [ -f "$start_menu/Tessellor.lnk" ] && [ "$(registered DisplayVersion)" = 0.9.0 ]; then
    pass "0.9.0 installed without administrator rights into the user's programs folder, with a Start menu entry and its uninstaller registered for the user"
else
    fail "0.9.0 not installed as expected in $folder"
fi

# The program from the installed folder: a configuration made by the user, the settings written at
# closing.
if [ -n "${TESSELLOR_INSTALLER_NO_PROGRAM:-}" ]; then
    mkdir -p "$folder/PROJECTS/Bridge"
    printf '<Conf_Settings/>' >"$folder/Tessellor.xml"
else
    "$root/scripts/wine_new_configuration.sh" "$folder" Bridge "$work" || fail "the installed program did not create a configuration"
fi
if [ -d "$folder/PROJECTS/Bridge" ] && [ -f "$folder/Tessellor.xml" ]; then
    pass "the installed program created the configuration Bridge and wrote its settings beside itself"
else
    fail "no configuration or settings in $folder"
fi
cp "$folder/Tessellor.xml" "$work/settings-before.xml"

wine "$setup" /S
settle
if [ "$(registered DisplayVersion)" != 0.9.0 ] && [ -f "$folder/Tessellor.exe" ] && [ ! -e "$folder/Qt6Obsolete.dll" ] &&
    [ -d "$folder/PROJECTS/Bridge" ] && cmp -s "$folder/Tessellor.xml" "$work/settings-before.xml"; then
    pass "the upgrade to $(registered DisplayVersion) replaced the program files and kept PROJECTS\\Bridge and Tessellor.xml"
else
    fail "the upgrade did not replace the program or lost the configuration"
fi

wine "$folder/Uninstall.exe" /S
settle
if [ ! -e "$folder/Tessellor.exe" ] && [ ! -e "$folder/Uninstall.exe" ] && [ ! -e "$folder/platforms" ] &&
    [ ! -e "$start_menu/Tessellor.lnk" ] && [ -z "$(registered DisplayName)" ] &&
    [ -d "$folder/PROJECTS/Bridge" ] && [ -f "$folder/Tessellor.xml" ]; then
    pass "the silent uninstall removed the program, its Start menu entry and registration and kept the configurations and settings"
else
    fail "the silent uninstall left the program or removed the configurations"
fi

wine "$setup" /S
settle
wine "$folder/Uninstall.exe" /S /RemoveConfigurations
settle
if [ ! -e "$folder" ]; then
    pass "the uninstall with /RemoveConfigurations removed configurations and settings with the program"
else
    fail "left after the uninstall with /RemoveConfigurations: $(find "$folder" | head -n5 | tr '\n' ' ')"
fi
wineserver -k 2>/dev/null || true
exit $failed
