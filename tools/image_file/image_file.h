#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace k4 {

// Reads a saved log image (the bytes a download gathers, 1 to 40960 of
// them). On failure `error` says why in a few words and nothing is returned.
bool ReadImageFile(const std::string& path, std::vector<std::uint8_t>& image, std::string& error);

// Saves image bytes whole or not at all: an older file of that name stays
// as it was when the write fails.
bool WriteImageFile(const std::string& path, const std::vector<std::uint8_t>& image);

} // namespace k4
