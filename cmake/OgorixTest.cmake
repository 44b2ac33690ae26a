# ogx_add_test(NAME name SOURCES ... LIBS ... [GUI] [TIMEOUT s])
#
# One GoogleTest executable per call; each test case becomes its own CTest test.
# Every test runs on Qt's offscreen platform and in the build tree's source-dir aware
# environment: OGORIX_SOURCE_DIR points at the repository (fixtures), OGORIX_BIN_DIR at
# the executables.
include(GoogleTest)

function(ogx_add_test)
  cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE ogx_test_main_gui)
  else()
    target_link_libraries(${T_NAME} PRIVATE ogx_test_main)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  set(env
    QT_QPA_PLATFORM=offscreen
    OGORIX_SOURCE_DIR=${CMAKE_SOURCE_DIR}
    OGORIX_BIN_DIR=${CMAKE_BINARY_DIR}/bin
    LC_ALL=C.UTF-8)
  gtest_discover_tests(${T_NAME}
    TEST_PREFIX "${T_NAME}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT})
endfunction()
