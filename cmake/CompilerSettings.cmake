# Settings every target of ours shares.

# The results must be bit-exact: no fused multiply-add, no fast math.
add_compile_options(-ffp-contract=off -fno-fast-math)

# Strict warnings for our own targets; link this interface library to them.
add_library(corvanta_warnings INTERFACE)
target_compile_options(corvanta_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
    -Wimplicit-fallthrough)
# Warnings are errors where CMAKE_COMPILE_WARNING_AS_ERROR is on, as the
# presets set it; `cmake --compile-no-warning-as-error` turns it off.

# Sanitizers for the asan preset.
option(CORVANTA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(CORVANTA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
