# Warnings for every target of the project.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# Drawing code is written in single precision, with no fused multiply-add.
add_compile_options(-ffp-contract=off)
