// The OpenCV allocator of picture buffers: large ones are mapped in their own memory with
// transparent huge pages advised, small ones come from OpenCV's ordinary allocation.
#pragma once

#include <opencv2/core.hpp>

namespace velmo::img {

class PixelAllocator : public cv::MatAllocator
{
public:
    // Process-wide and never destroyed: every Mat it made must be able to give memory back.
    static cv::MatAllocator *instance();

    cv::UMatData *allocate(int dims, const int *sizes, int type, void *data, size_t *step,
                           cv::AccessFlag flags, cv::UMatUsageFlags usageFlags) const override;
    bool allocate(cv::UMatData *data, cv::AccessFlag accessFlags,
                  cv::UMatUsageFlags usageFlags) const override;
    void deallocate(cv::UMatData *data) const override;
};

} // namespace velmo::img
