# cmake -DOUT=... -DPROBE=... -DSTUB_BUILD=... -DFONT=... -DOSSLSIGNCODE=...
#       -DCERT=... -DKEY=... -DGCAB=... -DMSCOMPRESS=... -DPYTHON=...
#       -DMAKE_CABINET=... -P make_install_inputs.cmake
#
# The installation tests' inputs, in OUT:
#   KVMD.EXE, KVMD.EX_      a program text and its compressed form
#   HOST.ZMD, HOST.ZM_      a session profile, whose compressed name belongs
#                           in another folder than its expanded one
#   ODD.QQ_                 a compressed name no expansion covers
#   KVWHLL.DLL, KVFTP.DLL   the registration probe, signed by the test publisher
#   KVWHLL.DL_              the signed probe compressed
#   unsigned/KVWHLL.DLL     the probe as built
#   MARRKAPL.TTF            a small TrueType font (FONT)
#   ORVENA.CAB              ov9c.exe and ov9c.txt
#   SETUP.CAB, UNSIGNED.CAB setup.exe (the signed or unsigned session
#                           stand-in) and setup.txt
#   KVVT.CAB                KVVT.PRO, host.zmd and readme.txt
#   HOSTILE.CAB             names that leave the extraction folder, one too
#                           long for a path below any folder, ok.txt,
#                           the signed probe as kvftp.dll and the unsigned
#                           one as kvwhll.dll
set(stage ${OUT}/stage)
file(REMOVE_RECURSE ${stage} ${OUT}/unsigned)
file(MAKE_DIRECTORY ${stage} ${OUT}/unsigned)

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/site_tools.cmake)

function(sign in out)
  file(REMOVE ${out})
  run(${OSSLSIGNCODE} sign -certs ${CERT} -key ${KEY} -n "Wevelink registration probe"
      -h sha256 -in ${in} -out ${out})
endfunction()

string(REPEAT "A compressed program of the Mainframe Display kind.\r\n" 40 program)
file(WRITE ${OUT}/KVMD.EXE "${program}")
compress(${OUT}/KVMD.EXE ${OUT}/KVMD.EX_)
file(WRITE ${OUT}/HOST.ZMD "[Session]\r\nHost=10.1.1.5\r\n")
compress(${OUT}/HOST.ZMD ${OUT}/HOST.ZM_)
file(WRITE ${OUT}/ODD.QQ "odd")
compress(${OUT}/ODD.QQ ${OUT}/ODD.QQ_)

sign(${PROBE} ${OUT}/KVWHLL.DLL)
sign(${PROBE} ${OUT}/KVFTP.DLL)
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
    "escape-long-${long}.txt=${stage}/escape.txt"
    "ok.txt=${stage}/ok.txt"
    "kvftp.dll=${OUT}/KVFTP.DLL"
    "kvwhll.dll=${OUT}/unsigned/KVWHLL.DLL")
file(REMOVE_RECURSE ${stage})
