# Pictures are drawn as SVG and rendered to PNG at the exact size the settings or the dialogs
# show them, so that nothing is scaled on the screen.

# lumbra_render(SVG OUTPUT WIDTH HEIGHT [STYLESHEET css]): renders SVG to the PNG OUTPUT and
# appends OUTPUT to the list variable LUMBRA_RENDERED of the caller.
function(lumbra_render svg output width height)
    cmake_parse_arguments(PARSE_ARGV 4 arg "" "STYLESHEET" "")
    set(style_args)
    set(style_depends)
    if(arg_STYLESHEET)
        set(style_args --stylesheet ${arg_STYLESHEET})
        set(style_depends ${arg_STYLESHEET})
    endif()
    get_filename_component(folder ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${RSVG_CONVERT} ${style_args} --width ${width} --height ${height}
                --output ${output} ${svg}
        DEPENDS ${svg} ${style_depends}
        VERBATIM)
    set(LUMBRA_RENDERED ${LUMBRA_RENDERED} ${output} PARENT_SCOPE)
endfunction()
