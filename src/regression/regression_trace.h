// The regression code traces through the library's one trace sink.
#pragma once

#include "frame/trace.h"
