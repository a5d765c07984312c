# tmf_add_test(<name> SOURCES ... LIBS ...): one GoogleTest executable,
# registered with CTest in the environment every test here needs: the
# offscreen Qt platform, a UTF-8 C locale and a fixed time zone.
find_package(GTest REQUIRED)
include(GoogleTest)

function(tmf_add_test name)
  cmake_parse_arguments(ARG "QT_MAIN" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_QT_MAIN)
    # Widgets need a QApplication before the first test runs.
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock Qt6::Widgets)
  else()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # Test data in the source tree is found from here; __FILE__ may be a
  # relative path when a compiler cache rewrites it.
  target_compile_definitions(${name} PRIVATE TMF_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;TZ=Europe/Berlin;XDG_RUNTIME_DIR=/tmp/tmf-xdg-runtime"
  )
endfunction()
