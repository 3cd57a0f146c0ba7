# Fails when clang-format (CLANG_FORMAT, with the repository's .clang-format)
# would change any C++ file (*.cpp, *.h) that git tracks under SOURCE_DIR.
# Outside a git checkout, every such file below the code folders counts.
if(NOT CLANG_FORMAT)
  message(FATAL_ERROR "clang-format was not found when the build was configured; "
                      "`make deps` installs it")
endif()
execute_process(COMMAND git -C ${SOURCE_DIR} ls-files -- "*.cpp" "*.h"
  OUTPUT_VARIABLE listing RESULT_VARIABLE result ERROR_QUIET)
set(files)
if(result EQUAL 0)
  string(REPLACE "\n" ";" listing "${listing}")
  foreach(file ${listing})
    # A tracked file deleted in the working tree is not checked.
    if(EXISTS ${SOURCE_DIR}/${file})
      list(APPEND files ${file})
    endif()
  endforeach()
else()
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
  list(FILTER files EXCLUDE REGEX "^(build[^/]*|\\.[^/]*)/")
endif()
if(NOT files)
  message(FATAL_ERROR "no C++ files found under ${SOURCE_DIR}")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files}
  WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${errors}\nclang-format would change the files above; `make format` "
                      "formats every tracked C++ file.")
endif()
