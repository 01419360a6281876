# cpack_names.cmake -- per-generator file names: driftrock-V-win64.zip and driftrock-V-win64-setup.exe.
if(CPACK_GENERATOR STREQUAL "NSIS64")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
