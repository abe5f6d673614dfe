vlm_test_folder(cli_tests cli vlm_terminal_playback vlm_cli_text)
# The command-line tests run the built programs.
foreach(program IN ITEMS vlmc vorlumi3)
  if(TARGET cli_tests AND TARGET ${program})
    add_dependencies(cli_tests ${program})
  endif()
endforeach()
