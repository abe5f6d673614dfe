vlm_test_folder(audio_tests audio vlm_audio)
target_sources(audio_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/audio/audio_support.cpp)
# The FLAC and Ogg renders are read back with libsndfile's decoder.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SNDFILE_READER REQUIRED sndfile)
target_link_libraries(audio_tests PRIVATE ${SNDFILE_READER_LIBRARIES})
# The MIDI-out tests run a JACK server and a recorder.
target_sources(audio_tests_timed PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/audio/audio_support.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/audio/jack_support.cpp)
# Some tests run the programs with the FluidSynth library missing.
foreach(program IN ITEMS vlmc vorlumi3-cli)
  if(TARGET ${program})
    add_dependencies(audio_tests ${program})
    add_dependencies(audio_tests_timed ${program})
  endif()
endforeach()
