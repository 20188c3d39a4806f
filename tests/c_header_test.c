/* The public header compiles as C, and the shared library alone links and runs: the
 * catalogue's frame and the data set additions a host binding uses. */
#define _XOPEN_SOURCE 700
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tessary.h"

static int shown = 0;
static char lastText[512];

static int quiet(void* owner, const char* text, const char* caption, unsigned int style) {
  (void)owner;
  (void)caption;
  (void)style;
  ++shown;
  snprintf(lastText, sizeof lastText, "%s", text);
  return 1;
}

static int removeEntry(const char* path, const struct stat* info, int kind, struct FTW* walk) {
  (void)info;
  (void)kind;
  (void)walk;
  return remove(path);
}

static int writeText(const char* path, const char* text) {
  FILE* file = fopen(path, "w");
  if (file == NULL) return 0;
  fputs(text, file);
  return fclose(file) == 0;
}

/* A household and a cluster CSV file imported, tied, read and evaluated. */
static int dataSetAdditions(const char* dir) {
  char hhCsv[256], clCsv[256], hh[256], cl[256], daa[256], missing[256];
  double values[3] = {0, 0, 0};
  snprintf(hhCsv, sizeof hhCsv, "%s/hh.csv", dir);
  snprintf(clCsv, sizeof clCsv, "%s/cl.csv", dir);
  snprintf(hh, sizeof hh, "%s/hh", dir);
  snprintf(cl, sizeof cl, "%s/cl", dir);
  snprintf(daa, sizeof daa, "%s/survey.daA", dir);
  snprintf(missing, sizeof missing, "%s/absent.csv", dir);
  if (!writeText(hhCsv, "hhid,cluster,size\n1,1,4\n2,1,6\n3,2,3\n")) return 10;
  if (!writeText(clCsv, "cluster,urban\n1,1\n2,0\n")) return 11;
  if (tessaryImport(hhCsv, hh, "hhid", "") != 3) return 12;
  if (tessaryImport(clCsv, cl, NULL, NULL) != 2) return 13;
  if (tessaryCombine(hh, cl, "cluster", daa, 1.0, NULL, NULL) != 2) return 14;
  if (tessaryReadColumn(daa, 0, "urban", NULL, 0) != 3) return 15;
  if (tessaryReadColumn(daa, 0, "urban", values, 3) != 3) return 16;
  if (values[0] != 1.0 || values[1] != 1.0 || values[2] != 0.0) return 17;
  if (tessaryEvaluate(daa, 0, "SIZE*(URBAN+1)", values, 3) != 3) return 18;
  if (values[0] != 8.0 || values[1] != 12.0 || values[2] != 3.0) return 19;
  if (tessaryReadColumn(daa, 1, "urban", values, 3) != 2 || values[1] != 0.0) return 20;
  if (shown != 0) return 21;
  /* Failures: a message and -1, the caller's buffer untouched. */
  values[0] = 42.0;
  if (tessaryReadColumn(daa, 0, "size", values, 2) != -1 || values[0] != 42.0) return 22;
  if (strcmp(lastText, "tessaryReadColumn: the buffer holds 2 values, fewer than the 3 records"))
    return 23;
  if (tessaryEvaluate(daa, 0, "NOSUCH+1", values, 3) != -1) return 24;
  if (strcmp(lastText, "Variable NOSUCH not found.") != 0) return 25;
  if (tessaryImport(missing, hh, NULL, NULL) != -1 ||
      tessaryReadColumn(hh, 0, "size", NULL, 0) != 3)
    return 26;
  if (tessaryReadColumn(daa, 3, "size", NULL, 0) != -1) return 27;
  return shown == 4 ? 0 : 28;
}

int main(void) {
  char version[4];
  double a[4] = {0.0, 1.0, 1.0, 0.0};
  double b[2] = {3.0, 5.0};
  double x[2] = {0.0, 0.0};
  unsigned char list[] = {1, 0, 2, 0, 'o', 'k'};
  char dir[] = "/tmp/tessary-c-header-XXXXXX";
  int result;
  if (RgVersion(version) != version || strcmp(version, "101") != 0) return 1;
  if (linearEq(a, 2, b, x) != 0 || x[0] != 5.0 || x[1] != 3.0) return 2;
  if (TessarySetMessageHandler(quiet) != NULL) return 3;
  if (stringsTest(list) != 1) return 4;
  shown = 0;
  if (mkdtemp(dir) == NULL) return 5;
  result = dataSetAdditions(dir);
  nftw(dir, removeEntry, 8, FTW_DEPTH | FTW_PHYS);
  if (result != 0) {
    fprintf(stderr, "C header: step %d failed (last message: %s)\n", result, lastText);
    return result;
  }
  if (TessarySetMessageHandler(NULL) != quiet) return 6;
  puts("C header: ok");
  return 0;
}
