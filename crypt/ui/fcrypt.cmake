# The main window and its painted controls and pictures.
target_sources(kuvo_crypt_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fcrypt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gauge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/textbox.cpp)
# Serving the input list to Change for erasing.
target_link_libraries(kuvo_crypt_ui PUBLIC kuvo_handover)
