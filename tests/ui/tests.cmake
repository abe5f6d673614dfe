find_package(Qt6 REQUIRED COMPONENTS Test)
vlm_test_folder(ui_tests ui vlm_ui Qt6::Test)
# The highlighter is compared with Vim reading the generated syntax file.
add_dependencies(ui_tests vlm_syntax_files)
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
