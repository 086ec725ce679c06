# Warnings and sanitizers for every target of the project.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(VELTO_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(VELTO_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT VELTO_SANITIZE STREQUAL "")
    message(FATAL_ERROR "VELTO_SANITIZE must be empty, address or thread")
endif()

if(VELTO_TARGET STREQUAL "sim")
    add_compile_definitions(VELTO_SIM=1)
else()
    add_compile_definitions(VELTO_BOARD=1)
endif()
