// The shared library as a host sees it: load, exported names, start-up.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

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

// The names between "global:" and "local:" of the linker's version script.
std::set<std::string> namesInExportsMap() {
  std::ifstream map(TESSARY_EXPORTS_MAP);
  std::set<std::string> names;
  std::string word;
  bool global = false;
  while (map >> word) {
    if (word == "global:")
      global = true;
    else if (word == "local:")
      global = false;
    else if (global && word.back() == ';')
      names.insert(word.substr(0, word.size() - 1));
  }
  return names;
}

std::set<std::string> definedDynamicSymbols() {
  std::string command = std::string("nm -D --defined-only ") + TESSARY_SHARED_LIBRARY;
  std::set<std::string> names;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) names.insert(name);
  }
  pclose(pipe);
  return names;
}

TEST(Library, DynamicSymbolTableIsExactlyTheExportsMap) {
  std::set<std::string> expected = namesInExportsMap();
  ASSERT_GE(expected.size(), 30u);
  EXPECT_EQ(definedDynamicSymbols(), expected);

  void* library = dlopen(TESSARY_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  for (const std::string& name : expected)
    EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
  dlclose(library);
}

}  // namespace
}  // namespace tessary
