#pragma once
// What the reorganisation's tests look at in a data folder afterwards: every
// table and index passes the table check, the live records are the ones
// there were (as a set), and nothing of the run is left beside the tables.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kp::reorgtest {

// The suite's tables, small, with every third record of each deleted, so
// that packing moves records and an index of the other generation shows.
void WriteSuiteWithDeletions(const std::string& dir, uint32_t contracts, uint64_t seed);
// Deletes every third record of each of the suite's tables in dir.
void DeleteEveryThird(const std::string& dir);

// Per table, its live records as texts (memo texts in place of their block
// numbers), sorted.
using LiveRecords = std::map<std::string, std::vector<std::string>>;
LiveRecords ReadLive(const std::string& dir);

// What is wrong with the folder; empty when all is well.
std::vector<std::string> FolderFaults(const std::string& dir, const LiveRecords& expected);

// The faults one to a line, for a failure message.
std::string Lines(const std::vector<std::string>& faults);

// Copies the folder's tables and indexes to `out` with expected.txt (table =
// live records), for the independent reader that runs after the tests.
void HandOver(const std::string& dir, const std::filesystem::path& out, const LiveRecords& live);

}  // namespace kp::reorgtest
