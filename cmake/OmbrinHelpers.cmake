# ombrin_test(NAME SOURCES... LIBS ...): a GoogleTest executable registered with CTest.
# Each test runs in its own temporary machine (see platform/testing), so tests run in parallel.
function(ombrin_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ombrin_testing ${T_LIBS} GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "OMBRIN_BUILD_DIR=${CMAKE_BINARY_DIR};OMBRIN_MSGBOX_ANSWERS=")
endfunction()

# ombrin_bench(NAME SOURCES... LIBS ...): a Google Benchmark executable in build/bench.
function(ombrin_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# A Windows-style module: a shared object with an exact file name (qv10cpl.cpl, foo.dll) in lib/.
function(ombrin_module name filename)
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME "${filename}" SUFFIX "")
endfunction()

# ombrin_component_tests(PREFIX DIR LIBS...): one test program per DIR/*_test.cpp,
# plus one small program per DIR/helpers/*.cpp (child processes the tests start).
function(ombrin_component_tests prefix dir)
  file(GLOB tests CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${dir}/helpers/*.cpp)
  foreach(helper ${helpers})
    get_filename_component(helper_name ${helper} NAME_WE)
    add_executable(${helper_name} ${helper})
    target_link_libraries(${helper_name} PRIVATE ${ARGN})
    set_target_properties(${helper_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  endforeach()
  foreach(test ${tests})
    get_filename_component(test_name ${test} NAME_WE)
    ombrin_test(${prefix}_${test_name} SOURCES ${test} LIBS ${ARGN} GTest::gtest_main)
    foreach(helper ${helpers})
      get_filename_component(helper_name ${helper} NAME_WE)
      add_dependencies(${prefix}_${test_name} ${helper_name})
    endforeach()
  endforeach()
endfunction()
