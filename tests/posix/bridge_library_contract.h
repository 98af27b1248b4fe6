#pragma once
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/bridge_library.h"

namespace k4test {

using Ids = std::pair<std::uint16_t, std::uint16_t>;

// What every bridge library does, whatever lists its bridges: it counts
// `listed` in this order and opens each by its index for one opener at a
// time (the lock is the device's own, so another library meets it too); an
// index beyond the count or a bridge gone since the count (`unplugLast`) is
// refused without writing the handle. `listsIds`: the ids are also told
// without an open.
inline void ExpectBridgeLibrary(const std::function<std::unique_ptr<k4::BridgeLibrary>()>& make,
                                const std::vector<Ids>& listed, const std::function<void()>& unplugLast, bool listsIds)
{
    const std::unique_ptr<k4::BridgeLibrary> library = make(), other = make();
    ASSERT_TRUE(library && other);
    std::uint32_t count = 99;
    other->GetNumDevices(count);
    library->GetNumDevices(count);
    ASSERT_EQ(count, listed.size());
    for (std::uint32_t index = 0; index < count; ++index) {
        Ids shown;
        EXPECT_EQ(library->GetListedIds(index, shown.first, shown.second), listsIds);
        EXPECT_EQ(shown, listsIds ? listed[index] : Ids{});
        k4::BridgeHandle handle = k4::kNoBridge, second = k4::kNoBridge;
        ASSERT_EQ(library->Open(index, handle), 0) << index;
        Ids opened;
        library->GetVid(handle, opened.first);
        library->GetPid(handle, opened.second);
        EXPECT_EQ(opened, listed[index]);
        EXPECT_NE(other->Open(index, second), 0) << "held by the first";
        library->Close(handle);
        ASSERT_EQ(other->Open(index, second), 0) << "free again once closed";
#ifndef _WIN32
        // The descriptor just closed is given again: a stray second close
        // must not take it from its new opener. (On Windows both libraries
        // are the process's one bridge maker's library.)
        ASSERT_EQ(second, handle);
        library->Close(handle);
        EXPECT_NE(library->Open(index, handle), 0) << "still held by the other";
#endif
        other->Close(second);
    }
    Ids beyond;
    EXPECT_FALSE(library->GetListedIds(count, beyond.first, beyond.second));
    k4::BridgeHandle handle = k4::kNoBridge;
    EXPECT_NE(library->Open(count, handle), 0);
    unplugLast();
    EXPECT_NE(library->Open(count - 1, handle), 0) << "gone since the count";
    EXPECT_EQ(handle, k4::kNoBridge);
}

} // namespace k4test
