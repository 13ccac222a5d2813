// The command list that the tests' Hosts offer, in a Host's own unsorted order: every name the
// module looks up, a few others, and one entry the Host marks invalid.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

const std::vector<std::string>& StandardCommandNames();
constexpr char kInvalidHostCommand[] = "Retired: Old Command";
// The index of a command in that list; -1 when absent.
int32_t CommandIndex(const std::string& name);
