; The Windows setup program: installs both note creators for the current
; user (no administrator prompt), with a Start-menu entry for each language,
; an entry in Apps and Features and an uninstaller. /S installs silently.
; Its pages are in French or English, after the user's Windows language.
; tools/dev release builds it:
;   makensis -DVERSION=x.y.z -DSTAGE=dir -DICON=file.ico -DOUTFILE=setup.exe setup.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
; The files' own times are not kept: nothing then depends on the build's.
SetDateSave off

!include "FileFunc.nsh"
!include "MUI2.nsh"

!define PRODUCT "notecreator"
!define PUBLISHER "The notecreator developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define ENGLISH_ENTRY "$SMPROGRAMS\Note creator (English).lnk"
!define FRENCH_ENTRY "$SMPROGRAMS\Créateur de notes (français).lnk"
!define ENGLISH_CHANGE_ENTRY "$SMPROGRAMS\Change a note (English).lnk"
!define FRENCH_CHANGE_ENTRY "$SMPROGRAMS\Modifier une note (français).lnk"
; A failed setup or uninstall: nothing recorded that did not happen.
!define EXIT_FAILED 2

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An earlier install is replaced where it is; /D= still wins.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "Sets up the note creators for Velloran"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}. MIT License."

!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(START_PROGRAM)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first is the fallback for a Windows in neither language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "French"

LangString DISPLAY_NAME ${LANG_ENGLISH} "Note creator for Velloran"
LangString DISPLAY_NAME ${LANG_FRENCH} "Créateur de notes pour Velloran"
LangString START_PROGRAM ${LANG_ENGLISH} "Start the note creator"
LangString START_PROGRAM ${LANG_FRENCH} "Lancer le créateur de notes"
LangString PROGRAM_FILE ${LANG_ENGLISH} "notecreator_en.exe"
LangString PROGRAM_FILE ${LANG_FRENCH} "notecreator_fr.exe"
LangString FILE_IN_USE ${LANG_ENGLISH} "A note creator is still open ($0). Close it, then choose Retry."
LangString FILE_IN_USE ${LANG_FRENCH} "Un créateur de notes est encore ouvert ($0). Fermez-le, puis choisissez Réessayer."
LangString NOT_INSTALLED ${LANG_ENGLISH} "$0 could not be written: nothing was changed in Apps and Features."
LangString NOT_INSTALLED ${LANG_FRENCH} "$0 n'a pas pu être écrit : rien n'a été changé dans Applications et fonctionnalités."
LangString NOT_REMOVED ${LANG_ENGLISH} "$0 could not be removed: close every note creator, then uninstall again."
LangString NOT_REMOVED ${LANG_FRENCH} "$0 n'a pas pu être supprimé : fermez tous les créateurs de notes, puis désinstallez de nouveau."
LangString FOLDER_TAKEN ${LANG_ENGLISH} "$INSTDIR already holds other files: choose an empty folder."
LangString FOLDER_TAKEN ${LANG_FRENCH} "$INSTDIR contient déjà d'autres fichiers : choisissez un dossier vide."

; ==== The folder ====

; Empty, absent, or an earlier install of ours: $0 is 1, else 0.
Function FolderIsOurs
  Push $1
  Push $2
  StrCpy $0 1
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCmp $1 $INSTDIR done
  IfFileExists "$INSTDIR\uninstall.exe" 0 +2
    IfFileExists "$INSTDIR\notecreator_en.exe" done
  FindFirst $1 $2 "$INSTDIR\*.*"
  loop:
    StrCmp $2 "" empty
    StrCmp $2 "." next
    StrCmp $2 ".." next
    StrCpy $0 0
    Goto empty
  next:
    FindNext $1 $2
    Goto loop
  empty:
  FindClose $1
  done:
  Pop $2
  Pop $1
FunctionEnd

