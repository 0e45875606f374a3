# Windows build (mingw-w64): the Win32 platform, the controls, the windows, the programs and
# the Windows test program. The tests themselves run from the native tree under Wine.
enable_language(RC)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static -static-libgcc -static-libstdc++")

file(GLOB TAVREL_WIN32_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp)
add_library(tavrel_win32 STATIC ${TAVREL_WIN32_SOURCES})
target_compile_options(tavrel_win32 PRIVATE -Wall -Wextra)
target_link_libraries(tavrel_win32 PUBLIC tavrel_core shell32 ole32 oleaut32 taskschd secur32 advapi32 user32 gdi32 comctl32 comdlg32 shlwapi uuid ntdll)

file(GLOB TAVREL_CONTROL_SOURCES CONFIGURE_DEPENDS controls/*.cpp)
add_library(tavrel_controls STATIC ${TAVREL_CONTROL_SOURCES})
target_link_libraries(tavrel_controls PUBLIC tavrel_win32)
target_compile_options(tavrel_controls PRIVATE -Wall -Wextra)

# GoogleTest from the system's sources, built with the cross compiler.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# One Windows test program per test file, so that each runs on its own under Wine.
file(GLOB TAVREL_WIN_TESTS CONFIGURE_DEPENDS tests/win/*_test.cpp)
file(GLOB TAVREL_WIN_TEST_HELPERS CONFIGURE_DEPENDS tests/win/support/*.cpp)
foreach(test_source ${TAVREL_WIN_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source} ${TAVREL_WIN_TEST_HELPERS})
  target_link_libraries(${test_name} PRIVATE tavrel_controls tavrel_win32 tavrel_sim tavrel_core gtest gtest_main)
endforeach()

# The programs.
file(GLOB TAVRELC_SOURCES CONFIGURE_DEPENDS tavrelc/*.cpp tavrelc/*.rc)
add_executable(tavrelc ${TAVRELC_SOURCES})
target_link_libraries(tavrelc PRIVATE tavrel_win32 tavrel_core)
target_link_options(tavrelc PRIVATE -municode)

file(GLOB TAVREL_FORM_SOURCES CONFIGURE_DEPENDS forms/*.cpp)
file(GLOB TAVREL_RESOURCES CONFIGURE_DEPENDS res/*.rc)
add_executable(tavrel WIN32 Tavrel.cpp ${TAVREL_FORM_SOURCES} ${TAVREL_RESOURCES})
target_include_directories(tavrel PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(tavrel PRIVATE tavrel_controls tavrel_win32 tavrel_core)
target_link_options(tavrel PRIVATE -municode -mwindows)

# The progress, splash, About and Planlæg windows are tested in real windows, with the program's resources.
foreach(forms_test status_test splash_test about_test uifont_test plan_test)
  target_sources(${forms_test} PRIVATE forms/UiFont.cpp forms/Panel.cpp forms/StatusAnimation.cpp
                 forms/CopyStatus.cpp forms/CopySplash.cpp forms/CopyOm.cpp forms/CopyPlan.cpp res/Tavrel.rc)
  target_include_directories(${forms_test} PRIVATE ${CMAKE_SOURCE_DIR}/res)
  target_link_libraries(${forms_test} PRIVATE version)
endforeach()
# The help page goes next to tavrel.exe (and in help\ beside it), where the Help command finds it.
add_custom_command(TARGET tavrel POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/help/Tavrel.html $<TARGET_FILE_DIR:tavrel>/Tavrel.html
  COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:tavrel>/help
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/help/Tavrel.html $<TARGET_FILE_DIR:tavrel>/help/Tavrel.html)
# The reusable controls on show, for tests/e2e/screenshots_controls.sh (not a test itself).
add_executable(demo_controls WIN32 tests/win/demo_controls.cpp)
target_link_libraries(demo_controls PRIVATE tavrel_controls tavrel_win32 tavrel_core)
target_link_options(demo_controls PRIVATE -municode -mwindows)
# A file held open by another process, for tests/e2e/e2e_faults.sh (not a test itself).
add_executable(holdfile tests/e2e/support/holdfile.cpp)
target_link_options(holdfile PRIVATE -municode)
