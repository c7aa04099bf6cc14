# Makes the guide's HTML pages with pandoc, after checking that every picture they show is there.
#   cmake -DPANDOC=pandoc -DSOURCE=docs/guide -DPICTURES=DIR -DOUTPUT=DIR -P build_guide.cmake
# Fails, naming them, when a picture is missing or a link inside a page leads nowhere.
cmake_minimum_required(VERSION 3.25)

set(pages index en)
set(missing "")
set(shown "")
foreach(page ${pages})
    file(READ ${SOURCE}/${page}.md text)
    string(REGEX MATCHALL "\\(pictures/[^)]+\\)" references "${text}")
    foreach(reference ${references})
        string(REGEX REPLACE "^\\(pictures/(.+)\\)$" "\\1" name "${reference}")
        list(APPEND shown ${name})
        if(NOT EXISTS ${PICTURES}/${name})
            list(APPEND missing "${page}.md: ${PICTURES}/${name}")
        endif()
    endforeach()
endforeach()
if(missing)
    list(JOIN missing "\n  " missing)
    message(FATAL_ERROR "guide: pictures missing (scripts/guide-pictures makes them):\n  ${missing}")
endif()

file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT}/pictures)
list(REMOVE_DUPLICATES shown)
foreach(name ${shown})
    file(COPY ${PICTURES}/${name} DESTINATION ${OUTPUT}/pictures)
endforeach()
file(COPY ${SOURCE}/guide.css DESTINATION ${OUTPUT})

foreach(page ${pages})
    if(page STREQUAL "index")
        set(toc_title "目录")
    else()
        set(toc_title "Contents")
    endif()
    execute_process(
        COMMAND ${PANDOC} --from markdown --to html5 --standalone --template ${SOURCE}/template.html
                --no-highlight --toc --toc-depth=2 --number-sections --metadata toc-title=${toc_title}
                --output ${OUTPUT}/${page}.html ${SOURCE}/${page}.md
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "guide: pandoc failed on ${page}.md (${status})")
    endif()
    # A link to a section that has no such heading would lead nowhere.
    file(READ ${OUTPUT}/${page}.html html)
    string(REGEX MATCHALL "href=\"#[^\"]+\"" links "${html}")
    foreach(link ${links})
        string(REGEX REPLACE "^href=\"#(.*)\"$" "\\1" target "${link}")
        string(FIND "${html}" "id=\"${target}\"" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "guide: ${page}.md links to #${target}, which is no heading")
        endif()
    endforeach()
endforeach()
