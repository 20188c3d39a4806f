# Third-party libraries, all from Debian packages (see `make deps`).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)

# oneTBB: the parallel layer's loops and reductions.
find_package(TBB CONFIG REQUIRED)
# OpenBLAS through CBLAS: the dense products of the regression and GLS code.
pkg_check_modules(OPENBLAS REQUIRED IMPORTED_TARGET openblas)
# SLEEF: vectorised elementary functions of the evaluator.
pkg_check_modules(SLEEF REQUIRED IMPORTED_TARGET sleef)
# shapelib (.shp, .shx, .dbf) and Clipper (polygon union) for the spatial tools.
pkg_check_modules(SHAPELIB REQUIRED IMPORTED_TARGET shapelib)
pkg_check_modules(POLYCLIPPING REQUIRED IMPORTED_TARGET polyclipping)
# nlohmann-json: the tool's fitted-model and estimate files, and the description an
# export writes beside its CSV file (read back by the import).
find_package(nlohmann_json CONFIG REQUIRED)
# Random123 is header only: counter-based generators keyed by seed and record.
find_path(RANDOM123_INCLUDE_DIR Random123/philox.h REQUIRED)
add_library(Random123 INTERFACE)
target_include_directories(Random123 SYSTEM INTERFACE ${RANDOM123_INCLUDE_DIR})

set(TESSARY_THIRD_PARTY Threads::Threads TBB::tbb PkgConfig::OPENBLAS PkgConfig::SLEEF
    PkgConfig::SHAPELIB PkgConfig::POLYCLIPPING Random123 nlohmann_json::nlohmann_json)

# ReadStat (Stata, SPSS and SAS files) is an optional part of the library's import:
# without it the library imports CSV files only. Its Debian package ships no pkg-config
# file, so the header and library are looked up directly when pkg-config does not know
# it.
option(TESSARY_WITH_READSTAT "Import Stata, SPSS and SAS files through ReadStat" ON)
set(TESSARY_READSTAT "")
if(TESSARY_WITH_READSTAT)
  pkg_check_modules(READSTAT QUIET IMPORTED_TARGET readstat)
  if(READSTAT_FOUND)
    set(TESSARY_READSTAT PkgConfig::READSTAT)
  else()
    find_path(READSTAT_INCLUDE_DIR readstat.h)
    find_library(READSTAT_LIBRARY readstat)
    if(READSTAT_INCLUDE_DIR AND READSTAT_LIBRARY)
      add_library(ReadStat::ReadStat UNKNOWN IMPORTED)
      set_target_properties(ReadStat::ReadStat PROPERTIES
        IMPORTED_LOCATION ${READSTAT_LIBRARY}
        INTERFACE_INCLUDE_DIRECTORIES ${READSTAT_INCLUDE_DIR})
      set(TESSARY_READSTAT ReadStat::ReadStat)
    else()
      message(STATUS "ReadStat not found: the library imports CSV files only")
      set(TESSARY_WITH_READSTAT OFF)
    endif()
  endif()
endif()
list(APPEND TESSARY_THIRD_PARTY ${TESSARY_READSTAT})
find_package(CLI11 CONFIG REQUIRED)
