# klang_library(<name> [LIBS <targets>...])
#   One static library per folder, built from every .cpp/.h in it. Headers are included
#   from the project root: #include "platform/settings/Settings.h".
function(klang_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC Qt6::Core ${ARG_LIBS})
endfunction()

# klang_program(<name> SOURCES <files>... LIBS <targets>...)
function(klang_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  if(TARGET klang_resources)
    add_dependencies(${name} klang_resources)
  endif()
endfunction()

# klang_test(<name> SOURCES <files>... LIBS <targets>... [TIMEOUT <s>])
#   A QtTest executable registered with CTest. Tests run offscreen with null media
#   outputs; each test makes its own XDG folders (tests/support/TestEnvironment.h).
function(klang_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE Qt6::Test klang_testsupport ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  if(TARGET klang_resources)
    add_dependencies(${name} klang_resources)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KLANGTRUHE_MEDIA_OUTPUT=null;KLANGTRUHE_BIN_DIR=${KLANG_BIN_DIR};KLANGTRUHE_RESOURCES=${KLANG_RESOURCE_DIR}")
endfunction()
