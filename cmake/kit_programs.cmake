# One row per program of the kit:
#   name | ProductName | whether "CompanyName" is present | traits
# ProductName and the company go into the version resource. Traits, space-separated:
#   outside-code  the program loads code that is not the kit's (controls, components, their
#                 libraries); it is linked without the mark of compatibility with data execution
#                 prevention, because controls of older generations run code from data memory and
#                 crash in a marked 32-bit process (the applications that use them are not marked)
#   dpi-aware     its manifest declares the program DPI-aware
# add_kit_program() looks a program up here, so its resources and link options come from data.
set(KIT_COMPANY_NAME "VEL Systems")
set(KIT_PROGRAM_TABLE
  "Dravon_DLLVer|DravonDLLVer|yes|outside-code"
  "HalvardDLLVer|HalvardDLLVer|yes|outside-code"
  "probe_cmdlg|Project_cmdlg|yes|outside-code"
  "probe_VELGridView32|Project_VELGridViewer|no|outside-code"
  "probe_richtx32|Project_richtx32|yes|outside-code"
  "probe_threed32|Project_threed32|yes|outside-code"
  "probe_ado26|Project_ADO26|yes|outside-code"
  "probe_mscomctl|Project_mscomctl|yes|outside-code"
  "probe_scrrun|Project_scrrun|yes|outside-code"
  "probe_dao360|Project_DAO360|yes|outside-code"
  "probe_VELUtils|Project_VELUtils|yes|outside-code"
  "probe_VELEditControl|Project_VELEditControl|no|outside-code"
  "probe_VELTreeView|Project_VELTreeView|no|outside-code"
  "probe_VELGraphControl|Project_dvGraph|yes|outside-code"
  "probe_mscomct2|Project_mscomct2|yes|outside-code"
  "probe_VELvbutils|Project_vbUtils|yes|outside-code"
  "probe_graph32|Project_graph32|yes|outside-code"
  "probe_msflxgrd|Project_msflxgrd|yes|outside-code"
  "probe_tabctl32|Project_tabctl32|yes|outside-code"
  "probe_VELFileView|Project_VELFileView|no|outside-code"
  "probe_grid32|Project_grid32|yes|outside-code"
  "probe_VELControlResizer|Project_dvResizer|yes|outside-code"
  "probe_VELPointTransform|Project_dvPointTransform|yes|outside-code"
  "probe_VELSelectDir|Project_dvSelectDir|yes|outside-code"
  "probe_VELCoordProjection|Project_dvProjection|yes|outside-code"
  "probe_base|Project_base|yes|"
  "probe_spin32|Project_spin32|yes|outside-code"
  "probe_VELRotation|Project_dvRotation|yes|outside-code"
  "probe_VELProjection|Project_dvProjection|yes|outside-code"
  "kit_survey|kit_survey|yes|dpi-aware"
)

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
  message(FATAL_ERROR "program ${name} is not in the program table (cmake/kit_programs.cmake)")
endfunction()
