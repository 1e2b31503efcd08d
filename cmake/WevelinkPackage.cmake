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

# The Windows Installer packages: build/<preset>/package/Wevelink.msi (win32)
# or Wevelink-x64.msi (win64), for software distribution and Group Policy;
# see src/control/wevelink.wxs.in. Signed like the cabinet; scripts/package
# makes them with a site's certificate too.

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
            ${PROJECT_SOURCE_DIR}/cmake/package_steps.cmake
    COMMENT "Packing and signing ${out}/WEVELINK.CAB"
    VERBATIM)
  add_custom_target(wevelink-cab ALL DEPENDS ${out}/WEVELINK.CAB)
  # The certificate is made in tools/session-stub, which is read later.
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL wevelink_package_after_certificate)
endfunction()

# wevelink_msi(MODULE_TARGET): target wevelink-msi, the package and, for the
# package test's upgrade, the same package one revision newer
# (package/upgrade-test/).
function(wevelink_msi module_target)
  find_program(WEVELINK_WIXL wixl)
  find_program(WEVELINK_MSIBUILD msibuild)
  if(NOT WEVELINK_WIXL OR NOT WEVELINK_MSIBUILD OR NOT WEVELINK_OSSLSIGNCODE)
    message(WARNING "wixl, msibuild or osslsigncode missing: the MSI package is not made")
    return()
  endif()
  set(out ${CMAKE_BINARY_DIR}/package)
  # Stable per platform: the two packages install side by side, and each
  # replaces its own older versions.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(WEVELINK_MSI_NAME Wevelink-x64.msi)
    set(WEVELINK_MSI_ARCH x64)
    set(WEVELINK_MSI_PROGRAM_FILES ProgramFiles64Folder)
    set(WEVELINK_MSI_WIN64 yes)
    set(WEVELINK_MSI_TYPELIB_PLATFORM win64)
    set(WEVELINK_MSI_UPGRADE_CODE BB1B86C8-6A33-4EBD-B834-A451DB1AC869)
    set(WEVELINK_MSI_COMPONENT_GUID B10BB585-16AF-4FE7-9489-791C1AA16776)
  else()
    set(WEVELINK_MSI_NAME Wevelink.msi)
    set(WEVELINK_MSI_ARCH x86)
    set(WEVELINK_MSI_PROGRAM_FILES ProgramFilesFolder)
    set(WEVELINK_MSI_WIN64 no)
    set(WEVELINK_MSI_TYPELIB_PLATFORM win32)
    set(WEVELINK_MSI_UPGRADE_CODE F9E477F3-D6EC-42B4-9A88-87A22EEB5DB6)
    set(WEVELINK_MSI_COMPONENT_GUID BE0DF9CB-62B6-4657-8342-DA99C143B107)
  endif()
  string(UUID WEVELINK_MSI_FOLDER_GUID NAMESPACE ${WEVELINK_MSI_COMPONENT_GUID} NAME MARROCK
         TYPE SHA1 UPPER)
  set(WEVELINK_MSI_UPGRADE_CODE ${WEVELINK_MSI_UPGRADE_CODE} CACHE INTERNAL "")
  set(WEVELINK_MSI ${out}/${WEVELINK_MSI_NAME} CACHE INTERNAL "")
  set(WEVELINK_MSI_NEXT ${out}/upgrade-test/${WEVELINK_MSI_NAME} CACHE INTERNAL "")
  configure_file(${PROJECT_SOURCE_DIR}/src/control/wevelink.wxs.in ${out}/Wevelink.wxs @ONLY)
  string(REGEX REPLACE "[0-9]+$" "" next_version "${PROJECT_VERSION}")
  math(EXPR next_revision "${PROJECT_VERSION_TWEAK} + 1")
  set(cert_dir ${CMAKE_BINARY_DIR}/tools/session-stub/cert)
  foreach(package ${WEVELINK_MSI_NAME} upgrade-test/${WEVELINK_MSI_NAME})
    set(version_option)
    if(package MATCHES "^upgrade-test/")
      set(version_option -DVERSION=${next_version}${next_revision})
    endif()
    add_custom_command(
      OUTPUT ${out}/${package}
      COMMAND ${CMAKE_COMMAND}
              -DMODULE=$<TARGET_FILE:${module_target}> -DWXS=${out}/Wevelink.wxs
              -DOUT=${out}/${package} -DSTRIP=${CMAKE_STRIP} -DWIXL=${WEVELINK_WIXL}
              -DMSIBUILD=${WEVELINK_MSIBUILD} -DOSSLSIGNCODE=${WEVELINK_OSSLSIGNCODE}
              -DCERT=${cert_dir}/test-publisher.crt -DKEY=${cert_dir}/test-publisher.key
              ${version_option} -P ${PROJECT_SOURCE_DIR}/cmake/make_msi.cmake
      DEPENDS ${module_target} ${out}/Wevelink.wxs
              ${PROJECT_SOURCE_DIR}/src/control/wevelink-interfaces.wxi
              ${cert_dir}/test-publisher.crt ${cert_dir}/test-publisher.key
              ${PROJECT_SOURCE_DIR}/cmake/make_msi.cmake
              ${PROJECT_SOURCE_DIR}/cmake/package_steps.cmake
      COMMENT "Building and signing ${out}/${package}"
      VERBATIM)
  endforeach()
  add_custom_target(wevelink-msi ALL
                    DEPENDS ${out}/${WEVELINK_MSI_NAME} ${out}/upgrade-test/${WEVELINK_MSI_NAME})
endfunction()

function(wevelink_package_after_certificate)
  if(TARGET session-programs)
    add_dependencies(wevelink-cab session-programs)
    if(TARGET wevelink-msi)
      add_dependencies(wevelink-msi session-programs)
    endif()
  else()
    message(WARNING "no test certificate (tools/session-stub): WEVELINK.CAB cannot be signed")
  endif()
endfunction()
