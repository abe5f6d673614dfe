find_package(Qt6 REQUIRED COMPONENTS Test)
vlm_test_folder(ui_tests ui vlm_ui Qt6::Test)
# The highlighter is compared with Vim reading the generated syntax file.
add_dependencies(ui_tests vlm_syntax_files)
# The real-window tests (run alone, beside no other test) start the desktop
# program itself.
add_dependencies(ui_tests vorlumi3)
add_dependencies(ui_tests_timed vorlumi3)
target_sources(ui_tests_timed PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/ui/main_test.cpp)

# The program in real windows on a virtual X display, with real sound through
# a sound server with a null sink; the program starts both itself (skipping
# where Xvfb or pulseaudio is missing) and stops them by process id.
if(TARGET vlm_audio)
  add_executable(ui_real_window_tests
    ui/real_window/main.cpp ui/real_window/session.cpp
    ui/real_window/play_state_test.cpp)
  set_target_properties(ui_real_window_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(ui_real_window_tests PRIVATE vlm_ui vlm_audio vlm_test_support GTest::gtest Qt6::Test)
  target_compile_definitions(ui_real_window_tests PRIVATE VLM_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  gtest_discover_tests(ui_real_window_tests DISCOVERY_MODE PRE_TEST PROPERTIES RUN_SERIAL TRUE)
endif()

# The translation catalogue is checked against what Qt's own lupdate finds in
# the sources.
find_package(Qt6 REQUIRED COMPONENTS LinguistTools)
target_compile_definitions(ui_tests PRIVATE VLM_LUPDATE="$<TARGET_FILE:Qt6::lupdate>")
# What start-up chooses from the locale variables, asked of a fresh process.
add_executable(locale_choice ui/locale_choice.cpp)
target_link_libraries(locale_choice PRIVATE vlm_ui)
set_target_properties(locale_choice PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(ui_tests locale_choice)
target_compile_definitions(ui_tests PRIVATE VLM_LOCALE_CHOICE="$<TARGET_FILE:locale_choice>")
# The MML window's playing is checked against the bytes vlmc writes.
if(TARGET vlmc)
  add_dependencies(ui_tests vlmc)
endif()
