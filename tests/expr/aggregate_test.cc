#include <gtest/gtest.h>

#include "data_fixture.h"
#include "expr/aggregate.h"

namespace tessary {
namespace {

using testing::EvalDataSet;
using testing::sameValues;

const double M = MISSING;

// Seven records with identifiers 101 101 101 102 201 201 305 (named by headerTextA).
struct Households : EvalDataSet {
  Households() : EvalDataSet(7) {
    add("ID", {101, 101, 101, 102, 201, 201, 305});
    add("X", {1, 2, M, 4, 5, 5, 9});
    add("W", {1, 3, 1, 2, M, 1, 1});
    add("B", {1, 2, 1, 2, 3, 1, M});
    add("C", {0, 1, 0, 1, 1, 1, 0});
    data.header(0).headerTextA = makeTextField("ID");
    data.saveHeader();
  }
};

TEST(ClusterAggregates, EveryOperationOverIdentifierRuns) {
  Households set;
  EXPECT_VALUES(set.eval("CMEAN(X)"), ({1.5, 1.5, 1.5, 4, 5, 5, 9}));
  EXPECT_VALUES(set.eval("CCOUNT()"), ({3, 3, 3, 1, 2, 2, 1}));
  EXPECT_VALUES(set.eval("CMAX(X)"), ({2, 2, 2, 4, 5, 5, 9}));
  EXPECT_VALUES(set.eval("CMIN(X)"), ({1, 1, 1, 4, 5, 5, 9}));
  EXPECT_VALUES(set.eval("CSUM(X)"), ({3, 3, 3, 4, 10, 10, 9}));
  EXPECT_VALUES(set.eval("CFIRST(X*10)"), ({10, 10, 10, 40, 50, 50, 90}));
  // ((S2 - S1) / m) / (m - 1): group 101 has S1 = 3, S2 = 5, m = 3.
  EXPECT_VALUES(set.eval("CERR(X)"), ({1.0 / 3, 1.0 / 3, 1.0 / 3, 4, 20, 20, 9}));
  EXPECT_VALUES(set.eval("WCSUM(X,W)"), ({7, 7, 7, 8, 5, 5, 9}));
  EXPECT_VALUES(set.eval("WCMEAN(X,W)"), ({7.0 / 4, 7.0 / 4, 7.0 / 4, 4, 5, 5, 9}));
  EXPECT_VALUES(set.eval("CSERIAL(0)"), ({1, 1, 1, 2, 3, 3, 4}));
  EXPECT_VALUES(set.eval("CSERIALBY(X,0)"), ({1, 2, M, 1, 1, 2, 1}));
  EXPECT_VALUES(set.eval("LCOUNT()+ICOUNT()+RCOUNT()"), ({0, 0, 0, 0, 0, 0, 0}));
  EXPECT_VALUES(set.eval("CGET(X,C)"), ({2, 2, 2, 4, 5, 5, M}));
  EXPECT_VALUES(set.eval("CGET(X*2,X>4)"), ({M, M, M, M, 10, 10, 18}));

  EXPECT_VALUES(set.eval("CMEANBY(X,2)"), ({7.0 / 3, 7.0 / 3, 7.0 / 3, 7.0 / 3, 5, 5, 9}));
  EXPECT_VALUES(set.eval("CSERIALBY(X,2)"), ({1, 2, M, 3, 1, 2, 1}));
  EXPECT_VALUES(set.eval("WCSUMBY(X,W,3)"), ({29, 29, 29, 29, 29, 29, 29}));

  // Groups are cut at the ends of the evaluated range.
  EXPECT_VALUES(set.eval("CCOUNT()", 2, 5), ({2, 2, 1, 1}));
  EXPECT_VALUES(set.eval("CSERIAL(0)", 3, 7), ({1, 2, 3, 3, 4}));
  EXPECT_VALUES(set.eval("CMEANON(X,B,0)", 2, 4), ({3, M, 3}));
}

TEST(ClusterAggregates, OnFormsGroupRecordsWhereverTheyLie) {
  Households set;
  // B = 1 2 1 2 3 1 missing: records 1, 3 and 6 form one group although apart.
  EXPECT_VALUES(set.eval("CMEANON(X,B,0)"), ({3, 3, 3, 3, 5, 3, 9}));
  EXPECT_VALUES(set.eval("CCOUNTON(B,0)"), ({3, 2, 3, 2, 1, 3, 1}));
  EXPECT_VALUES(set.eval("CFIRSTON(X,B,0)"), ({1, 2, 1, 2, 5, 1, 9}));
  EXPECT_VALUES(set.eval("CSUMON(X,ID,2)"), ({7, 7, 7, 7, 10, 10, 9}));
  EXPECT_VALUES(set.eval("CERRON(X,B*10,1)"), ({10.0 / 3, 7, 10.0 / 3, 7, 5, 10.0 / 3, 9}));
  EXPECT_VALUES(set.eval("WCMEANON(X,W,B,0)"), ({3, 2.8, 3, 2.8, M, 3, 9}));
}

TEST(ClusterAggregates, ArgumentMessages) {
  Households set;
  EXPECT_EQ(set.error("CMEANBY(X,X)"), "ERROR: Digits to shift must be a constant.\n");
  EXPECT_EQ(set.error("CMEANBY(X,-1)"), "ERROR: Digits must be a non-negtive number.\n");
  EXPECT_EQ(set.error("CSERIAL(-1)"), "ERROR: Digits must be a non-negtive integer.\n");
  EXPECT_EQ(set.error("CMEANON(X,B,X)"),
            "ERROR: The 3rd parameter (Digits to shift) must be a constant.\n");
  EXPECT_EQ(set.error("CMEANON(X,1,0)"), "ERROR: The 2nd parameter must not be a constant.\n");
  EXPECT_EQ(set.error("CCOUNTON(1,0)"), "ERROR: Base must NOT be a constant.\n");
  EXPECT_EQ(set.error("CGET(X,1)"), "Condi_expr must be a 0-1 vector.");
}

TEST(ClusterAggregates, DirectCallsAndTheIdentifierColumn) {
  // CERR of a one-record group keeps its value; the groups after it are computed.
  double x[] = {7, 1, 3, 2, 2};
  const double base[] = {9, 5, 5, 1, 1};
  AggregateScratch scratch;
  onAggregate(kAggregateError, x, nullptr, base, 0, 5, scratch);
  EXPECT_TRUE(sameValues(std::vector<double>(x, x + 5), {7, 3, 3, 2, 2}));
  // Keys far apart sort by comparison; equal keys still gather, missing keys apart.
  double wide[] = {1, 2, 3, 4, 5, 6};
  const double wideBase[] = {1e9, 5, 1e9, M, 5, M};
  onAggregate(kAggregateSerialBy, wide, nullptr, wideBase, 0, 6, scratch);
  EXPECT_TRUE(sameValues(std::vector<double>(wide, wide + 6), {1, 1, 2, 1, 2, 2}));
  double untouched[] = {1, 2};
  onAggregate(kAggregateSum, untouched, nullptr, base, -1, 2, scratch);
  EXPECT_TRUE(sameValues(std::vector<double>(untouched, untouched + 2), {1, 2}));
  double allMissing[] = {M, M};
  const double oneKey[] = {1, 1};
  onAggregate(kAggregateMax, allMissing, nullptr, oneKey, 0, 2, scratch);
  EXPECT_TRUE(sameValues(std::vector<double>(allMissing, allMissing + 2), {M, M}));
  onAggregate(kAggregateMean, allMissing, nullptr, oneKey, 0, 2, scratch);
  EXPECT_FALSE(std::isfinite(allMissing[0]));

  // Without headerTextA (or when it names nothing) the record number identifies.
  EvalDataSet plain(4);
  plain.add("X", {1, 2, 3, 4});
  EXPECT_VALUES(plain.eval("CSUM(X)"), ({1, 2, 3, 4}));
  EXPECT_VALUES(plain.eval("CSUMBY(X,1)"), ({10, 10, 10, 10}));
  plain.data.header(0).headerTextA = makeTextField("NOSUCH");
  EXPECT_VALUES(plain.eval("CSERIAL(0)", 3, 4), ({1, 2}));
}

TEST(ClusterAggregates, ManyKeysAreGatheredByCountingSort) {
  AggregateScratch scratch;
  // Keys too many for per-key totals but no wider than the column sort by counting:
  // pairs of records share a key, and records without a key form one group.
  const std::size_t pairs = 70000;
  std::vector<double> values(2 * pairs), keys(2 * pairs);
  for (std::size_t i = 0; i < 2 * pairs; ++i) {
    values[i] = static_cast<double>(i);
    keys[i] = i % 1000 == 999 ? M : static_cast<double>(i / 2);
  }
  onAggregate(kAggregateSum, values.data(), nullptr, keys.data(), 0, 2 * pairs, scratch);
  const double unkeyed = 140.0 * (999 + 139999) / 2;  // the 140 records i % 1000 == 999
  for (std::size_t i = 0; i < 2 * pairs; i += 2) {
    const double pairSum = keys[i + 1] == M ? static_cast<double>(i) : 2.0 * i + 1;
    ASSERT_EQ(values[i], pairSum) << i;
    ASSERT_EQ(values[i + 1], keys[i + 1] == M ? unkeyed : pairSum) << i;
  }
}

}  // namespace
}  // namespace tessary
