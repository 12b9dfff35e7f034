# Writes OUTPUT: a C++ source that holds every file of the page folder
# PAGE_DIR as a PageAsset (see page_assets.h). Run at build time, so an edit
# of the page rebuilds the program.
file(GLOB page_files RELATIVE ${PAGE_DIR} ${PAGE_DIR}/*)
list(SORT page_files)
set(entries "")
set(bodies "")
set(index 0)
foreach(name ${page_files})
  file(READ ${PAGE_DIR}/${name} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  get_filename_component(extension ${name} LAST_EXT)
  if(extension STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(extension STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  elseif(extension STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  elseif(extension STREQUAL ".svg")
    set(type "image/svg+xml")
  else()
    set(type "application/octet-stream")
  endif()
  string(APPEND bodies "constexpr char kBody${index}[] = {${bytes}};\n")
  string(APPEND entries "    PageAsset{\"/${name}\", \"${type}\", std::string_view(kBody${index}, sizeof kBody${index})},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Generated from studio/page/ by studio/embed_page.cmake.
#include \"studio/page_assets.h\"

#include <array>

namespace horaz::studio {
namespace {
${bodies}}  // namespace

std::span<const PageAsset> pageAssets() {
  static constexpr std::array kAssets{
${entries}  };
  return kAssets;
}

}  // namespace horaz::studio
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
