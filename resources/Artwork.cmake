# kavren_artwork(<entries-variable> <high-resolution-entries-variable>)
#
# Draws the editor's bitmaps with tools/artwork at 100 %, 150 % and 200 % and sets the two variables to
# resource store entries "<Name>.png=<file>" (100 %) and "<Name>@1.5x.png=..." / "<Name>@2x.png=..."
# (the higher scales). Call it in the folder of the target that links the stores.
function(kavren_artwork entries_variable high_resolution_variable)
  set(names ArrowDownBig ArrowLeftBig ArrowRightBig Background dial54px_small dial87px HorizontalDip ledOff ledOn
      linkBtn MixDialFilmstrip)
  set(output_root ${CMAKE_CURRENT_BINARY_DIR}/artwork)
  set(outputs "")
  set(entries "")
  set(high_resolution "")
  foreach(name IN LISTS names)
    list(APPEND entries "${name}.png=${output_root}/${name}.png")
    list(APPEND outputs ${output_root}/${name}.png)
    foreach(suffix @1.5x @2x)
      list(APPEND high_resolution "${name}${suffix}.png=${output_root}/${name}${suffix}.png")
      list(APPEND outputs ${output_root}/${name}${suffix}.png)
    endforeach()
  endforeach()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${output_root}
    COMMAND artwork ${output_root}
    DEPENDS artwork
    COMMENT "Drawing the editor's artwork"
    VERBATIM)
  set(${entries_variable} ${entries} PARENT_SCOPE)
  set(${high_resolution_variable} ${high_resolution} PARENT_SCOPE)
endfunction()
