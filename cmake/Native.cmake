# Native Linux build: core, simulation, unit tests (one test program per test file), and the
# Windows tiers, which run the programs of the Windows build tree under Wine.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB TAVREL_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*_test.cpp)
foreach(test_source ${TAVREL_NATIVE_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source})
  target_link_libraries(${test_name} PRIVATE tavrel_sim tavrel_core GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${test_name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "native.")
endforeach()

# The Windows tiers need the Windows build tree (test.sh passes it) and Wine.
set(TAVREL_WIN_BUILD "" CACHE PATH "The mingw build tree whose programs run under Wine")
if(TAVREL_WIN_BUILD)
  file(GLOB TAVREL_WIN_TESTS CONFIGURE_DEPENDS tests/win/*_test.cpp)
  foreach(test_source ${TAVREL_WIN_TESTS})
    get_filename_component(test_name ${test_source} NAME_WE)
    add_test(NAME wine.${test_name}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/run-win-test.sh ${CMAKE_SOURCE_DIR} ${TAVREL_WIN_BUILD}/${test_name}.exe)
    set_tests_properties(wine.${test_name} PROPERTIES RESOURCE_LOCK wine TIMEOUT 600)
  endforeach()
  file(GLOB TAVREL_E2E_TESTS CONFIGURE_DEPENDS tests/e2e/e2e_*.sh)
  foreach(test_script ${TAVREL_E2E_TESTS})
    get_filename_component(test_name ${test_script} NAME_WE)
    add_test(NAME ${test_name} COMMAND bash ${test_script} ${CMAKE_SOURCE_DIR} ${TAVREL_WIN_BUILD})
    set_tests_properties(${test_name} PROPERTIES RESOURCE_LOCK wine TIMEOUT 900)
  endforeach()
endif()
if(TAVREL_FUZZ)  # -DTAVREL_FUZZ=ON with clang: the libFuzzer programs of fuzz/
  include(cmake/Fuzz.cmake)
endif()
