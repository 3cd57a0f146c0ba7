# Embeds binary resource files (the area tools' PNG images) in a module as
# byte arrays.
#
# Include mode: cv_embed_resources(OUT_VAR NAMESPACE ns FILES a.png b.png)
# adds a build step that writes ${CMAKE_CURRENT_BINARY_DIR}/<ns>_data.cpp
# defining, for a file "text_icon.png", the array ns::text_icon_png and its
# length ns::text_icon_png_size, and stores the source's path in OUT_VAR.
#
# Script mode (cmake -P): OUTPUT, NAMESPACE and FILES (a |-separated list)
# are given with -D.
if(CMAKE_SCRIPT_MODE_FILE)
  string(REPLACE "|" ";" files "${FILES}")
  set(text "// Generated at build time from the module's resource images; do not edit.\n")
  string(APPEND text "#include <cstddef>\n\nnamespace ${NAMESPACE} {\n")
  foreach(file ${files})
    get_filename_component(name ${file} NAME)
    string(MAKE_C_IDENTIFIER ${name} id)
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
    string(APPEND text "extern const unsigned char ${id}[] = {\n    ${bytes}\n};\n")
    string(APPEND text "extern const std::size_t ${id}_size = sizeof(${id});\n")
  endforeach()
  string(APPEND text "}  // namespace ${NAMESPACE}\n")
  file(WRITE ${OUTPUT}.tmp "${text}")
  file(RENAME ${OUTPUT}.tmp ${OUTPUT})
  return()
endif()

set(CV_EMBED_RESOURCES_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(cv_embed_resources out_var)
  cmake_parse_arguments(E "" "NAMESPACE" "FILES" ${ARGN})
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${E_NAMESPACE}_data.cpp)
  set(inputs)
  foreach(file ${E_FILES})
    list(APPEND inputs ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  endforeach()
  string(REPLACE ";" "|" joined "${inputs}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DNAMESPACE=${E_NAMESPACE} -DFILES=${joined}
            -P ${CV_EMBED_RESOURCES_SCRIPT}
    DEPENDS ${inputs} ${CV_EMBED_RESOURCES_SCRIPT}
    COMMENT "Embedding ${E_NAMESPACE} resources"
    VERBATIM)
  set(${out_var} ${output} PARENT_SCOPE)
endfunction()
