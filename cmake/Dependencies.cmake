# Third-party libraries, all from Debian packages (see `make deps`).
find_package(Threads REQUIRED)
set(TESSARY_THIRD_PARTY Threads::Threads)
