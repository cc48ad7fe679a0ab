; The per-user installer of the Windows program, built by Debian's NSIS (makensis) from the program
; folder that the zip holds. No administrator rights: the program goes under the user's local
; programs folder, where PROJECTS\ and Tessellor.xml beside it stay writable.
;   makensis -DVERSION=1.0.0 -DFILES=<file list> -DOUTFILE=<setup.exe> windows-installer.nsi
; FILES and FILES.uninstall are written by cmake/WindowsInstallerFiles.cmake from the program folder:
; the uninstaller removes exactly the program's files and leaves what the user put beside them.
;
; Command line (besides NSIS's own /S and /D=):
;   Uninstall.exe /S                          keeps configurations and settings
;   Uninstall.exe /S /RemoveConfigurations    removes them too

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Tessellor"
!define PUBLISHER "Norvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the installed program is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tessellor.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The setup speaks the user's Windows language where the program has it, else English.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "German"

LangString KeepConfigurations ${LANG_ENGLISH} \
    "Also remove your configurations (the folder PROJECTS) and the program settings (Tessellor.xml) in$\r$\n$INSTDIR?$\r$\n$\r$\nChoose No to keep them for a later installation."
LangString KeepConfigurations ${LANG_ITALIAN} \
    "Rimuovere anche le configurazioni (la cartella PROJECTS) e le impostazioni del programma (Tessellor.xml) in$\r$\n$INSTDIR?$\r$\n$\r$\nScegliere No per conservarle per un'installazione successiva."
LangString KeepConfigurations ${LANG_GERMAN} \
    "Auch die Konfigurationen (Ordner PROJECTS) und die Programmeinstellungen (Tessellor.xml) in$\r$\n$INSTDIR entfernen?$\r$\n$\r$\nNein wählen, um sie für eine spätere Installation zu behalten."

Section "Tessellor"
    ; An upgrade: the installed version's uninstaller takes away its own program files, in place
    ; and silently, so configurations and settings stay; files the new version no longer has go.
    ${If} ${FileExists} "$INSTDIR\Uninstall.exe"
        ExecWait '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
    ${EndIf}
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    CreateDirectory "$INSTDIR\PROJECTS"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tessellor.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tessellor.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    !include "${FILES}.uninstall"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ; Configurations and settings go only when the user says so; silently they stay.
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/RemoveConfigurations" $1
    ${IfNot} ${Errors}
        StrCpy $1 remove
    ${ElseIf} ${FileExists} "$INSTDIR\PROJECTS\*.*"
    ${OrIf} ${FileExists} "$INSTDIR\Tessellor.xml"
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(KeepConfigurations)" /SD IDNO IDNO keep
        StrCpy $1 remove
    ${EndIf}
    ${If} $1 == remove
        RMDir /r "$INSTDIR\PROJECTS"
        Delete "$INSTDIR\Tessellor.xml"
        ; What the program and the updater wrote beside them for the last device update.
        Delete "$INSTDIR\Ethernet_Update.xml"
        Delete "$INSTDIR\Ethernet_Update.log"
    ${EndIf}
keep:
    Delete "$INSTDIR\Uninstall.exe"
    ; Folders go only when empty: a firmware or a language file the user added stays.
    RMDir "$INSTDIR\MASTER"
    RMDir "$INSTDIR\LANGUAGE"
    RMDir "$INSTDIR"
SectionEnd
