# Instrumented builds, each in a build folder of its own (scripts/test --sanitize,
# scripts/fuzz). Undefined behaviour stops the program, so that a test fails on it.

if(TAVIMO_SANITIZE AND TAVIMO_FUZZ)
    message(FATAL_ERROR "TAVIMO_SANITIZE and TAVIMO_FUZZ are separate builds")
endif()

set(TAVIMO_UB_CHECKS undefined,float-cast-overflow)

if(TAVIMO_SANITIZE)
    # -O1 after the build type's -O2: compiles faster, and stack traces stay readable.
    add_compile_options(-O1 -fsanitize=address,${TAVIMO_UB_CHECKS} -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,${TAVIMO_UB_CHECKS})
    # GCC's flow analysis sees the instrumentation, not the program, and calls
    # initialised values "maybe uninitialized"; the plain build keeps the warning.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
endif()

if(TAVIMO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "libFuzzer targets need clang: -DCMAKE_CXX_COMPILER=clang++")
    endif()
    # The core is instrumented for coverage; each target links libFuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link,address,${TAVIMO_UB_CHECKS}
                        -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,${TAVIMO_UB_CHECKS})
endif()
