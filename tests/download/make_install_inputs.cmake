# cmake -DOUT=... -DPROBE=... -DSTUB_BUILD=... -DFONT=... -DOSSLSIGNCODE=...
#       -DCERT=... -DKEY=... -DGCAB=... -DMSCOMPRESS=... -P make_install_inputs.cmake
# The installation tests' inputs, in OUT: programs, libraries, a font, compressed forms, cabinets.
set(stage ${OUT}/stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage})

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/site_tools.cmake)

file(COPY_FILE ${STUB_BUILD}/programs/KVMD.PRO ${OUT}/KVMD.EXE)
compress(${OUT}/KVMD.EXE ${OUT}/KVMD.EX_)
compress(${STUB_BUILD}/unsigned/KVMD.PRO ${OUT}/UNSIGNED.EX_)

file(REMOVE ${OUT}/KVWHLL.DLL)
run(${OSSLSIGNCODE} sign -certs ${CERT} -key ${KEY} -n "Wevelink registration probe"
    -h sha256 -in ${PROBE} -out ${OUT}/KVWHLL.DLL)
compress(${OUT}/KVWHLL.DLL ${OUT}/KVWHLL.DL_)
file(COPY_FILE ${FONT} ${OUT}/MARRKAPL.TTF)

file(WRITE ${stage}/ov9c.exe "Orvena client program")
cabinet(${OUT}/ORVENA.CAB ${stage}/ov9c.exe)

file(COPY_FILE ${STUB_BUILD}/programs/KVMD.PRO ${stage}/setup.exe)
file(COPY_FILE ${OUT}/KVWHLL.DLL ${stage}/kvftp.dll)
cabinet(${OUT}/SETUP.CAB ${stage}/setup.exe ${stage}/kvftp.dll)
file(COPY_FILE ${STUB_BUILD}/unsigned/KVMD.PRO ${stage}/setup.exe)
file(COPY_FILE ${PROBE} ${stage}/kvwhll.dll)
cabinet(${OUT}/UNSIGNED.CAB ${stage}/setup.exe ${stage}/kvwhll.dll)

file(REMOVE_RECURSE ${stage})
