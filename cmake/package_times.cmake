# package_times.cmake -- run by CPack between staging and packing (CPACK_PRE_BUILD_SCRIPTS): with
# SOURCE_DATE_EPOCH set (a release sets it to its commit's time), every staged file and folder takes that
# time, so a rebuild packs the same times whenever it was built or checked out.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
    COMMAND_ERROR_IS_FATAL ANY)
endif()
