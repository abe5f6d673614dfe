# vorlumi3-cli: the phrase generator without windows.
add_executable(vorlumi3-cli vorlumi3_cli.cpp)
target_link_libraries(vorlumi3-cli PRIVATE vlm_app vlm_msgview vlm_common vlm_audio vlm_terminal_playback vlm_roll_picture)
