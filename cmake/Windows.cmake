# The Windows executable and the Windows-side tests, cross-compiled with MinGW-w64.

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_compile_options(-Wall -Wextra)
# No MinGW runtime DLLs: everything but Windows' own libraries is linked in.
add_link_options(-static -static-libgcc -static-libstdc++)

# The embedded English language file and the resource fragment that names it.
set(LANGUAGE_FILE ${CMAKE_BINARY_DIR}/res/English.ini)
lumaroute_language_file(${LANGUAGE_FILE} ${LUMAROUTE_SERVER})
file(WRITE ${CMAKE_BINARY_DIR}/res/language_resource.rc.in
     "IDR_ENGLISH_INI INI \"@LANGUAGE_FILE@\"\n")
configure_file(${CMAKE_BINARY_DIR}/res/language_resource.rc.in
               ${CMAKE_BINARY_DIR}/res/language_resource.rc @ONLY)
add_custom_target(language_file DEPENDS ${LANGUAGE_FILE})

# Everything of the program but its entry point, so that the Windows-side tests link it.
add_library(lumaroute_win STATIC
  app/app_module.cpp
  app/message_loop.cpp
  app/shell_folder.cpp
  controls/down_progress_bar.cpp
  controls/owner_draw.cpp
  controls/owner_draw_button.cpp
  controls/png_image.cpp
  controls/select_state_button.cpp
  controls/window_impl.cpp
  download/error_report.cpp
  install/close_confirmation.cpp
  install/compat_flag.cpp
  install/install_command.cpp
  install/install_folder.cpp
  install/licence.cpp
  lang/language.cpp
  ui/chrome.cpp
  ui/dialog_impl.cpp
  ui/main_dlg.cpp
  ui/reflect.cpp
)
target_link_libraries(lumaroute_win PUBLIC lumaroute_core
  gdiplus comctl32 shlwapi shell32 ole32 advapi32 user32 gdi32 kernel32)

set(RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/res/resources.rc)
file(GLOB SKIN_IMAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/skin/*.png)
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES
  OBJECT_DEPENDS "${LANGUAGE_FILE};${CMAKE_SOURCE_DIR}/res/app.ico;${CMAKE_SOURCE_DIR}/res/app.manifest;${CMAKE_SOURCE_DIR}/res/resource.h;${SKIN_IMAGES}")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res -I${CMAKE_BINARY_DIR}/res")

add_executable(LumarouteSetup WIN32 app/main.cpp ${RESOURCE_SCRIPT})
add_dependencies(LumarouteSetup language_file)
target_link_libraries(LumarouteSetup PRIVATE lumaroute_win)
target_link_options(LumarouteSetup PRIVATE -municode -mwindows)
set_target_properties(LumarouteSetup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_subdirectory(tests/windows)
