vlm_test_folder(audio_tests audio vlm_audio)
target_sources(audio_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/audio/audio_support.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/audio/jack_support.cpp)
# Some tests run the programs with the FluidSynth library missing.
foreach(program IN ITEMS vlmc vorlumi3-cli)
  if(TARGET ${program})
    add_dependencies(audio_tests ${program})
  endif()
endforeach()
