; The peer installer of the unattended-install figure: the same game folder
; in one solid LZMA block, installed with /S /D=folder, nothing else.
Name "Peer"
OutFile "${OUT}"
InstallDir "C:\peer"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
SilentInstall silent
Section
    SetOutPath "$INSTDIR"
    File /r "${GAME}\*.*"
SectionEnd
