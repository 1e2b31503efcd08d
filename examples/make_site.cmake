# cmake -DSOURCE=examples/site -DOUT=... -DPROGRAMS=... -DFONT=... -DGCAB=...
#       -DMSCOMPRESS=... -P make_site.cmake
#
# OUT becomes SOURCE plus what its distribution lists name and a site makes
# from its programs (PROGRAMS: the signed stand-ins, KVMD.PRO ... KVFTP.EXE):
#   KVMD.PRO KVMP.PRO KVAP.PRO KVVT.PRO KVFTP.PRO   web-mode programs, plain
#   KVMDHELP.HL_        the help text, compressed (expands to KVMDHELP.HLp)
#   MARRKAPL.TT_        a TrueType font, compressed (FONT)
#   HOSTS.ZV_           VT host list, compressed (expands to HOSTS.ZVt)
#   KVAD.CAB            KVAD.PRO packed (extracted into the kind's folder)
#   ORVENA.CAB          the Orvena client (its section names DestDir, Version)
#   SETUP.CAB           setup.exe and setup.txt (its section names Run)
#   desktop/KVMD.EX_    the desktop-mode program, compressed
#   desktop/KVVT.CAB    KVVT.PRO packed (installed as KVVT.EXE)
#   WEVELINK.CAB        the control's signed download package (PACKAGE), when
#                       the build made one
set(stage ${OUT}.stage)
file(REMOVE_RECURSE ${OUT} ${stage})
file(COPY ${SOURCE}/ DESTINATION ${OUT})
file(MAKE_DIRECTORY ${stage})

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/site_tools.cmake)

foreach(program KVMD KVMP KVAP KVVT KVFTP)
  file(COPY_FILE ${PROGRAMS}/${program}.PRO ${OUT}/${program}.PRO)
endforeach()

file(COPY_FILE ${SOURCE}/KVMDHELP.TXT ${stage}/KVMDHELP.HLP)
compress(${stage}/KVMDHELP.HLP ${OUT}/KVMDHELP.HL_)
file(COPY_FILE ${FONT} ${stage}/MARRKAPL.TTF)
compress(${stage}/MARRKAPL.TTF ${OUT}/MARRKAPL.TT_)
file(WRITE ${stage}/HOSTS.ZVT "[Hosts]\r\nHost1=vax.example.test\r\nHost2=unix.example.test\r\n")
compress(${stage}/HOSTS.ZVT ${OUT}/HOSTS.ZV_)

file(MAKE_DIRECTORY ${stage}/ad ${stage}/orvena ${stage}/setup ${stage}/vt)
file(COPY_FILE ${PROGRAMS}/KVAD.PRO ${stage}/ad/KVAD.PRO)
cabinet(${OUT}/KVAD.CAB ${stage}/ad/KVAD.PRO)
file(WRITE ${stage}/orvena/ov9c.exe "Orvena client program (a stand-in)\r\n")
file(WRITE ${stage}/orvena/ov9c.txt "Orvena client notes\r\n")
cabinet(${OUT}/ORVENA.CAB ${stage}/orvena/ov9c.exe ${stage}/orvena/ov9c.txt)
# The setup program of a Run cabinet is checked and started like a session
# program: the signed stand-in plays it.
file(COPY_FILE ${PROGRAMS}/KVMD.PRO ${stage}/setup/setup.exe)
file(WRITE ${stage}/setup/setup.txt "What setup.exe installs\r\n")
cabinet(${OUT}/SETUP.CAB ${stage}/setup/setup.exe ${stage}/setup/setup.txt)

compress(${PROGRAMS}/KVMD.EXE ${OUT}/desktop/KVMD.EX_)
file(COPY_FILE ${PROGRAMS}/KVVT.PRO ${stage}/vt/KVVT.PRO)
cabinet(${OUT}/desktop/KVVT.CAB ${stage}/vt/KVVT.PRO)

if(PACKAGE)
  file(COPY_FILE ${PACKAGE} ${OUT}/WEVELINK.CAB)
endif()

file(REMOVE_RECURSE ${stage})
file(TOUCH ${OUT}/.made)
