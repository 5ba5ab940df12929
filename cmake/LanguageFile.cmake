# Generates a UTF-16LE language file from the template in res/.
#   lumaroute_language_file(<output> <server>)
function(lumaroute_language_file output server)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${PYTHON3} ${CMAKE_SOURCE_DIR}/tools/make_lang_file.py
            ${CMAKE_SOURCE_DIR}/res/English.ini.in ${output} ${server}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_lang_file.py ${CMAKE_SOURCE_DIR}/res/English.ini.in
    COMMENT "Generating ${output}"
    VERBATIM)
endfunction()
