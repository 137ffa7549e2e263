#pragma once

// The readers of each format, behind ReadDemo.

#include "demos/DemoReader.h"

namespace fx {

void ReadNetQuakeDemo(TDemoSource& source, TDemoInfo& info);
void ReadQuakeWorldDemo(TDemoSource& source, TDemoInfo& info);

}  // namespace fx
