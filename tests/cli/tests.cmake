vlm_test_folder(cli_tests cli vlm_terminal_playback vlm_cli_text vlm_phrase_batch vlm_source_watch)
# The MIDI-out tests run a JACK server and a recorder.
if(TARGET cli_tests_timed)
  target_sources(cli_tests_timed PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/audio/jack_support.cpp)
endif()
# The command-line tests run the built programs.
foreach(program IN ITEMS vlmc vorlumi3 vorlumi3-cli vorlumi3-roll-png)
  foreach(tests IN ITEMS cli_tests cli_tests_timed)
    if(TARGET ${tests} AND TARGET ${program})
      add_dependencies(${tests} ${program})
    endif()
  endforeach()
endforeach()
# The syntax-file tests read the generated Kate and Vim files.
if(TARGET cli_tests)
  add_dependencies(cli_tests vlm_syntax_files)
endif()
# The --png tests read the pictures with a PNG reader of their own over zlib.
find_package(ZLIB REQUIRED)
if(TARGET cli_tests)
  target_link_libraries(cli_tests PRIVATE ZLIB::ZLIB)
endif()
