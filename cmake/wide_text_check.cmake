# The plug-in's sources compiled once more with WCHAR a type of its own, as
# wchar_t is on Windows: text that reaches a platform API without
# horaz::platformText fails to build here. Compiled only, never linked.
set(wide_text_sources)
foreach(layer ${HORAZ_PLUGIN_LAYERS})
  get_target_property(layer_sources ${layer} SOURCES)
  list(APPEND wide_text_sources ${layer_sources})
endforeach()
add_library(horaz_wide_text_check OBJECT ${wide_text_sources})
target_link_libraries(horaz_wide_text_check PRIVATE ${HORAZ_PLUGIN_LAYERS})
target_compile_definitions(horaz_wide_text_check PRIVATE HORAZ_STRICT_WCHAR)
