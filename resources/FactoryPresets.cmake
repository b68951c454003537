# kavren_factory_presets(<entries-variable>)
#
# Compiles every resources/presets/<dir>/<Name>.preset into <Name>.fxp with tools/presetc (the effect's
# own state chunk behind an FXP header) and sets <entries-variable> to the resource store entries
# "presets/<dir>/<Name>.fxp=<file>". Call it in the folder of the target that links the store.
function(kavren_factory_presets entries_variable)
  set(source_root ${PROJECT_SOURCE_DIR}/resources/presets)
  set(output_root ${CMAKE_CURRENT_BINARY_DIR}/presets)
  file(GLOB_RECURSE sources RELATIVE ${source_root} CONFIGURE_DEPENDS ${source_root}/*.preset)
  list(SORT sources)
  set(outputs "")
  set(inputs "")
  set(entries "")
  foreach(source IN LISTS sources)
    string(REGEX REPLACE "\\.preset$" ".fxp" compiled "${source}")
    list(APPEND outputs ${output_root}/${compiled})
    list(APPEND inputs ${source_root}/${source})
    list(APPEND entries "presets/${compiled}=${output_root}/${compiled}")
  endforeach()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND presetc ${source_root} ${output_root} ${sources}
    DEPENDS presetc ${inputs}
    COMMENT "Compiling the factory presets"
    VERBATIM)
  set(${entries_variable} ${entries} PARENT_SCOPE)
endfunction()
