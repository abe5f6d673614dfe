# Batches of phrases on worker threads, for corpora.
add_library(vlm_phrase_batch STATIC phrase_batch.cpp)
target_link_libraries(vlm_phrase_batch PUBLIC vlm_app vlm_msgview vlm_common vlm_audio vlm_terminal_playback)
vlm_folder_headers(vlm_phrase_batch cli)

# vorlumi3-cli: the phrase generator without windows.
add_executable(vorlumi3-cli vorlumi3_cli.cpp)
target_link_libraries(vorlumi3-cli PRIVATE vlm_phrase_batch vlm_app vlm_msgview vlm_common vlm_audio vlm_terminal_playback vlm_roll_picture)
vlm_own_cxx_runtime(vorlumi3-cli)
