# Every library below is a Debian 12 package that scripts/setup installs.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ICU 72 REQUIRED COMPONENTS uc i18n data)
find_package(SQLite3 REQUIRED)
find_package(OpenSSL 3 REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(pugixml REQUIRED)
find_package(uriparser REQUIRED)
find_package(Freetype REQUIRED)
pkg_check_modules(UUID REQUIRED IMPORTED_TARGET uuid)

function(kelvo_link_dependencies target)
  target_link_libraries(${target}
    PUBLIC nlohmann_json::nlohmann_json
    PRIVATE ICU::i18n ICU::uc ICU::data SQLite::SQLite3 OpenSSL::Crypto pugixml::pugixml
            uriparser::uriparser Freetype::Freetype PkgConfig::UUID Threads::Threads)
endfunction()
