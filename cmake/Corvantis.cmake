# Shared build helpers: the staging layout, plug-in modules and tests.
#
# Every build product is written straight into the installed layout under
# ${CV_STAGE_DIR}, so the staged tree is always current after a build:
#   bin/                         programs
#   lib/                         libcvplatform.so, libcvengine.so, libcvengineui.so
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
  endif()
endfunction()

# A GoogleTest executable, one per test source file or group. Tests run with
# private registry hives and the offscreen Qt platform, never touching the
# user's own settings.
function(cv_add_test target)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
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
  set(hives ${CMAKE_BINARY_DIR}/tests/hives/${target})
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;CORVANTIS_USER_REGISTRY=${hives}/user.reg;CORVANTIS_MACHINE_REGISTRY=${hives}/machine.reg;XDG_CONFIG_HOME=${hives}/config"
    )
endfunction()
