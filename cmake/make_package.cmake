# cmake -DMODULE=... -DINF=... -DOUT=... -DGCAB=... -DOSSLSIGNCODE=...
#       -DCERT=... -DKEY=... [-DSTRIP=...] [-DPASS_FILE=...] [-DTIMESTAMP=URL]
#       -P make_package.cmake
#
# Makes OUT, a signed cabinet of WEVELINK.INF (INF) and WEVELINK.OCX
# (MODULE, debugging information stripped when STRIP names a strip program).
# CERT is the signer's certificate (PEM or DER, with its chain when there is
# one), KEY its private key, PASS_FILE a file holding the key's passphrase
# (never on a command line); TIMESTAMP names a
# time-stamping server, so that the signature outlives the certificate.
include(${CMAKE_CURRENT_LIST_DIR}/package_steps.cmake)
require_inputs(make_package.cmake MODULE INF OUT GCAB OSSLSIGNCODE CERT KEY)
begin_stage()
configure_file(${INF} ${stage}/WEVELINK.INF COPYONLY)
stage_module(${stage}/WEVELINK.OCX)

file(REMOVE ${unsigned})
execute_process(
  COMMAND ${GCAB} --create --zip --nopath ${unsigned} ${stage}/WEVELINK.INF ${stage}/WEVELINK.OCX
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gcab could not make ${unsigned}")
endif()

sign_package(${unsigned})
file(REMOVE_RECURSE ${stage})
