# Warnings for our own code (every target of this project is ours). They are
# errors only where we ask for it: our CI and development scripts turn
# HORAZ_WERROR on, so no warning gets in; a user's or packager's build keeps
# going when a newer or older compiler warns about something new.
option(HORAZ_WERROR "Treat compiler warnings as errors (on in CI and scripts/test.sh)" OFF)

add_compile_options(-Wall -Wextra)
if(HORAZ_WERROR)
  add_compile_options(-Werror)
endif()

# GCC 12 at -O3 (our Release) inlines `"literal" + std::string` into a memcpy
# that it then reports may overlap (-Wrestrict), which it cannot: a known false
# positive of that compiler, from anywhere such a sum is written. Only there
# is the warning off; every other build, our -O2 and sanitizer builds
# included, still reports real overlaps.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options($<$<AND:$<COMPILE_LANGUAGE:CXX>,$<CONFIG:Release>>:-Wno-restrict>)
endif()
