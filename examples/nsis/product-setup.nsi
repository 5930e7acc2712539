; Example installer of a product built on the setup kit: "Example Site", a
; filter module for the IIS web service, a virtual root serving the product's
; web directory, and an NT service.
;
; Build it from the kit's examples/nsis folder (the kit's DLL is taken from
; ..\..\bin), naming the folder that holds the product's own files:
;   makensis -DPRODUCT_BIN=<folder with sitesvc.exe and sitefilt.dll> product-setup.nsi
; Optional: -DKIT_BIN=<folder with srvsetup.dll>, -DOUTFILE=<installer path>.
;
; Run it as an administrator; silently: product-setup.exe /S [/PHRASE=text]
; The uninstaller, silently: uninstall.exe /S

Unicode true
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!ifndef KIT_BIN
  !define KIT_BIN "..\..\bin"
!endif
!ifndef PRODUCT_BIN
  !error "Define PRODUCT_BIN: the folder holding the product's sitesvc.exe and sitefilt.dll"
!endif
!ifndef OUTFILE
  !define OUTFILE "product-setup.exe"
!endif

!define PRODUCT "Example Site"
!define PRODUCT_KEY "SOFTWARE\Example Site"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Example Site"
!define SERVICE "ExampleSite"
!define SERVICE_DISPLAY "Example Site Service"
!define ROOT "/site"
!define ROOT_ACCESS 5 ; access bits as the web service reads them: read (1), execute (4)
!define DEFAULT_PHRASE "change me"

; The kit is called by full path from the plug-ins folder: a path the System
; plug-in can parse (no brackets), removed when the installer ends. "m"
; passes narrow strings, "?c" marks the cdecl exports, "u" unloads the DLL
; after each call.
!define KIT "$PLUGINSDIR\srvsetup.dll"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
RequestExecutionLevel admin
ShowInstDetails show

Var WebServerDir
Var Phrase
Var PhraseField
Var Log

Page directory
Page custom PhrasePage PhrasePageLeave
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Every kit call goes to setup.log in the product folder: the product's
; support reads it, and so does the demo.
!macro Log text
  FileWrite $Log `${text}$\r$\n`
  DetailPrint `${text}`
!macroend

!macro Fail text
  !insertmacro Log `failed: ${text}`
  FileClose $Log
  MessageBox MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel 3
  Quit
!macroend

Function .onInit
  InitPluginsDir
  File "/oname=${KIT}" "${KIT_BIN}\srvsetup.dll"

  System::Call '${KIT}::IsNT() i .r0 ?cu'
  ${If} $0 != 1
    MessageBox MB_ICONSTOP "${PRODUCT} needs Windows NT." /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
  System::Call '${KIT}::RunningAsAdministrator() i .r0 ?cu'
  ${If} $0 != 1
    MessageBox MB_ICONSTOP "Run the setup of ${PRODUCT} as an administrator." /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
  System::Call '${KIT}::GetIISDir(m .r1) i .r0 ?u'
  ${If} $0 != 1
    MessageBox MB_ICONSTOP "${PRODUCT} needs the IIS web service, which is not installed." /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
  StrCpy $WebServerDir $1

  ; Silent installs take the phrase from the command line.
  StrCpy $Phrase "${DEFAULT_PHRASE}"
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PHRASE=" $R1
  ${IfNot} ${Errors}
    StrCpy $Phrase $R1
  ${EndIf}
FunctionEnd

Function PhrasePage
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Phrase that opens the site's administration pages:"
  Pop $0
  ${NSD_CreateText} 0 26u 100% 12u "$Phrase"
  Pop $PhraseField
  nsDialogs::Show
FunctionEnd

Function PhrasePageLeave
  ${NSD_GetText} $PhraseField $Phrase
FunctionEnd

