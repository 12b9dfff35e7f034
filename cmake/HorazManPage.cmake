# cmake -DHORAZ=<horaz> -DHELP2MAN=<help2man> -DOUTPUT=<horaz.1.gz> -P HorazManPage.cmake
#
# horaz.1 from horaz's own help: help2man turns `horaz --help` and
# `--version` into the page, and `horaz render --help` follows in a COMMANDS
# section, kept as it is printed (its option tables are laid out by hand).
cmake_minimum_required(VERSION 3.25)

get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
set(include_file "${out_dir}/horaz.1.commands")
set(page "${out_dir}/horaz.1")

# A command's help as roff that shows it verbatim: backslashes escaped, and a
# line that starts with a dot or a quote kept from being read as a request.
function(command_help_as_roff command out_var)
  execute_process(COMMAND "${HORAZ}" ${command} --help
    OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "horaz ${command} --help failed (${status})")
  endif()
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  set(${out_var} ".SS \"horaz ${command}\"\n.nf\n${help}.fi\n" PARENT_SCOPE)
endfunction()

command_help_as_roff(render render_help)
file(WRITE "${include_file}" "[COMMANDS]\n${render_help}")

execute_process(COMMAND "${HELP2MAN}" --no-info --section 1
    --name "draw a clock over video through the clock effect plug-in"
    --include "${include_file}" --output "${page}" "${HORAZ}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed (${status})")
endif()

# Compressed as man pages are shipped; -n leaves the time out, so the same
# page gives the same bytes.
execute_process(COMMAND gzip -9 -n -c "${page}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed (${status})")
endif()
