# The floating-point rules the signal code relies on: no contraction into fused multiply-adds
# and no fast-math, so that every sum and product is rounded exactly where the code says.
add_compile_options(-ffp-contract=off -fno-fast-math)

option(MOSAIC_WERROR "Treat warnings in the project's own code as errors" OFF)
if(MOSAIC_WERROR)
  set(MOSAIC_WERROR_FLAG -Werror)
endif()

# Strict warnings for the Qt-free core.
function(mosaic_core_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion ${MOSAIC_WERROR_FLAG})
endfunction()

# Warnings for the Qt programs, tools and tests.
function(mosaic_app_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic ${MOSAIC_WERROR_FLAG})
endfunction()
