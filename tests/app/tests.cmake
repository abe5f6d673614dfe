vlm_test_folder(app_tests app vlm_app)
# The command-line tests run the built program.
if(TARGET app_tests AND TARGET vorlumi3-cli)
  add_dependencies(app_tests vorlumi3-cli)
endif()
