# The Windows executable and the Windows-side tests, cross-compiled with MinGW-w64.

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_compile_options(-Wall -Wextra)
# No MinGW runtime DLLs: everything but Windows' own libraries is linked in.
add_link_options(-static -static-libgcc -static-libstdc++)

# The program is the first thing a user downloads, so the release build is made for
# size: its time goes to TLS, the network, the disk and starting processes, not to its
# own code, so -O2 is no faster than -Os within what `make bench` can tell, and -Os is
# 30 KB smaller. Every function and datum in a section of
# its own lets the linker drop what nothing calls.
set(LUMAROUTE_OPTIMIZE Os CACHE STRING "Optimisation level of the release build, e.g. Os or O2")
set(CMAKE_C_FLAGS_RELEASE "-${LUMAROUTE_OPTIMIZE} -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-${LUMAROUTE_OPTIMIZE} -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)
# Address-space layout randomisation and no-execute data, and, for the 32-bit program,
# which holds the whole download in memory, room above 2 GiB on 64-bit Windows.
add_link_options(-Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_link_options(-Wl,--large-address-aware)
endif()
# Windows 7, the oldest Windows the code is built for, also in the headers: Windows
# takes a program of an older subsystem version for one written before the desktop
# compositor and hands it a compatible window frame instead of the true one.
add_link_options(-Wl,--major-subsystem-version,6,--minor-subsystem-version,1
                 -Wl,--major-os-version,6,--minor-os-version,1)

# The embedded English language file for `server` and the resource fragment that
# names it, in build/<folder>/ (whose path the resource compiler is given).
function(lumaroute_language_resource folder server)
  set(file ${CMAKE_BINARY_DIR}/${folder}/English.ini)
  lumaroute_language_file(${file} ${server})
  file(WRITE ${CMAKE_BINARY_DIR}/${folder}/language_resource.rc "IDR_ENGLISH_INI INI \"${file}\"\n")
  add_custom_target(language_file_${folder} DEPENDS ${file})
endfunction()
set(LANGUAGE_FILE ${CMAKE_BINARY_DIR}/res/English.ini)
lumaroute_language_resource(res ${LUMAROUTE_SERVER})
# The end-to-end tests install from a TLS server of their own on this loopback port.
set(LUMAROUTE_E2E_SERVER "https://localhost:18443" CACHE STRING "Server of the end-to-end test build")
lumaroute_language_resource(res-e2e ${LUMAROUTE_E2E_SERVER})
# The benchmark's build installs from a server of its own on another port, so that a
# benchmark and the tests can run side by side.
set(LUMAROUTE_BENCH_SERVER "https://localhost:18543" CACHE STRING "Server of the benchmark build")
lumaroute_language_resource(res-bench ${LUMAROUTE_BENCH_SERVER})

# Everything of the program but its entry point, so that the Windows-side tests link it.
add_library(lumaroute_win STATIC
  app/app_module.cpp
  app/dialog_impl.cpp
  app/memory_barrier.cpp
  app/message_loop.cpp
  app/own_folder.cpp
  app/reflect.cpp
  app/shell_folder.cpp
  app/window_impl.cpp
  app/side_by_side.cpp
  controls/accessible_control.cpp
  controls/down_progress_bar.cpp
  controls/owner_draw.cpp
  controls/owner_draw_button.cpp
  controls/png_image.cpp
  controls/select_state_button.cpp
  controls/skinned_button.cpp
  download/download_dialog.cpp
  download/download_threads.cpp
  download/error_report.cpp
  download/held_file.cpp
  download/installer_run.cpp
  download/proxy_prompt.cpp
  download/proxy_settings.cpp
  download/publisher_check.cpp
  download/http_session.cpp
  download/winhttp_session.cpp
  download/wininet_session.cpp
  download/worker_threads.cpp
  install/close_confirmation.cpp
  install/compat_flag.cpp
  install/desktop_shell.cpp
  install/install_command.cpp
  install/install_folder.cpp
  install/launch_and_licence.cpp
  install/running_product.cpp
  install/shell_token.cpp
  lang/language.cpp
  ui/chrome.cpp
  ui/keyboard.cpp
  ui/main_dlg.cpp
  ui/dpi_layout.cpp
  ui/screen_dpi.cpp
  ui/tray_icon.cpp
)
# Debug information feeds only the shipped program's separate debug file: the 32-bit
# build's own code carries it; tests and the 64-bit build, which nobody ships, are
# built faster without.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_compile_options(lumaroute_core PRIVATE -g)
  target_compile_options(lumaroute_win PRIVATE -g)
endif()
# Windows' headers, read once for the whole library rather than once per file.
target_precompile_headers(lumaroute_win PRIVATE <windows.h> <string> <vector> <memory> <optional>)
# wininet.h and winhttp.h cannot meet in one compile.
set_source_files_properties(download/winhttp_session.cpp download/proxy_settings.cpp PROPERTIES
  SKIP_UNITY_BUILD_INCLUSION ON)
include(cmake/DelayImports.cmake)
lumaroute_delay_import(lumaroute_delay_imports
  wininet winhttp credui wintrust crypt32 gdiplus comctl32 shlwapi shell32 ole32 oleaut32 advapi32 user32 gdi32
  shcore)
target_link_libraries(lumaroute_win PUBLIC lumaroute_core lumaroute_delay_imports uuid kernel32)

# The manifest names the processor the program is built for: x86, or amd64 for the
# 64-bit build the tests run where the kernel runs no 32-bit code.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(MANIFEST_ARCHITECTURE amd64)
else()
  set(MANIFEST_ARCHITECTURE x86)
endif()
set(MANIFEST ${CMAKE_BINARY_DIR}/manifest/app.manifest)
configure_file(${CMAKE_SOURCE_DIR}/res/app.manifest.in ${MANIFEST} @ONLY)

set(RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/res/resources.rc)
file(GLOB_RECURSE SKIN_IMAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/skin/*)
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES
  OBJECT_DEPENDS "${LANGUAGE_FILE};${CMAKE_BINARY_DIR}/res-e2e/English.ini;${CMAKE_BINARY_DIR}/res-bench/English.ini;${CMAKE_SOURCE_DIR}/res/app.ico;${MANIFEST};${CMAKE_SOURCE_DIR}/res/resource.h;${SKIN_IMAGES}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_BINARY_DIR}/manifest -I${CMAKE_SOURCE_DIR}/res")

# How long one connect, send or receive may take: a stalled server is then a failed
# request like any other. The end-to-end build waits less, so that its tests of a
# stalled server stay short.
set(LUMAROUTE_HTTP_TIMEOUT_MS 30000 CACHE STRING "HTTP time-out of the program, in milliseconds")
set(LUMAROUTE_E2E_HTTP_TIMEOUT_MS 8000 CACHE STRING "HTTP time-out of the end-to-end build, in milliseconds")

# The publisher whose Authenticode signature the downloaded installer must carry (the
# signer's display name); empty: no check. The end-to-end build checks for the test
# publisher its tests sign with.
set(LUMAROUTE_SIGNER "" CACHE STRING "Publisher that must have signed the product installer (empty: no check)")
set(LUMAROUTE_E2E_SIGNER "Lumaroute Test Publisher" CACHE STRING "Publisher the end-to-end build requires")

# A program that fetches its installer over plain HTTP would run, elevated, whatever
# any machine on the way sends: it is built only with a publisher to check.
function(lumaroute_require_checked_origin server signer)
  string(TOLOWER "${server}" scheme)
  if(NOT scheme MATCHES "^https://" AND signer STREQUAL "")
    message(FATAL_ERROR "${server} is not an https:// server: give the publisher that must have signed the "
                        "product installer (-DLUMAROUTE_SIGNER=\"Publisher Name\"), or use https://.")
  endif()
endfunction()
lumaroute_require_checked_origin("${LUMAROUTE_SERVER}" "${LUMAROUTE_SIGNER}")
lumaroute_require_checked_origin("${LUMAROUTE_E2E_SERVER}" "${LUMAROUTE_E2E_SIGNER}")
lumaroute_require_checked_origin("${LUMAROUTE_BENCH_SERVER}" "")

# What each program (and each Windows-side test) compiles in for itself.
set(PROGRAM_SETTINGS_SOURCES ${CMAKE_SOURCE_DIR}/download/http_timeout.cpp
                             ${CMAKE_SOURCE_DIR}/download/required_signer.cpp)

# The program, with the language file of build/<language_folder>/. It is stripped; its
# debug information is kept beside it in <name>.exe.debug, which the stripped program
# names (.gnu_debuglink), for reading a crash dump.
function(lumaroute_setup_executable name language_folder timeout_ms signer)
  # The time-out and publisher are compiled into each program, not into the library they share.
  add_executable(${name} WIN32 app/main.cpp app/lean_runtime.cpp ${RESOURCE_SCRIPT} ${PROGRAM_SETTINGS_SOURCES})
  target_compile_definitions(${name} PRIVATE LUMAROUTE_HTTP_TIMEOUT_MS=${timeout_ms}
                                             "LUMAROUTE_SIGNER=L\"${signer}\"")
  add_dependencies(${name} language_file_${language_folder})
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/${language_folder})
  target_link_libraries(${name} PRIVATE lumaroute_win)
  target_link_options(${name} PRIVATE -municode -mwindows)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_compile_options(${name} PRIVATE -g)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${name}.exe ${name}.exe.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${name}.exe.debug ${name}.exe
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    VERBATIM)
endfunction()
lumaroute_setup_executable(LumarouteSetup res ${LUMAROUTE_HTTP_TIMEOUT_MS} "${LUMAROUTE_SIGNER}")
lumaroute_setup_executable(LumarouteSetup-e2e res-e2e ${LUMAROUTE_E2E_HTTP_TIMEOUT_MS} "${LUMAROUTE_E2E_SIGNER}")

# The benchmark's programs are built by `make bench` alone.
lumaroute_setup_executable(LumarouteSetup-bench res-bench ${LUMAROUTE_HTTP_TIMEOUT_MS} "")
set_target_properties(LumarouteSetup-bench PROPERTIES EXCLUDE_FROM_ALL ON)
add_subdirectory(bench/windows)

add_subdirectory(tests/windows)

add_custom_target(bench_programs)
add_dependencies(bench_programs LumarouteSetup-bench range_fetch spawn_clock start_stamp proxy_decision e2e_helper)
