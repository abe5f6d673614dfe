find_package(Qt6 REQUIRED COMPONENTS Test)
vlm_test_folder(ui_tests ui vlm_ui Qt6::Test)
