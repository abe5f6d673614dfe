vlm_test_folder(voice_tests voice vlm_voice)
