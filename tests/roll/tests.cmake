# The roll model checked against the compiler's MIDI files read by midicsv.
vlm_test_folder(roll_tests roll vlm_roll vlm_compiler vlm_app)
