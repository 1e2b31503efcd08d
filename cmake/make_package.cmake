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
foreach(input MODULE INF OUT GCAB OSSLSIGNCODE CERT KEY)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "make_package.cmake: -D${input}=... is missing")
  endif()
endforeach()

get_filename_component(out_dir ${OUT} DIRECTORY)
set(stage ${OUT}.files)
set(unsigned ${OUT}.unsigned)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage} ${out_dir})
configure_file(${INF} ${stage}/WEVELINK.INF COPYONLY)
if(STRIP)
  execute_process(COMMAND ${STRIP} --strip-debug -o ${stage}/WEVELINK.OCX ${MODULE}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not strip ${MODULE}")
  endif()
else()
  configure_file(${MODULE} ${stage}/WEVELINK.OCX COPYONLY)
endif()

file(REMOVE ${unsigned})
execute_process(
  COMMAND ${GCAB} --create --zip --nopath ${unsigned} ${stage}/WEVELINK.INF ${stage}/WEVELINK.OCX
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gcab could not make ${unsigned}")
endif()

set(options -certs ${CERT} -key ${KEY} -h sha256 -n "Wevelink Web-to-Host Control")
if(PASS_FILE)
  list(APPEND options -readpass ${PASS_FILE})
endif()
if(TIMESTAMP)
  list(APPEND options -t ${TIMESTAMP})
endif()
# osslsigncode will not overwrite a cabinet an earlier run signed.
file(REMOVE ${OUT})
execute_process(COMMAND ${OSSLSIGNCODE} sign ${options} -in ${unsigned} -out ${OUT}
                RESULT_VARIABLE rc OUTPUT_QUIET)
file(REMOVE ${unsigned})
file(REMOVE_RECURSE ${stage})
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "osslsigncode could not sign ${OUT}")
endif()
