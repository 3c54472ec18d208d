# cmake -DCHECK=<LayerCheck.cmake> -DSCRATCH=<folder> -P LayerCheckTest.cmake
# Runs the layer check on a small tree that keeps every rule, then on copies of it with
# one include added each: the check must pass the first and stop each copy with a line
# naming the file that broke the rule.

set(base ${SCRATCH}/base)
file(REMOVE_RECURSE ${SCRATCH})
# "path|content" for every file of the tree that keeps the rules.
set(tree
    "common/Bytes.h|#include <cstdint>"
    "common/qt/QtBytes.h|#include <QByteArray>\n#include \"common/Bytes.h\""
    "adapter/Link.h|#include \"common/Bytes.h\"\n#include \"adapter/wire/Frame.h\""
    "adapter/wire/Frame.h|#include \"common/Bytes.h\""
    "adapter/hid/Handle.h|#include \"adapter/wire/Frame.h\""
    "programmer/buffer/Image.cpp|#include \"adapter/Link.h\"\n#include \"Image.h\""
    "programmer/buffer/Image.h|#include <queue>"
    "programmer/app/Window.cpp|#include <QDialog>\n#include \"common/qt/QtBytes.h\"\n#include \"hexview/qt/View.h\""
    "programmer/form/qt/Page.cpp|#include <QPainter>"
    "hexview/Layout.h|#include \"common/Bytes.h\""
    "hexview/qt/View.h|#include <QWidget>\n#include \"hexview/Layout.h\""
    "tavro/emulator/Model.cpp|#include \"adapter/wire/Frame.h\"\n#include \"adapter/hid/Handle.h\""
    "cli/Form.cpp|#include <QPrinter>\n#include \"programmer/form/qt/Page.h\""
    "tests/support/Fixture.h|#include <QTemporaryDir>\n#include \"programmer/app/Window.h\""
    "bench/Timing.h|"
    "fuzz/Inputs.h|")
foreach(entry IN LISTS tree)
    string(REGEX REPLACE "\\|.*" "" path "${entry}")
    string(REGEX REPLACE "^[^|]*\\|" "" content "${entry}")
    file(WRITE ${base}/${path} "#pragma once\n${content}\n")
endforeach()
file(WRITE ${base}/programmer/form/qt/Page.h "#pragma once\n")

function(run_check tree result output)
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${CHECK}
        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
    set(${result} ${code} PARENT_SCOPE)
    set(${output} "${out}" PARENT_SCOPE)
endfunction()

run_check(${base} code out)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "The tree that keeps the rules fails the check:\n${out}")
endif()

# "file that gets the include|the include|what the failure line must say"
set(cases
    "common/Bytes.h|#include <QString>|is Qt outside a Qt folder"
    "hexview/Layout.h|#include <QRect>|is Qt outside a Qt folder"
    "programmer/buffer/Image.h|#include <qglobal.h>|is Qt outside a Qt folder"
    "programmer/buffer/Image.cpp|#include \"common/qt/QtBytes.h\"|brings a Qt folder's header"
    "hexview/Layout.h|#include \"programmer/buffer/Image.h\"|reaches programmer/buffer/"
    "hexview/qt/View.h|#include \"adapter/Link.h\"|reaches adapter/"
    "programmer/buffer/Image.cpp|#include \"tests/support/Fixture.h\"|reaches tests/support/"
    "cli/Form.cpp|#include \"bench/Timing.h\"|reaches bench/"
    "adapter/Link.h|#include \"Inputs.h\"|reaches fuzz/"
    "adapter/wire/Frame.h|#include \"adapter/Link.h\"|reaches adapter/"
    "tavro/emulator/Model.cpp|#include \"adapter/Link.h\"|reaches adapter/"
    "tavro/emulator/Model.cpp|#include \"programmer/buffer/Image.h\"|reaches programmer/buffer/"
    "common/Bytes.h|#include \"adapter/wire/Frame.h\"|reaches adapter/wire/")
set(index 0)
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 path)
    list(GET fields 1 include)
    list(GET fields 2 expected)
    math(EXPR index "${index} + 1")
    set(copy ${SCRATCH}/case${index})
    file(COPY ${base}/ DESTINATION ${copy})
    file(APPEND ${copy}/${path} "${include}\n")
    run_check(${copy} code out)
    string(REGEX MATCH "  ${path}: [^\n]*" line "${out}")
    if(code EQUAL 0 OR NOT line MATCHES "${expected}")
        message(SEND_ERROR "${path} with ${include}: expected a failure saying \"${expected}\", "
            "got (${code}):\n${out}")
    endif()
endforeach()
