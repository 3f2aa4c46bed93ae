; The Windows installer, made by scripts/windows-dist.sh with makensis
; (UTF-8 input). It copies the distribution's talvek folder to C:\talvek and
; its ZEBUNA.INI to the Windows directory when none is there yet, makes the
; Galdrino group of the Start menu and the uninstaller. The uninstaller
; removes exactly the files the installer copied (a player's own files in
; C:\talvek stay) and keeps ZEBUNA.INI, the player's configuration.
;
; Defined by the script: VERSION (the project's), DIST (the distribution's
; folder: talvek\, windows\ZEBUNA.INI, LEIAME.TXT, LICENSE.TXT), FILES and UNFILES (the
; generated lists of what is copied and what is removed), OUTFILE.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Galdrino"

Name "Galdrino ${VERSION}"
Caption "Galdrino ${VERSION} - jogo da forca falado"
OutFile "${OUTFILE}"
; The configuration's paths are those of C:\talvek: the folder is fixed.
InstallDir "C:\talvek"
BrandingText "Galdrino ${VERSION}"

!define MUI_WELCOMEPAGE_TITLE "Jogo da forca Galdrino"
!define MUI_WELCOMEPAGE_TEXT "Este programa instala o jogo da forca falado Galdrino na pasta C:\talvek e cria o grupo Galdrino no menu Iniciar.$\r$\n$\r$\nSe a pasta do Windows já tiver um arquivo ZEBUNA.INI, ele fica como está."
!define MUI_FINISHPAGE_RUN "$INSTDIR\galdrino.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Jogar agora"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LEIAME.TXT"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Abrir o LEIAME.TXT"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
; The licence (GPL-3.0-or-later): the same text is installed beside the game.
!define MUI_LICENSEPAGE_TEXT_TOP "O Galdrino é software livre, sob a licença GNU GPL versão 3 ou posterior."
!insertmacro MUI_PAGE_LICENSE "${DIST}\LICENSE.TXT"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "PortugueseBR"

Section "Galdrino"
  SetShellVarContext all
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  File "${DIST}\LEIAME.TXT"
  File "${DIST}\LICENSE.TXT"

  IfFileExists "$WINDIR\ZEBUNA.INI" keep_ini
    SetOutPath "$WINDIR"
    File "${DIST}\windows\ZEBUNA.INI"
    DetailPrint "O ZEBUNA.INI foi copiado para $WINDIR."
    Goto ini_done
  keep_ini:
    DetailPrint "O arquivo $WINDIR\ZEBUNA.INI já existia e foi mantido."
  ini_done:

  WriteUninstaller "$INSTDIR\desinstalar.exe"
  ; The shortcuts start in the game's folder.
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\Galdrino"
  CreateShortcut "$SMPROGRAMS\Galdrino\Galdrino.lnk" "$INSTDIR\galdrino.exe" "" "$INSTDIR\galdrino.exe" 0 SW_SHOWMAXIMIZED "" "Jogo da forca falado"
  CreateShortcut "$SMPROGRAMS\Galdrino\Leia-me.lnk" "$INSTDIR\LEIAME.TXT"
  CreateShortcut "$SMPROGRAMS\Galdrino\Desinstalar o Galdrino.lnk" "$INSTDIR\desinstalar.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Galdrino - jogo da forca falado"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Galdrino"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\galdrino.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\desinstalar.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\desinstalar.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes the files the installer copied and the folders left empty.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Galdrino\Galdrino.lnk"
  Delete "$SMPROGRAMS\Galdrino\Leia-me.lnk"
  Delete "$SMPROGRAMS\Galdrino\Desinstalar o Galdrino.lnk"
  RMDir "$SMPROGRAMS\Galdrino"
  Delete "$INSTDIR\LEIAME.TXT"
  Delete "$INSTDIR\LICENSE.TXT"
  !include "${UNFILES}"
  Delete "$INSTDIR\desinstalar.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DetailPrint "O arquivo $WINDIR\ZEBUNA.INI, com a sua configuração, foi mantido."
SectionEnd
