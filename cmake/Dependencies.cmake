# Third-party libraries, all from Debian packages (see `make deps`).
find_package(Threads REQUIRED)
set(TESSARY_THIRD_PARTY Threads::Threads)

# ReadStat (Stata, SPSS and SAS files) serves the command-line tool only. Its Debian
# package ships no pkg-config file, so the header and library are looked up directly
# when pkg-config does not know it.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(READSTAT QUIET IMPORTED_TARGET readstat)
endif()
if(READSTAT_FOUND)
  set(TESSARY_READSTAT PkgConfig::READSTAT)
else()
  find_path(READSTAT_INCLUDE_DIR readstat.h REQUIRED)
  find_library(READSTAT_LIBRARY readstat REQUIRED)
  add_library(ReadStat::ReadStat UNKNOWN IMPORTED)
  set_target_properties(ReadStat::ReadStat PROPERTIES
    IMPORTED_LOCATION ${READSTAT_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${READSTAT_INCLUDE_DIR})
  set(TESSARY_READSTAT ReadStat::ReadStat)
endif()
