# Shared build helpers: the staging layout, plug-in modules and tests.
#
# Every build product is written straight into the installed layout under
# ${CV_STAGE_DIR}, so the staged tree is always current after a build:
#   bin/                         programs
#   lib/                         libcvplatform.so, libcvengine.so
#   lib/corvantis/pagestyles/    *.pge
#   lib/corvantis/tools/         *.tol
#   lib/corvantis/plugins/       *.ZPL

set(CV_STAGE_DIR ${CMAKE_BINARY_DIR}/stage)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CV_STAGE_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CV_STAGE_DIR}/lib)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/archive)
set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)
set(CMAKE_SKIP_BUILD_RPATH OFF)
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
set(CMAKE_INSTALL_RPATH "$ORIGIN/../lib")

# A shared library of the product: default visibility for its interface.
function(cv_add_shared_library target)
  add_library(${target} SHARED ${ARGN})
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET default
    VISIBILITY_INLINES_HIDDEN OFF
    INSTALL_RPATH "$ORIGIN")
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# A plug-in module: KIND is pagestyles, tools or plugins; SUFFIX is the file
# extension with its dot (".pge", ".tol", ".ZPL"). Only symbols marked
# CV_EXPORT (the C entry points) are visible. With EXPORTS, a linker version
# script keeps every other symbol local (the C++ runtime's template
# instantiations would otherwise leak out), and a test checks that the
# module exports exactly those names.
function(cv_add_plugin target)
  cmake_parse_arguments(P "" "KIND;SUFFIX;OUTPUT_NAME;OUTPUT_DIR" "SOURCES;LIBS;EXPORTS" ${ARGN})
  add_library(${target} MODULE ${P_SOURCES})
  if(NOT P_OUTPUT_NAME)
    set(P_OUTPUT_NAME ${target})
  endif()
  if(NOT P_OUTPUT_DIR)
    set(P_OUTPUT_DIR ${CV_STAGE_DIR}/lib/corvantis/${P_KIND})
  endif()
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    SUFFIX "${P_SUFFIX}"
    OUTPUT_NAME ${P_OUTPUT_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${P_OUTPUT_DIR}
    INSTALL_RPATH "$ORIGIN/../..")
  target_link_libraries(${target} PRIVATE ${P_LIBS})
  target_link_options(${target} PRIVATE -Wl,--no-undefined)
  if(P_EXPORTS)
    list(JOIN P_EXPORTS ";\n    " symbols)
    set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports.map)
    # Written only when its text changes, so a re-configure relinks nothing.
    file(CONFIGURE OUTPUT ${map}
      CONTENT "{\n  global:\n    ${symbols};\n  local:\n    *;\n};\n")
    target_link_options(${target} PRIVATE -Wl,--version-script=${map})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
    add_test(NAME ${target}_exports
      COMMAND ${CMAKE_COMMAND} "-DMODULES=$<TARGET_FILE:${target}>" "-DEXPECTED=${P_EXPORTS}"
              -P ${PROJECT_SOURCE_DIR}/cmake/CheckExports.cmake)
    set_tests_properties(${target}_exports PROPERTIES LABELS integration)
  endif()
endfunction()

# The ctest labels. `unit`: pure tests that need neither Qt nor the staged
# plug-ins (they pass on a build where only they were built); `qt`: tests that
# link Qt (run on the offscreen platform); `integration`: tests that load the
# built page styles and area tools or the staged tree; `security`: replays of
# hostile-input corpora; `slow`: cases that take many seconds (never `unit`);
# `style`: the source formatting check.
set(CV_TEST_LABELS unit qt integration security slow style)

# `ninja unit-tests` builds only the test programs of the `unit` cases (and
# what they need), which is all `ctest -L unit` runs.
add_custom_target(unit-tests)

function(cv_check_test_labels)
  foreach(label ${ARGN})
    if(NOT label IN_LIST CV_TEST_LABELS)
      message(FATAL_ERROR "unknown test label '${label}' (known: ${CV_TEST_LABELS})")
    endif()
  endforeach()
endfunction()

# The environment of a test: private registry hives (and configuration
# folder) under tests/hives/<name>, so that no test touches the user's own
# settings, and with QT the offscreen Qt platform.
#
#   cv_test_environment(<variable> <name> [QT])
function(cv_test_environment var name)
  set(hives ${CMAKE_BINARY_DIR}/tests/hives/${name})
  set(env
    "CORVANTIS_USER_REGISTRY=${hives}/user.reg"
    "CORVANTIS_MACHINE_REGISTRY=${hives}/machine.reg"
    "XDG_CONFIG_HOME=${hives}/config")
  if("QT" IN_LIST ARGN)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set(${var} "${env}" PARENT_SCOPE)
endfunction()

# A GoogleTest executable, one per test source file or group:
#
#   cv_add_test(<target> SOURCES <file>... [LIBS <library>...]
#               [LABELS <label>...] [SLOW <Suite.Case>...])
#
# LABELS (default `unit`) go to every case of the executable; the cases named
# in SLOW are labelled `slow` in place of `unit`, so that `ctest -L unit` stays
# quick. Tests run with private registry hives, never touching the user's own
# settings; those labelled `qt` on the offscreen Qt platform.
function(cv_add_test target)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;SLOW" ${ARGN})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  cv_check_test_labels(${T_LABELS})
  add_executable(${target} ${T_SOURCES})
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    INSTALL_RPATH "${CV_STAGE_DIR}/lib")
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    CV_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    CV_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/testdata"
    CV_STAGE_DIR="${CV_STAGE_DIR}"
    CV_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}/tests")
  if("unit" IN_LIST T_LABELS)
    add_dependencies(unit-tests ${target})
  endif()
  set(qt "")
  if("qt" IN_LIST T_LABELS)
    set(qt QT)
  endif()
  cv_test_environment(env ${target} ${qt})
  set(slowLabels ${T_LABELS})
  list(REMOVE_ITEM slowLabels unit)
  list(APPEND slowLabels slow)
  list(REMOVE_DUPLICATES slowLabels)
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${target}_TESTS)
  # gtest_discover_tests splits list-valued properties into separate words, so
  # the labels and the environment are set by a script that ctest reads after
  # the discovered cases (whose names it lists in ${target}_TESTS).
  set(props ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
  file(CONFIGURE OUTPUT ${props} @ONLY CONTENT [==[
set(cv_rest ${@target@_TESTS})
foreach(cv_slow @T_SLOW@)
  list(FIND cv_rest "${cv_slow}" cv_found)
  if(cv_found EQUAL -1)
    if(DEFINED @target@_TESTS)
      message(WARNING "@target@ has no test ${cv_slow} (named in SLOW)")
    endif()
  else()
    list(REMOVE_ITEM cv_rest "${cv_slow}")
    set_tests_properties("${cv_slow}" PROPERTIES LABELS "@slowLabels@" ENVIRONMENT "@env@")
  endif()
endforeach()
if(cv_rest)
  set_tests_properties(${cv_rest} PROPERTIES LABELS "@T_LABELS@" ENVIRONMENT "@env@")
endif()
]==])
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${props})
endfunction()
