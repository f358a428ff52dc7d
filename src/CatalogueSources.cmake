# The catalogue (loader, writer, Windows-1251 text), the runtime generator
# with the advertising keys drawn from it, the shared state and the search's
# matching: Qt Core only. The program's library, the catalogue tool and the
# fuzz targets (fuzz/CMakeLists.txt, built with clang) all build it from this list.
set(MIRELKA_CATALOGUE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/app/Declare.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app/RuntimeRandom.cpp
    ${CMAKE_CURRENT_LIST_DIR}/catalogue/CatalogueTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/catalogue/CatalogueWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/catalogue/Cp1251.cpp
    ${CMAKE_CURRENT_LIST_DIR}/catalogue/OpenMultM.cpp
    ${CMAKE_CURRENT_LIST_DIR}/search/SearchM.cpp
    ${CMAKE_CURRENT_LIST_DIR}/web/AdKey.cpp)
