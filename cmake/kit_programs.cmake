# The kit's programs come from its catalogue (catalogue/programs.cpp), one row a line:
#   {L"name", Kind, L"component", "ProductName", kCompany or kNoCompany, "traits", ...}
# ProductName and the company go into the version resource. Traits, space-separated:
#   outside-code  the program loads code that is not the kit's (controls, components, their
#                 libraries); it is linked without the mark of compatibility with data execution
#                 prevention, because controls of older generations run code from data memory and
#                 crash in a marked 32-bit process (the applications that use them are not marked)
#   dpi-aware     its manifest declares the program DPI-aware
#   console       a console program (the others have windows of their own)
# Read here into KIT_PROGRAM_TABLE ("name|ProductName|yes or no|traits" rows), KIT_CONTROL_HOST_NAMES
# and KIT_CONTROL_HOST_FILES (their component files, which the stand-in controls are built as); add_kit_program() looks a program up, so its resources and link options
# come from data. A row the pattern does not read stops the configuration.
set(KIT_COMPANY_NAME "VEL Systems")
# The kit's version, its one source: every program's version resource ("1.00" and 1,0,0,0) and what
# kit_survey records of itself beside a report.
set(KIT_VERSION 1.00)
if(NOT KIT_VERSION MATCHES "^([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "KIT_VERSION ${KIT_VERSION}: the form is MAJOR.MINOR")
endif()
math(EXPR kit_version_minor "${CMAKE_MATCH_2}")
set(KIT_VERSION_NUMBERS "${CMAKE_MATCH_1},${kit_version_minor},0,0")
set(kit_catalogue_table ${CMAKE_CURRENT_LIST_DIR}/../catalogue/programs.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${kit_catalogue_table})
file(STRINGS ${kit_catalogue_table} kit_catalogue_rows REGEX "^    {L\"")
set(KIT_PROGRAM_TABLE "")
set(KIT_CONTROL_HOST_NAMES "")
set(KIT_CONTROL_HOST_FILES "")
foreach(row IN LISTS kit_catalogue_rows)
  if(NOT row MATCHES "^    {L\"([A-Za-z0-9_]+)\", ([A-Za-z]+), L\"([^\"]*)\", \"([^\"]*)\", (kCompany|kNoCompany), \"([^\"]*)\"")
    message(FATAL_ERROR "catalogue/programs.cpp: a program row the build cannot read:\n${row}")
  endif()
  set(company no)
  if(CMAKE_MATCH_5 STREQUAL "kCompany")
    set(company yes)
  endif()
  list(APPEND KIT_PROGRAM_TABLE "${CMAKE_MATCH_1}|${CMAKE_MATCH_4}|${company}|${CMAKE_MATCH_6}")
  if(CMAKE_MATCH_2 STREQUAL "ControlHost")
    list(APPEND KIT_CONTROL_HOST_NAMES ${CMAKE_MATCH_1})
    list(APPEND KIT_CONTROL_HOST_FILES ${CMAKE_MATCH_3})
  endif()
endforeach()
list(LENGTH KIT_PROGRAM_TABLE kit_program_count)
if(kit_program_count EQUAL 0)
  message(FATAL_ERROR "catalogue/programs.cpp: no program rows read")
endif()
# The kit's programs that no survey runs, so not in the catalogue, in the same row form: kit_fleet
# merges the reports that surveys bring back.
list(APPEND KIT_PROGRAM_TABLE "kit_fleet|kit_fleet|yes|console")

# kit_program_strings(<name> <product-var> <company-var> <traits-var>): the row of <name>, or a
# fatal error.
function(kit_program_strings name product_var company_var traits_var)
  foreach(row IN LISTS KIT_PROGRAM_TABLE)
    string(REPLACE "|" ";" cells "${row}")
    list(GET cells 0 row_name)
    if(row_name STREQUAL name)
      list(GET cells 1 product)
      list(GET cells 2 company)
      list(GET cells 3 traits)
      set(${product_var} "${product}" PARENT_SCOPE)
      set(${company_var} "${company}" PARENT_SCOPE)
      set(${traits_var} "${traits}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "program ${name} is in no program table (catalogue/programs.cpp, cmake/kit_programs.cmake)")
endfunction()
