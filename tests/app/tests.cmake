vlm_test_folder(app_tests app vlm_app)
