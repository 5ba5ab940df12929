# Registers the Windows-side test programs (built by the cross build) with CTest.
include(${CMAKE_CURRENT_LIST_DIR}/test_list.cmake)
foreach(folder IN LISTS WINDOWS_TEST_FOLDERS)
  # download_tests needs web servers around it; cmake/Native.cmake registers it.
  if(folder STREQUAL "download")
    continue()
  endif()
  lumaroute_windows_test(${folder}_tests)
endforeach()
