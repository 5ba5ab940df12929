# Registers the Windows-side test programs (built by the cross build) with CTest.
include(${CMAKE_CURRENT_LIST_DIR}/test_list.cmake)
foreach(folder IN LISTS WINDOWS_TEST_FOLDERS)
  lumaroute_windows_test(${folder}_tests)
endforeach()
