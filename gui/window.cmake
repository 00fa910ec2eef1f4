target_sources(talvor_gui PRIVATE placeholder.cpp)
