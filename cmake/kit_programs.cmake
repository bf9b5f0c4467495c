# The per-program strings of the version resource, one row per program of the kit:
#   name | ProductName | whether "CompanyName" is present
# add_kit_program() looks a program up here, so its resources come from data.
set(KIT_COMPANY_NAME "VEL Systems")
set(KIT_PROGRAM_TABLE
  "Dravon_DLLVer|DravonDLLVer|yes"
  "HalvardDLLVer|HalvardDLLVer|yes"
  "probe_cmdlg|Project_cmdlg|yes"
  "probe_VELGridView32|Project_VELGridViewer|no"
  "probe_richtx32|Project_richtx32|yes"
  "probe_threed32|Project_threed32|yes"
  "probe_ado26|Project_ADO26|yes"
  "probe_mscomctl|Project_mscomctl|yes"
  "probe_scrrun|Project_scrrun|yes"
  "probe_dao360|Project_DAO360|yes"
  "probe_VELUtils|Project_VELUtils|yes"
  "probe_VELEditControl|Project_VELEditControl|no"
  "probe_VELTreeView|Project_VELTreeView|no"
  "probe_VELGraphControl|Project_dvGraph|yes"
  "probe_mscomct2|Project_mscomct2|yes"
  "probe_VELvbutils|Project_vbUtils|yes"
  "probe_graph32|Project_graph32|yes"
  "probe_msflxgrd|Project_msflxgrd|yes"
  "probe_tabctl32|Project_tabctl32|yes"
  "probe_VELFileView|Project_VELFileView|no"
  "probe_grid32|Project_grid32|yes"
  "probe_VELControlResizer|Project_dvResizer|yes"
  "probe_VELPointTransform|Project_dvPointTransform|yes"
  "probe_VELSelectDir|Project_dvSelectDir|yes"
  "probe_VELCoordProjection|Project_dvProjection|yes"
  "probe_base|Project_base|yes"
  "probe_spin32|Project_spin32|yes"
  "probe_VELRotation|Project_dvRotation|yes"
  "probe_VELProjection|Project_dvProjection|yes"
  "kit_survey|kit_survey|yes"
)

# kit_program_strings(<name> <product-var> <company-var>): the row of <name>, or a fatal error.
function(kit_program_strings name product_var company_var)
  foreach(row IN LISTS KIT_PROGRAM_TABLE)
    string(REPLACE "|" ";" cells "${row}")
    list(GET cells 0 row_name)
    if(row_name STREQUAL name)
      list(GET cells 1 product)
      list(GET cells 2 company)
      set(${product_var} "${product}" PARENT_SCOPE)
      set(${company_var} "${company}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "program ${name} is not in the program table (cmake/kit_programs.cmake)")
endfunction()
