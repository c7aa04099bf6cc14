# Shared compile settings, the headers each target offers, and the one helper that registers a
# test executable.

# ktr_target_headers(target folder)
# Offers the headers of `folder` (a path below the source root, such as link or tools/cli) to
# `target` and to every target that links it, under their usual names ("link/frame.h"), and no
# other file of the tree. The folder gets an include root of its own in the build tree that holds
# links to its headers alone (not to those of its subfolders), so that a file can include a
# header only when its target links, directly or through others, the target that owns it.
# A library offers them publicly, an interface library to its users, an executable to itself.
function(ktr_target_headers target folder)
    string(REPLACE "/" "_" name ${folder})
    set(root ${CMAKE_BINARY_DIR}/include/${name})
    # Made afresh at each configure, so that a removed header does not live on as a link; the
    # glob is checked at each build, so that an added one is linked without a manual configure.
    get_property(made GLOBAL PROPERTY KTR_HEADERS_${name})
    if(NOT made)
        set_property(GLOBAL PROPERTY KTR_HEADERS_${name} TRUE)
        file(REMOVE_RECURSE ${root})
        file(MAKE_DIRECTORY ${root}/${folder})
        file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/${folder}
             ${PROJECT_SOURCE_DIR}/${folder}/*.h)
        foreach(header IN LISTS headers)
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${header} ${root}/${folder}/${header}
                 SYMBOLIC)
        endforeach()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        set(scope INTERFACE)
    elseif(type STREQUAL "EXECUTABLE")
        set(scope PRIVATE)
    else()
        set(scope PUBLIC)
    endif()
    target_include_directories(${target} ${scope} ${root})
endfunction()

# Applies the project's warning level, language standard and sanitizer flags.
function(ktr_configure_target target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
        if(KTR_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
    endif()
    if(KTR_SANITIZE)
        target_compile_options(${target} PUBLIC -fsanitize=address,undefined
                                                -fno-sanitize-recover=undefined
                                                -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    endif()
endfunction()

# ktr_check_include_roots()
# Stops the configure when a target of the project offers or uses the repository root (or any
# folder of the source tree) as an include folder: through it any file could include any other,
# past the layers. Called once, after every folder has been added.
function(ktr_check_include_roots)
    set(folders ${PROJECT_SOURCE_DIR})
    while(folders)
        list(POP_FRONT folders folder)
        get_directory_property(subfolders DIRECTORY ${folder} SUBDIRECTORIES)
        get_directory_property(targets DIRECTORY ${folder} BUILDSYSTEM_TARGETS)
        list(APPEND folders ${subfolders})
        foreach(target IN LISTS targets)
            foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES)
                get_target_property(includes ${target} ${property})
                foreach(include IN LISTS includes)
                    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${include}" NORMALIZE in_tree)
                    cmake_path(IS_PREFIX PROJECT_BINARY_DIR "${include}" NORMALIZE in_build)
                    if(in_tree AND NOT in_build)
                        message(FATAL_ERROR "${target} takes headers straight from ${include}; "
                                "offer them with ktr_target_headers instead")
                    endif()
                endforeach()
            endforeach()
        endforeach()
    endwhile()
endfunction()

# ktr_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [ENVIRONMENT ...] [TIMEOUT s]
#              [EMULATED_FILTER filter])
# Builds one GoogleTest executable and registers its tests with CTest. EMULATED_FILTER is a
# --gtest_filter for runs through the cross build's emulator (Wine), for tests that need what
# the emulator does not give.
function(ktr_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT;EMULATED_FILTER" "SOURCES;LIBS;LABELS;ENVIRONMENT"
                          ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    ktr_configure_target(${T_NAME})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    include(GoogleTest)
    set(properties TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
        list(APPEND properties LABELS "${T_LABELS}")
    endif()
    if(T_ENVIRONMENT)
        list(APPEND properties ENVIRONMENT "${T_ENVIRONMENT}")
    endif()
    if(CMAKE_CROSSCOMPILING)
        # Each start goes through the emulator (Wine), so the whole executable is one test
        # rather than one start per test case.
        set(filter)
        if(T_EMULATED_FILTER)
            set(filter "--gtest_filter=${T_EMULATED_FILTER}")
        endif()
        add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1 ${filter})
        set_tests_properties(${T_NAME} PROPERTIES ${properties})
    else()
        gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
    endif()
endfunction()

# ktr_add_lab_test(NAME name SOURCES ... LIBS ... [TIMEOUT s])
# Builds a GoogleTest executable that talks to simulated devices and registers it as one CTest
# test run inside the virtual lab's PC namespace (scripts/lab exec). The lab is brought up and
# down by the "lab" fixture. Without root the lab refuses and the test reports itself skipped.
function(ktr_add_lab_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    ktr_configure_target(${T_NAME})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    add_test(NAME ${T_NAME}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/lab exec -- $<TARGET_FILE:${T_NAME}>)
    set_tests_properties(${T_NAME} PROPERTIES
        FIXTURES_REQUIRED lab
        RESOURCE_LOCK lab
        LABELS lab
        SKIP_RETURN_CODE 77
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "KTR_SIM=$<TARGET_FILE:ktr-sim>;KTR_LAB=${PROJECT_SOURCE_DIR}/scripts/lab;${T_ENVIRONMENT}")
endfunction()

# ktr_add_icons(QRC name SIZES s1 s2 ... ICONS id1 svg1 id2 svg2 ...)
# Renders each SVG icon to square images of the given edge lengths at build time (rsvg-convert,
# then ktr_icon_pixels to bare RGBA pixels) and compiles them into the Qt resource `name` as
# ":/icons/<id>/<edge>.rgba", so that the programs need neither QtSvg nor any image decoder or
# plugin to show them. The generated C++ source of the resource is returned in the variable
# `name`_SOURCES for the caller to add to a target; Q_INIT_RESOURCE(name) registers it.
function(ktr_add_icons)
    cmake_parse_arguments(I "" "QRC" "SIZES;ICONS" ${ARGN})
    find_program(KTR_RSVG_CONVERT rsvg-convert REQUIRED)
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${I_QRC}_icons)
    set(entries "")
    set(outputs "")
    set(icons ${I_ICONS})
    while(icons)
        list(POP_FRONT icons id svg)
        cmake_path(ABSOLUTE_PATH svg BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
        foreach(edge IN LISTS I_SIZES)
            set(png ${dir}/${id}/${edge}.png)
            set(pixels ${dir}/${id}/${edge}.rgba)
            add_custom_command(OUTPUT ${pixels}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/${id}
                COMMAND ${KTR_RSVG_CONVERT} --width=${edge} --height=${edge} --output=${png} ${svg}
                COMMAND ktr_icon_pixels ${png} ${pixels}
                DEPENDS ${svg} ktr_icon_pixels
                COMMENT "Rendering icon ${id} at ${edge} px"
                VERBATIM)
            list(APPEND outputs ${pixels})
            string(APPEND entries "        <file>${id}/${edge}.rgba</file>\n")
        endforeach()
    endwhile()
    set(qrc ${dir}/${I_QRC}.qrc)
    file(CONFIGURE OUTPUT ${qrc} CONTENT
"<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n    <qresource prefix=\"/icons\">\n${entries}    </qresource>\n</RCC>\n")
    qt6_add_resources(sources ${qrc})
    # rcc reads the renderings, so it runs after them.
    add_custom_command(OUTPUT ${sources} APPEND DEPENDS ${outputs})
    set_source_files_properties(${sources} PROPERTIES SKIP_AUTOGEN ON)
    set(${I_QRC}_SOURCES ${sources} PARENT_SCOPE)
endfunction()

# ktr_add_windows_icon(OUTPUT file.ico SVG icon.svg SIZES s1 s2 ...)
# Renders the SVG at each edge length (rsvg-convert) and packs the renderings into a Windows icon
# file (ktr_icon_file, run through the emulator in a cross build) for a resource script.
function(ktr_add_windows_icon)
    cmake_parse_arguments(I "" "OUTPUT;SVG" "SIZES" ${ARGN})
    find_program(KTR_RSVG_CONVERT rsvg-convert REQUIRED)
    cmake_path(ABSOLUTE_PATH I_SVG BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
    cmake_path(GET I_OUTPUT PARENT_PATH dir)
    cmake_path(GET I_OUTPUT STEM stem)
    set(renders "")
    set(commands "")
    foreach(edge IN LISTS I_SIZES)
        set(png ${dir}/${stem}-${edge}.png)
        list(APPEND renders ${png})
        list(APPEND commands
             COMMAND ${KTR_RSVG_CONVERT} --width=${edge} --height=${edge} --output=${png} ${I_SVG})
    endforeach()
    add_custom_command(OUTPUT ${I_OUTPUT}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        ${commands}
        COMMAND ktr_icon_file ${I_OUTPUT} ${renders}
        DEPENDS ${I_SVG} ktr_icon_file
        COMMENT "Packing the Windows icon ${stem}"
        VERBATIM)
endfunction()
