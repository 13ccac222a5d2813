// The benchmark groups; each registers its cases with Google Benchmark, in table order.
#pragma once

void RegisterInputBenchmarks();
void RegisterRefreshBenchmarks();
void RegisterBusBenchmarks();
