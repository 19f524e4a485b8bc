target_sources(kuvo_crypt_ui PRIVATE frmtast.cpp cmdmail.cpp)
