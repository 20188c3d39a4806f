// Replacing a data array's files: a crash at any rename or removal leaves, once the
// data array is opened again, exactly the old files or exactly the new ones.
#include "data/data_array_replacement.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "data_fixture.h"

namespace tessary {
namespace {

using testing::readFile;

using FileSet = std::map<std::string, std::string>;

// Builds a data array at `stem` with one variable and, when asked, labels.
FileSet build(const std::string& stem, std::uint32_t records, double value, bool labels) {
  createDataArray(stem + ".daH", records);
  testing::storeVariable(stem + ".daH", "v", std::vector<double>(records, value), 'C');
  if (labels) testing::writeFile(stem + ".daL", "[V]\n1=one\n");
  FileSet files;
  for (const char* extension : {".daD", ".msk", ".daL", ".daH"})
    if (std::filesystem::exists(stem + extension)) files[extension] = readFile(stem + extension);
  return files;
}

TEST(DataArrayReplacement, ACrashAtAnyStepLeavesTheOldOrTheNewDataArray) {
  GTEST_FLAG_SET(death_test_style, "fast");
  for (const bool oldHasLabels : {true, false}) {
    // Steps: the marker's rename, three or four files moved aside, four or three
    // moved in, the marker's removal (the commit); stopping at step 10 is not stopping.
    for (int stopAt = 1; stopAt <= 10; ++stopAt) {
      testing::ScratchDir dir;
      const std::string stem = dir.file("set");
      const FileSet old = build(stem, 10, 1, oldHasLabels);
      StagingDirectory staging(stem, kDataArrayStaging);
      const FileSet fresh = build(staging.file("set"), 20, 2, !oldHasLabels);
      EXPECT_EXIT(
          {
            int steps = 0;
            setFaultHook([&](FileOperation operation, std::string_view) {
              const bool step =
                  operation == FileOperation::kRename || operation == FileOperation::kRemove;
              if (step && ++steps == stopAt) std::_Exit(0);
              return 0;
            });
            replaceDataArray(staging, stem);
            std::_Exit(0);
          },
          ::testing::ExitedWithCode(0), "");
      DataArray reopened;
      reopened.open(stem + ".daH");
      reopened.loadHeader();
      // The data array's own files, its marker among them while one is left (a crash
      // may leave hidden staging files beside them).
      FileSet now;
      for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().stem() == "set")
          now[entry.path().extension().string()] = readFile(entry.path().string());
      EXPECT_TRUE(now == old || (now == fresh && stopAt > 1)) << "stopped at step " << stopAt;
      EXPECT_EQ(now == fresh, stopAt == 10) << "stopped at step " << stopAt;
    }
  }
}

TEST(DataArrayReplacement, ADamagedMarkerIsReportedAndTouchesNothing) {
  testing::ScratchDir dir;
  const FileSet old = build(dir.file("set"), 4, 1, true);
  std::filesystem::create_directory(dir.file("other"));
  for (const std::string& marker :
       {std::string("other\n.daD\n"), std::string(".set.import-x\nfoo\n")}) {
    testing::writeFile(dir.file("set.daJ"), marker);
    EXPECT_EQ(testing::failureText([&] { recoverDataArray(dir.file("set")); }),
              dir.file("set") +
                  ": an interrupted replacement of the data array could not be rolled back (" +
                  dir.file("set.daJ") + " is damaged).\n");
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("other")));
  EXPECT_EQ(readFile(dir.file("set.daD")), old.at(".daD"));
}

}  // namespace
}  // namespace tessary
