# What the packages (cmake/Packaging.cmake) and their tests say about this version.
include(GNUInstallDirs)

set(VARNOOK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(VARNOOK_RELEASE_DATE "2026-12-09" CACHE STRING "The release date of this version, YYYY-MM-DD")
set(VARNOOK_MAINTAINER "Quillmere <varnook@quillmere.example>" CACHE STRING "The Debian package's maintainer")
set(VARNOOK_APP_ID "example.quillmere.varnook" CACHE STRING "The software centres' id of the program")
# The README's pictures (docs/*.png) as the company publishes them; software centres fetch them.
set(VARNOOK_SCREENSHOT_URL "https://${VARNOOK_COMMENTS}/varnook/screenshots" CACHE STRING
    "Web folder that holds the README's screenshots (docs/*.png)")
# Pages from the vendor's ad server are shown only when the program does not serve its own.
if(VARNOOK_OWN_PAGES)
    set(VARNOOK_CONTENT_RATING "")
else()
    set(VARNOOK_CONTENT_RATING [[<content_attribute id="money-advertising">mild</content_attribute>]])
endif()

# The release date as a Debian changelog writes it: "Wed, 09 Dec 2026 00:00:00 +0000".
if(NOT VARNOOK_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "VARNOOK_RELEASE_DATE must be YYYY-MM-DD, not \"${VARNOOK_RELEASE_DATE}\"")
endif()
math(EXPR _year "${CMAKE_MATCH_1}")
math(EXPR _month "${CMAKE_MATCH_2}")
math(EXPR _day "${CMAKE_MATCH_3}")
# Sakamoto's day of the week, 0 for Sunday.
set(_month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR _index "${_month} - 1")
list(GET _month_offsets ${_index} _offset)
if(_month LESS 3)
    math(EXPR _year "${_year} - 1")
endif()
math(EXPR _weekday "(${_year} + ${_year} / 4 - ${_year} / 100 + ${_year} / 400 + ${_offset} + ${_day}) % 7")
set(_weekdays Sun Mon Tue Wed Thu Fri Sat)
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET _weekdays ${_weekday} _weekday_name)
list(GET _months ${_index} _month_name)
set(VARNOOK_RELEASE_DATE_RFC2822 "${_weekday_name}, ${CMAKE_MATCH_3} ${_month_name} ${CMAKE_MATCH_1} 00:00:00 +0000")
