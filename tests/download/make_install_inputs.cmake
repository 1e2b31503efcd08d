# cmake -DOUT=... -DPROBE=... -DSTUB_BUILD=... -DFONT=... -DOSSLSIGNCODE=...
#       -DCERT=... -DKEY=... -DGCAB=... -DMSCOMPRESS=... -DPYTHON=...
#       -DMAKE_CABINET=... -P make_install_inputs.cmake
#
# The installation tests' inputs, in OUT: programs and profiles with their
# compressed forms (KVMD.EX_, HOST.ZM_, ODD.QQ_ whose name no expansion
# covers), the registration probe signed (KVWHLL.DLL, KVFTP.DLL, KVWHLL.DL_)
# and unsigned (unsigned/KVWHLL.DLL), a font, cabinets made with gcab
# (ORVENA.CAB, SETUP.CAB and UNSIGNED.CAB with the signed or unsigned
# stand-in as setup.exe, KVVT.CAB) and HOSTILE.CAB, whose names leave the
# extraction folder or name devices, with ok.txt and both probes.
set(stage ${OUT}/stage)
file(REMOVE_RECURSE ${stage} ${OUT}/unsigned)
file(MAKE_DIRECTORY ${stage} ${OUT}/unsigned)

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/site_tools.cmake)

string(REPEAT "A compressed program of the Mainframe Display kind.\r\n" 40 program)
file(WRITE ${OUT}/KVMD.EXE "${program}")
compress(${OUT}/KVMD.EXE ${OUT}/KVMD.EX_)
file(WRITE ${OUT}/HOST.ZMD "[Session]\r\nHost=10.1.1.5\r\n")
compress(${OUT}/HOST.ZMD ${OUT}/HOST.ZM_)
file(WRITE ${OUT}/ODD.QQ "odd")
compress(${OUT}/ODD.QQ ${OUT}/ODD.QQ_)

foreach(signed KVWHLL.DLL KVFTP.DLL)
  file(REMOVE ${OUT}/${signed})
  run(${OSSLSIGNCODE} sign -certs ${CERT} -key ${KEY} -n "Wevelink registration probe"
      -h sha256 -in ${PROBE} -out ${OUT}/${signed})
endforeach()
file(COPY_FILE ${PROBE} ${OUT}/unsigned/KVWHLL.DLL)
compress(${OUT}/KVWHLL.DLL ${OUT}/KVWHLL.DL_)
file(COPY_FILE ${FONT} ${OUT}/MARRKAPL.TTF)

file(WRITE ${stage}/ov9c.exe "Orvena client program")
file(WRITE ${stage}/ov9c.txt "Orvena client notes")
cabinet(${OUT}/ORVENA.CAB ${stage}/ov9c.exe ${stage}/ov9c.txt)

file(WRITE ${stage}/setup.txt "setup data")
file(COPY_FILE ${STUB_BUILD}/programs/KVMD.PRO ${stage}/setup.exe)
cabinet(${OUT}/SETUP.CAB ${stage}/setup.exe ${stage}/setup.txt)
file(COPY_FILE ${STUB_BUILD}/unsigned/KVMD.PRO ${stage}/setup.exe)
cabinet(${OUT}/UNSIGNED.CAB ${stage}/setup.exe ${stage}/setup.txt)

file(WRITE ${stage}/KVVT.PRO "VT session program")
file(WRITE ${stage}/host.zmd "session configuration")
file(WRITE ${stage}/readme.txt "read me")
cabinet(${OUT}/KVVT.CAB ${stage}/KVVT.PRO ${stage}/host.zmd ${stage}/readme.txt)

file(WRITE ${stage}/escape.txt "escaped")
file(WRITE ${stage}/ok.txt "stays inside")
string(REPEAT "L" 230 long)
run(${PYTHON} ${MAKE_CABINET} ${OUT}/HOSTILE.CAB
    "..\\escape-up.txt=${stage}/escape.txt"
    "inner\\..\\..\\escape-inner.txt=${stage}/escape.txt"
    "\\escape-rooted.txt=${stage}/escape.txt"
    "C:\\escape-drive.txt=${stage}/escape.txt"
    "ok.txt:escape-stream=${stage}/escape.txt"
    "NUL=${stage}/escape.txt"
    "sub\\con.txt=${stage}/escape.txt"
    "escape-long-${long}.txt=${stage}/escape.txt"
    "ok.txt=${stage}/ok.txt"
    "kvftp.dll=${OUT}/KVFTP.DLL"
    "kvwhll.dll=${OUT}/unsigned/KVWHLL.DLL")
file(REMOVE_RECURSE ${stage})
