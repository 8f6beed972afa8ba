# Warnings are errors everywhere in our own code.
add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor
                    -Wno-missing-field-initializers)
# GCC 12 reports std::string concatenation at -O2/-O3 as overlapping memcpy (its bug 105329);
# the warning has no true positives in our code and would stop every optimised build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
