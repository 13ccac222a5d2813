# The warning set every target of the project compiles with.
add_library(korvane_warnings INTERFACE)
target_compile_options(korvane_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wnon-virtual-dtor -Woverloaded-virtual
    -Wcast-qual -Wformat=2 -Wimplicit-fallthrough -Wmissing-declarations -Wundef)
if(KORVANE_WERROR)
    target_compile_options(korvane_warnings INTERFACE -Werror)
endif()
