# End-to-end tests of the real executable under Wine and Xvfb, one CTest entry per
# module. Each test inside makes its own prefix and display, and each module has a
# network of its own, so modules run side by side.

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

# The shipped file's own checks need neither Wine nor a display. Some ten seconds alone,
# but run beside the Wine-driven modules it gets little of the cores: its time-out
# bounds a hang, not its speed.
add_test(NAME e2e.executable
         COMMAND ${PYTHON3} -m unittest -v test_executable
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
set_tests_properties(e2e.executable PROPERTIES ENVIRONMENT "${E2E_ENVIRONMENT}" TIMEOUT 600)

# Each module runs in a network namespace of its own (tests/harness/own_network.sh), so
# that the modules, which all serve on the one port the end-to-end build of the program
# downloads from, run side by side. Each carries its time in seconds, measured alone,
# as its COST, so that the longest start first. The longest run as two entries, each
# with half of their cases (E2E_SHARD, see e2e_case.py), so that they do not end last.
foreach(entry install=160 faults/0=70 faults/1=70 trust/0=65 trust/1=65 window=68 close=58 startup=54
              accessibility=54 busy=50 release=50 proxy=55 density=60)
  string(REGEX MATCH "^[a-z]+" module ${entry})
  string(REGEX MATCH "[0-9]+$" seconds ${entry})
  set(name e2e.${module})
  set(environment ${E2E_ENVIRONMENT})
  if(entry MATCHES "/([0-9])=")
    set(name e2e.${module}.${CMAKE_MATCH_1})
    list(APPEND environment "E2E_SHARD=${CMAKE_MATCH_1}/2")
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/harness/own_network.sh ${PYTHON3} -m unittest -v test_${module}
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${environment}"
    FIXTURES_REQUIRED wine_template
    COST ${seconds}
    TIMEOUT 600)
endforeach()

# Signing a copy of the shipped program with tools/sign.sh needs neither Wine nor a display.
add_test(NAME e2e.signing
         COMMAND ${PYTHON3} -m unittest -v test_signing
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
set_tests_properties(e2e.signing PROPERTIES
  ENVIRONMENT "LUMAROUTE_SHIPPED_EXE=${SHIPPED_EXE};PYTHONDONTWRITEBYTECODE=1"
  TIMEOUT 300)
