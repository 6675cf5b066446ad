// Local date-time counted in days since 1899-12-30 (fraction = time of day),
// with one replaceable source so tests can run schedules without waiting.
#pragma once

using TDateTime = double;
using NowSourceFunc = TDateTime (*)();

TDateTime Now();
TDateTime SystemNow();
// Replaces the clock; nullptr restores the system clock. Answers the previous source.
NowSourceFunc SetNowSource(NowSourceFunc source);
