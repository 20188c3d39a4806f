/* The public header compiles as C, and the shared library alone links and runs. */
#include <stdio.h>
#include <string.h>

#include "tessary.h"

static int quiet(void* owner, const char* text, const char* caption, unsigned int style) {
  (void)owner;
  (void)text;
  (void)caption;
  (void)style;
  return 1;
}

int main(void) {
  char version[4];
  double a[4] = {0.0, 1.0, 1.0, 0.0};
  double b[2] = {3.0, 5.0};
  double x[2] = {0.0, 0.0};
  unsigned char list[] = {1, 0, 2, 0, 'o', 'k'};
  if (RgVersion(version) != version || strcmp(version, "101") != 0) return 1;
  if (linearEq(a, 2, b, x) != 0 || x[0] != 5.0 || x[1] != 3.0) return 2;
  if (TessarySetMessageHandler(quiet) != NULL) return 3;
  if (stringsTest(list) != 1) return 4;
  if (TessarySetMessageHandler(NULL) != quiet) return 5;
  puts("C header: ok");
  return 0;
}
