// Small host-file helpers of the simulated board (all paths are host paths).
#pragma once

#include <string>
#include <vector>

namespace VeltoSim {

bool ReadText(const std::string& path, std::string& out);
// Whole file, empty when missing.
std::string ReadText(const std::string& path);
// Creates or truncates; false on failure.
bool WriteText(const std::string& path, const std::string& text);
bool AppendText(const std::string& path, const std::string& text);
bool Exists(const std::string& path);
bool IsDir(const std::string& path);
// mkdir -p; true when the directory exists afterwards.
bool MakeDirs(const std::string& path);
// rm -rf of everything below path, keeping path itself.
bool ClearDir(const std::string& path);
bool RemoveTree(const std::string& path);
// The trimmed first line of a file, or fallback when missing.
std::string ReadLine(const std::string& path, const std::string& fallback = "");
long long ReadNumber(const std::string& path, long long fallback);
std::vector<std::string> SplitWords(const std::string& line);

}  // namespace VeltoSim
