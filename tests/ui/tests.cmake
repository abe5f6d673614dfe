find_package(Qt6 REQUIRED COMPONENTS Test)
vlm_test_folder(ui_tests ui vlm_ui Qt6::Test)
# The highlighter is compared with Vim reading the generated syntax file.
add_dependencies(ui_tests vlm_syntax_files)
# The translation catalogue is checked against what Qt's own lupdate finds in
# the sources.
find_package(Qt6 REQUIRED COMPONENTS LinguistTools)
target_compile_definitions(ui_tests PRIVATE VLM_LUPDATE="$<TARGET_FILE:Qt6::lupdate>")
