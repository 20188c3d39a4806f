// The shared library as a host sees it: load, exported names, start-up.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "frame/missing.h"
#include "tessary.h"

namespace tessary {
namespace {

TEST(Library, MissingIsPositiveInfinityFromStartUp) {
  std::uint64_t bits;
  std::memcpy(&bits, &MISSING, sizeof bits);
  EXPECT_EQ(bits, 0x7FF0000000000000ULL);
  EXPECT_FALSE(std::isfinite(MISSING));
}

TEST(Library, RgVersionWritesFourBytesAndReturnsItsArgument) {
  char buffer[6] = {'x', 'x', 'x', 'x', '#', '#'};
  EXPECT_EQ(RgVersion(buffer), buffer);
  EXPECT_EQ(std::memcmp(buffer, "101\0##", 6), 0);
}

TEST(Library, SharedLibraryExportsPlainNamesOnly) {
  void* library = dlopen(TESSARY_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  for (const char* name : {"RgVersion", "stringsTest", "TessarySetMessageHandler", "linearEq",
                           "minverse", "mmultiply", "svdcmp", "Univariate", "CrossTabulate", "summaryByShiftedID"})
    EXPECT_NE(dlsym(library, name), nullptr) << name;
  // Internal routines stay hidden.
  for (const char* name :
       {"_ZN7tessary8luExtendEPdi",
        "_ZN7tessary12raiseFailureENSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE"})
    EXPECT_EQ(dlsym(library, name), nullptr) << name;

  using Version = char* (*)(char*);
  auto version = reinterpret_cast<Version>(dlsym(library, "RgVersion"));
  char buffer[4];
  EXPECT_STREQ(version(buffer), "101");
  dlclose(library);
}

}  // namespace
}  // namespace tessary
