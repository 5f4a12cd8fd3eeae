// The host's missing value set to a signalling NaN for the length of a
// test, so that a routine that returns the missing value is seen to copy
// it bit for bit (a quiet NaN of our own would pass unnoticed).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "host/host.h"
#include "module/host_services.h"

constexpr uint64_t signalling_missing_bits = 0x7FF4000000000BADULL;

inline uint64_t bits_of(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

class signalling_missing_value : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_reset();
        host_vector_store(host_vector_address());
        host_set_missing_value(signalling_missing_bits);
    }
    void TearDown() override
    {
        host_reset();
        host_vector_store(nullptr);
    }
};
