# End-to-end tests of the real executable under Wine and Xvfb, one CTest entry per
# module. Each test inside makes its own prefix and display, so modules may run side
# by side.

# The shipped program is the 32-bit build even where the tests run the 64-bit one.
set(LUMAROUTE_SHIPPED_EXE "" CACHE FILEPATH "The shipped LumarouteSetup.exe (default: the tested one)")
set(SHIPPED_EXE ${LUMAROUTE_SHIPPED_EXE})
if(NOT SHIPPED_EXE)
  set(SHIPPED_EXE ${LUMAROUTE_WINDOWS_BUILD}/LumarouteSetup.exe)
endif()

set(E2E_ENVIRONMENT
  "LUMAROUTE_EXE=${LUMAROUTE_WINDOWS_BUILD}/LumarouteSetup.exe"
  "LUMAROUTE_SHIPPED_EXE=${SHIPPED_EXE}"
  "E2E_HELPER=${LUMAROUTE_WINDOWS_BUILD}/tests/e2e_helper.exe"
  "LANGUAGE_FILE=${LUMAROUTE_WINDOWS_BUILD}/res/English.ini"
  "WINE_TEMPLATE=${WINE_TEMPLATE}"
  "E2E_WORKDIR=${CMAKE_BINARY_DIR}/e2e"
  "LUMAROUTE_E2E_EXE=${LUMAROUTE_WINDOWS_BUILD}/LumarouteSetup-e2e.exe"
  "STUB_INSTALLER=${LUMAROUTE_WINDOWS_BUILD}/tests/stub_installer.exe"
  "PLANTED_DLL=${LUMAROUTE_WINDOWS_BUILD}/tests/planted_dll.dll"
  "PYTHONDONTWRITEBYTECODE=1"
  "${WINE_ENVIRONMENT}")

foreach(module executable startup close window install faults trust accessibility)
  add_test(NAME e2e.${module}
           COMMAND ${PYTHON3} -m unittest -v test_${module}
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
  set_tests_properties(e2e.${module} PROPERTIES
    ENVIRONMENT "${E2E_ENVIRONMENT}"
    FIXTURES_REQUIRED wine_template
    TIMEOUT 600)
endforeach()

# The end-to-end build of the program downloads from one fixed loopback port.
set_tests_properties(e2e.install e2e.faults e2e.trust e2e.accessibility PROPERTIES RESOURCE_LOCK e2e_download_port)

# Signing a copy of the shipped program with tools/sign.sh needs neither Wine nor a display.
add_test(NAME e2e.signing
         COMMAND ${PYTHON3} -m unittest -v test_signing
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
set_tests_properties(e2e.signing PROPERTIES
  ENVIRONMENT "LUMAROUTE_SHIPPED_EXE=${SHIPPED_EXE};PYTHONDONTWRITEBYTECODE=1"
  TIMEOUT 300)
