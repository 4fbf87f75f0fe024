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
    # Qt's JPEG plugin is loaded while the program runs, and the JPEG library it
    # brings keeps a thread-local variable. Such a block comes from malloc, and
    # GCC 12's leak checker takes a block that happens to start 16 bytes into a
    # page for a glibc 2.19 header, reads a range from the bytes before it and
    # crashes at exit ("Tracer caught signal 11") in about one run in ten.
    # Loaded at start-up, the library's thread-locals live in static TLS, which
    # the checker reads correctly.
    find_library(TAVIMO_JPEG_RUNTIME NAMES libjpeg.so.62 libjpeg.so.8 jpeg)
    if(TAVIMO_JPEG_RUNTIME)
        add_link_options(LINKER:--push-state,--no-as-needed ${TAVIMO_JPEG_RUNTIME}
                         LINKER:--pop-state)
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
