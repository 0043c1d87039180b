# The floating-point rules the signal code relies on: no contraction into fused multiply-adds
# and no fast-math, so that every sum and product is rounded exactly where the code says.
add_compile_options(-ffp-contract=off -fno-fast-math)

# Strict warnings for the Qt-free core.
function(mosaic_core_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion)
endfunction()

# Warnings for the Qt programs, tools and tests.
function(mosaic_app_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()