Section "Example Site"
  SetOutPath "$INSTDIR"
  FileOpen $Log "$INSTDIR\setup.log" w
  !insertmacro Log "IsNT() = 1"
  !insertmacro Log "RunningAsAdministrator() = 1"
  !insertmacro Log "GetIISDir() = 1: $WebServerDir"

  SetOutPath "$INSTDIR\bin"
  File "${PRODUCT_BIN}\sitesvc.exe"
  File "${PRODUCT_BIN}\sitefilt.dll"
  SetOutPath "$INSTDIR\web"
  File "web\index.html"
  ; The uninstaller can't unpack files: it takes the kit from here.
  SetOutPath "$INSTDIR\setupkit"
  File "${KIT_BIN}\srvsetup.dll"
  SetOutPath "$INSTDIR"

  ; The filter module goes first in the web service's list; an older
  ; registration of sitefilt.dll, wherever it was, is dropped.
  System::Call '${KIT}::IISAddFilter(m "$INSTDIR\bin\sitefilt.dll") i .r0 ?u'
  !insertmacro Log 'IISAddFilter("$INSTDIR\bin\sitefilt.dll") = $0'
  ${If} $0 != 1
    !insertmacro Fail "The web service's filter list can't be changed."
  ${EndIf}
  ; GetFilterDir writes up to 2048 bytes, more than an "m" buffer holds.
  System::Alloc 2048
  Pop $9
  System::Call '${KIT}::GetFilterDir(p r9) i .r0 ?u'
  System::Call '*$9(&m${NSIS_MAX_STRLEN} .r1)'
  System::Free $9
  !insertmacro Log "GetFilterDir() = $0: $1"
  ${If} $1 != "$INSTDIR\bin\"
    !insertmacro Fail "The web service loads sitefilt.dll from another folder: $1"
  ${EndIf}

  System::Call '${KIT}::IISInstallVirtualDir(m "${ROOT}", m "$INSTDIR\web", i ${ROOT_ACCESS}) i .r0 ?u'
  !insertmacro Log 'IISInstallVirtualDir("${ROOT}", "$INSTDIR\web", ${ROOT_ACCESS}) = $0'
  ${If} $0 != 1
    !insertmacro Fail "The virtual root ${ROOT} can't be written."
  ${EndIf}

  ; Only what the web directory's list grants counts from now on: read and
  ; execute for the web server's anonymous account (not Everyone), full
  ; control for the administrators and the system.
  System::Call '${KIT}::ClearAccessRights(m "$INSTDIR\web") i .r0 ?cu'
  !insertmacro Log 'ClearAccessRights("$INSTDIR\web") = $0'
  ${If} $0 != 1
    !insertmacro Fail "The access list of $INSTDIR\web can't be written."
  ${EndIf}
  System::Call '${KIT}::NTSetDirAccess(m "$INSTDIR\web", i 1, i 0, i 1, i 0, i 0, i 1, i 0) i .r0 ?cu'
  !insertmacro Log 'NTSetDirAccess("$INSTDIR\web", 1, 0, 1, 0, 0, 1, 0) = $0'

  ; The service's command line is used as given: quoted, for the spaces.
  System::Call '${KIT}::InstallService(m "${SERVICE}", m "${SERVICE_DISPLAY}", m `"$INSTDIR\bin\sitesvc.exe"`) i .r0 ?u'
  !insertmacro Log 'InstallService("${SERVICE}", "${SERVICE_DISPLAY}", "$INSTDIR\bin\sitesvc.exe") = $0'
  ${If} $0 != 1
    !insertmacro Fail "The service ${SERVICE} can't be installed (is it installed already?)."
  ${EndIf}
  System::Call '${KIT}::LaunchService(m "${SERVICE}") i .r0 ?u'
  !insertmacro Log 'LaunchService("${SERVICE}") = $0'
  ${If} $0 != 1
    !insertmacro Fail "The service ${SERVICE} doesn't start."
  ${EndIf}

  ; The product keeps only the phrase's digest. IsEmpty trims the phrase as
  ; it tests it.
  StrCpy $2 $Phrase
  System::Call '${KIT}::IsEmpty(m r2 .r2) i .r0 ?u'
  ${If} $0 == 1
    StrCpy $2 "${DEFAULT_PHRASE}"
  ${EndIf}
  System::Call '${KIT}::strconv(m r2, m .r1) i .r0 ?u'
  !insertmacro Log "strconv(<the phrase>) = $0: $1"

  WriteRegStr HKLM "${PRODUCT_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${PRODUCT_KEY}" "WebServerDir" "$WebServerDir"
  WriteRegStr HKLM "${PRODUCT_KEY}" "PhraseDigest" "$1"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  FileClose $Log
SectionEnd

Section "Uninstall"
  InitPluginsDir
  CopyFiles /SILENT "$INSTDIR\setupkit\srvsetup.dll" "$PLUGINSDIR"
  ; Stops the service, waits while it stops, deletes it.
  System::Call '${KIT}::RemoveService(m "${SERVICE}") i .r0 ?u'
  ; The kit adds to the web service's filter list and roots but takes
  ; nothing off them: the entries stay until the product is installed again.
  Delete "$INSTDIR\bin\sitesvc.exe"
  Delete "$INSTDIR\bin\sitefilt.dll"
  Delete "$INSTDIR\web\index.html"
  Delete "$INSTDIR\setupkit\srvsetup.dll"
  Delete "$INSTDIR\setup.log"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\bin"
  RMDir "$INSTDIR\web"
  RMDir "$INSTDIR\setupkit"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
