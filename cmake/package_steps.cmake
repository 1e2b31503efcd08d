# The steps the cabinet (make_package.cmake) and the Windows Installer
# package (make_msi.cmake) share: their inputs, the staging folder, the
# module as shipped, and the signature.

# Ends script with a message when one of the -D inputs named after it is
# missing.
function(require_inputs script)
  foreach(input ${ARGN})
    if(NOT DEFINED ${input})
      message(FATAL_ERROR "${script}: -D${input}=... is missing")
    endif()
  endforeach()
endfunction()

# A fresh staging folder beside OUT (stage) and the name of the unsigned
# package (unsigned), in the caller's scope.
macro(begin_stage)
  get_filename_component(out_dir ${OUT} DIRECTORY)
  set(stage ${OUT}.files)
  set(unsigned ${OUT}.unsigned)
  file(REMOVE_RECURSE ${stage})
  file(MAKE_DIRECTORY ${stage} ${out_dir})
endmacro()

# Copies MODULE to dest, without its debugging information when STRIP names
# a strip program.
function(stage_module dest)
  if(STRIP)
    execute_process(COMMAND ${STRIP} --strip-debug -o ${dest} ${MODULE} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "could not strip ${MODULE}")
    endif()
  else()
    configure_file(${MODULE} ${dest} COPYONLY)
  endif()
endfunction()

# Signs unsigned into OUT with CERT and KEY (PASS_FILE, TIMESTAMP when given)
# and removes unsigned.
function(sign_package unsigned)
  set(options -certs ${CERT} -key ${KEY} -h sha256 -n "Wevelink Web-to-Host Control")
  if(PASS_FILE)
    list(APPEND options -readpass ${PASS_FILE})
  endif()
  if(TIMESTAMP)
    list(APPEND options -t ${TIMESTAMP})
  endif()
  # osslsigncode will not overwrite a package an earlier run signed.
  file(REMOVE ${OUT})
  execute_process(COMMAND ${OSSLSIGNCODE} sign ${options} -in ${unsigned} -out ${OUT}
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  file(REMOVE ${unsigned})
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "osslsigncode could not sign ${OUT}")
  endif()
endfunction()
