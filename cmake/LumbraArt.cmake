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

# lumbra_render_larger(SVG OUTPUT WIDTH HEIGHT [STYLESHEET css]): as lumbra_render, and also
# at twice and three times the size beside it (NAME@2x.png, NAME@3x.png), which the launcher
# takes where it shows a picture larger than its size: scaled with the screen or on a HiDPI
# screen.
function(lumbra_render_larger svg output width height)
    lumbra_render(${svg} ${output} ${width} ${height} ${ARGN})
    string(REGEX REPLACE "\\.png$" "" base ${output})
    foreach(factor 2 3)
        math(EXPR larger_width "${width} * ${factor}")
        math(EXPR larger_height "${height} * ${factor}")
        lumbra_render(${svg} ${base}@${factor}x.png ${larger_width} ${larger_height} ${ARGN})
    endforeach()
    set(LUMBRA_RENDERED ${LUMBRA_RENDERED} PARENT_SCOPE)
endfunction()
