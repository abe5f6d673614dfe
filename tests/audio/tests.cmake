vlm_test_folder(audio_tests audio vlm_audio)
target_sources(audio_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/audio/audio_support.cpp)
