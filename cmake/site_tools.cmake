# The helpers of the scripts that make sites and test inputs (cmake -P):
# run a tool, compress a file the way a site names it, pack a cabinet.
# Compressing uses ${stage}, a scratch folder, and ${MSCOMPRESS}; cabinets
# use ${GCAB}.

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}")
  endif()
endfunction()

# mscompress names its output NAME.EXT_; the site's compressed name keeps
# two letters of the extension and the "_" (KVMD.EX_).
function(compress in out)
  get_filename_component(name ${in} NAME)
  file(COPY_FILE ${in} ${stage}/${name})
  run(${MSCOMPRESS} ${stage}/${name})
  file(RENAME ${stage}/${name}_ ${out})
endfunction()

function(cabinet out)
  file(REMOVE ${out})
  run(${GCAB} -c -n ${out} ${ARGN})
endfunction()
