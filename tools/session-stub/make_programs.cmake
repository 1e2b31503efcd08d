# cmake -DSTUB=... -DOUT=... -DOSSLSIGNCODE=... -DCERT=... -DKEY=...
#       -DOTHER_CERT=... -DOTHER_KEY=... -DSECOND_CERT=... -DSECOND_KEY=...
#       -DPYTHON=... -DALTER=...
#       -P make_programs.cmake
#
# Installs the stand-in under the twelve session program names in four
# folders: OUT/programs (signed with the test publisher), OUT/unsigned (as
# built), OUT/altered (signed, then one code byte changed) and
# OUT/untrusted (signed with a publisher that is never trusted), and
# OUT/second (signed with a second trusted publisher).
set(names KVMD KVMP KVAD KVAP KVFTP KVVT)

function(sign cert key out)
  file(REMOVE ${out})
  execute_process(
    COMMAND ${OSSLSIGNCODE} sign -certs ${cert} -key ${key}
            -n "Wevelink session stand-in" -h sha256 -in ${STUB} -out ${out}
    RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "osslsigncode could not sign ${out}")
  endif()
endfunction()
foreach(folder programs unsigned altered untrusted second)
  file(MAKE_DIRECTORY ${OUT}/${folder})
endforeach()
foreach(name ${names})
  foreach(ext PRO EXE)
    set(file ${name}.${ext})
    file(COPY_FILE ${STUB} ${OUT}/unsigned/${file} ONLY_IF_DIFFERENT)
    sign(${CERT} ${KEY} ${OUT}/programs/${file})
    sign(${OTHER_CERT} ${OTHER_KEY} ${OUT}/untrusted/${file})
    sign(${SECOND_CERT} ${SECOND_KEY} ${OUT}/second/${file})
    execute_process(COMMAND ${PYTHON} ${ALTER} ${OUT}/programs/${file} ${OUT}/altered/${file}
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "could not alter ${file}")
    endif()
  endforeach()
endforeach()
