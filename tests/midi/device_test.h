// A device of the MIDI layer on a fresh bus with the surface's ports plugged in. After each
// test the device is gone, the bus is idle, the API was never misused and nothing is left open.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "support/virtual_surface.h"

template <typename Device>
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        StandinBusReset();
        surface = std::make_unique<VirtualSurface>();
    }
    void TearDown() override {
        device.reset();
        VirtualSurface::WaitIdle();
        const StandinBusCounters counters = BusCounters();
        EXPECT_EQ(counters.misuse, 0u);
        EXPECT_EQ(counters.openInputs + counters.openOutputs, 0u);
        EXPECT_EQ(counters.preparedHeaders, 0u);
    }

    std::unique_ptr<VirtualSurface> surface;
    std::unique_ptr<Device> device = std::make_unique<Device>();
};
