# Helpers for declaring the project's test programs.
#
# Windows tests run under Wine through CMAKE_CROSSCOMPILING_EMULATOR
# (scripts/winrun) in the build tree's own prefix, after the "wine"
# fixture has created the prefix, started Xvfb and the test web server.

set(WEVELINK_TESTENV ${CMAKE_BINARY_DIR}/test-env)

function(wevelink_native_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE gtest_main)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# wevelink_win_test(NAME sources... [LIBS libs...] [TIMEOUT S] [FIXTURE F])
# FIXTURE names a fixture the test needs besides the Wine environment; NO_DAC_OVERRIDE runs it
# without root's right to look into any folder (scripts/winrun).
function(wevelink_win_test name)
  cmake_parse_arguments(T "NO_DAC_OVERRIDE" "TIMEOUT;FIXTURE" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE wevelink_testsupport gtest_main ${T_LIBS})
  if(WEVELINK_WINE_TESTS)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
      set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED "wine;${T_FIXTURE}"
      RESOURCE_LOCK wineprefix
      TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WEVELINK_BUILD=${CMAKE_BINARY_DIR};WEVELINK_TESTENV=${WEVELINK_TESTENV};WEVELINK_DISPLAY_FILE=${WEVELINK_TESTENV}/display;WINEDEBUG=-all;WEVELINK_NO_DAC_OVERRIDE=${T_NO_DAC_OVERRIDE}")
  endif()
endfunction()