; A folder that holds the user's own files gets a folder of ours inside it,
; so that no file of theirs is overwritten now or deleted at the uninstall.
Function ChooseOwnFolder
  Call FolderIsOurs
  StrCmp $0 1 done
  StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
  Call FolderIsOurs
  StrCmp $0 1 done
  MessageBox MB_OK|MB_ICONSTOP "$(FOLDER_TAKEN)" /SD IDOK
  SetErrorLevel ${EXIT_FAILED}
  Quit
  done:
FunctionEnd

; ==== Files in use ====

; Waits until the file at $0 can be written (or is absent): a running note
; creator cannot be replaced or removed, and Windows would skip it silently.
; $1 is the message to show; cancelled, the setup ends with EXIT_FAILED.
!macro WAIT_UNTIL_FREE UN
Function ${UN}WaitUntilFree
  Push $2
  retry:
  IfFileExists $0 0 free
  ClearErrors
  FileOpen $2 $0 a
  IfErrors 0 opened
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$1" /SD IDCANCEL IDRETRY retry
    SetErrorLevel ${EXIT_FAILED}
    Quit
  opened:
  FileClose $2
  free:
  Pop $2
FunctionEnd
!macroend
!insertmacro WAIT_UNTIL_FREE ""
!insertmacro WAIT_UNTIL_FREE "un."

!macro INSTALL_FILE PATH
  StrCpy $0 "$INSTDIR\${PATH}"
  StrCpy $1 "$(FILE_IN_USE)"
  Call WaitUntilFree
  ClearErrors
  File "${STAGE}\${PATH}"
  IfErrors 0 +4
    MessageBox MB_OK|MB_ICONSTOP "$(NOT_INSTALLED)" /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Quit
!macroend

Function StartProgram
  Exec '"$INSTDIR\$(PROGRAM_FILE)" --lines'
FunctionEnd

Section "Install"
  Call ChooseOwnFolder
  SetOutPath "$INSTDIR"
  !insertmacro INSTALL_FILE "notecreator_en.exe"
  !insertmacro INSTALL_FILE "notecreator_fr.exe"
  !insertmacro INSTALL_FILE "README.txt"
  !insertmacro INSTALL_FILE "LICENSE.txt"
  !insertmacro INSTALL_FILE "CHANGELOG.txt"
  ; Earlier versions' names for them, in a folder of ours.
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; People who start it from the Start menu type sentences: a line an answer.
  CreateShortcut "${ENGLISH_ENTRY}" "$INSTDIR\notecreator_en.exe" "--lines"
  CreateShortcut "${FRENCH_ENTRY}" "$INSTDIR\notecreator_fr.exe" "--lines"
  CreateShortcut "${ENGLISH_CHANGE_ENTRY}" "$INSTDIR\notecreator_en.exe" "--edit"
  CreateShortcut "${FRENCH_CHANGE_ENTRY}" "$INSTDIR\notecreator_fr.exe" "--edit"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "$(DISPLAY_NAME)"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\notecreator_en.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the setup put there, the program files first: while one cannot
; go, the entry and the uninstaller stay, so that the user can try again.
; The notes on the card are never touched.
!macro REMOVE PATH
  StrCpy $0 "$INSTDIR\${PATH}"
  ClearErrors
  Delete $0
  IfErrors 0 +4
    MessageBox MB_OK|MB_ICONSTOP "$(NOT_REMOVED)" /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Quit
!macroend

Section "Uninstall"
  StrCpy $1 "$(FILE_IN_USE)"
  StrCpy $0 "$INSTDIR\notecreator_en.exe"
  Call un.WaitUntilFree
  StrCpy $0 "$INSTDIR\notecreator_fr.exe"
  Call un.WaitUntilFree
  !insertmacro REMOVE "notecreator_en.exe"
  !insertmacro REMOVE "notecreator_fr.exe"
  !insertmacro REMOVE "README.txt"
  !insertmacro REMOVE "LICENSE.txt"
  !insertmacro REMOVE "CHANGELOG.txt"
  Delete "${ENGLISH_ENTRY}"
  Delete "${FRENCH_ENTRY}"
  Delete "${ENGLISH_CHANGE_ENTRY}"
  Delete "${FRENCH_CHANGE_ENTRY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
