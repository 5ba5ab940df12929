# Delay-load import libraries, made from MinGW-w64's own import libraries by
# tools/make_delay_import.py. The program links every Windows DLL but kernel32 and the C
# runtime through these, so that Windows resolves nothing else while loading it: the
# program first confines the DLL search to the system folder, and only then is any other
# DLL looked for (a DLL of the same name beside the program is never picked up).
set(DELAY_IMPORT_DIR ${CMAKE_BINARY_DIR}/delay-imports)
file(MAKE_DIRECTORY ${DELAY_IMPORT_DIR})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(DELAY_IMPORT_UNDERSCORED --underscored)
endif()

# lumaroute_delay_import(<target> <name>...): <target> is an interface library that
# links each named DLL (e.g. user32) delay-loaded.
function(lumaroute_delay_import target)
  add_library(${target} INTERFACE)
  foreach(name IN LISTS ARGN)
    find_library(IMPORT_LIBRARY_${name} NAMES lib${name}.a REQUIRED)
    set(output ${DELAY_IMPORT_DIR}/lib${name}_delay.a)
    add_custom_command(OUTPUT ${output}
      COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/tools/make_delay_import.py ${CMAKE_NM} ${CMAKE_DLLTOOL} ${CMAKE_OBJCOPY}
              ${IMPORT_LIBRARY_${name}} ${name}.dll ${output} ${DELAY_IMPORT_UNDERSCORED}
      DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_delay_import.py ${IMPORT_LIBRARY_${name}}
      COMMENT "Delay-load import library for ${name}.dll")
    add_custom_target(delay_import_${name} DEPENDS ${output})
    add_dependencies(${target} delay_import_${name})
    target_link_libraries(${target} INTERFACE ${output})
  endforeach()
endfunction()
