; The peer patch for the benchmark: the same update as its authors would
; ship it with NSIS. It extracts the worker and the two data files to the
; temporary folder, runs the worker behind a progress page and ends.
;   makensis -DOUT=peer.exe -DCOMPRESSOR=zlib|lzma -DWORKER=… -DDATA130=… -DDATA134=… peer.nsi
Name "Vantor 3 update 1.1"
OutFile "${OUT}"
SetCompressor /FINAL ${COMPRESSOR}
RequestExecutionLevel admin
ShowInstDetails nevershow
AutoCloseWindow true
Page instfiles

Section
  SetOutPath "$TEMP\vt3peer"
  File "/oname=worker.exe" "${WORKER}"
  File "/oname=vt3data.bin" "${DATA130}"
  File "/oname=data.bfv" "${DATA134}"
  ExecWait '"$TEMP\vt3peer\worker.exe"'
  SetOutPath "$TEMP"
  RMDir /r "$TEMP\vt3peer"
SectionEnd
