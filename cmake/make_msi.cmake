# cmake -DMODULE=... -DWXS=... -DOUT=... -DWIXL=... -DMSIBUILD=... -DOSSLSIGNCODE=...
#       -DCERT=... -DKEY=... [-DSTRIP=...] [-DPASS_FILE=...] [-DTIMESTAMP=URL]
#       [-DVERSION=A.B.C.D] -P make_msi.cmake
#
# Makes OUT, the control's signed Windows Installer package, from the
# package source its build configured (WXS, from src/control/wevelink.wxs.in)
# and MODULE (stripped as in the cabinet). The product version is the
# module's own version record (VERSION overrides it: the package test's newer
# package); the product code is derived from the upgrade code and the
# version, so that each version has its own and rebuilding one keeps it.
# CERT, KEY, PASS_FILE and TIMESTAMP sign it as make_package.cmake does.
include(${CMAKE_CURRENT_LIST_DIR}/package_steps.cmake)
require_inputs(make_msi.cmake MODULE WXS OUT WIXL MSIBUILD OSSLSIGNCODE CERT KEY)
begin_stage()
stage_module(${stage}/WEVELINK.OCX)

# The fixed part of the version record (VS_FIXEDFILEINFO, signature
# 0xFEEF04BD), its product version: four 16-bit fields, little-endian.
if(NOT VERSION)
  file(READ ${stage}/WEVELINK.OCX module HEX)
  string(FIND "${module}" "bd04effe" at)
  math(EXPR odd "${at} % 2")
  if(at LESS 0 OR odd)
    message(FATAL_ERROR "${MODULE} has no version record")
  endif()
  set(fields)
  foreach(offset 18 16 22 20)  # bytes after the signature: MS high, low, LS high, low
    math(EXPR hex_at "${at} + 2 * ${offset}")
    string(SUBSTRING "${module}" ${hex_at} 4 word)
    string(SUBSTRING "${word}" 0 2 low)
    string(SUBSTRING "${word}" 2 2 high)
    math(EXPR field "0x${high}${low}")
    list(APPEND fields ${field})
  endforeach()
  list(JOIN fields "." VERSION)
endif()
file(READ ${WXS} source)
string(REGEX MATCH "UpgradeCode=\"([^\"]+)\"" found "${source}")
set(upgrade_code ${CMAKE_MATCH_1})
string(REGEX MATCH "define Arch = \"([^\"]+)\"" found "${source}")
set(arch ${CMAKE_MATCH_1})
string(UUID product_code NAMESPACE ${upgrade_code} NAME ${VERSION} TYPE SHA1 UPPER)

file(REMOVE ${unsigned})
# wixl finds files by paths relative to its source.
configure_file(${WXS} ${stage}/Wevelink.wxs COPYONLY)
execute_process(
  COMMAND ${WIXL} -a ${arch} -I ${CMAKE_CURRENT_LIST_DIR}/../src/control -o ${unsigned}
          -D Version=${VERSION} -D ProductCode=${product_code} -D Module=WEVELINK.OCX
          Wevelink.wxs
  WORKING_DIRECTORY ${stage} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "wixl could not make ${unsigned}")
endif()
# wixl knows no AllowSameVersionUpgrades: an installed version equal in its
# first three fields is replaced too (msidbUpgradeAttributesMigrateFeatures |
# msidbUpgradeAttributesVersionMaxInclusive). The attributes are part of the
# row's key, so the row is made again.
execute_process(
  COMMAND ${MSIBUILD} ${unsigned}
          -q "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'"
          -q "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) \
VALUES ('{${upgrade_code}}', '${VERSION}', 513, 'WIX_UPGRADE_DETECTED')"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "msibuild could not update ${unsigned}")
endif()

sign_package(${unsigned})
file(REMOVE_RECURSE ${stage})
