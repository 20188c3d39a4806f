#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "support/message_printer.h"
#include "support/progress_bar.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

TEST(MessagePrinter, OneCaptionedLinePerMessage) {
  const struct {
    const char* caption;
    const char* text;
    const char* line;
  } cases[] = {
      {"updateVariable", "Invalid mask length.\n", "updateVariable: Invalid mask length.\n"},
      {"msgbox", "Unexpected error\nsecond line", "msgbox: Unexpected error; second line\n"},
      {"getMask:h", "holes (3) inconsistent with \r\nthe number\n\n(nRec-nObs=2)\n",
       "getMask:h: holes (3) inconsistent with; the number; (nRec-nObs=2)\n"},
      {nullptr, nullptr, ": \n"}};
  for (const auto& c : cases)
    EXPECT_EQ(messageLine(c.caption, c.text), c.line);

  // Installed through the library's export, it replaces the default handler.
  installMessagePrinter();
  EXPECT_NE(TessarySetMessageHandler(nullptr), nullptr);
}

TEST(CommandFailures, OneLineInTheSystemsWordsNamingTheFile) {
  EXPECT_EQ(commandFailureLine("eval", "Categorization failed since\na decimal found."),
            "tessary eval: Categorization failed since; a decimal found.\n");

  // Writes of values and of hole bitmaps that meet a full disk.
  testing::ScratchDir dir;
  for (const char* extension : {".daD", ".msk"}) {
    const std::string stem = dir.file(extension + 1);
    createDataArray(stem + ".daH", 4);
    DataArray data;
    ASSERT_TRUE(data.open(stem + ".daH"));
    data.loadHeader();
    data.addVariable("X", {.textA = "X"});
    Failure failure("(no failure)");
    testing::ScopedFaultHook full(testing::failing(FileOperation::kWrite, extension, ENOSPC));
    try {
      std::vector<double> values = {1, 2, 3, 4};
      data.setValue("X", values);
      data.setMask("X", std::vector<std::uint8_t>(data.maskBytes, 0));
    } catch (const Failure& caught) {
      failure = caught;
    }
    EXPECT_EQ(failure.text(), "File I/O error code = 28");  // what the exports show
    EXPECT_EQ(commandFailureLine("import", describeFailure(failure)),
              "tessary import: " + stem + extension + ": No space left on device\n");
  }
}

}  // namespace
}  // namespace tessary::cli
