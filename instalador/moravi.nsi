; Installer of Moravi sync for Windows, built on Linux by scripts/instalador (makensis).
;
; Per user, no administrator rights: the program goes into %LOCALAPPDATA%\Programs\Moravi, a
; folder its user may write, because moravi.ini, LineasAenviar.ini, the history and the log live
; beside the executable. Everything is registered under HKEY_CURRENT_USER.
;
; makensis -DVERSION=1.2.3 -DCARPETA=<deployed folder> -DARCHIVOS=<folder of the generated lists>
;          -DSALIDA=<installer.exe> moravi.nsi
;   CARPETA   the program's folder as the zip holds it (moravi.exe, DLLs, plugins, qt.conf)
;   ARCHIVOS  archivos.nsh (File lines) and programa.nsh (the matching Delete/RMDir lines),
;             written by scripts/instalador from that same folder, so the uninstaller removes
;             exactly what the installer put there and nothing the program wrote itself
;
; Silent use:  moravi-X.Y.Z-instalar.exe /S [/D=C:\otra\carpeta]
;              desinstalar.exe /S [/BORRARDATOS]

!ifndef VERSION | CARPETA | ARCHIVOS | SALIDA
  !error "Use scripts/instalador, which passes VERSION, CARPETA, ARCHIVOS and SALIDA."
!endif

Unicode true
; 64-bit installer for a 64-bit program (it runs on 64-bit Windows only).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCTO "Moravi sync"
!define EJECUTABLE "moravi.exe"
!define CLAVE_DESINSTALAR "Software\Microsoft\Windows\CurrentVersion\Uninstall\Moravi"
!define CLAVE_RUN "Software\Microsoft\Windows\CurrentVersion\Run"
; The program names its autostart value after its executable.
!define VALOR_RUN "moravi"

Name "${PRODUCTO} ${VERSION}"
OutFile "${SALIDA}"
InstallDir "$LOCALAPPDATA\Programs\Moravi"
InstallDirRegKey HKCU "${CLAVE_DESINSTALAR}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCTO}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Instalador de ${PRODUCTO}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Moravi"

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EJECUTABLE}"
!define MUI_FINISHPAGE_RUN_PARAMETERS "-torva"
!define MUI_FINISHPAGE_RUN_TEXT "Abrir ${PRODUCTO} ahora"
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_NODESC
!define MUI_PAGE_HEADER_TEXT "Desinstalar ${PRODUCTO}"
!define MUI_PAGE_HEADER_SUBTEXT "Los ajustes, el historial y el registro se conservan si no marca la casilla."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Spanish"

; A running copy holds its executable open, so it could not be replaced or removed: ask to close
; it first. Silent runs give up at once with exit code 2.
!macro EsperarCierre
  ${Do}
    ${IfNot} ${FileExists} "$INSTDIR\${EJECUTABLE}"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\${EJECUTABLE}" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCTO} está abierto desde $INSTDIR.$\r$\n$\r$\nCiérrelo con «Terminar» (en su ventana o en el menú de su icono) y pulse Reintentar." /SD IDCANCEL IDRETRY`
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${Loop}
!macroend

Section "Programa" SecPrograma
  SectionIn RO
  !insertmacro EsperarCierre
  ; Over an earlier install, its own uninstaller first removes the files that version put there
  ; (a DLL or plugin this one no longer ships would stay otherwise), keeping the user's files.
  ; It also drops the autostart value, whose file it just removed: put back as it was.
  ${If} ${FileExists} "$INSTDIR\desinstalar.exe"
    ClearErrors
    ReadRegStr $R0 HKCU "${CLAVE_RUN}" "${VALOR_RUN}"
    ${IfNot} ${Errors}
      StrCpy $R2 1
    ${EndIf}
    StrCpy $R1 0  ; an uninstaller that does not start leaves its files to be overwritten
    ExecWait '"$INSTDIR\desinstalar.exe" /S _?=$INSTDIR' $R1
    ${If} $R2 == 1
      WriteRegStr HKCU "${CLAVE_RUN}" "${VALOR_RUN}" $R0
    ${EndIf}
    ${If} $R1 != 0
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
  SetOutPath "$INSTDIR"
  !include "${ARCHIVOS}\archivos.nsh"
  WriteUninstaller "$INSTDIR\desinstalar.exe"

  SetShellVarContext current
  CreateShortCut "$SMPROGRAMS\${PRODUCTO}.lnk" "$INSTDIR\${EJECUTABLE}" "-torva" "$INSTDIR\${EJECUTABLE}" 0

  WriteRegStr HKCU "${CLAVE_DESINSTALAR}" "DisplayName" "${PRODUCTO}"
  WriteRegStr HKCU "${CLAVE_DESINSTALAR}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${CLAVE_DESINSTALAR}" "Publisher" "Moravi"
  WriteRegStr HKCU "${CLAVE_DESINSTALAR}" "DisplayIcon" "$INSTDIR\${EJECUTABLE}"
  WriteRegStr HKCU "${CLAVE_DESINSTALAR}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${CLAVE_DESINSTALAR}" "UninstallString" '"$INSTDIR\desinstalar.exe"'
  WriteRegStr HKCU "${CLAVE_DESINSTALAR}" "QuietUninstallString" '"$INSTDIR\desinstalar.exe" /S'
  WriteRegDWORD HKCU "${CLAVE_DESINSTALAR}" "NoModify" 1
  WriteRegDWORD HKCU "${CLAVE_DESINSTALAR}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${CLAVE_DESINSTALAR}" "EstimatedSize" $0
SectionEnd

Section "un.Programa" UnSecPrograma
  SectionIn RO
  !insertmacro EsperarCierre
  !include "${ARCHIVOS}\programa.nsh"
  Delete "$INSTDIR\desinstalar.exe"

  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCTO}.lnk"
  DeleteRegKey HKCU "${CLAVE_DESINSTALAR}"

  ; The autostart value goes when it starts the copy just removed (or any file no longer there);
  ; a value that starts a copy in another folder belongs to that copy and stays.
  ClearErrors
  ReadRegStr $0 HKCU "${CLAVE_RUN}" "${VALOR_RUN}"
  ${IfNot} ${Errors}
    StrCpy $1 $0 1
    ${If} $1 == '"'
      StrCpy $0 $0 "" 1
      StrCpy $0 $0 -1
    ${EndIf}
    ${IfNot} ${FileExists} "$0"
      DeleteRegValue HKCU "${CLAVE_RUN}" "${VALOR_RUN}"
    ${EndIf}
  ${EndIf}
SectionEnd

; Unmarked unless asked: the settings (with the shop's credentials), the product lines, the
; history and the log survive an uninstall, so a reinstall carries on where it was.
Section /o "un.Borrar también los ajustes, el historial y el registro" UnSecDatos
  Delete "$INSTDIR\moravi.ini"
  Delete "$INSTDIR\moravi.ini.*"
  Delete "$INSTDIR\LineasAenviar.ini"
  Delete "$INSTDIR\LineasAenviar.ini.*"
  Delete "$INSTDIR\moravi-historial.json"
  Delete "$INSTDIR\moravi-historial.json.*"
  Delete "$INSTDIR\moravi.log"
  Delete "$INSTDIR\moravi.log.*"
  ; What the README's Task Scheduler line adds -enviar's output to.
  Delete "$INSTDIR\enviar.txt"
SectionEnd

Section "-un.Carpeta"
  ; Removed only when nothing is left in it.
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/BORRARDATOS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecDatos} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
