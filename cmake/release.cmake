# release.cmake -- the version and its date, from their one source: the newest entry of
# packaging/changelog (its first line names the version, its trailer the date). The project, the
# manual page, the AppStream release, the packages and the Windows README all follow it.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../packaging/changelog entries REGEX "^(driftrock \\(| -- )")
list(GET entries 0 first)
list(GET entries 1 trailer)
string(REGEX REPLACE "^driftrock \\(([0-9.]+)\\).*" "\\1" DRIFTROCK_VERSION "${first}")
string(REGEX MATCH ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) " date "${trailer}")
set(day "${CMAKE_MATCH_1}")
set(abbreviation "${CMAKE_MATCH_2}")
set(year "${CMAKE_MATCH_3}")
set(months Jan January 01 Feb February 02 Mar March 03 Apr April 04 May May 05 Jun June 06
  Jul July 07 Aug August 08 Sep September 09 Oct October 10 Nov November 11 Dec December 12)
list(FIND months "${abbreviation}" at)
if(NOT DRIFTROCK_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$" OR NOT date OR at EQUAL -1)
  message(FATAL_ERROR "packaging/changelog: its newest entry names no version X.Y.Z or no date")
endif()
math(EXPR name_at "${at} + 1")
math(EXPR number_at "${at} + 2")
list(GET months ${name_at} month)
list(GET months ${number_at} number)
set(DRIFTROCK_RELEASE_DATE "${year}-${number}-${day}")  # 2026-12-06, for AppStream
set(DRIFTROCK_RELEASE_MONTH "${month} ${year}")           # December 2026, for the manual
