#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/message_printer.h"
#include "support/progress_bar.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

std::string contentOf(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string out;
  int c;
  while ((c = std::fgetc(file)) != EOF)
    out += static_cast<char>(c);
  return out;
}

TEST(ProgressBar, DrawsOnlyWhenThePercentageMovesAndClearsItsLine) {
  EXPECT_EQ(ProgressBar::render("Reading", 1, 4), "Reading [#######                       ] 25%");
  EXPECT_EQ(ProgressBar::render("x", 9, 0), "x [##############################] 100%");

  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  {
    ProgressBar bar("Load", 400, out);
    bar.update(4);
    bar.update(5);  // still 1%: not drawn again
    bar.update(400);
  }
  const std::string drawn = contentOf(out);
  std::fclose(out);
  const std::string blank(ProgressBar::render("Load", 1, 1).size(), ' ');
  EXPECT_EQ(drawn, "\r" + ProgressBar::render("Load", 4, 400) + "\r" +
                       ProgressBar::render("Load", 400, 400) + "\r" + blank + "\r");

  ProgressBar silent("Quiet", 10, nullptr);
  silent.update(5);  // nothing to draw on, nothing happens
}

TEST(MessagePrinter, OneCaptionedLinePerMessage) {
  EXPECT_EQ(messageLine("updateVariable", "Invalid mask length.\n"),
            "updateVariable: Invalid mask length.\n");
  EXPECT_EQ(messageLine("msgbox", "Unexpected error\nsecond line"),
            "msgbox: Unexpected error\nsecond line\n");
  EXPECT_EQ(messageLine(nullptr, nullptr), ": \n");

  // Installed through the library's export, it replaces the default handler.
  installMessagePrinter();
  EXPECT_NE(TessarySetMessageHandler(nullptr), nullptr);
}

}  // namespace
}  // namespace tessary::cli
