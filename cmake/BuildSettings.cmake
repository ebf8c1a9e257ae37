# Settings every target of the project shares.
add_library(md_build_settings INTERFACE)
target_compile_features(md_build_settings INTERFACE cxx_std_20)
target_compile_options(md_build_settings INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual
  $<$<BOOL:${MD_WERROR}>:-Werror>)
target_compile_definitions(md_build_settings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_KEYWORDS)

if(MD_SANITIZERS)
  string(REPLACE ";" "," md_sanitizer_list "${MD_SANITIZERS}")
  target_compile_options(md_build_settings INTERFACE
    -fsanitize=${md_sanitizer_list} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(md_build_settings INTERFACE -fsanitize=${md_sanitizer_list})
endif()
