vlm_test_folder(app_tests app vlm_app)
# Some tests run the built programs.
foreach(program IN ITEMS vorlumi3-cli vlmc)
  if(TARGET app_tests AND TARGET ${program})
    add_dependencies(app_tests ${program})
  endif()
endforeach()
