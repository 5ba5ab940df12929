# Native unit tests with sanitizers, and the registration of every test layer with CTest.
find_package(GTest REQUIRED)
include(GoogleTest)

set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(lumaroute_core PRIVATE ${SANITIZE} -Wall -Wextra)

# Two language files: the shipped one and one for a loopback server with a port.
set(NATIVE_LANGUAGE_FILE ${CMAKE_BINARY_DIR}/res/English.ini)
set(LOOPBACK_LANGUAGE_FILE ${CMAKE_BINARY_DIR}/res/English-loopback.ini)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/res)
lumaroute_language_file(${NATIVE_LANGUAGE_FILE} ${LUMAROUTE_SERVER})
lumaroute_language_file(${LOOPBACK_LANGUAGE_FILE} "http://127.0.0.1:8080/")
add_custom_target(native_language_files ALL DEPENDS ${NATIVE_LANGUAGE_FILE} ${LOOPBACK_LANGUAGE_FILE})

add_executable(native_tests
  tests/native/app/folder_rules_test.cpp
  tests/native/app/number_text_test.cpp
  tests/native/app/path_text_test.cpp
  tests/native/app/system_assemblies_test.cpp
  tests/native/download/busy_rules_test.cpp
  tests/native/download/download_engine_test.cpp
  tests/native/download/download_names_test.cpp
  tests/native/download/error_rules_test.cpp
  tests/native/download/final_address_test.cpp
  tests/native/download/progress_batch_test.cpp
  tests/native/download/proxy_rules_test.cpp
  tests/native/download/publisher_rules_test.cpp
  tests/native/download/release_check_test.cpp
  tests/native/download/responses_test.cpp
  tests/native/download/segment_fetch_test.cpp
  tests/native/download/start_retry_test.cpp
  tests/native/install/start_route_test.cpp
  tests/native/lang/ini_text_test.cpp
  tests/native/lang/lang_folder_test.cpp
  tests/native/res/english_ini_test.cpp
  tests/native/ui/dialog_layout_test.cpp
)
target_compile_options(native_tests PRIVATE ${SANITIZE} -Wall -Wextra)
target_link_options(native_tests PRIVATE ${SANITIZE})
target_compile_definitions(native_tests PRIVATE
  LANGUAGE_FILE="${NATIVE_LANGUAGE_FILE}"
  LOOPBACK_LANGUAGE_FILE="${LOOPBACK_LANGUAGE_FILE}"
  LANGUAGE_SERVER="${LUMAROUTE_SERVER}")
target_link_libraries(native_tests PRIVATE lumaroute_core GTest::gtest_main)
# GoogleTest's header, read once for all the test files.
target_precompile_headers(native_tests PRIVATE <gtest/gtest.h> <string> <vector>)
gtest_discover_tests(native_tests TEST_PREFIX "native." DISCOVERY_TIMEOUT 60)

# The benchmark's arithmetic (bench/measures.py); the benchmark itself is `make bench`.
add_test(NAME bench.measures COMMAND ${PYTHON3} -m unittest -v test_measures
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/bench)
set_tests_properties(bench.measures PROPERTIES ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1" TIMEOUT 300)

# Windows-side and end-to-end tests run the cross-built programs under Wine.
set(LUMAROUTE_WINDOWS_BUILD "" CACHE PATH "Build folder of the cross-compiled program")
if(LUMAROUTE_WINDOWS_BUILD)
  # Where the template prefix and the tests' prefixes live; the demo shares the template.
  set(LUMAROUTE_WINE_ROOT ${CMAKE_BINARY_DIR}/wine CACHE PATH "Folder of the test Wine prefixes")
  set(WINE_ROOT ${LUMAROUTE_WINE_ROOT})
  set(WINE_TEMPLATE ${WINE_ROOT}/template)
  # win32, or win64 where the kernel runs no 32-bit code and the Windows build above is
  # the 64-bit one (see the Makefile); the harness picks its Wine by it.
  set(LUMAROUTE_WINE_ARCH win32 CACHE STRING "Wine the tests run under: win32 or win64")
  set_property(CACHE LUMAROUTE_WINE_ARCH PROPERTY STRINGS win32 win64)
  set(WINE_ENVIRONMENT "LUMAROUTE_WINE_ARCH=${LUMAROUTE_WINE_ARCH}")
  add_test(NAME wine.template
           COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/tests/harness/make_template.py ${WINE_TEMPLATE})
  set_tests_properties(wine.template PROPERTIES FIXTURES_SETUP wine_template TIMEOUT 600
                       ENVIRONMENT "${WINE_ENVIRONMENT}")

  # One CTest entry per Windows-side test program.
  function(lumaroute_windows_test name)
    add_test(NAME windows.${name}
             COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/tests/harness/run_windows_test.py
                     ${WINE_TEMPLATE} ${WINE_ROOT}/windows.${name}
                     ${LUMAROUTE_WINDOWS_BUILD}/tests/${name}.exe --gtest_color=no)
    set_tests_properties(windows.${name} PROPERTIES FIXTURES_REQUIRED wine_template TIMEOUT 600
                         ENVIRONMENT "${WINE_ENVIRONMENT}")
  endfunction()
  include(${CMAKE_SOURCE_DIR}/tests/windows/tests.cmake)

  # The HTTP interfaces against loopback nginx servers (plain, TLS with a CA trusted in
  # the test's prefix only, TLS with an untrusted one) and a slow range server; the
  # script also checks what the servers received.
  add_test(NAME windows.download_tests
           COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/tests/harness/run_http_test.py
                   ${WINE_TEMPLATE} ${WINE_ROOT}/windows.download_tests
                   ${LUMAROUTE_WINDOWS_BUILD}/tests/download_tests.exe
                   ${LUMAROUTE_WINDOWS_BUILD}/tests/e2e_helper.exe --gtest_color=no)
  set_tests_properties(windows.download_tests PROPERTIES FIXTURES_REQUIRED wine_template TIMEOUT 600
                       ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1;${WINE_ENVIRONMENT}")

  include(${CMAKE_SOURCE_DIR}/tests/e2e/tests.cmake)
endif()
