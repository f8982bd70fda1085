#pragma once
// Ways to make file writes fail on purpose, also when the tests run as root
// (where a read-only directory stops nothing).
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace comtrax::testing {

// Runs body in a forked child whose files may not grow beyond limit bytes, the
// way a full disk stops a write part-way. Returns body's result, or nothing
// when the child could not be set up or did not end normally.
std::optional<bool> runWithFileSizeLimit(std::size_t limit, const std::function<bool()>& body);

// Names of the entries in dir that start with prefix.
std::vector<std::string> filesStartingWith(const std::string& dir, const std::string& prefix);

}  // namespace comtrax::testing
