# kit_program_sections(<file-var>): the toolchain's own linker script for the kit's programs, taken
# from the linker itself, with the small sections every program carries folded into their
# neighbours. Each section of a PE file takes at least one 512-byte file block and a page of
# memory; three of them hold a few dozen bytes each:
# - the C runtime's start-up and exit tables (.CRT) and the thread-data template (.tls) go into
#   .data, the template first, as the system's thread-data offsets count from the start of the
#   section that holds it;
# - the unwind tables (.eh_frame) of the runtime's start-up objects, which nothing of a program
#   built without exceptions reads, are dropped, except the start and end that the runtime's own
#   registration (crtbegin, should a DLL of the toolchain's runtime be in the process) walks from
#   one to the other; those two go into .rdata.
# Nothing the program does changes. <file-var> is empty when the linker's script is not of the
# form expected (another toolchain): the programs then link with the default script, and the
# static size check says what that costs.
function(kit_program_sections file_var)
  set(${file_var} "" PARENT_SCOPE)
  set(probe_dir ${CMAKE_BINARY_DIR}/CMakeFiles/kit_sections)
  file(MAKE_DIRECTORY ${probe_dir})
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -x c /dev/null -nostdlib -Wl,--verbose -o ${probe_dir}/probe.exe
                  OUTPUT_VARIABLE verbose ERROR_QUIET)
  set(rule "==================================================")
  string(FIND "${verbose}" "${rule}\n" first)
  string(FIND "${verbose}" "\n${rule}" last REVERSE)
  if(first LESS 0 OR last LESS_EQUAL first)
    message(WARNING "kit: no linker script from ${CMAKE_CXX_COMPILER}; programs keep the default sections")
    return()
  endif()
  string(LENGTH "${rule}\n" skip)
  math(EXPR begin "${first} + ${skip}")
  math(EXPR length "${last} - ${begin}")
  string(SUBSTRING "${verbose}" ${begin} ${length} script)

  set(block_crt "  \\.CRT BLOCK\\(__section_alignment__\\) :\n  {\n([^}]*)  }\n")
  set(block_tls "  \\.tls BLOCK\\(__section_alignment__\\) :\n  {\n([^}]*)  }\n")
  string(REGEX MATCH "${block_crt}" found "${script}")
  set(crt "${CMAKE_MATCH_1}")
  string(REGEX MATCH "${block_tls}" found_tls "${script}")
  set(tls "${CMAKE_MATCH_1}")
  set(data_head "  .data BLOCK(__section_alignment__) :\n  {\n")
  set(data_tail "    *(.data_cygwin_nocopy)\n")
  set(rdata_head "    *(.rdata)\n")
  string(FIND "${script}" "${data_head}" has_data_head)
  string(FIND "${script}" "${data_tail}" has_data_tail)
  string(FIND "${script}" "${rdata_head}" has_rdata_head)
  if(NOT found OR NOT found_tls OR has_data_head LESS 0 OR has_data_tail LESS 0 OR has_rdata_head LESS 0)
    message(WARNING "kit: the linker script of ${CMAKE_CXX_COMPILER} is not of the form expected; programs keep the default sections")
    return()
  endif()
  string(REGEX REPLACE "${block_crt}" "" script "${script}")
  string(REGEX REPLACE "${block_tls}" "" script "${script}")
  string(REPLACE "${data_head}" "${data_head}${tls}" script "${script}")
  # The runtime's other tables (thread-data start-up) have no place in the script: the linker would
  # give them a section of their own, named as the tables'.
  string(REPLACE "${data_tail}" "${data_tail}${crt}    KEEP (*(SORT(.CRT$*)))\n" script "${script}")
  # Unwind tables: only where the target has them as a section of their own (32-bit).
  set(block_eh "  \\.eh_frame BLOCK\\(__section_alignment__\\) :\n  {\n    KEEP ?\\(\\*\\(\\.eh_frame\\*\\)\\)\n  }\n")
  if(script MATCHES "${block_eh}")
    string(REGEX REPLACE "${block_eh}" "  /DISCARD/ :\n  {\n    *(.eh_frame*)\n  }\n" script "${script}")
    string(REPLACE "${rdata_head}"
           "${rdata_head}    . = ALIGN(4);\n    KEEP (*crtbegin.o(.eh_frame*))\n    KEEP (*crtend.o(.eh_frame*))\n"
           script "${script}")
  endif()
  set(file ${CMAKE_BINARY_DIR}/kit_program_sections.ld)
  file(WRITE ${file} "/* The toolchain's script for the kit's programs: cmake/program_sections.cmake */\n${script}\n")
  set(${file_var} ${file} PARENT_SCOPE)
endfunction()
