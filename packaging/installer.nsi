; The Windows installer: puts the zip's files into a player's folder, as its
; Velmo-README.txt says, and writes an uninstaller that takes out exactly those.
;   makensis -DBUILD=BUILD_DIR -DSTAGE=FOLDER -DOUTFILE=EXE installer.nsi
; BUILD is a win32 or win64 build (its installer.nsh gives the version and
; the bits), STAGE that build's install rules' output (the zip's contents).
; packaging/make_installer.sh runs it.
Unicode true
!include "${BUILD}/packaging/installer.nsh"
!include LogicLib.nsh
!if ${VELMO_BITS} == 64
  ; The amd64 stub: a 64-bit program, for 64-bit Windows only.
  Target amd64-unicode
  !include x64.nsh
  !define VELMO_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmo (64-bit)"
  Name "Velmo ${VELMO_VERSION} (64-bit players)"
  InstallDir "$PROGRAMFILES64"
!else
  !define VELMO_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmo"
  Name "Velmo ${VELMO_VERSION} for Winamp"
  InstallDir "$PROGRAMFILES\Winamp"
  ; Winamp's own installer names its folder here; 64-bit hosts have no such key.
  InstallDirRegKey HKCU "Software\Winamp" ""
!endif
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
LicenseData "${STAGE}/Velmo-LICENSE.txt"
DirText "Choose the player's folder: the one that holds winamp.exe (or your player's program). \
The plug-in goes into its Plugins folder, glide2x.dll beside the program."

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!define UNINSTALLER "Plugins\vis_velmo_uninstall.exe"

Function .onInit
  !if ${VELMO_BITS} == 64
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP "This installer is for 64-bit players on 64-bit Windows; Winamp takes the 32-bit one." /SD IDOK
      Abort
    ${EndIf}
    SetRegView 64
  !endif
FunctionEnd

Section
  SetOutPath "$INSTDIR\Plugins"
  File "${STAGE}/Plugins/vis_velmo.dll"
  File "${STAGE}/Plugins/Light.3df"
  File "${STAGE}/Plugins/Velmo1.3df"
  File "${STAGE}/Plugins/VelmoFont.3df"
  File "${STAGE}/Plugins/VelmoLogo.3df"
  SetOutPath "$INSTDIR"
  File "${STAGE}/Velmo-README.txt"
  File "${STAGE}/Velmo-LICENSE.txt"
  File "${STAGE}/Velmo-NOTICES.txt"

  ; Another Glide 2 there (a wrapper, or a Voodoo board's) stays unless the
  ; user says otherwise; a silent install keeps it. The one replaced is kept
  ; aside, and the uninstaller puts it back.
  StrCpy $0 "ours"
  ${If} ${FileExists} "$INSTDIR\glide2x.dll"
    MessageBox MB_YESNO|MB_ICONQUESTION "There is a glide2x.dll in $INSTDIR already: another Glide 2. \
Replace it with Velmo's software Glide? (No: the plug-in draws through the one that is there.)" /SD IDNO IDYES replace
    StrCpy $0 "kept"
    Goto glide_done
    replace:
    Rename "$INSTDIR\glide2x.dll" "$INSTDIR\glide2x.dll.before-velmo"
    StrCpy $0 "replaced"
  ${EndIf}
  File "${STAGE}/glide2x.dll"
  ; Its settings: a glide2x.ini there already is the user's, and stays.
  StrCpy $2 "kept"
  ${IfNot} ${FileExists} "$INSTDIR\glide2x.ini"
    File "${STAGE}/glide2x.ini"
    StrCpy $2 "ours"
  ${EndIf}
  WriteRegStr HKLM "${VELMO_KEY}" "VelmoGlideIni" "$2"
  glide_done:

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${VELMO_KEY}" "DisplayName" "Velmo ${VELMO_VERSION} (${VELMO_BITS}-bit)"
  WriteRegStr HKLM "${VELMO_KEY}" "DisplayVersion" "${VELMO_VERSION}"
  WriteRegStr HKLM "${VELMO_KEY}" "Publisher" "The Velmo developers"
  WriteRegStr HKLM "${VELMO_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${VELMO_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${VELMO_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${VELMO_KEY}" "VelmoGlide" "$0"
  WriteRegDWORD HKLM "${VELMO_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${VELMO_KEY}" "NoRepair" 1
  SectionGetSize 0 $1
  WriteRegDWORD HKLM "${VELMO_KEY}" "EstimatedSize" $1
SectionEnd

Function un.onInit
  !if ${VELMO_BITS} == 64
    SetRegView 64
  !endif
FunctionEnd

; The uninstaller runs from Plugins: $INSTDIR is the player's folder above it.
Section Uninstall
  StrCpy $INSTDIR "$INSTDIR\.."
  GetFullPathName $INSTDIR $INSTDIR
  ReadRegStr $0 HKLM "${VELMO_KEY}" "VelmoGlide"
  ${If} $0 != "kept"
    Delete "$INSTDIR\glide2x.dll"
  ${EndIf}
  ${If} $0 == "replaced"
    Rename "$INSTDIR\glide2x.dll.before-velmo" "$INSTDIR\glide2x.dll"
  ${EndIf}
  ReadRegStr $1 HKLM "${VELMO_KEY}" "VelmoGlideIni"
  ${If} $1 == "ours"
    Delete "$INSTDIR\glide2x.ini"
  ${EndIf}
  Delete "$INSTDIR\Velmo-README.txt"
  Delete "$INSTDIR\Velmo-LICENSE.txt"
  Delete "$INSTDIR\Velmo-NOTICES.txt"
  Delete "$INSTDIR\Plugins\vis_velmo.dll"
  Delete "$INSTDIR\Plugins\Light.3df"
  Delete "$INSTDIR\Plugins\Velmo1.3df"
  Delete "$INSTDIR\Plugins\VelmoFont.3df"
  Delete "$INSTDIR\Plugins\VelmoLogo.3df"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when nothing else is in it: a player keeps its other plug-ins there.
  RMDir "$INSTDIR\Plugins"
  DeleteRegKey HKLM "${VELMO_KEY}"
SectionEnd
