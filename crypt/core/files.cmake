# Container format, input list rules and the file operations.
target_sources(kuvo_crypt_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/trailer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stored_name.cpp
  ${CMAKE_CURRENT_LIST_DIR}/input_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ops_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/encrypt_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/decrypt_files.cpp)
