# target_sources(kuvo_crypt_core PRIVATE ...)
