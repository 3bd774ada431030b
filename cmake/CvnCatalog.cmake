# cvn_add_catalog(<target> <source.txt> <language-id> <output-directory>)
# Compiles a message source into the resource module <target>.lrl in
# <output-directory>, a module LoadLibrary and LoadString read.
function(cvn_add_catalog target source language_id output_directory)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}.cpp)
  add_custom_command(
    OUTPUT ${generated}
    COMMAND catalog_compiler ${source} ${generated} ${language_id}
    DEPENDS catalog_compiler ${source}
    COMMENT "Compiling message catalog ${source}")
  add_library(${target} MODULE ${generated})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX ".lrl" OUTPUT_NAME ${target}
    LIBRARY_OUTPUT_DIRECTORY ${output_directory})
endfunction()
