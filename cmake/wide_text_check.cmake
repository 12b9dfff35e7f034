# The plug-in's sources compiled once more with WCHAR a type of its own, as
# wchar_t is on Windows: text that reaches a platform API without
# horaz::platformText fails to build here. Compiled only, never linked.
add_library(horaz_wide_text_check OBJECT ${HORAZ_CORE_SOURCES})
target_link_libraries(horaz_wide_text_check PRIVATE horaz_host horaz_platform Threads::Threads)
target_compile_definitions(horaz_wide_text_check PRIVATE HORAZ_STRICT_WCHAR)
