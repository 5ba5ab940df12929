# Each folder under tests/windows/ builds into one test program, <folder>_tests.exe.
set(WINDOWS_TEST_FOLDERS app controls download install lang res ui)
