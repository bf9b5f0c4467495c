# add_kit_program(<name> SOURCES ... [LIBS ...]): one program of the kit, with the kit's icon,
# its version resource and its manifest generated from the program table, and linked as its
# traits there say. On a native build it does nothing: programs exist only for Windows.
function(add_kit_program name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  kit_program_strings(${name} KIT_PRODUCT_NAME has_company traits)
  set(KIT_INTERNAL_NAME ${name})
  set(KIT_ICON_FILE ${KIT_ROOT}/common/resources/kit.ico)
  if(has_company STREQUAL "yes")
    set(KIT_COMPANY_LINE "VALUE \"CompanyName\", \"${KIT_COMPANY_NAME}\"")
  else()
    set(KIT_COMPANY_LINE "")
  endif()
  kit_program_manifest(${name} "${traits}" KIT_MANIFEST_FILE)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${name}_resources.rc)
  configure_file(${KIT_ROOT}/cmake/program_resources.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${KIT_MANIFEST_FILE})
  set(subsystem WIN32)
  if(" ${traits} " MATCHES " console ")
    set(subsystem "")
  endif()
  add_executable(${name} ${subsystem} ${P_SOURCES} ${rc} $<TARGET_OBJECTS:kit_program_runtime>)
  target_compile_definitions(${name} PRIVATE KIT_PROGRAM_NAME=${name})
  target_link_libraries(${name} PRIVATE ${P_LIBS})
  # Optimised as a whole unless the program's KIT_PLAIN_LINK property says otherwise.
  target_link_options(${name} PRIVATE -municode $<$<CONFIG:Release>:-s>
                      $<$<AND:$<CONFIG:Release>,$<NOT:$<BOOL:$<TARGET_PROPERTY:KIT_PLAIN_LINK>>>>:-flto>)
  if(KIT_PROGRAM_SECTIONS)
    # The small sections folded into their neighbours (cmake/program_sections.cmake).
    target_link_options(${name} PRIVATE -Wl,-T,${KIT_PROGRAM_SECTIONS})
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${KIT_PROGRAM_SECTIONS})
  endif()
  if(" ${traits} " MATCHES " outside-code ")
    # Data execution prevention stays as the system applies it to the applications whose controls
    # the program loads; the base address is still randomised.
    target_link_options(${name} PRIVATE -Wl,--disable-nxcompat)
  endif()
  set_property(GLOBAL APPEND PROPERTY KIT_PROGRAMS ${name})
endfunction()

# kit_program_manifest(<name> <traits> <file-var>): writes the program's application manifest from
# the one template (cmake/program.manifest.in) and names the file in <file-var>. The program runs
# as the invoker, so on Vista and later its writes go where it asks or fail, never to the per-user
# virtual store. The form is the one Windows XP accepts: the identity first, the trustInfo in the
# asm.v3 namespace declared on the element itself, nothing before the root element. No dependency
# on common controls 6: the windows keep the look of the applications the kit stands beside.
function(kit_program_manifest name traits file_var)
  string(REPLACE " " "" KIT_MANIFEST_COMPANY "${KIT_COMPANY_NAME}")
  set(KIT_MANIFEST_NAME ${name})
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "64")
    set(KIT_MANIFEST_ARCHITECTURE amd64)
  else()
    set(KIT_MANIFEST_ARCHITECTURE x86)
  endif()
  if(" ${traits} " MATCHES " dpi-aware ")
    # The namespaces Vista introduced; XP passes over elements of namespaces it does not know.
    set(KIT_MANIFEST_APPLICATION [=[
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>
    </windowsSettings>
  </application>]=])
    string(PREPEND KIT_MANIFEST_APPLICATION "\n")
  else()
    set(KIT_MANIFEST_APPLICATION "")
  endif()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${name}.manifest)
  configure_file(${KIT_ROOT}/cmake/program.manifest.in ${file} @ONLY)
  set(${file_var} ${file} PARENT_SCOPE)
endfunction()
