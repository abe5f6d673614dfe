find_package(Qt6 REQUIRED COMPONENTS Test)
vlm_test_folder(ui_tests ui vlm_ui Qt6::Test)
# The highlighter is compared with Vim reading the generated syntax file.
add_dependencies(ui_tests vlm_syntax_files)
# The real-window test runs the desktop program itself.
add_dependencies(ui_tests vorlumi3)
