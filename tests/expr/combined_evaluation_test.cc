#include <gtest/gtest.h>

#include "data_fixture.h"

namespace tessary {
namespace {

using testing::failureText;
using testing::ScratchDir;
using testing::storeVariable;
using testing::writeFile;

const double M = MISSING;

// Six households in three clusters of 2, 3 and 1 households.
struct Survey {
  ScratchDir dir;
  DataSet data;
  Survey() {
    createDataArray(dir.file("hh.daH"), 6);
    createDataArray(dir.file("cl.daH"), 3);
    writeDataRef(dir.file("cl.daR"), 1.0, {{1, 2, false, 1}, {1, 3, false, 2}, {1, 1, false, 3}});
    storeVariable(dir.file("hh.daH"), "INC", {1, 2, 3, 4, 5, 6}, 'N');
    storeVariable(dir.file("hh.daH"), "SEX", {1, 2, 1, 2, 2, 1}, 'C');
    storeVariable(dir.file("cl.daH"), "ZONE", {1, 2, 1}, 'C');
    writeFile(dir.file("hh.daL"), "[SEX]\n1=Male\n2=Female\n");
    writeFile(dir.file("cl.daL"), "[ZONE]\n1=Urban\n2=Rural\n");
    writeFile(dir.file("s.daA"), "hh.daH\ncl.daH\ncl.daR\n");
    data.openCombined(dir.file("s.daA"));
  }
  std::vector<double> eval(const std::string& text, std::int64_t from = 1, std::int64_t to = 6,
                           LabelMap* labels = nullptr) {
    std::vector<double> out(data.slotSize(), -7);
    ExpressionValues result = evaluateExpression(text, data, from, to, out);
    if (labels != nullptr) *labels = result.labels;
    out.resize(static_cast<std::size_t>(to - from + 1));
    return out;
  }
};

TEST(CombinedEvaluation, ClustersProductsAndRanges) {
  Survey s;
  EXPECT_VALUES(s.eval("CMEAN(INC)"), ({1.5, 1.5, 4, 4, 4, 6}));
  EXPECT_VALUES(s.eval("CSERIAL(0)"), ({1, 1, 2, 2, 2, 3}));
  EXPECT_VALUES(s.eval("CCOUNT()+CSUM(ZONE=\"Rural\")"), ({2, 2, 6, 6, 6, 1}));
  EXPECT_VALUES(s.eval("CMEAN(INC)", 2, 4), ({2, 3.5, 3.5}));
  EXPECT_VALUES(s.eval("CGET(INC,SEX=\"Female\")"), ({2, 2, 4, 4, 4, M}));
  LabelMap labels;
  EXPECT_VALUES(s.eval("SEX*ZONE", 1, 6, &labels), ({11, 21, 12, 22, 22, 11}));
  EXPECT_EQ(labels, (LabelMap{{11, "Male * Urban"},
                              {12, "Male * Rural"},
                              {21, "Female * Urban"},
                              {22, "Female * Rural"}}));
  EXPECT_VALUES(s.eval("ZONE*SEX", 3, 4, &labels), ({21, 22}));
  EXPECT_EQ(labels, (LabelMap{{21, "Rural * Male"}, {22, "Rural * Female"}}));
  EXPECT_EQ(failureText([&] { s.eval("SETMISSING(INC,{1;2})"); }),
            "ERROR: SetMissing() accepts 1 group only.\n");

  // At the cluster level there is no coarser level: each cluster is its own group.
  s.data.setLevel(1);
  EXPECT_VALUES(s.eval("CSERIAL(0)+VALUEOF(ZONE)", 1, 3), ({2, 4, 4}));
  EXPECT_EQ(failureText([&] { s.eval("INC", 1, 3); }), "Variable INC not found.");
}

}  // namespace
}  // namespace tessary
