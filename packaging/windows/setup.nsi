; The Windows setup program: installs both note creators for the current
; user (no administrator prompt), with a Start-menu entry for each language,
; an entry in Apps and Features and an uninstaller. /S installs silently.
; tools/dev release builds it:
;   makensis -DVERSION=x.y.z -DSTAGE=dir -DICON=file.ico -DOUTFILE=setup.exe setup.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
; The files' own times are not kept: nothing then depends on the build's.
SetDateSave off

!include "FileFunc.nsh"

!define PRODUCT "notecreator"
!define PUBLISHER "The notecreator developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define ENGLISH_ENTRY "$SMPROGRAMS\Note creator (English).lnk"
!define FRENCH_ENTRY "$SMPROGRAMS\Créateur de notes (français).lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "Sets up the note creators for Velloran"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}. MIT License."

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetOutPath "$INSTDIR"
  File "${STAGE}/notecreator_en.exe"
  File "${STAGE}/notecreator_fr.exe"
  File "${STAGE}/README.md"
  File "${STAGE}/LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${ENGLISH_ENTRY}" "$INSTDIR\notecreator_en.exe"
  CreateShortcut "${FRENCH_ENTRY}" "$INSTDIR\notecreator_fr.exe"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Note creator for Velloran"
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

; Only what the setup put there: the notes on the card are never touched.
Section "Uninstall"
  Delete "${ENGLISH_ENTRY}"
  Delete "${FRENCH_ENTRY}"
  Delete "$INSTDIR\notecreator_en.exe"
  Delete "$INSTDIR\notecreator_fr.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
