# Text encryption, Base64, passphrase rating and Crypt's command line.
target_sources(kuvo_crypt_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/base64.cpp
  ${CMAKE_CURRENT_LIST_DIR}/passphrase_rating.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cmdline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_crypt.cpp)
