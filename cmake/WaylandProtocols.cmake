# lumora_wayland_client_protocols(TARGET XML...): the client header and code
# of each Wayland protocol, made by wayland-scanner in the build tree and
# compiled into TARGET; the headers are included as "<name>-client-protocol.h".
function(lumora_wayland_client_protocols target)
  find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-protocols)
  file(MAKE_DIRECTORY ${out})
  foreach(xml ${ARGN})
    get_filename_component(base ${xml} NAME_WE)
    add_custom_command(OUTPUT ${out}/${base}-client-protocol.h ${out}/${base}-protocol.c
      COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${out}/${base}-client-protocol.h
      COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${out}/${base}-protocol.c
      DEPENDS ${xml} VERBATIM)
    target_sources(${target} PRIVATE ${out}/${base}-client-protocol.h ${out}/${base}-protocol.c)
  endforeach()
  target_include_directories(${target} PRIVATE ${out})
endfunction()
