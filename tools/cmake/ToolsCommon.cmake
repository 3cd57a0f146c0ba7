# Code shared by the area-tool modules (XML of an area's rectangle, number
# readers, frames), built once as a static library that each module links.
include(${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake)
if(NOT TARGET cvtoolcommon)
  file(GLOB CV_TOOL_COMMON_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/common/*.cpp)
  add_library(cvtoolcommon STATIC ${CV_TOOL_COMMON_SOURCES})
  target_link_libraries(cvtoolcommon PUBLIC cvframework)
endif()

# One GoogleTest executable per tests/*_test.cpp of the calling folder,
# named <prefix>_<file>, linked with `lib`.
function(cv_add_tool_tests prefix lib)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    cv_add_test(${prefix}_${name} SOURCES ${src} LIBS ${lib})
  endforeach()
endfunction()
