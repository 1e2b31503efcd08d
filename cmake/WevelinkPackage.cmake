# The control's download package: build/<preset>/package/WEVELINK.CAB, the
# cabinet a page's OBJECT tag names in its CODEBASE. It holds the module
# (without its debugging information) and WEVELINK.INF, the instructions the
# browser's code download follows: take the module from this cabinet,
# register it (DllRegisterServer) and know it as the control's class at this
# version. Each preset packages its own module: a 32-bit browser wants the
# win32 cabinet, a 64-bit browser the win64 one.
#
# The build signs the cabinet with the test publisher's certificate that
# tools/session-stub makes and that test prefixes trust; scripts/package
# makes the same cabinet signed with a site's own certificate and key.

# The control's class as the INF names it; the package test compares it with
# the module's own CLSID_WevelinkCtrl.
set(WEVELINK_CLSID "{01D62088-DB72-4D35-AE5C-E5861904B675}")

# wevelink_package(MODULE_TARGET)
function(wevelink_package module_target)
  find_program(WEVELINK_GCAB gcab)
  find_program(WEVELINK_OSSLSIGNCODE osslsigncode)
  if(NOT WEVELINK_GCAB OR NOT WEVELINK_OSSLSIGNCODE)
    message(WARNING "gcab or osslsigncode missing: WEVELINK.CAB is not made")
    return()
  endif()
  set(out ${CMAKE_BINARY_DIR}/package)
  # The browser tells the platforms apart by the key that names the file.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(WEVELINK_INF_FILE_KEY file-win64-x64)
  else()
    set(WEVELINK_INF_FILE_KEY file-win32-x86)
  endif()
  string(REPLACE "." "," WEVELINK_FILE_VERSION "${PROJECT_VERSION}")
  configure_file(${PROJECT_SOURCE_DIR}/src/control/wevelink.inf.in ${out}/WEVELINK.INF
                 @ONLY NEWLINE_STYLE CRLF)
  set(cert_dir ${CMAKE_BINARY_DIR}/tools/session-stub/cert)
  add_custom_command(
    OUTPUT ${out}/WEVELINK.CAB
    COMMAND ${CMAKE_COMMAND}
            -DMODULE=$<TARGET_FILE:${module_target}> -DINF=${out}/WEVELINK.INF
            -DOUT=${out}/WEVELINK.CAB -DSTRIP=${CMAKE_STRIP} -DGCAB=${WEVELINK_GCAB}
            -DOSSLSIGNCODE=${WEVELINK_OSSLSIGNCODE}
            -DCERT=${cert_dir}/test-publisher.crt -DKEY=${cert_dir}/test-publisher.key
            -P ${PROJECT_SOURCE_DIR}/cmake/make_package.cmake
    DEPENDS ${module_target} ${out}/WEVELINK.INF
            ${cert_dir}/test-publisher.crt ${cert_dir}/test-publisher.key
            ${PROJECT_SOURCE_DIR}/cmake/make_package.cmake
    COMMENT "Packing and signing ${out}/WEVELINK.CAB"
    VERBATIM)
  add_custom_target(wevelink-cab ALL DEPENDS ${out}/WEVELINK.CAB)
  # The certificate is made in tools/session-stub, which is read later.
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL wevelink_package_after_certificate)
endfunction()

function(wevelink_package_after_certificate)
  if(TARGET session-programs)
    add_dependencies(wevelink-cab session-programs)
  else()
    message(WARNING "no test certificate (tools/session-stub): WEVELINK.CAB cannot be signed")
  endif()
endfunction()
