#include "tools/k4-sim/served_image.h"

#include <fstream>
#include <iterator>

#include "eventlog/log_image.h"
#include "eventlog/sample_image.h"

namespace k4sim {

namespace {

// Larger than the computer's buffer on purpose: with --allow-oversize-image
// the simulator serves an oversized image to see the computer refuse it.
constexpr std::size_t kMaxImageFile = 1 << 20;

} // namespace

bool LoadServedImage(const SimOptions& options, std::vector<std::uint8_t>& image, std::string& error)
{
    if (options.syntheticRecords >= 0) {
        image = k4::SyntheticLogImage(options.syntheticRecords);
        return true;
    }
    if (options.imageFile.empty()) {
        image = k4::SampleLogImage();
        return true;
    }
    std::ifstream in(options.imageFile, std::ios::binary);
    if (!in) {
        error = "cannot read " + options.imageFile;
        return false;
    }
    image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (image.size() > kMaxImageFile) {
        error = options.imageFile + " is too large for an image";
        return false;
    }
    // A real unit's log fits the computer's buffer; a larger one is a test
    // of the computer and must be asked for.
    if (image.size() > k4::kImageCapacity && !options.allowOversizeImage) {
        error = options.imageFile + " is larger than a log image (" + std::to_string(k4::kImageCapacity) +
                " bytes); give --allow-oversize-image to serve it anyway";
        return false;
    }
    return true;
}

} // namespace k4sim
